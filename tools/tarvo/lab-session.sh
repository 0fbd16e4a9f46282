#!/usr/bin/env bash
# Runs inside the lab, on the PC host: gives Tarvo a display (the user's, or a private Xvfb with a
# tray when there is none), a program folder of its own with InitData.ini, and starts it.
#
#   lab-session.sh BIN_DIR INI_IP [-- DRIVER [ARGS...]]
#
# Without DRIVER the program runs until it is ended from its own menus (or Ctrl-C). With DRIVER,
# that command runs once the main window is shown, with TARVO_PID, TARVO_WINDOW, TARVO_SHOWN_MS
# (start to shown window, polled every 0.1 s) and DISPLAY set, and the program is shut down
# afterwards; the exit code is DRIVER's. TARVO_INI_EXTRA is appended to InitData.ini.
set -euo pipefail

bin_dir=$(realpath "${1:?bin dir}")
ini_ip=${2:?router address for InitData.ini}
shift 2
driver=()
if [[ ${1:-} == -- ]]; then
    shift
    driver=("$@")
fi

for tool in xdotool xwininfo xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "lab-session: $tool is not installed" >&2; exit 77; }
done

work=$(mktemp -d "${QS_LAB_DIR:-/tmp}/tarvo.XXXXXX")
pids=()
cleanup() {
    # The program first, the display last, so that no client sees its display vanish.
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The program runs from its own folder, as a portable Windows program does: the library and the
# settings sit beside it.
program_dir=$work/program
mkdir -p "$program_dir"
cp "$bin_dir/Tarvo" "$bin_dir/libQuaystone.so" "$bin_dir/libwinmsg.so" "$program_dir/"
# The program links libwinmsg by its versioned name.
cp "$bin_dir"/libwinmsg.so.[0-9] "$program_dir/"
[[ -d $bin_dir/help ]] && cp -r "$bin_dir/help" "$program_dir/"
printf '[Standard]\r\nIP=%s\r\n%s' "$ini_ip" "${TARVO_INI_EXTRA:-}" >"$program_dir/InitData.ini"

# X clients in another network namespace cannot reach the display's abstract socket, only its
# file socket; a display that answers neither is replaced by a private one.
if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
    command -v Xvfb >/dev/null || { echo "lab-session: no display and no Xvfb" >&2; exit 77; }
    Xvfb -displayfd 5 -screen 0 1024x600x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do
        [[ -s $work/display ]] && break
        sleep 0.05
    done
    [[ -s $work/display ]] || { echo "lab-session: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
    unset XAUTHORITY
    if command -v trayer >/dev/null; then
        trayer --edge top --align right --widthtype request --height 24 --transparent false \
            --tint 0xdddddd >"$work/trayer.log" 2>&1 &
        pids+=($!)
    fi
fi
echo "lab-session: display $DISPLAY, program folder $program_dir" >&2

# The single-instance socket goes to the user's runtime folder: keep this run's apart from any
# other's, and from the user's own Tarvo.
export TMPDIR=$work
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The lab shares the machine's clock and, run as root, its system bus: the program here must
# not be able to set the one or reach logind or timedated on the other.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-system-bus"
started_ns=$(date +%s%N)
setpriv --bounding-set=-sys_time -- "$program_dir/Tarvo" &
tarvo_pid=$!
pids+=("$tarvo_pid")

if [[ ${#driver[@]} -eq 0 ]]; then
    wait "$tarvo_pid"
    exit $?
fi

# Discovery takes up to ten seconds before the window shows; the tray icon (a small window of
# the same class) may come first.
main_window() {
    local w
    for w in $(xdotool search --onlyvisible --classname Tarvo 2>/dev/null); do
        (( $(xwininfo -id "$w" | awk '/Width:/ {print $2}') > 100 )) && { echo "$w"; return; }
    done
    return 0
}
window=""
for _ in $(seq 300); do
    window=$(main_window)
    [[ -n $window ]] && break
    kill -0 "$tarvo_pid" 2>/dev/null || { echo "lab-session: Tarvo ended early" >&2; exit 1; }
    sleep 0.1
done
[[ -n $window ]] || { echo "lab-session: no main window" >&2; exit 1; }
shown_ns=$(date +%s%N)
sleep 0.5 # the first paint

status=0
TARVO_PID=$tarvo_pid TARVO_WINDOW=$window TARVO_SHOWN_MS=$(((shown_ns - started_ns) / 1000000)) \
    "${driver[@]}" || status=$?
exit "$status"
