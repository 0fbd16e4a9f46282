#!/usr/bin/env bash
# Screenshots of the traffic monitor (lines, circles, both; docked, hidden, back) and of the
# About window, with traffic flowing on an emulated router in the lab.
#
#   tools/tarvo/monitor-screenshots.sh [OUT_DIR] [BUILD_DIR]  (defaults: build/monitor-screenshots, build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath "${2:-$root/build}")
out=${1:-$build/monitor-screenshots}
mkdir -p "$out"
out=$(realpath "$out")
env -u DISPLAY "$root/tools/lab/lab.sh" run --config "$root/tools/tarvo/two_routers.ini" \
    --emulator "$build/bin/qs-router-emulator" -- \
    "$root/tools/tarvo/monitor-lab.sh" "$build/bin" shots "$out"
echo "screenshots in $out:"
ls "$out"
