#!/usr/bin/env bash
# Saves screenshots of Tarvo in the lab against two emulated routers: the main window, the
# dialled state with its message, the tray menu, and the window after the hang-up. They come
# from the lab test that dials and hangs up through the program's own widgets. The dial
# publishes the IP page to the lab's FTP server, and the test finds it there.
#
#   tools/tarvo/screenshots.sh [OUT_DIR] [BUILD_DIR]     (defaults: build/tarvo-screenshots, build)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath "${2:-$root/build}")
out=${1:-$build/tarvo-screenshots}
mkdir -p "$out"
out=$(realpath "$out")
# Always a private display, so that the pictures do not depend on the user's desktop.
# The connection also publishes the IP page to the lab's FTP server (user tarvo, password "demo",
# stored in its encoded form).
ftp_ini=$'[ConnectionStart]\r\nFTP=1\r\nTerehoStartFTP=0\r\nFTPName=tarvo\r\nFTPPassword=456D6F66\r\n'
ftp_ini+=$'FTPHOST=ftp.tarvo.lab\r\nFTPll=public_html\r\n'
env -u DISPLAY QS_LAB_FTP_PASSWORD=demo "$root/tools/lab/lab.sh" run \
    --config "$root/tools/tarvo/two_routers.ini" \
    --emulator "$build/bin/qs-router-emulator" --setup "$root/tools/lab/ftp-setup.sh" -- \
    "$root/tools/lab/pc-hosts.sh" \
    env SHOT_DIR="$out" TARVO_INI_EXTRA="$ftp_ini" setpriv --bounding-set=-sys_time -- \
    "$root/tools/tarvo/lab-display.sh" "$build/bin/tarvo_lab_test" \
    --gtest_filter=TarvoLabTest.DialsTheConfiguredRouterOfTwoAndHangsUp
echo "screenshots in $out:"
ls "$out"
