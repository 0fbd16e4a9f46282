#!/usr/bin/env bash
# Runs inside the lab, on the PC host: a private Xvfb, a program folder of its own holding
# tarvo_monitor_driver (the whole program, driven in-process) with the library and an
# InitData.ini for the router "branch" plus TARVO_INI_EXTRA, then the driver with ARGS.
#
#   monitor-session.sh BIN_DIR DRIVER_ARGS...
set -euo pipefail
bin_dir=$(realpath "${1:?bin dir}")
shift
command -v Xvfb >/dev/null || { echo "monitor-session: no Xvfb" >&2; exit 77; }

work=$(mktemp -d "${QS_LAB_DIR:-/tmp}/tarvo-monitor.XXXXXX")
xvfb=""
cleanup() {
    [[ -n $xvfb ]] && { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

program_dir=$work/program
mkdir -p "$program_dir"
cp "$bin_dir/tarvo_monitor_driver" "$bin_dir/libQuaystone.so" "$bin_dir/libwinmsg.so" "$program_dir/"
printf '[Standard]\r\nIP=10.77.1.2\r\n%s' "${TARVO_INI_EXTRA:-}" >"$program_dir/InitData.ini"

Xvfb -displayfd 5 -screen 0 1024x600x24 -wr -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.05
done
[[ -s $work/display ]] || { echo "monitor-session: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
unset XAUTHORITY
# Single-instance sockets in this run's own folder; no system bus to reach.
export TMPDIR=$work
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-system-bus"
"$program_dir/tarvo_monitor_driver" "$@"
