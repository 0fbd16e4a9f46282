#include "dll_image.h"

#include <algorithm>
#include <cctype>

namespace qs::wine {

namespace {

std::string lower(const char *s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

const IMAGE_DATA_DIRECTORY &directory(HMODULE module, int entry) {
    const auto *base = reinterpret_cast<const BYTE *>(module);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(base + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[entry];
}

} // namespace

DllImage inspect(HMODULE module) {
    // A loaded image is laid out by relative virtual address, so every RVA is an offset from
    // the module's base.
    const auto *base = reinterpret_cast<const BYTE *>(module);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(base + dos->e_lfanew);
    DllImage image;
    image.machine = nt->FileHeader.Machine;
    image.isDll = (nt->FileHeader.Characteristics & IMAGE_FILE_DLL) != 0;
    const auto *dirs = nt->OptionalHeader.DataDirectory;

    const auto &exp = dirs[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exp.VirtualAddress) {
        const auto *ed =
            reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + exp.VirtualAddress);
        const auto *names = reinterpret_cast<const DWORD *>(base + ed->AddressOfNames);
        for (DWORD i = 0; i < ed->NumberOfNames; ++i)
            image.exportNames.emplace_back(reinterpret_cast<const char *>(base + names[i]));
        // Entries exported by ordinal alone have no name but are exports all the same.
        const auto *entries = reinterpret_cast<const DWORD *>(base + ed->AddressOfFunctions);
        for (DWORD i = 0; i < ed->NumberOfFunctions; ++i)
            if (entries[i] != 0) ++image.exportedEntries;
    }

    const auto &imp = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imp.VirtualAddress) {
        for (const auto *d =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imp.VirtualAddress);
             d->Name != 0; ++d)
            image.imports.push_back(lower(reinterpret_cast<const char *>(base + d->Name)));
    }

    const auto &delay = dirs[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
    if (delay.VirtualAddress) {
        for (const auto *d =
                 reinterpret_cast<const IMAGE_DELAYLOAD_DESCRIPTOR *>(base + delay.VirtualAddress);
             d->DllNameRVA != 0; ++d)
            image.delayImports.push_back(
                lower(reinterpret_cast<const char *>(base + d->DllNameRVA)));
    }
    return image;
}

FARPROC *importSlot(HMODULE module, const char *dll, const char *function) {
    auto *base = reinterpret_cast<BYTE *>(module);
    const auto &imp = directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    if (!imp.VirtualAddress) return nullptr;
    for (auto *d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imp.VirtualAddress);
         d->Name != 0; ++d) {
        if (lower(reinterpret_cast<const char *>(base + d->Name)) != lower(dll)) continue;
        // The lookup table keeps the names; the address table beside it, the bound addresses.
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA32 *>(base + d->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA32 *>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal)) continue;
            const auto *byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (lower(reinterpret_cast<const char *>(byName->Name)) == lower(function))
                return reinterpret_cast<FARPROC *>(&slots->u1.Function);
        }
    }
    return nullptr;
}

} // namespace qs::wine
