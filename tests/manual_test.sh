#!/usr/bin/env bash
# The manual pages of both programs, English and Russian, name exactly the options the program
# accepts: those of its --help, where QCommandLineParser lists every option it knows.
#
# Usage: manual_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: manual_test.sh BUILD_DIR}" && pwd)
export MANPATH=$build/packaging/man MANWIDTH=200 LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The options in a manual's synopsis and options sections (the other sections also name
# options of the other program).
manual_options() {
    local language=$1 program=$2 page
    page=$(man -L "$language" "$program" | col -bx) || return 1
    awk '/^[^ ]/ { keep = $0 ~ /^(SYNOPSIS|OPTIONS|СИНТАКСИС|ПАРАМЕТРЫ)$/ } keep' <<<"$page" |
        grep -oE -- '(^|[^[:alnum:]-])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u
}

# The options of the help's option column.
help_options() {
    local program=$1 help
    help=$(timeout 30 "$build/bin/$program" --help) || return 1
    awk '/^  -/ { sub(/^  /, ""); sub(/  .*/, ""); print }' <<<"$help" |
        grep -oE -- '--?[a-z][a-z-]*' | sort -u
}

for program in dalko dalko-calc; do
    accepted=$(help_options "$program") || { fail "$program --help failed"; continue; }
    [ -n "$accepted" ] || fail "$program --help lists no option"
    for language in C ru; do
        documented=$(manual_options "$language" "$program") ||
            { fail "no $language manual page of $program"; continue; }
        [ "$documented" = "$accepted" ] || {
            fail "the $language manual of $program and its --help differ (< manual, > --help):"
            diff <(echo "$documented") <(echo "$accepted") >&2 || true
        }
    done
    # The heading tells the two languages apart.
    page=$(man -L C "$program" | col -bx)
    grep -qx NAME <<<"$page" || fail "man -L C $program is not the English page"
    page=$(man -L ru "$program" | col -bx)
    grep -qx ИМЯ <<<"$page" || fail "man -L ru $program is not the Russian page"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "manual pages and --help agree"
