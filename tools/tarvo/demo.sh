#!/usr/bin/env bash
# Builds everything and starts Tarvo in the virtual LAN against two emulated routers ("Office"
# 10.77.1.1 and "Branch" 10.77.1.2; InitData.ini selects Branch). On a desktop the window opens
# there; end it with its 終了 button. Without a display it runs on a private Xvfb instead, dials
# and hangs up by itself and leaves screenshots in build/tarvo-screenshots. Each connection
# publishes the IP page to the lab's FTP server (ftp.tarvo.lab, user tarvo, password demo).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cmake -S "$root" -B "$root/build" -G Ninja
ninja -C "$root/build"
if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    ftp_ini=$'[ConnectionStart]\r\nFTP=1\r\nTerehoStartFTP=0\r\nFTPName=tarvo\r\nFTPPassword=456D6F66\r\n'
    ftp_ini+=$'FTPHOST=ftp.tarvo.lab\r\nFTPll=public_html\r\n'
    QS_LAB_FTP_PASSWORD=demo exec "$root/tools/lab/lab.sh" run \
        --config "$root/tools/tarvo/two_routers.ini" \
        --emulator "$root/build/bin/qs-router-emulator" --setup "$root/tools/lab/ftp-setup.sh" -- \
        "$root/tools/lab/pc-hosts.sh" env TARVO_INI_EXTRA="$ftp_ini" \
        "$root/tools/tarvo/lab-session.sh" "$root/build/bin" 10.77.1.2
fi
exec "$root/tools/tarvo/screenshots.sh" "$root/build/tarvo-screenshots" "$root/build"
