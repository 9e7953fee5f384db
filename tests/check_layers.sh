#!/usr/bin/env bash
# The direction of dependence: the report format and the estimate filler name no page and no
# Program, and no file of the core library includes a widget header.
#
# Usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR
set -euo pipefail
cd "${1:?usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR}"
qt=${2:?usage: check_layers.sh SOURCE_DIR QT_INCLUDE_DIR}
failures=0

page_headers='app/(program|window|customerpage|costpage|Logo_U|Prog_UL2)\.h|general/Prog_U[0-9]*\.h|boiler/T_U[0-9]\.h'
if grep -nE "#include \"($page_headers)\"" reportfile/* estimate/*; then
    echo "FAIL: a file of reportfile/ or estimate/ includes a page header or app/program.h" >&2
    failures=1
fi

# The core library's sources, as CMakeLists.txt lists them, and their headers.
core_sources=$(sed -n '/^add_library(dalko_core /,/^)/p' CMakeLists.txt | grep -oE '[a-z]+(/[a-z]+)*/[A-Za-z_0-9]+\.cpp')
[ -n "$core_sources" ] || { echo "FAIL: no sources of dalko_core found in CMakeLists.txt" >&2; exit 1; }
for source in $core_sources; do
    for file in "$source" "${source%.cpp}.h"; do
        [ -f "$file" ] || continue
        while read -r header; do
            if [ -e "$qt/QtWidgets/$header" ] || [ -e "$qt/QtPrintSupport/$header" ]; then
                echo "FAIL: $file (core library) includes the widget header <$header>" >&2
                failures=1
            fi
        done < <(grep -oE '#include <[A-Za-z_/]+>' "$file" | sed -E 's/#include <(.*)>/\1/; s#^Qt[A-Za-z]+/##')
    done
done
exit $failures
