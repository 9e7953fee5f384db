#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing dalko need, where missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ ccache pkg-config
    qt6-base-dev qt6-qpa-plugins libqt6printsupport6
    libgtest-dev libbenchmark-dev
    fonts-liberation fonts-wine
    poppler-utils cups cups-client cups-bsd cups-filters
    clang libclang-rt-14-dev
    desktop-file-utils
    dpkg-dev file
    time xvfb xdotool
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
