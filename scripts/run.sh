#!/usr/bin/env bash
# Builds dalko and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
# The tests and their tools are the business of scripts/test.sh.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDALKO_BUILD_TESTS=OFF -DDALKO_BUILD_BENCH=OFF
cmake --build build -j2 --target dalko
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "dalko: нет графического дисплея (не заданы DISPLAY и WAYLAND_DISPLAY)." >&2
    echo "Запустите команду в графическом сеансе, например под Xvfb: DISPLAY=:99 scripts/run.sh" >&2
    exit 1
fi
exec build/bin/dalko
