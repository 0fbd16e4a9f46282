#!/usr/bin/env bash
# Runs as the user installed-tarvo-lab-check.sh starts Tarvo as, as the first process of a PID
# namespace of its own, so that whatever starts here (the display, the session bus, the
# accessibility bus and registry the bus starts on demand, Tarvo) ends with it. Gives Tarvo a
# private Xvfb and session bus with accessibility on, and runs installed-tarvo-save-check.py.
#
#   installed-tarvo-save-session.sh PROGRAM SETTINGS VERSION
set -euo pipefail
here=$(dirname "$(realpath "$0")")
[[ $# -eq 3 ]] || { echo "usage: installed-tarvo-save-session.sh PROGRAM SETTINGS VERSION" >&2; exit 2; }

work=$(mktemp -d "${XDG_RUNTIME_DIR:?}/session.XXXXXX")
xvfb=""
cleanup() {
    if [[ -n $xvfb ]]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# -noreset: the accessibility library reads the bus address from the display and lets go; a
# server that resets when its last client leaves refuses Tarvo in that moment.
Xvfb -displayfd 5 -screen 0 1024x600x24 -nolisten tcp -noreset 5>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 600); do
    [[ -s $work/display ]] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "installed-tarvo-save-session: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

status=0
DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    QT_ACCESSIBILITY=1 dbus-run-session -- \
    /usr/bin/python3 "$here/installed-tarvo-save-check.py" "$@" || status=$?
if [[ $status -ne 0 ]]; then
    kill -0 "$xvfb" 2>/dev/null || echo "installed-tarvo-save-session: Xvfb ended early" >&2
    sed 's/^/xvfb: /' "$work/xvfb.log" >&2
fi
exit "$status"
