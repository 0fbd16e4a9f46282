#!/usr/bin/env bash
# Prints the library's figures against 64 emulated routers on the virtual LAN, then the IP page
# upload's against the lab's FTP server.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
config=$(mktemp --suffix=.ini)
trap 'rm -f "$config"' EXIT
{
    printf '[lab]\npc_address = 10.77.0.2/16\n'
    for i in $(seq 1 64); do
        printf '[router r%d]\naddress = 10.77.2.%d\nmodel = 0x23090\nkey_id = 1\nport0.state = 3\n' "$i" "$i"
    done
} > "$config"
"$root/tools/lab/lab.sh" run --config "$config" --emulator "$build/bin/qs-router-emulator" \
    -- "$build/bin/quaystone_bench" 3
# The program's user-interface thread while registered programs start and close (no network).
if [ -x "$build/bin/tarvo_launch_stall_bench" ]; then
    "$build/bin/tarvo_launch_stall_bench" "$build/bin/tarvo_program_probe" 20
fi
# The IP page upload against the lab's FTP server.
if [[ -x $build/bin/ftp_upload_bench ]]; then
    "$root/bench/tarvo/ftp_bench.sh" "$build" || echo "ftp upload bench did not complete"
fi

# The traffic monitor: one tick, and the program's CPU and memory with it shown.
if [[ -x $build/bin/monitor_tick_bench && -x $build/bin/tarvo_monitor_driver ]]; then
    "$root/bench/tarvo/monitor_bench.sh" "$build" || echo "monitor bench did not complete"
fi
