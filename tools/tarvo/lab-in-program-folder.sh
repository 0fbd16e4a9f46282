#!/usr/bin/env bash
# Runs inside the lab, on the PC host: copies a program that links Tarvo (the program itself or
# an in-process test of it) into a program folder of its own, beside the library and an
# InitData.ini naming INI_IP, and runs it there on a private Xvfb.
#
#   lab-in-program-folder.sh BIN_DIR PROGRAM INI_IP [ARGS...]
set -euo pipefail

bin_dir=$(realpath "${1:?bin dir}")
program=$(realpath "${2:?program}")
ini_ip=${3:?router address for InitData.ini}
shift 3

command -v Xvfb >/dev/null || { echo "lab-in-program-folder: no Xvfb" >&2; exit 77; }

work=$(mktemp -d "${QS_LAB_DIR:-/tmp}/tarvo-folder.XXXXXX")
xvfb_pid=""
cleanup() {
    [[ -n $xvfb_pid ]] && { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

program_dir=$work/program
mkdir -p "$program_dir"
cp "$program" "$bin_dir/libQuaystone.so" "$bin_dir/libwinmsg.so" "$program_dir/"
printf '[Standard]\r\nIP=%s\r\n' "$ini_ip" >"$program_dir/InitData.ini"

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.05
done
[[ -s $work/display ]] || { echo "lab-in-program-folder: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb TMPDIR=$work
unset XAUTHORITY
# The lab shares the machine's system bus: the program here must not reach logind or timedated.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-system-bus"
status=0
"$program_dir/$(basename "$program")" "$@" || status=$?
exit "$status"
