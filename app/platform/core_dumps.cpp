#include "core_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace tarvo {

void DisableCoreDumps() {
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    // Also keeps core handlers that ignore the limit (systemd-coredump, apport) away.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace tarvo
