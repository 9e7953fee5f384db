#!/usr/bin/env bash
# Prints both estimates through a real print server: a private cupsd of the test's own with a
# default printer that writes each job to a PDF file, read back with pdftotext.
# Usage: print_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: a private cupsd needs root here; run the tests as root to print for real."
    exit 77
fi
for tool in cupsd lpadmin lpstat pdftotext; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/dalko-print.XXXXXX)
cupsd_pid=""
cleanup() {
    [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work"/{spool/tmp,cache,state,log,ppd,ssl}
socket="$work/cups.sock"
cat >"$work/cupsd.conf" <<CONF
Listen $socket
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$work/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $work
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
ServerKeychain $work/ssl
SystemGroup root
CONF

cupsd -f -c "$work/cupsd.conf" -s "$work/cups-files.conf" &
cupsd_pid=$!
export CUPS_SERVER="$socket"
for _ in $(seq 50); do
    [ -S "$socket" ] && lpstat -r >/dev/null 2>&1 && break
    sleep 0.2
done
lpstat -r >/dev/null || { echo "cupsd did not start" >&2; cat "$work/log/error_log" >&2 || true; exit 1; }

job="$work/job.pdf"
lpadmin -p dalko-test -E -v "file://$job" -m lsb/usr/cupsfilters/Generic-PDF_Printer-PDF.ppd
lpadmin -d dalko-test

export QT_QPA_PLATFORM=offscreen DALKO_PRINT_JOB="$job"
status=0
"$build/bin/dalko_gui_tests" --gtest_filter='PrintEndToEnd.*' || status=$?
[ $status -ne 0 ] && cat "$work/log/error_log" >&2 2>/dev/null
exit $status
