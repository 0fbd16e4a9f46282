#!/usr/bin/env bash
# Installs what the tests need, builds every configuration and runs every test:
#   the default build (all tests, the lab's integration tests included),
#   the library under AddressSanitizer + UndefinedBehaviorSanitizer,
#   the library's concurrency tests under ThreadSanitizer,
#   the Windows DLL and its tests under Wine,
#   the Debian package (cpack), its contents, lintian and an install that runs in the lab,
# then prints the benchmarks' figures (never a pass/fail criterion).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
jobs=${QS_JOBS:-$(nproc)}
# A lab that cannot be built must fail the run, not skip its tests.
export QS_LAB_REQUIRE=1

step() { printf '\n==== %s ====\n' "$*"; }

step "packages"
tools/ci/install-deps.sh

step "default build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQS_WERROR=ON -DQS_REQUIRE_WINE=ON
ninja -C build -j "$jobs"

step "sanitizers: address + undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQS_WERROR=ON -DQS_BUILD_APP=OFF \
    -DQS_BUILD_BENCH=OFF -DQS_SANITIZE=address
ninja -C build-asan -j "$jobs"
(cd build-asan && ctest -L 'library|concurrency|fuzz' --output-on-failure -j "$jobs")

step "sanitizers: thread"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQS_WERROR=ON -DQS_BUILD_APP=OFF \
    -DQS_BUILD_BENCH=OFF -DQS_SANITIZE=thread
ninja -C build-tsan -j "$jobs"
(cd build-tsan && ctest -L concurrency --output-on-failure)

if [ -x tools/win32/build-and-test.sh ]; then
    step "Windows DLL under Wine"
    tools/win32/build-and-test.sh
fi

if [ -x tools/bench/run-benchmarks.sh ]; then
    step "benchmarks (figures only)"
    timeout 600 tools/bench/run-benchmarks.sh || echo "benchmarks did not complete (not a test)"
fi

step "Debian package: build, contents, lintian, install and run in the lab"
tools/install/package-check.sh build

step "default build: every test"
(cd build && ctest --output-on-failure -j "$jobs")
