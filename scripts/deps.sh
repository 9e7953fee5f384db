#!/usr/bin/env bash
# Installs the Debian packages dalko needs, where missing. "run": what building and running the
# program need; "test": also every tool the tests use (GoogleTest and Google Benchmark, clang for
# the fuzzers, a print server, LibreOffice, debhelper and the package checkers, a
# PostgreSQL server for the shared register of estimates, and what "windows" installs);
# "windows": what building dalko for Windows and testing it under Wine need. The package's
# own build dependencies come from debian/control: sudo apt-get build-dep ./
# As a user other than root it installs through sudo.
#
# Usage: deps.sh run|test|windows
set -euo pipefail

# dpkg-dev gives the hardening flags the program is built with.
run_packages=(
    cmake ninja-build g++ ccache pkg-config dpkg-dev
    qt6-base-dev qt6-base-private-dev libqt6printsupport6 libqt6sql6-sqlite qt6-translations-l10n
    fonts-liberation
)
test_packages=(
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    poppler-utils cups cups-client cups-bsd cups-filters
    libreoffice-writer-nogui
    build-essential debhelper devscripts git lintian appstream desktop-file-utils shared-mime-info
    man-db
    time xvfb xdotool
    # Qt's SVG picture plugin, present on many desktops: the tests show that a template's SVG
    # is refused before it could open the files it names.
    libqt6svg6
    libqt6sql6-psql postgresql sqlite3
)

# dalko for Windows (scripts/windows.sh): the cross compiler, the sources of Qt, SQLite and
# GoogleTest (apt-get source needs dpkg-source, SQLite's one-file build tclsh), the host Qt
# tools, NSIS for the installer, and Wine under a virtual display for the tests.
windows_packages=(
    cmake ninja-build g++ ccache dpkg-dev qt6-base-dev qt6-base-dev-tools
    g++-mingw-w64-x86-64-posix tcl googletest nsis wine wine64 xvfb xauth xdotool imagemagick
    poppler-utils
)

case ${1:-} in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}") ;;
windows) packages=("${windows_packages[@]}") ;;
*)
    echo "Использование: scripts/deps.sh run|test|windows" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Устанавливаются пакеты: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
