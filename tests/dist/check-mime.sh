#!/usr/bin/env bash
# check-mime.sh SCHEMA FILE
# The MIME description follows the shared-mime-info package format (RELAX NG grammar
# SCHEMA) and describes the test file: one type application/x-rovana-mg in the
# shared-mime-info namespace, known by the glob *.mg alone (the file has no signature,
# so no magic), with an English and a Chinese comment.
set -u
schema=$1
file=$2
failures=0

if ! xmllint --noout --relaxng "$schema" "$file"; then
    echo "FAIL: $file does not follow the shared-mime-info format"
    failures=$((failures + 1))
fi

# The grammar must reject a broken description, or passing it proves nothing.
broken=$(mktemp)
trap 'rm -f "$broken"' EXIT
sed 's|<glob pattern="[^"]*"/>|<glob/>|' "$file" >"$broken"
if cmp -s "$file" "$broken" || xmllint --noout --relaxng "$schema" "$broken" 2>/dev/null; then
    echo "FAIL: the grammar accepts a glob without a pattern"
    failures=$((failures + 1))
fi

el() { echo "*[local-name()='$1']"; }
# XPath expression | expected count | what it means
rows=(
    "/$(el mime-info)[namespace-uri()='http://www.freedesktop.org/standards/shared-mime-info']|1|document element mime-info in the shared-mime-info namespace"
    "/$(el mime-info)/$(el mime-type)|1|one MIME type"
    "//$(el mime-type)[@type='application/x-rovana-mg']|1|the type application/x-rovana-mg"
    "//$(el glob)|1|one glob"
    "//$(el glob)[@pattern='*.mg']|1|the glob *.mg"
    "//$(el comment)[not(@xml:lang)]|1|an untranslated (English) comment"
    "//$(el comment)[@xml:lang='zh_CN']|1|a Chinese comment"
    "//$(el comment)[normalize-space()='']|0|no empty comment"
    "//$(el magic)|0|no magic"
)
for row in "${rows[@]}"; do
    IFS='|' read -r xpath expected what <<<"$row"
    got=$(xmllint --xpath "count($xpath)" "$file" 2>&1)
    if [[ "$got" != "$expected" ]]; then
        echo "FAIL: $what: count($xpath) is $got, expected $expected"
        failures=$((failures + 1))
    fi
done

[[ $failures -eq 0 ]] && echo "MIME description OK"
exit $((failures > 0))
