// A Windows PE file read from its bytes: headers, sections, exports, imports and the COFF symbol
// table. Every offset in the file is checked before it is read; a malformed file is an error,
// never a read outside the buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qs::pe {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kCharacteristicDll = 0x2000;
constexpr std::uint16_t kOptionalMagicPe32 = 0x010B;

struct Section {
    std::string name;
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawOffset = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t characteristics = 0;
};

struct Export {
    std::string name;
    std::uint32_t rva = 0;
    // Its address lies inside the export directory: a text "OTHER.Name" naming another DLL's
    // entry, not code of this one.
    bool forwarded = false;
};

struct Symbol {
    std::string name;
    std::uint32_t rva = 0;    // section base plus the symbol's value
    std::int16_t section = 0; // 1-based; 0 and below name no section
    std::uint8_t storageClass = 0;
};

struct Image {
    std::uint16_t machine = 0;
    std::uint16_t characteristics = 0;
    std::uint16_t optionalMagic = 0;
    std::vector<Section> sections;
    std::vector<Export> exports;      // the named ones
    std::size_t exportedEntries = 0;  // non-empty address table cells, named or not
    std::vector<std::string> imports; // lower-cased: Windows compares DLL names that way
    std::vector<std::string> delayImports;
    std::vector<Symbol> symbols; // empty when the file was stripped
};

struct ParseResult {
    std::optional<Image> image;
    std::string error; // set when image is not
};

ParseResult parse(std::span<const std::uint8_t> file);

// The file bytes that hold [rva, rva + size), or nothing when they are not all in one section's
// raw data.
std::optional<std::span<const std::uint8_t>> bytesAt(std::span<const std::uint8_t> file,
                                                     const Image &image, std::uint32_t rva,
                                                     std::uint32_t size);

// The section that holds rva, or null.
const Section *sectionAt(const Image &image, std::uint32_t rva);

} // namespace qs::pe
