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

} // namespace qs::wine
