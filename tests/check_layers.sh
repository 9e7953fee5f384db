#!/usr/bin/env bash
# The direction of dependence, where the compiler cannot see it: each folder is one layer, and
# its include root is its own (core ← ui ← general, boiler ← app, cli).
# - no file of core/ includes a widget or print header, even by its module path;
# - the core's objects are compiled without the source root, QtWidgets or QtPrintSupport;
# - a page includes no other page: a later page is handed what it reads.
#
# Usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR BUILD_DIR
set -euo pipefail
source_dir=${1:?usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR BUILD_DIR}
qt=${2:?usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR BUILD_DIR}
build=${3:?usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR BUILD_DIR}
cd "$source_dir"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=1
}

while IFS= read -r file; do
    while read -r header; do
        if [ -e "$qt/QtWidgets/$header" ] || [ -e "$qt/QtPrintSupport/$header" ]; then
            fail "$file (core) includes the widget header <$header>"
        fi
    done < <(grep -oE '#include <[A-Za-z_/]+>' "$file" | sed -E 's/#include <(.*)>/\1/; s#^Qt[A-Za-z]+/##')
done < <(find core -name '*.h' -o -name '*.cpp')

commands="$build/compile_commands.json"
[ -f "$commands" ] || fail "no $commands (CMAKE_EXPORT_COMPILE_COMMANDS)"
if [ -f "$commands" ]; then
    core_commands=$(grep -E '"command": .*/core/[^"]*\.cpp' "$commands" || true)
    [ -n "$core_commands" ] || fail "no compile command of a core source in $commands"
    if grep -qE -- "-I$source_dir( |\")" <<<"$core_commands"; then
        fail "a core object is compiled with the source root as include path"
    fi
    if grep -qE 'QtWidgets|QtPrintSupport' <<<"$core_commands"; then
        fail "a core object is compiled with a QtWidgets or QtPrintSupport include path"
    fi
fi

pages='Prog_U[0-9]*|T_U[0-9]+'
for file in general/* boiler/*; do
    own=$(basename "${file%.*}")
    while read -r included; do
        [ "$included" = "$own" ] || fail "$file includes the page $included.h"
    done < <(grep -oE "#include \"($pages)\.h\"" "$file" | sed -E 's/#include "(.*)\.h"/\1/')
done
exit $failures
