#!/usr/bin/env bash
# Lists the files and links under a folder as expected-files.sh prints them.
#
#   list-files.sh FOLDER
set -euo pipefail
cd "${1:?folder}"
find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort | while read -r path; do
    if [[ -L $path ]]; then
        echo "$path -> $(readlink "$path")"
    else
        echo "$path"
    fi
done | sed -E 's/QuaystoneTargets-[a-z]+\.cmake/QuaystoneTargets-CONFIG.cmake/' | LC_ALL=C sort
