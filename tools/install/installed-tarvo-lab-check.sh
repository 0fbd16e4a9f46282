#!/usr/bin/env bash
# Runs inside the lab (tools/lab/lab.sh with tools/tarvo/two_routers.ini), on the PC host: starts
# an installed Tarvo from PROGRAM_DIR the way a user would, as an ordinary user (nobody) who
# cannot write the program's folder, on Qt's offscreen platform, and checks that
#   1. it finds its library (discovery reaches the routers) and makes ~/.config/Tarvo with mode
#      0700, writing nothing beside the program;
#   2. a second run reads InitData.ini from there (it dials the router the file names, not the
#      other one, at the scheduled minute) and writes its connection log there;
#   3. run by root, who could write the program's folder, it still uses ~/.config/Tarvo;
#   4. given VERSION, on a display of its own with accessibility on, the user's OK in its options
#      dialog saves the settings to ~/.config/Tarvo/InitData.ini, with that version as `Ver`
#      (needs Xvfb, dbus-run-session, at-spi2-core and python3-pyatspi).
#
# The first run starts the program itself, the others through LAUNCHER (the `tarvo` link on the
# PATH) when given.
#
#   installed-tarvo-lab-check.sh PROGRAM_DIR EMULATOR_CTL [LAUNCHER [VERSION]]
set -euo pipefail

program_dir=$(realpath "${1:?program folder}")
ctl=${2:?qs-emulator-ctl}
launcher=${3:-$program_dir/Tarvo}
version=${4:-}
here=$(dirname "$(realpath "$0")")
[[ -n ${QS_LAB_CONTROL:-} ]] || { echo "installed-tarvo-lab-check: run it inside the lab" >&2; exit 2; }
if [[ $(id -u) -ne 0 ]]; then
    echo "installed-tarvo-lab-check: skipped: running as another user needs root" >&2
    exit 77
fi
user=65534

fail() {
    echo "installed-tarvo-lab-check: $*" >&2
    [[ -f ${run_log:-/nonexistent} ]] && sed 's/^/  tarvo: /' "$run_log" >&2
    exit 1
}

work=$(mktemp -d /tmp/tarvo-installed.XXXXXX) # /tmp: the user it runs as must reach it
chmod 755 "$work"
tarvo_pid=""
stop_tarvo() {
    if [[ -n $tarvo_pid ]]; then
        kill "$tarvo_pid" 2>/dev/null || true
        wait "$tarvo_pid" 2>/dev/null || true
        tarvo_pid=""
    fi
}
session_pid=""
stop_session() { # the namespace's processes end with its first one, which unshare kills with it
    if [[ -n $session_pid ]]; then
        kill -KILL "$session_pid" 2>/dev/null || true
        wait "$session_pid" 2>/dev/null || true
        session_pid=""
    fi
}
trap 'stop_tarvo; stop_session; rm -rf "$work"' EXIT

home=$work/home
mkdir -p "$home/run"
chmod 700 "$home/run"
chown -R "$user:$user" "$home"
run_log=$work/tarvo.log
before=$(cd "$program_dir" && find . | sort)

start_tarvo() { # PROGRAM [USER [HOME]]
    local as=${2:-$user} home_dir=${3:-$home}
    # The user's own environment only: no display, no session or system bus of root's.
    env -i PATH=/usr/bin:/bin HOME="$home_dir" XDG_RUNTIME_DIR="$home_dir/run" LANG=C.UTF-8 \
        QT_QPA_PLATFORM=offscreen DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-bus" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        setpriv --reuid="$as" --regid="$as" --clear-groups -- "$1" >>"$run_log" 2>&1 &
    tarvo_pid=$!
}

wait_for() { # seconds, command...
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        "$@" && return 0
        kill -0 "$tarvo_pid" 2>/dev/null || fail "Tarvo ended early"
        sleep 0.1
    done
    return 1
}

