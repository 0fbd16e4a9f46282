#!/usr/bin/env bash
# Driver for lab.sh (on the PC host, QS_LAB_CONTROL set): puts the line of "branch" up with its
# counters growing, varies its rates while the program runs, and runs monitor-session.sh for
#   shots OUT_DIR   the monitor in its three graph types, docked and hidden, and the About window
#   bench SECONDS   CPU and memory with the monitor shown
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin_dir=${1:?bin dir}
mode=${2:?mode}
ctl() { "$bin_dir/qs-emulator-ctl" "$QS_LAB_CONTROL" "$@" >/dev/null; }
ctl set branch port0.state 5

vary() {
    # Traffic that rises and falls, so that the graph has something to show.
    local i=0
    while true; do
        ctl set branch port0.bytes_received_rate $(((i * 2731) % 9000 + 1500))
        ctl set branch port0.bytes_sent_rate $(((i * 1613) % 3000 + 300))
        i=$((i + 1))
        sleep 0.7
    done
}

case $mode in
shots)
    out=${3:?out dir}
    vary &
    varier=$!
    trap 'kill $varier 2>/dev/null || true' EXIT
    place=$'MonitorPoint1=1500\r\nMonitorPoint2=900\r\nMonitorPoint3=6000\r\nMonitorPoint4=1500\r\n'
    for type in 1 2 3; do
        extra=$'[Other]\r\n'$place
        for t in 1 2 3; do
            extra+="MonitorType$t=$([[ $t == "$type" ]] && echo -1 || echo 0)"$'\r\n'
        done
        TARVO_INI_EXTRA=$extra "$here/monitor-session.sh" "$bin_dir" shots "$out" \
            "monitor-type$type"
    done
    TARVO_INI_EXTRA=$'[Other]\r\nMonitorKakushi=1\r\nMonitorPoint1=3000\r\nMonitorPoint2=0\r\n' \
        "$here/monitor-session.sh" "$bin_dir" hide "$out"
    TARVO_INI_EXTRA=$'[Watch]\r\nAboutWatch=1\r\nAboutWatchTime=1\r\n' \
        "$here/monitor-session.sh" "$bin_dir" about "$out"
    ;;
bench)
    "$here/monitor-session.sh" "$bin_dir" bench "${3:-60}"
    ;;
*)
    echo "monitor-lab: unknown mode $mode" >&2
    exit 2
    ;;
esac
