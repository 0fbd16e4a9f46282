#!/usr/bin/env bash
# Driver for lab-session.sh: dials the configured router from Tarvo's window, checks that the
# caption becomes the router's global address and that the emulator's line of that router (and
# not the other's) went up, hangs up and checks both come back. Screenshots go to SHOT_DIR when
# it is set: the main window, the dialled state with its message, the tray menu.
#
#   lab-dial-check.sh ROUTER_NAME GLOBAL_ADDRESS OTHER_ROUTER_NAME
set -euo pipefail

router=${1:?} global=${2:?} other=${3:?}
ctl=$(dirname "$(realpath "$0")")/../../build/bin/qs-emulator-ctl
[[ -x ${QS_EMULATOR_CTL:-} ]] && ctl=$QS_EMULATOR_CTL
shots=${SHOT_DIR:-}

fail() {
    echo "lab-dial-check: $*" >&2
    [[ -n $shots ]] && import -window root "$shots/failure.png" 2>/dev/null
    exit 1
}

shot() { [[ -n $shots ]] && import -window "${2:-root}" "$shots/$1.png" || true; }

line_state() { "$ctl" "$QS_LAB_CONTROL" get "$1" port0.state; }

# The widest visible window of the program is the main window; the tray icon is the small one.
windows_by_width() {
    local w
    for w in $(xdotool search --onlyvisible --classname Tarvo 2>/dev/null); do
        echo "$(xwininfo -id "$w" | awk '/Width:/ {print $2}') $w"
    done | sort -n
}
main=$(windows_by_width | tail -n1 | cut -d' ' -f2)
[[ -n $main ]] || fail "no main window"
width=$(xwininfo -id "$main" | awk '/Width:/ {print $2}')

# The buttons share the first row evenly: 連続接続, 接続, 切断, 検索, 終了.
click_button() {
    local x=$(( 6 + (width - 12) * (2 * $1 + 1) / 10 ))
    xdotool mousemove --window "$main" "$x" 36 click 1
}

wait_for() { # seconds, command...
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

caption_is() { [[ $(xdotool getwindowname "$main") == "$1" ]]; }

dismiss_message() {
    local box
    box=$(xdotool search --sync --onlyvisible --name "$1" | head -n1)
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for 5 bash -c "! xdotool search --onlyvisible --name '$1' >/dev/null"
}

initial=$(xdotool getwindowname "$main")
[[ $initial != "$global" ]] || fail "caption shows the address before dialling"
[[ $(line_state "$router") == 3 && $(line_state "$other") == 3 ]] || fail "lines not idle at start"
shot main "$main"

click_button 1 # 接続
wait_for 20 caption_is "$global" || fail "caption did not become $global"
[[ $(line_state "$router") == 5 ]] || fail "$router is not connected"
[[ $(line_state "$other") == 3 ]] || fail "$other was dialled instead"
sleep 0.5
shot connected
dismiss_message 接続情報 || fail "no connect message"

# With the lab's FTP server (tools/lab/ftp-setup.sh) and FTP=1 in InitData.ini, the connection
# publishes the address: the page lands on the server.
if [[ -n ${QS_LAB_FTP_ROOT:-} ]]; then
    page=$QS_LAB_FTP_ROOT/public_html/IPData.html
    wait_for 10 grep -q "^$global<br>" "$page" || fail "no IP page on the FTP server"
    echo "lab-dial-check: the IP page with $global is on the FTP server ($(wc -c <"$page") bytes)"
fi

tray=$(windows_by_width | head -n1 | cut -d' ' -f2)
if [[ -n $tray && $tray != "$main" ]]; then
    xdotool mousemove --window "$tray" 10 10 click 3
    sleep 1
    shot tray-menu
    xdotool key Escape
    sleep 0.3
fi

click_button 2 # 切断
wait_for 20 caption_is "$initial" || fail "caption did not come back after the hang-up"
[[ $(line_state "$router") == 3 ]] || fail "$router is still connected"
dismiss_message 接続情報 || fail "no disconnect message"
shot disconnected "$main"

click_button 4 # 終了
wait_for 10 bash -c "! kill -0 $TARVO_PID 2>/dev/null" || fail "Tarvo did not end"
echo "lab-dial-check: dialled $router, caption $global, hung up, ended"
