#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan into build-fuzz and runs
# each for SECONDS (default 60), with inputs up to 64 KB so that whole report files and
# templates fit, and the filler with a dictionary of placeholders and HTML. The committed corpus under tests/fuzz/corpus is only read:
# each run works on a copy. Exits non-zero when a target crashes or breaks a property; the
# input that did it is left in build-fuzz/findings/<target>/.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/../.."
root=$PWD
targets=(numbers reportfile filler)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDALKO_FUZZ=ON -DDALKO_BUILD_TESTS=OFF -DDALKO_BUILD_BENCH=OFF -DDALKO_WERROR=ON >/dev/null
cmake --build build-fuzz -j2 $(printf -- '--target fuzz_%s ' "${targets[@]}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "${targets[@]}"; do
    corpus=$work/$target
    findings=$root/build-fuzz/findings/$target
    mkdir -p "$corpus" "$findings"
    cp "$root/tests/fuzz/corpus/$target/"* "$corpus/"
    # Qt keeps caches (fonts, formats) until exit on purpose; only the core targets look for
    # leaks.
    leaks=1
    [[ $target == filler ]] && leaks=0
    options=(-max_len=65536)
    [[ $target == filler ]] && options+=(-dict="$root/tests/fuzz/filler.dict")
    echo "== fuzz_$target: ${seconds} s"
    if ! ASAN_OPTIONS=detect_leaks=$leaks "$root/build-fuzz/bin/fuzz_$target" "$corpus" \
            "${options[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
            -artifact_prefix="$findings/" 2>"$work/$target.log"; then
        status=1
        tail -n 60 "$work/$target.log"
        echo "fuzz_$target failed; the input is in $findings/" >&2
    else
        grep -E '^stat::(number_of_executed_units|new_units_added)|^Done' "$work/$target.log" || true
    fi
done
exit $status
