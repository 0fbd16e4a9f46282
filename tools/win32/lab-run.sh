#!/bin/bash
# Runs a Windows program under Wine on the PC host of the virtual LAN:
#
#   tools/lab/lab.sh run --config FILE -- tools/win32/lab-run.sh program.exe [arguments...]
#
# The programs run this way broadcast, so it refuses to start anywhere but on a lab host. Wine
# opens sockets in its server process, not in the program: the server of WINEPREFIX must start
# here, inside the lab's network namespace, and end before the lab is torn down. The prefix must
# therefore be one that nothing outside the lab uses.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

namespace=$(ip netns identify $$ 2>/dev/null || true)
if [[ ${QS_LAB:-} != 1 || $namespace != qslab* ]]; then
    echo "lab-run.sh: not on a host of tools/lab/lab.sh; refusing to run a program that broadcasts" >&2
    exit 1
fi
: "${WINEPREFIX:?lab-run.sh: set WINEPREFIX to a prefix used only in the lab}"

stop_server() {
    [[ -d $WINEPREFIX ]] || return 0
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

# A server of this prefix still alive from an earlier, interrupted run would sit outside the lab.
stop_server
status=0
"$here/wine-run.sh" "$@" || status=$?
stop_server
exit "$status"
