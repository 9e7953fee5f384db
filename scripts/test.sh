#!/usr/bin/env bash
# Builds dalko and runs every test: the whole suite, then the unit and page tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers and the benchmarks once, and
# last dalko for Windows under Wine (scripts/windows.sh).
# Prints the time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen

stage_times=()
stage() {
    local name=$1
    shift
    local start=$SECONDS
    echo "=== $name"
    "$@"
    stage_times+=("$(printf '%-28s %4d s' "$name" $((SECONDS - start)))")
    echo "=== $name: $((SECONDS - start)) s"
}
report_times() {
    echo "=== Time per stage"
    printf '%s\n' "${stage_times[@]}"
    echo "=== Whole run: $SECONDS s"
}
trap report_times EXIT

format_check() {
    # The sources keep the project's format (.clang-format).
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
}
build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDALKO_WERROR=ON \
        -DDALKO_BUILD_TESTS=ON -DDALKO_BUILD_BENCH=ON
    cmake --build build -j2
}
sanitized() {
    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDALKO_SANITIZE=ON \
        -DDALKO_WERROR=ON -DDALKO_BUILD_TESTS=ON
    cmake --build build-sanitize -j2 --target dalko_core_tests dalko_gui_tests
    # Qt keeps some allocations until exit on purpose; leaks are not what this run looks for.
    (cd build-sanitize/bin && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        ./dalko_core_tests && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
        ./dalko_gui_tests)
}

stage "packages" scripts/deps.sh test
stage "format" format_check
stage "build" build
stage "tests (ctest -LE slow)" ctest --test-dir build --output-on-failure -j2 -LE slow
stage "slow tests (ctest -L slow)" ctest --test-dir build --output-on-failure -j2 -L slow
stage "sanitizers" sanitized
stage "fuzzers" tests/fuzz/run.sh 60
stage "benchmarks" build/bin/dalko_bench --benchmark_min_time=0.01
# dalko for Windows, cross-built (Qt too, once per machine) and tested under Wine.
stage "windows" scripts/windows.sh
