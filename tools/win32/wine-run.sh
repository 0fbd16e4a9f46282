#!/bin/bash
# Runs one Windows program under Wine in the prefix named by WINEPREFIX, creating the prefix on
# first use. Prints Wine's own chatter only when WINEDEBUG asks for it; exits with the program's
# exit code.
#
#   WINEPREFIX=/path/to/prefix tools/win32/wine-run.sh program.exe [arguments...]
set -euo pipefail

if [[ -z "${WINEPREFIX:-}" ]]; then
    echo "wine-run.sh: set WINEPREFIX to a private prefix (never the user's own ~/.wine)" >&2
    exit 2
fi
if ! command -v wine >/dev/null; then
    echo "wine-run.sh: Wine is not installed (apt-get install wine wine32)" >&2
    exit 1
fi

# Wine runs 32-bit Windows programs through its 32-bit x86 loader. A kernel built without IA-32
# emulation cannot execute that loader at all: nothing can be tested there, which is a skip (77),
# not a failure. Any other start-up failure of Wine still fails below.
probe=$(wine --version 2>&1) && probe_status=0 || probe_status=$?
if [[ $probe_status -eq 126 && $probe == *"Exec format error"* ]]; then
    echo "wine-run.sh: skipped: this kernel cannot execute 32-bit x86 programs, so Wine cannot run" >&2
    exit 77
fi

export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts, no desktop menu entries written into $HOME, and a crashing
# program ends with an exit code instead of waiting in the debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winedbg.exe=d"

# Creating a prefix takes a while and must happen once, even when tests start side by side; a
# prefix whose creation was cut short has no marker and is made again.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [[ ! -e "$WINEPREFIX/.quaystone-ready" ]]; then
        rm -rf "$WINEPREFIX"
        wineboot --init </dev/null >/dev/null 2>&1
        # The registry is written out when the server ends; wait for that before using it.
        wineserver --wait
        touch "$WINEPREFIX/.quaystone-ready"
    fi
) 9>"$WINEPREFIX.lock"

exec wine "$@" </dev/null
