#!/usr/bin/env bash
# Builds dalko and runs every test: the whole suite, then the unit and page tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
export QT_QPA_PLATFORM=offscreen

# The sources keep the project's format (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDALKO_WERROR=ON \
    -DDALKO_BUILD_TESTS=ON -DDALKO_BUILD_BENCH=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDALKO_SANITIZE=ON -DDALKO_WERROR=ON \
    -DDALKO_BUILD_TESTS=ON
cmake --build build-sanitize -j2 --target dalko_core_tests dalko_gui_tests
# Qt keeps some allocations until exit on purpose; leaks are not what this run looks for.
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
(cd build-sanitize/bin && ./dalko_core_tests && ./dalko_gui_tests)

# Further stages (fuzzing, benchmarks, the package) follow here.
tests/fuzz/run.sh 60
build/bin/dalko_bench --benchmark_min_time=0.01
