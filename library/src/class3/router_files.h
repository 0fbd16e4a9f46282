// The files class 3 routers return: the 68-byte search file and the 964-byte status file.
#pragma once

#include "class3/scramble.h"
#include "os/platform.h"
#include "quaystone/quaystone.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qs::class3 {

constexpr size_t kSearchFileSize = 68;
constexpr size_t kStatusFileSize = 964;
constexpr size_t kPortBlockSize = 346;

struct SearchFile {
    ScrambleContext scramble; // seed un-rotated; key id and model code as announced
    uint32_t address = 0;
    uint32_t subnetMask = 0;
    uint8_t name[32] = {};
    uint8_t raw[20] = {}; // file bytes 48..67, copied to the record as they are
};

// Un-rotates the seed and unscrambles the rest. Nothing unless the file is exactly 68 bytes.
std::optional<SearchFile> readSearchFile(std::span<const uint8_t> file);

// Fills the identity fields a search file gives (the record's other fields are left alone).
void applySearchFile(RouterRecord &record, const SearchFile &f);

// The status file unscrambled with ctx. Nothing unless it is exactly 964 bytes.
std::optional<std::vector<uint8_t>> unscrambleStatusFile(std::span<const uint8_t> file,
                                                         const ScrambleContext &ctx);
uint16_t statusSeedEcho(std::span<const uint8_t> status);

// Line state of a port: the plain form folds the connected variant into 5.
uint16_t portState(std::span<const uint8_t> status, int port, bool extended);
uint32_t portStatusFlags(std::span<const uint8_t> status, int port);

void fillPortCondition(std::span<const uint8_t> status, int port, PortCondition &out);
void fillConditionEx(std::span<const uint8_t> status, int port, Clock &clock,
                     ConditionExRecord &out);

} // namespace qs::class3
