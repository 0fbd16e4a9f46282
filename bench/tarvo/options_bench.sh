#!/usr/bin/env bash
# Time from the menu entry to the shown options dialog, with 32 emulated routers answering at
# once in the discovery list (goal <= 150 ms median).
#
#   bench/tarvo/options_bench.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath "${1:-$root/build}")
config=$(mktemp --suffix=.ini)
trap 'rm -f "$config"' EXIT
{
    printf '[lab]\npc_address = 10.77.0.2/16\n'
    for i in $(seq 1 32); do
        printf '[router r%d]\naddress = 10.77.2.%d\nmask = 255.255.0.0\nmodel = 0x23090\n' "$i" "$i"
        printf 'name = R%d\nport0.state = 3\nport0.site_names = ISP-%d,Backup\n' "$i" "$i"
        printf 'port0.site_registered = 1,1,0,0\n'
    done
} >"$config"
exec env -u DISPLAY "$root/tools/lab/lab.sh" run --config "$config" \
    --emulator "$build/bin/qs-router-emulator" -- \
    "$root/tools/tarvo/lab-in-program-folder.sh" "$build/bin" "$build/bin/tarvo_options_bench" \
    10.77.2.32
