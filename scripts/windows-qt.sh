#!/usr/bin/env bash
# Cross-builds the Qt that dalko for Windows uses (qtbase: Core, Gui, Widgets, PrintSupport, Test,
# Sql with its SQLite driver, the windows platform, print support and image format plugins) from
# Debian's own qt6-base source, with Debian's MinGW-w64, and SQLite from Debian's sqlite3 source.
# Debian ships no Windows Qt. The sources come through a private apt configuration made from the
# machine's own apt sources, so the machine's apt settings stay as they are.
#
# The result is kept outside the clone, built once per machine:
#   ${DALKO_WINDOWS_CACHE:-~/.cache/dalko-windows}/qt-<version>-<hash of this script and the
#   toolchain file>
# Prints that folder on its last line. Remove the cache folder to build Qt again.
#
# Usage: windows-qt.sh
set -euo pipefail
tree=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$tree/cmake/mingw-w64.cmake

# The host tools (moc, uic, rcc) must be the very version of the sources.
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
key=$(cat "$0" "$toolchain" | sha256sum | cut -c1-12)
cache=${DALKO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dalko-windows}
prefix=$cache/qt-${qt_version%%+*}-$key

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work=$cache/work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/sources" "$work/apt/lists/partial" "$work/apt/cache/archives/partial"

# deb-src entries for every deb entry of the machine's own sources.
for sources in /etc/apt/sources.list.d/*.sources; do
    [ -e "$sources" ] || continue
    sed 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$sources" >"$work/apt/sources/$(basename "$sources")"
done
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$list" ] || continue
    sed -n 's/^deb /deb-src /p' "$list" >"$work/apt/sources/$(basename "$list")"
done
apt_private=(
    -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/apt/sources"
    -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache"
    -o APT::Sandbox::User=root
)
apt-get "${apt_private[@]}" -qq update
(cd "$work" && apt-get "${apt_private[@]}" -qq source "qt6-base=$qt_version" sqlite3 >/dev/null)

# SQLite as one file, with the column metadata Qt's driver asks for.
sqlite_source=$(find "$work" -maxdepth 1 -type d -name 'sqlite3-*' | head -n1)
(cd "$sqlite_source" && ./configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
mkdir -p "$prefix/include" "$prefix/lib"
x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_THREADSAFE=1 \
    -c "$sqlite_source/sqlite3.c" -o "$work/sqlite3.o"
x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" "$work/sqlite3.o"
cp "$sqlite_source/sqlite3.h" "$sqlite_source/sqlite3ext.h" "$prefix/include/"

# With OpenGL off, dynamic GL must go too, or the windows platform plugin does not compile;
# Direct2D stays, as PrintSupport links DirectWrite, which Gui builds only with it. Tablets go:
# Debian's source leaves out the Wintab header their support needs.
qt_source=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
DALKO_WINDOWS_PREFIX=$prefix cmake -S "$qt_source" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_dbus=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_system_sqlite=ON -DFEATURE_sql_sqlite=ON -DFEATURE_sql_odbc=OFF \
    -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF -DFEATURE_sql_ibase=OFF \
    -DFEATURE_sql_oci=OFF -DFEATURE_sql_db2=OFF \
    -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.a" \
    >"$work/configure.log"
cmake --build "$work/build" -j"$(nproc)" >"$work/build.log"
cmake --install "$work/build" >/dev/null
touch "$prefix/.complete"
rm -rf "$work"
echo "$prefix"
