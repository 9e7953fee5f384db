#!/usr/bin/env bash
# Builds dalko for 64-bit Windows from this tree with Debian's MinGW-w64: Qt first when it is not
# cached (scripts/windows-qt.sh), then dalko.exe, dalko-calc.exe, the core tests and the
# installer, all in build-windows/; then runs the Windows tests under Wine (tests/windows_test.sh),
# comparing dalko-calc.exe with the Linux build in build/ (made first when missing).
#
# Usage: windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh windows
qt=$(scripts/windows-qt.sh | tail -n1)
if [ ! -x build/bin/dalko-calc ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j2 --target dalko-calc
fi
DALKO_WINDOWS_PREFIX=$qt cmake -S . -B build-windows -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DDALKO_BUILD_TESTS=ON -DDALKO_WERROR=ON
DALKO_WINDOWS_PREFIX=$qt cmake --build build-windows -j2
(cd build-windows && makensis -V2 dalko.nsi)
tests/windows_test.sh build-windows build
