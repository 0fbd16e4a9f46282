#!/usr/bin/env bash
# Runs inside the lab: Tarvo with two registered programs (slot 1 a window, slot 3 windowless,
# one second apart, closed at the hang-up), driven through accessibility on a private session
# bus: a dial starts them in order, the hang-up asks them to close, and so does the end of Tarvo
# after a second dial. With the lab's FTP server the dial also publishes the IP page there.
#
#   lab-programs.sh BIN_DIR
set -euo pipefail
here=$(dirname "$(realpath "$0")")
bin_dir=$(realpath "${1:?bin dir}")

command -v dbus-run-session >/dev/null || { echo "lab-programs: no dbus-run-session" >&2; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "lab-programs: no pyatspi" >&2; exit 77; }

# Short: the settings file keeps at most 79 bytes of a value.
records=$(mktemp -d /tmp/tarvo-p.XXXXXX)
trap 'rm -rf "$records"' EXIT
probe=$bin_dir/tarvo_program_probe
export TARVO_INI_EXTRA="[ConnectionStart]"$'\r\n'"Start=1"$'\r\n'"End=1"$'\r\n'"Time=1"$'\r\n'\
"CStartDirData1=1"$'\r\n'"StartDirData1=$probe"$'\r\n'"StartOptData1=window $records/slot1"$'\r\n'\
"CStartDirData3=1"$'\r\n'"StartDirData3=$probe"$'\r\n'"StartOptData3=quiet $records/slot3"$'\r\n'
# With the lab's FTP server (ftp-setup.sh, password "demo", stored encoded) the same connection
# publishes the IP page.
page=""
if [[ -n ${QS_LAB_FTP_ROOT:-} ]]; then
    TARVO_INI_EXTRA+="FTP=1"$'\r\n'"TerehoStartFTP=0"$'\r\n'"FTPName=tarvo"$'\r\n'\
"FTPPassword=456D6F66"$'\r\n'"FTPHOST=ftp.tarvo.lab"$'\r\n'"FTPll=public_html"$'\r\n'
    page=$QS_LAB_FTP_ROOT/public_html/IPData.html
fi

# A session bus of the run's own: the accessibility bus is started on it when Tarvo asks. Not
# exec'd, so that the records are removed afterwards.
dbus-run-session -- env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
    "$here/lab-session.sh" "$bin_dir" 10.77.1.2 -- \
    /usr/bin/python3 "$here/lab-programs-check.py" "$records/slot1" "$records/slot3" $page
