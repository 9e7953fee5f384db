#!/usr/bin/env bash
# dalko for Windows under Wine, in a throw-away Wine prefix on a virtual display: the core tests;
# dalko-calc.exe against the Linux dalko-calc on every report file of the corpus, under a Russian
# and an English locale; its PDF and its journal; the installer; and dalko.exe opening a report
# file named on its command line (a screenshot of it is left in WINDOWS_BUILD/artifacts).
#
# Usage: windows_test.sh WINDOWS_BUILD LINUX_BUILD
set -euo pipefail
windows=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
tree=$(cd "$(dirname "$0")/.." && pwd)
corpus=$tree/tests/fuzz/corpus/reportfile
version=$(sed -n 's/^project(dalko VERSION \([0-9.]*\).*/\1/p' "$tree/CMakeLists.txt")

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
failures=0
passed=0
# A pipe into grep reads to its end: "grep -q" would stop its writer with SIGPIPE, which
# pipefail counts as a failure.
check() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failures=$((failures + 1))
        echo "FAILED: $name"
    fi
}

finish() {
    wineserver -k 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# A display of its own: Qt's windows platform draws through Wine's X11 driver, and only there
# Wine lends Qt the system's fonts.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
wineboot -i >/dev/null 2>&1
wineserver -w
# Windows has Times New Roman; Wine lends the metric-compatible face of the system instead.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ \
    /d 'Liberation Serif' /f >/dev/null 2>&1

# Text as the Linux build prints it: the Windows one ends its lines with CR LF.
run_windows() { wine "$@" 2>"$work/stderr" | tr -d '\r'; }

core_tests() { wine "$windows/bin/dalko_core_tests.exe" >"$work/core.log" 2>&1 || { tail -40 "$work/core.log"; return 1; }; }
check "core tests under Wine" core_tests

# The same quantities, replacements and saved report file, byte for byte. The estimate's date
# is written in the short date format of each system's regional settings (Windows' English one
# has four-digit years), so it is compared as a date.
same_as_linux() {
    local lang=$1 file=$2 name
    name=$(basename "$file")
    LC_ALL=$lang "$linux/bin/dalko-calc" --date 2026-03-02 --save "$work/linux-$name" "$file" \
        >"$work/linux.out" 2>/dev/null || true
    LC_ALL=$lang LANG=$lang run_windows "$windows/bin/dalko-calc.exe" --date 2026-03-02 \
        --save "$work/windows-$name" "$file" >"$work/windows.out" || true
    diff -u <(grep -v '^#ЧИСЛО&' "$work/linux.out") <(grep -v '^#ЧИСЛО&' "$work/windows.out") ||
        return 1
    if grep -q '^#ЧИСЛО&' "$work/linux.out"; then
        grep -Eq '^#ЧИСЛО&	(02\.03\.2026|3/2/2026)$' "$work/windows.out" || return 1
    fi
    if [ -e "$work/linux-$name" ] || [ -e "$work/windows-$name" ]; then
        cmp "$work/linux-$name" "$work/windows-$name" || return 1
    fi
}
for lang in ru_RU.UTF-8 en_US.UTF-8; do
    for file in "$corpus"/*; do
        check "dalko-calc.exe = dalko-calc, $lang, $(basename "$file")" same_as_linux "$lang" "$file"
    done
done

# The estimate as PDF: every value in its text, as many pages as on Linux.
general=$corpus/general-default.rvj
pdf_holds_every_value() {
    LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 run_windows "$windows/bin/dalko-calc.exe" \
        --pdf "$work/windows.pdf" "$general" >"$work/values" || return 1
    LC_ALL=ru_RU.UTF-8 "$linux/bin/dalko-calc" --pdf "$work/linux.pdf" "$general" >/dev/null
    local text pages_windows pages_linux name value
    text=$(pdftotext "$work/windows.pdf" - | tr -s ' \n' ' ')
    while IFS=$'\t' read -r name value; do
        case $name in "#"*) ;; *) continue ;; esac
        value=$(printf '%s' "$value" | tr -s ' ' ' ')
        [ -z "$value" ] || [[ $text == *"$value"* ]] || { echo "missing $name: $value"; return 1; }
    done <"$work/values"
    pages_windows=$(pdfinfo "$work/windows.pdf" | sed -n 's/^Pages: *//p')
    pages_linux=$(pdfinfo "$work/linux.pdf" | sed -n 's/^Pages: *//p')
    [ "$pages_windows" = "$pages_linux" ] && pdffonts "$work/windows.pdf" | grep " yes " >/dev/null
}
check "dalko-calc.exe --pdf holds every value" pdf_holds_every_value

