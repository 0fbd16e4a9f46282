#!/usr/bin/env bash
# The IP page upload's figures against the lab's FTP server: request to page stored, and the
# longest stall of the user-interface thread meanwhile, for plain FTP and FTPS.
#
#   bench/tarvo/ftp_bench.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(realpath "${1:-$root/build}")
exec "$root/tools/lab/lab.sh" run --config "$root/tools/tarvo/two_routers.ini" \
    --emulator "$build/bin/qs-router-emulator" --setup "$root/tools/lab/ftp-setup.sh" -- \
    "$root/tools/lab/pc-hosts.sh" "$build/bin/ftp_upload_bench" "${2:-20}"
