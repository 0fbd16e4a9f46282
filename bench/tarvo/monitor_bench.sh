#!/usr/bin/env bash
# Tarvo's running costs with the traffic monitor shown, in the lab, on a line with traffic:
#   - CPU over MONITOR_SECONDS (default 60; goal <= 0.5 % of a core)
#   - resident memory (goal <= 50 MB)
# and one monitor tick on a 400 x 100 pixel window (goal: median <= 1 ms at 80 points, <= 5 ms
# at 9999).
#
#   bench/tarvo/monitor_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath "${1:-$root/build}")
"$build/bin/monitor_tick_bench"
env -u DISPLAY "$root/tools/lab/lab.sh" run --config "$root/tools/tarvo/two_routers.ini" \
    --emulator "$build/bin/qs-router-emulator" -- \
    "$root/tools/tarvo/monitor-lab.sh" "$build/bin" bench "${MONITOR_SECONDS:-60}"
