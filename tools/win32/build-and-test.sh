#!/bin/bash
# Builds Quaystone.dll and its Windows test programs with mingw-w64 (into build-win32/), checks the
# DLL file natively (exports, imports, machine, calling convention: these need no Wine), then runs
# the tests under Wine: the library's unit tests, the ABI test and the lab test.
#
#   tools/win32/build-and-test.sh [ctest arguments...]
#
# Environment: QS_WIN32_BUILD_DIR (default build-win32), QS_NATIVE_BUILD_DIR (default build: the
# configured native tree whose router emulator the lab test uses; its emulator is brought up to
# date here). Packages: g++-mingw-w64-i686, googletest, wine, wine32 (i386). Missing ones fail.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${QS_WIN32_BUILD_DIR:-$root/build-win32}
native=${QS_NATIVE_BUILD_DIR:-$root/build}

if [[ ! -f $native/CMakeCache.txt ]]; then
    echo "build-and-test.sh: no native build in $native; the lab test needs its router emulator." >&2
    echo "  Configure it first: cmake -S . -B build -G Ninja -DQS_BUILD_APP=OFF" >&2
    exit 1
fi

cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQS_WERROR=ON -DQS_REQUIRE_WINE=ON -DQS_NATIVE_BUILD_DIR="$native"
cmake --build "$build"
cmake --build "$native" --target qs-router-emulator qs-emulator-ctl dll_file_tests

status=0
# Read, not run: these hold even where the kernel cannot execute Wine's 32-bit loader.
QS_WIN32_DLL="$build/bin/Quaystone.dll" \
    ctest --test-dir "$native" -R '^dll_file\.' --no-tests=error --output-on-failure || status=$?
ctest --test-dir "$build" --output-on-failure -j 2 "$@" || status=$?

# Wine's server lingers a few seconds after its last program; leave nothing running.
WINEPREFIX="$build/wine/prefix" wineserver -w 2>/dev/null || true
exit "$status"