searched() { "$ctl" "$QS_LAB_CONTROL" log branch | grep -q " bcast "; }
state_of() { "$ctl" "$QS_LAB_CONTROL" get "$1" port0.state; }
config=$home/.config/Tarvo

# 1. First start: no settings anywhere.
"$ctl" --wait 5 "$QS_LAB_CONTROL" clear_log >/dev/null
start_tarvo "$program_dir/Tarvo"
wait_for 20 searched || fail "no discovery from the installed Tarvo: it did not load its library"
[[ -d $config ]] || fail "$config was not made"
[[ $(stat -c '%a %u' "$config") == "700 $user" ]] ||
    fail "$config has mode and owner $(stat -c '%a %u' "$config"), not 700 $user"
stop_tarvo

# 2. Settings in the configuration folder: the schedule dials the router they name this minute.
(( 10#$(date +%S) < 45 )) || sleep $((61 - 10#$(date +%S)))
printf '[Standard]\r\nIP=10.77.1.2\r\nAutoStart=1\r\nStartTime=%s\r\nEndTime=%s\r\n[Other]\r\nLOG=1\r\nHyouzi=1\r\n' \
    "$(date +%H%M)" "$(date -d '+30 minutes' +%H%M)" >"$config/InitData.ini"
chown "$user:$user" "$config/InitData.ini"
start_tarvo "$launcher"
dialled() { [[ $(state_of branch) == 5 ]]; }
wait_for 40 dialled || fail "the router named in $config/InitData.ini was not dialled"
logged() { grep -q '/198\.51\.100\.22' "$config/Tarvo.log" 2>/dev/null; }
wait_for 10 logged || fail "no connection log in $config"
[[ $(state_of office) == 3 ]] || fail "the other router's line changed"
stop_tarvo

# 3. Root can write the program's folder, yet an installed copy keeps its files out of it.
root_home=$work/root-home
mkdir -p "$root_home/run"
chmod 700 "$root_home/run"
"$ctl" "$QS_LAB_CONTROL" clear_log >/dev/null
start_tarvo "$launcher" 0 "$root_home"
wait_for 20 searched || fail "no discovery from the installed Tarvo run by root"
[[ -d $root_home/.config/Tarvo ]] || fail "root's installed Tarvo did not choose ~/.config/Tarvo"
stop_tarvo

# 4. Saved by the user: File → Option, OK, through accessibility on a display and session bus of
# the user's own, all in a PID namespace that takes them along when it ends.
if [[ -n $version ]]; then
    for tool in Xvfb dbus-run-session unshare; do
        command -v "$tool" >/dev/null || fail "$tool is not installed"
    done
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is not installed"
    printf '[Standard]\r\nIP=10.77.1.2\r\n[Other]\r\nHyouzi=0\r\n' >"$config/InitData.ini"
    chown "$user:$user" "$config/InitData.ini"
    unshare --pid --fork --kill-child --mount-proc -- \
        setpriv --reuid="$user" --regid="$user" --clear-groups -- \
        env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" LANG=C.UTF-8 \
        DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no-bus" \
        "$here/installed-tarvo-save-session.sh" "$launcher" "$config/InitData.ini" "$version" \
        >>"$run_log" 2>&1 &
    session_pid=$!
    status=0
    wait "$session_pid" || status=$?
    session_pid=""
    [[ $status -eq 0 ]] || fail "the settings were not saved through the options dialog"
    grep -h '^installed-tarvo-save-check:' "$run_log"
    [[ $(stat -c '%a %u' "$config") == "700 $user" ]] ||
        fail "$config has mode and owner $(stat -c '%a %u' "$config") after the save"
fi

after=$(cd "$program_dir" && find . | sort)
[[ $before == "$after" ]] || fail "files appeared in the program's folder: $(diff <(echo "$before") <(echo "$after") | grep '^>' | tr '\n' ' ')"
echo "installed-tarvo-lab-check: the installed Tarvo found its library and kept its files in $config"
