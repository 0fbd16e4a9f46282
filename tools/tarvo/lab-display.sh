#!/usr/bin/env bash
# Runs COMMAND on a private Xvfb (with a tray when trayer is installed), for the in-process lab
# tests of Tarvo's windows. Run inside the lab: the display lives in the lab's namespace and goes
# away with COMMAND.
#
#   lab-display.sh COMMAND [ARGS...]
set -euo pipefail
[[ $# -gt 0 ]] || { echo "usage: lab-display.sh COMMAND [ARGS...]" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "lab-display: Xvfb is not installed" >&2; exit 77; }

work=$(mktemp -d "${QS_LAB_DIR:-/tmp}/display.XXXXXX")
pids=()
cleanup() {
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 5 -screen 0 1024x600x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.05
done
[[ -s $work/display ]] || { echo "lab-display: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset XAUTHORITY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype request --height 24 --transparent false \
        --tint 0xdddddd >"$work/trayer.log" 2>&1 &
    pids+=($!)
    sleep 0.3
fi
status=0
"$@" || status=$?
exit "$status"