local_appdata() { echo "$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local"; }
records_in_the_profile() {
    run_windows "$windows/bin/dalko-calc.exe" --record --pdf "$work/numbered.pdf" "$general" \
        >"$work/record.out" || { cat "$work/stderr"; return 1; }
    grep -q "^JournalNumber	[0-9]\{4\}-0001$" "$work/record.out" &&
        [ -s "$(local_appdata)/dalko/journal.sqlite" ]
}
check "dalko-calc.exe --record numbers in %LOCALAPPDATA%\\dalko" records_in_the_profile

server_journal_says_why() {
    run_windows "$windows/bin/dalko-calc.exe" --journal postgresql://smeta@127.0.0.1/dalko \
        --record --pdf "$work/unnumbered.pdf" "$general" >/dev/null && return 1
    grep -q "только в файле SQLite" "$work/stderr" && [ -s "$work/unnumbered.pdf" ]
}
check "a server journal: the estimate is issued and the message says why it has no number" \
    server_journal_says_why

refuses_devices() {
    run_windows "$windows/bin/dalko-calc.exe" NUL >/dev/null && return 1
    grep -q "устройство" "$work/stderr"
}
check "a device as the report file is refused" refuses_devices

# The installer, silently; the firm's edited template survives a reinstall and the uninstaller.
installed="$WINEPREFIX/drive_c/Program Files/dalko"
templates="$WINEPREFIX/drive_c/ProgramData/dalko"
installs() {
    wine "$windows/dalko-$version-setup.exe" /S /AllUsers && wineserver -w
    [ -x "$installed/dalko-calc.exe" ] && [ -f "$templates/dalko-en.rv" ] || return 1
    run_windows "$installed/dalko-calc.exe" --pdf "$work/installed.pdf" "$general" >/dev/null &&
        pdftotext "$work/installed.pdf" - | grep "СМЕТА" >/dev/null
}
check "the installer installs silently and the installed dalko-calc.exe issues an estimate" installs
keeps_edits() {
    echo "<!-- шаблон фирмы -->" >>"$templates/dalko-en.rv"
    wine "$windows/dalko-$version-setup.exe" /S /AllUsers && wineserver -w
    grep -q "шаблон фирмы" "$templates/dalko-en.rv" || return 1
    wine "$installed/uninstall.exe" /S /AllUsers && wineserver -w
    sleep 2 && wineserver -w
    [ ! -e "$installed/dalko-calc.exe" ] && grep -q "шаблон фирмы" "$templates/dalko-en.rv" &&
        [ -s "$(local_appdata)/dalko/journal.sqlite" ]
}
check "a reinstall and the uninstaller keep the firm's template and the journal" keeps_edits

# A visible window's caption, once one matching the pattern is shown (a minute at most).
wait_for_window() {
    for _ in $(seq 60); do
        xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | grep "$1" >/dev/null &&
            return 0
        sleep 1
    done
    return 1
}

# dalko.exe: the splash, then the choice of calculator.
shows_the_choice() {
    # In a subshell of its own, so that ending it is no job of this one's to report.
    (LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 wine "$windows/bin/dalko.exe" >/dev/null 2>&1 &)
    wait_for_window 'энергетического обследования$'
    local shown=$?
    wineserver -k
    return $shown
}
check "dalko.exe shows the choice of calculator after its splash" shows_the_choice

# dalko.exe with a report file: the calculator's first page with the file loaded.
opens_a_report() {
    (LC_ALL=ru_RU.UTF-8 LANG=ru_RU.UTF-8 wine "$windows/bin/dalko.exe" "$general" \
        >/dev/null 2>&1 &)
    # A page's caption ends with a full stop, the choice screen's does not.
    wait_for_window 'энергетического обследования\.$'
    local shown=$?
    sleep 2
    mkdir -p "$windows/artifacts"
    import -display "$display" -window root "$windows/artifacts/dalko-under-wine.png"
    wineserver -k
    return $shown
}
check "dalko.exe opens a report file named on its command line" opens_a_report

echo "windows: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
