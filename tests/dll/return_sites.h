// Where a 32-bit x86 function returns with "ret imm16", found without decoding its instructions.
//
// A byte C2 may as well be part of another instruction, so only places the assembler itself marks
// are taken: a ret followed by the filler it puts between a jump or return and the next aligned
// label (the lea/nop forms of GNU as, up to an 8-byte boundary), or a ret whose bytes end the
// function. A plain ret (C3) is not looked for: that byte is also a common ModRM byte.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qs::pe {

struct ReturnSite {
    std::uint32_t rva = 0;
    std::uint16_t popped = 0; // the bytes of arguments the ret removes
};

// code holds one function's bytes, which start at rva.
std::vector<ReturnSite> returnSites(std::span<const std::uint8_t> code, std::uint32_t rva);

} // namespace qs::pe
