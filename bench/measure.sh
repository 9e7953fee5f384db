#!/usr/bin/env bash
# Builds dalko optimised (in build-bench) and measures what a user waits for:
#   - dalko-calc on one general report file, without and with --pdf: wall time and peak
#     memory (/usr/bin/time -v), the median and the worst of several runs;
#   - the start of dalko until its splash is on screen, under Xvfb;
#   - the code paths inside the program (dalko_bench, Google Benchmark).
# Then it prints every figure beside its budget. It fails only when something does not run,
# never because of a time.
#
#   bench/measure.sh [RUNS]     RUNS: runs of each whole-process measurement (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-7}

scripts/deps.sh test
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDALKO_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target dalko dalko-calc dalko_bench
bin=$root/build-bench/bin

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The script's own tools read and write numbers with a decimal point; the program runs with
# the Russian regional settings (a decimal comma), as the firms use. Qt reads them from the
# environment, whether or not the C library has that locale.
export LC_ALL=C
russian=(env LC_ALL=ru_RU.UTF-8)
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# A general report file as the program writes it: Windows-1251, CR LF after every line.
report=$work/general.rvj
{
    printf '%s\r\n' "не задано" "не задано" "не задано" 30000 35 35 15 1000 100
    for _ in 1 2 3 4 5 6 7; do printf '0\r\n'; done
    for _ in 1 2 3 4 5; do printf '0\r\n'; done
    printf '1000\r\n'
} | iconv -f UTF-8 -t CP1251 >"$report"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { sort -g | tail -n 1; }

# Runs dalko-calc RUNS times with the given options; prints "median-wall-s worst-wall-s
# peak-MB" (peak: the largest maximum resident set of the runs).
measure_calc() {
    local walls=$work/walls rss=$work/rss
    : >"$walls"
    : >"$rss"
    for ((i = 0; i < runs; i++)); do
        if ! /usr/bin/time -v -o "$work/time.txt" "${russian[@]}" "$bin/dalko-calc" "$@" "$report" >"$work/calc.out" 2>"$work/calc.err"; then
            echo "dalko-calc $* failed:" >&2
            cat "$work/calc.err" >&2
            exit 1
        fi
        # "Elapsed (wall clock) time (h:mm:ss or m:ss): 0:00.21"
        awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (k = 1; k <= n; k++) s = s * 60 + p[k]; print s }' \
            "$work/time.txt" >>"$walls"
        awk -F': ' '/Maximum resident set size/ { printf "%.1f\n", $2 / 1024 }' "$work/time.txt" >>"$rss"
    done
    echo "$(median <"$walls") $(maximum <"$walls") $(maximum <"$rss")"
}

echo
echo "== dalko-calc, $runs runs each"
read -r calc_wall calc_worst calc_mb < <(measure_calc)
grep -q $'^Label11\t' "$work/calc.out" || { echo "dalko-calc printed no total" >&2; exit 1; }
read -r pdf_wall pdf_worst pdf_mb < <(measure_calc --pdf "$work/estimate.pdf")
[ -s "$work/estimate.pdf" ] || { echo "dalko-calc wrote no PDF" >&2; exit 1; }

# The start: from launching dalko until its splash window is mapped on the X server.
# xdotool is polled in a tight loop (its own --sync waits half a second between looks).
echo "== start of dalko until the splash is shown, $runs runs"
# Xvfb picks a free display and writes its number once it accepts clients; -noreset keeps
# it from resetting (and refusing connections meanwhile) whenever the last client leaves.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
now_ns() { date +%s%N; }
starts=$work/starts
: >"$starts"
for ((i = 0; i < runs; i++)); do
    t0=$(now_ns)
    "${russian[@]}" "$bin/dalko" >/dev/null 2>"$work/dalko.err" &
    dalko_pid=$!
    until xdotool search --onlyvisible --name '^Logo_F$' >/dev/null 2>&1; do
        if ! kill -0 "$dalko_pid" 2>/dev/null; then
            echo "dalko ended before showing its splash:" >&2
            cat "$work/dalko.err" >&2
            exit 1
        fi
        if (($(now_ns) - t0 > 10000000000)); then
            echo "no splash within 10 s" >&2
            kill "$dalko_pid"
            exit 1
        fi
    done
    t1=$(now_ns)
    echo "$(((t1 - t0) / 1000000))" >>"$starts"
    kill "$dalko_pid"
    wait "$dalko_pid" 2>/dev/null || true
