#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# but only those that are missing. Safe to run again and again.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins libqt6printsupport6
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-noto-cjk python3 python3-fonttools tzdata
    libxlsxwriter-dev libliquid-dev libssl-dev unzip poppler-utils
)
if [[ "${1:-}" == "--fuzz" ]]; then
    packages+=(clang libclang-rt-14-dev)
fi
# Desktop integration and `make package`: icon rendering, the Debian package's tools, the
# checks of the desktop entry and the MIME description, Qt's Chinese texts.
packages+=(librsvg2-bin dpkg-dev desktop-file-utils shared-mime-info libxml2-utils
    qt6-translations-l10n)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
