#!/usr/bin/env bash
# Tarvo's running costs in the lab, against two emulated routers:
#   - start-up time to the shown window (goal <= 2.5 s)
#   - resident memory after start-up (goal <= 60 MB)
#   - CPU while idle with the watch timers running (goal <= 0.2 % of a core)
#   - CPU while a dial waits for its completion (goal <= 1 % of a core)
#
#   bench/tarvo/tarvo_bench.sh [BUILD_DIR]    (IDLE_SECONDS=60, DIAL_SECONDS=120 by default)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath "${1:-$root/build}")
export IDLE_SECONDS=${IDLE_SECONDS:-60} DIAL_SECONDS=${DIAL_SECONDS:-120}
export QS_EMULATOR_CTL=$build/bin/qs-emulator-ctl
# Every watch timer armed, as a user with all watches on would have them.
export TARVO_INI_EXTRA=$'[Watch]\r\nWatch=1\r\nWatch2=1\r\nCorvastineWatch=1\r\n'
exec env -u DISPLAY "$root/tools/lab/lab.sh" run --config "$root/tools/tarvo/two_routers.ini" \
    --emulator "$build/bin/qs-router-emulator" -- \
    "$root/tools/tarvo/lab-session.sh" "$build/bin" 10.77.1.2 -- \
    "$root/bench/tarvo/measure.sh"
