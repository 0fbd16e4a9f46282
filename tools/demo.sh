#!/usr/bin/env bash
# The newcomer's first command: installs what is needed, builds, and shows the system at work
# against emulated routers on the virtual LAN (network namespaces; nothing leaves this machine).
#
#   tools/demo.sh         Tarvo on your display, or on Xvfb with screenshots when there is none
#   tools/demo.sh --cli   the command-line client's tour instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "$(id -u)" -ne 0 ]; then
    echo "demo.sh: run as root (it installs packages and builds network namespaces)" >&2
    exit 1
fi

tools/ci/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C build

if [ "${1:-}" = "--cli" ]; then
    exec tools/lab/lab.sh run --config tools/lab/demo.ini -- build/bin/quaystone-cli demo
fi
exec tools/tarvo/demo.sh
