// What a loaded DLL's own headers say about it: machine, exports and the DLLs it imports from.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qs::wine {

struct DllImage {
    WORD machine = 0;
    bool isDll = false;
    std::vector<std::string> exportNames;
    size_t exportedEntries = 0; // named or not
    // Lower-cased, as Windows compares DLL names without regard to case.
    std::vector<std::string> imports;
    std::vector<std::string> delayImports;
};

DllImage inspect(HMODULE module);

// The cell of the module's import address table through which it calls function of dll (both
// matched without regard to case), or null. Replacing its content redirects the module's calls.
FARPROC *importSlot(HMODULE module, const char *dll, const char *function);

} // namespace qs::wine
