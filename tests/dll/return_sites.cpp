#include "return_sites.h"

#include <algorithm>
#include <array>

namespace qs::pe {

namespace {

// The filler GNU as emits for .p2align in 32-bit code: single-instruction no-ops that do nothing
// but take up their length.
struct Filler {
    std::array<std::uint8_t, 10> bytes;
    std::size_t length;
};

constexpr Filler kFillers[] = {
    {{0x90}, 1},                                                        // nop
    {{0x66, 0x90}, 2},                                                  // xchg %ax,%ax
    {{0x89, 0xF6}, 2},                                                  // mov %esi,%esi
    {{0x8D, 0x76, 0x00}, 3},                                            // lea 0(%esi),%esi
    {{0x8D, 0x74, 0x26, 0x00}, 4},                                      // lea 0(%esi,%eiz),%esi
    {{0x8D, 0xB6, 0x00, 0x00, 0x00, 0x00}, 6},                          // lea 0L(%esi),%esi
    {{0x8D, 0xB4, 0x26, 0x00, 0x00, 0x00, 0x00}, 7},                    // lea 0L(%esi,%eiz),%esi
    {{0x8D, 0xBC, 0x27, 0x00, 0x00, 0x00, 0x00}, 7},                    // lea 0L(%edi,%eiz),%edi
    {{0x2E, 0x8D, 0xB4, 0x26, 0x00, 0x00, 0x00, 0x00}, 8},              // cs lea 0L(%esi,%eiz),%esi
    {{0x0F, 0x1F, 0x00}, 3},                                            // nopl (%eax)
    {{0x0F, 0x1F, 0x40, 0x00}, 4},                                      // nopl 0(%eax)
    {{0x0F, 0x1F, 0x44, 0x00, 0x00}, 5},                                // nopl 0(%eax,%eax)
    {{0x66, 0x0F, 0x1F, 0x44, 0x00, 0x00}, 6},                          // nopw 0(%eax,%eax)
    {{0x0F, 0x1F, 0x80, 0x00, 0x00, 0x00, 0x00}, 7},                    // nopl 0L(%eax)
    {{0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00}, 8},              // nopl 0L(%eax,%eax)
    {{0x66, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00}, 9},        // nopw 0L(%eax,%eax)
    {{0x66, 0x2E, 0x0F, 0x1F, 0x84, 0x00, 0x00, 0x00, 0x00, 0x00}, 10}, // cs nopw 0L(%eax,%eax)
};

std::size_t fillerAt(std::span<const std::uint8_t> code, std::size_t at) {
    for (const Filler &f : kFillers)
        if (code.size() - at >= f.length &&
            std::equal(f.bytes.begin(), f.bytes.begin() + f.length, code.begin() + at))
            return f.length;
    return 0;
}

// True when at is the function's end, or filler runs from at to an 8-byte boundary or to the
// function's end. At least one filler instruction: a boundary straight after the ret proves
// nothing, as the next instruction may just happen to start there.
bool fillerToBoundary(std::span<const std::uint8_t> code, std::uint32_t rva, std::size_t at) {
    if (at == code.size()) return true;
    while (at < code.size()) {
        const std::size_t n = fillerAt(code, at);
        if (n == 0) return false;
        at += n;
        if ((rva + at) % 8 == 0) return true;
    }
    return true;
}

} // namespace

std::vector<ReturnSite> returnSites(std::span<const std::uint8_t> code, std::uint32_t rva) {
    std::vector<ReturnSite> out;
    for (std::size_t i = 0; i + 3 <= code.size(); ++i) {
        if (code[i] != 0xC2) continue;
        if (!fillerToBoundary(code, rva, i + 3)) continue;
        out.push_back({rva + static_cast<std::uint32_t>(i),
                       static_cast<std::uint16_t>(code[i + 1] | code[i + 2] << 8)});
    }
    return out;
}

} // namespace qs::pe
