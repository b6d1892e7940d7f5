#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is missing.
# More package names may be given as arguments.
set -euo pipefail
packages=(qt6-base-dev qt6-svg-dev libgif-dev libjpeg-dev libzint-dev libqpdf-dev zlib1g-dev fonts-liberation2 fonts-dejavu-core qt6-translations-l10n tzdata
          cmake ninja-build pkg-config g++ clang libclang-rt-14-dev
          poppler-utils qpdf zbar-tools xvfb xdotool desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl
          cups cups-client printer-driver-cups-pdf libcups2-dev
          dpkg-dev lintian "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