done
start_ms=$(median <"$starts")
start_worst=$(maximum <"$starts")
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""
unset DISPLAY

echo "== dalko_bench"
"${russian[@]}" "$bin/dalko_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_color=false | tee "$work/bench.txt"

# The median wall time of a benchmark in microseconds.
bench_us() {
    awk -v name="$1_median" '$1 == name {
        f = ($3 == "ns") ? 0.001 : ($3 == "us") ? 1 : ($3 == "ms") ? 1000 : 1000000
        print $2 * f }' "$work/bench.txt"
}

verdict() { awk -v v="$1" -v b="$2" 'BEGIN { print (v == "") ? "NOT MEASURED" : (v + 0 < b + 0) ? "ok" : "OVER BUDGET" }'; }
row() { printf '  %-56s %10s   %-10s %s\n' "$1" "$2" "$3" "$(verdict "$4" "$5")"; }

keystroke=$(bench_us BM_Keystroke_TProg_F2)
cost_f3=$(bench_us BM_CostRecompute_TProg_F3)
cost_t2=$(bench_us BM_Recalculate_TT_F2)
load=$(bench_us BM_LoadReport)
fill=$(bench_us BM_EstimateFill)
pdf=$(bench_us BM_EstimatePdf)
preview=$(bench_us BM_EstimatePreview)
odt=$(bench_us BM_EstimateOdt)
record=$(bench_us BM_JournalRecord)
journal_open=$(bench_us BM_JournalWindowOpen)
journal_filter=$(bench_us BM_JournalFilter)

echo
echo "== Summary ($(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg))"
printf '  %-56s %10s   %-10s %s\n' "measured" "figure" "budget" ""
row "keystroke on TProg_F2 (handler, labels, norm)" "${keystroke} us" "< 50 us" "$keystroke" 50
row "cost recomputation TProg_F3::FormActivate" "${cost_f3} us" "< 50 us" "$cost_f3" 50
row "cost recomputation TT_F2::Recalculate" "${cost_t2} us" "< 50 us" "$cost_t2" 50
row "report load (readFile + assign)" "${load} us" "< 2000 us" "$load" 2000
row "estimate fill (open + fill)" "$(awk -v v="$fill" 'BEGIN { print v / 1000 }') ms" "< 150 ms" "$fill" 150000
row "estimate fill + PDF render" "$(awk -v v="$pdf" 'BEGIN { print v / 1000 }') ms" "< 150 ms" "$pdf" 150000
row "preview: click until its pages are laid out" "$(awk -v v="$preview" 'BEGIN { print v / 1000 }') ms" "< 200 ms" "$preview" 200000
row "estimate saved as ODT" "$(awk -v v="$odt" 'BEGIN { print v / 1000 }') ms" "< 100 ms" "$odt" 100000
row "recording an estimate in the SQLite journal" "$(awk -v v="$record" 'BEGIN { print v / 1000 }') ms" "< 10 ms" "$record" 10000
row "journal window, first rows of 100,000 records" "$(awk -v v="$journal_open" 'BEGIN { print v / 1000 }') ms" "< 300 ms" "$journal_open" 300000
row "journal filter by customer, 100,000 records" "$(awk -v v="$journal_filter" 'BEGIN { print v / 1000 }') ms" "< 100 ms" "$journal_filter" 100000
row "dalko-calc FILE, wall (median; worst $calc_worst s)" "$calc_wall s" "< 0.5 s" "$calc_wall" 0.5
row "dalko-calc FILE, peak memory" "$calc_mb MB" "< 80 MB" "$calc_mb" 80
row "dalko-calc --pdf FILE, wall (median; worst $pdf_worst s)" "$pdf_wall s" "≤ 0.08 s" "$pdf_wall" 0.08
row "dalko-calc --pdf FILE, peak memory" "$pdf_mb MB" "≤ 32 MB" "$pdf_mb" 32
row "start until splash shown (median; worst $start_worst ms)" "$start_ms ms" "< 500 ms" "$start_ms" 500
