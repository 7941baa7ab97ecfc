#!/usr/bin/env bash
# check-package.sh PACKAGE_DIR VERSION DATA_DIR
# The Debian package built into PACKAGE_DIR: its control fields, that it holds the two
# programs and the desktop data (and nothing else in /usr/bin), that it leaves the
# desktop, icon and MIME caches to Debian's triggers (no maintainer scripts), and that
# the installed files are the project's and work once unpacked.
set -u
dir=$1
version=$2
data=$3
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

shopt -s nullglob
debs=("$dir"/rovana_*.deb)
if [[ ${#debs[@]} -ne 1 ]]; then
    echo "FAIL: expected one rovana_*.deb in $dir, found ${#debs[@]}"
    exit 1
fi
deb=${debs[0]}
echo "package: $deb"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == rovana ]] || fail "Package is '$(field Package)'"
[[ "$(field Version)" == "$version" ]] || fail "Version is '$(field Version)', expected $version"
[[ "$(field Section)" == science ]] || fail "Section is '$(field Section)'"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] || fail "Architecture is '$(field Architecture)'"
[[ -n "$(field Maintainer)" ]] || fail "no Maintainer"
# A CMake list separator that slipped into the text.
[[ "$(field Description)" != *";"* ]] || fail "Description holds ';': $(field Description)"
depends=$(field Depends)
echo "Depends: $depends"
# The fixed dependencies, and those found from the programs' shared libraries.
for dep in fonts-noto-cjk qt6-translations-l10n qt6-qpa-plugins libqt6widgets6 libqt6printsupport6 libc6; do
    grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done

# No maintainer scripts: Debian's triggers refresh the desktop, icon and MIME caches.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort | tr '\n' ' ')
[[ "$control" == "control md5sums " ]] || fail "control archive holds: $control"

# The files.
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|')
expected=(
    /usr/bin/rovana
    /usr/bin/rovana-cli
    /usr/share/applications/rovana.desktop
    /usr/share/mime/packages/rovana.xml
    /usr/share/icons/hicolor/scalable/apps/rovana.svg
    /usr/share/man/man1/rovana-cli.1.gz
    /usr/share/man/man1/rovana.1.gz
    /usr/share/doc/rovana/manual.html
    /usr/share/doc/rovana/copyright
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/rovana.png")
done
for path in "${expected[@]}"; do
    grep -qx -- "$path" <<<"$contents" || fail "missing $path"
done
programs=$(grep '^/usr/bin/.' <<<"$contents" | sort | tr '\n' ' ')
[[ "$programs" == "/usr/bin/rovana /usr/bin/rovana-cli " ]] || fail "/usr/bin holds: $programs"

# Unpacked: the data files are the project's, the icons have their sizes, the manual page
# formats without warnings, and the installed command-line program runs.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
cmp -s "$data/rovana.desktop" "$root/usr/share/applications/rovana.desktop" || fail "desktop entry differs"
cmp -s "$data/rovana.xml" "$root/usr/share/mime/packages/rovana.xml" || fail "MIME description differs"
cmp -s "$data/rovana.svg" "$root/usr/share/icons/hicolor/scalable/apps/rovana.svg" || fail "SVG icon differs"
cmp -s "$data/copyright" "$root/usr/share/doc/rovana/copyright" || fail "copyright file differs"
cmp -s "$data/../shell/manual/manual.html" "$root/usr/share/doc/rovana/manual.html" || fail "manual differs"
for size in 16 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/rovana.png"
    [[ -f "$png" ]] || continue
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
    [[ "$dims" == "${size}x${size}" ]] || fail "${size}x${size} icon is $dims"
done
for page in rovana-cli rovana; do
    man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z "$man_warnings" ]] || fail "manual page of $page: $man_warnings"
done
man_text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$root/usr/share/man/man1/rovana-cli.1.gz" 2>/dev/null)
for sub in info spectrum filter process sheet summary pick; do
    grep -Eq "^ +$sub " <<<"$man_text" || fail "manual page does not describe '$sub'"
done
"$root/usr/bin/rovana-cli" --help >/dev/null || fail "the installed rovana-cli --help exits with $?"

[[ $failures -eq 0 ]] && echo "package OK"
exit $((failures > 0))
