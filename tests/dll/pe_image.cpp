#include "pe_image.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace qs::pe {

namespace {

struct Malformed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Offsets are added in 64 bits: no sum of two 32-bit fields can wrap.
std::span<const std::uint8_t> slice(std::span<const std::uint8_t> file, std::uint64_t offset,
                                    std::uint64_t size, const char *what) {
    if (offset > file.size() || size > file.size() - offset)
        throw Malformed(std::string(what) + " lies outside the file");
    return file.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    if (at > b.size() || b.size() - at < 2) throw Malformed("short field");
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    if (at > b.size() || b.size() - at < 4) throw Malformed("short field");
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Up to the first NUL of bytes, which must hold one.
std::string terminated(std::span<const std::uint8_t> bytes, const char *what) {
    auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    if (end == bytes.end()) throw Malformed(std::string(what) + " has no terminating NUL");
    return std::string(bytes.begin(), end);
}

class Reader {
  public:
    Reader(std::span<const std::uint8_t> file, const Image &image) : file_(file), image_(image) {}

    std::span<const std::uint8_t> at(std::uint32_t rva, std::uint64_t size,
                                     const char *what) const {
        const Section *s = sectionAt(image_, rva);
        if (!s) throw Malformed(std::string(what) + " is in no section");
        const std::uint64_t into = rva - s->virtualAddress;
        if (into > extent(*s) || size > extent(*s) - into)
            throw Malformed(std::string(what) + " runs past its section");
        return slice(file_, std::uint64_t{s->rawOffset} + into, size, what);
    }

    // A NUL-terminated name at rva, no longer than the rest of its section.
    std::string name(std::uint32_t rva, const char *what) const {
        const Section *s = sectionAt(image_, rva);
        if (!s) throw Malformed(std::string(what) + " is in no section");
        const std::uint64_t into = rva - s->virtualAddress;
        if (into >= extent(*s)) throw Malformed(std::string(what) + " is past its section's data");
        return terminated(at(rva, extent(*s) - into, what), what);
    }

    static std::uint64_t extent(const Section &s) {
        // Bytes past the raw data are zeros made by the loader, not file content; bytes past the
        // virtual size are not part of the image at all.
        return s.virtualSize == 0 ? s.rawSize : std::min(s.rawSize, s.virtualSize);
    }

  private:
    std::span<const std::uint8_t> file_;
    const Image &image_;
};

struct Directory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

constexpr std::size_t kExportDirectory = 0;
constexpr std::size_t kImportDirectory = 1;
constexpr std::size_t kDelayImportDirectory = 13;

void readExports(const Reader &r, Directory dir, Image &image) {
    auto ed = r.at(dir.rva, 40, "export directory");
    const std::uint32_t functions = u32(ed, 20);
    const std::uint32_t names = u32(ed, 24);
    auto addresses = r.at(u32(ed, 28), std::uint64_t{functions} * 4, "export address table");
    auto nameRvas = r.at(u32(ed, 32), std::uint64_t{names} * 4, "export name table");
    auto ordinals = r.at(u32(ed, 36), std::uint64_t{names} * 2, "export ordinal table");
    for (std::uint32_t i = 0; i < functions; ++i)
        if (u32(addresses, std::size_t{i} * 4) != 0) ++image.exportedEntries;
    for (std::uint32_t i = 0; i < names; ++i) {
        const std::uint16_t index = u16(ordinals, std::size_t{i} * 2);
        if (index >= functions) throw Malformed("export name points past the address table");
        Export e;
        e.name = r.name(u32(nameRvas, std::size_t{i} * 4), "export name");
        e.rva = u32(addresses, std::size_t{index} * 4);
        e.forwarded = e.rva >= dir.rva && e.rva - dir.rva < dir.size;
        image.exports.push_back(std::move(e));
    }
}

// Descriptors of descriptorSize bytes up to the first whose name field is zero.
std::vector<std::string> readDllNames(const Reader &r, Directory dir, std::size_t descriptorSize,
                                      std::size_t nameField, const char *what) {
    std::vector<std::string> out;
    for (std::uint64_t rva = dir.rva;; rva += descriptorSize) {
        if (rva > UINT32_MAX) throw Malformed(std::string(what) + " has no end");
        auto d = r.at(static_cast<std::uint32_t>(rva), descriptorSize, what);
        const std::uint32_t name = u32(d, nameField);
        if (name == 0) return out;
        out.push_back(lower(r.name(name, what)));
    }
}

void readSymbols(std::span<const std::uint8_t> file, std::uint32_t pointer, std::uint32_t count,
                 Image &image) {
    constexpr std::size_t kEntry = 18;
    auto table = slice(file, pointer, std::uint64_t{count} * kEntry, "symbol table");
    // The string table follows at once, led by its own size (which counts those four bytes).
    const std::uint64_t stringsAt = std::uint64_t{pointer} + std::uint64_t{count} * kEntry;
    std::span<const std::uint8_t> strings;
    if (stringsAt + 4 <= file.size()) {
        const std::uint32_t size = u32(slice(file, stringsAt, 4, "string table"), 0);
        strings = slice(file, stringsAt, std::max<std::uint32_t>(size, 4), "string table");
    }
    for (std::uint64_t i = 0; i < count; ++i) {
        auto e = table.subspan(static_cast<std::size_t>(i * kEntry), kEntry);
        Symbol s;
        if (u32(e, 0) == 0) {
            const std::uint32_t offset = u32(e, 4);
            if (offset < 4 || offset >= strings.size())
                throw Malformed("symbol name outside the string table");
            s.name = terminated(strings.subspan(offset), "symbol name");
        } else {
            auto inline_ = e.first(8);
            s.name.assign(inline_.begin(),
                          std::find(inline_.begin(), inline_.end(), std::uint8_t{0}));
        }
        const std::uint32_t value = u32(e, 8);
        s.section = static_cast<std::int16_t>(u16(e, 12));
        s.storageClass = e[16];
        s.rva = value;
        if (s.section >= 1 && static_cast<std::size_t>(s.section) <= image.sections.size())
            s.rva = value + image.sections[static_cast<std::size_t>(s.section) - 1].virtualAddress;
        image.symbols.push_back(std::move(s));
        i += e[17]; // auxiliary records belong to this symbol
    }
}

Image read(std::span<const std::uint8_t> file) {
    auto dos = slice(file, 0, 64, "DOS header");
    if (dos[0] != 'M' || dos[1] != 'Z') throw Malformed("no MZ signature");
    const std::uint32_t peAt = u32(dos, 0x3C);
    auto coff = slice(file, peAt, 24, "PE header");
    if (coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 || coff[3] != 0)
        throw Malformed("no PE signature");

    Image image;
    image.machine = u16(coff, 4);
    const std::uint16_t sectionCount = u16(coff, 6);
    const std::uint32_t symbolPointer = u32(coff, 12);
    const std::uint32_t symbolCount = u32(coff, 16);
    const std::uint16_t optionalSize = u16(coff, 20);
    image.characteristics = u16(coff, 22);

    const std::uint64_t optionalAt = std::uint64_t{peAt} + 24;
    auto optional = slice(file, optionalAt, optionalSize, "optional header");
    image.optionalMagic = u16(optional, 0);
    std::size_t countField = 0;
    if (image.optionalMagic == kOptionalMagicPe32)
        countField = 92;
    else if (image.optionalMagic == 0x020B)
        countField = 108;
    else
        throw Malformed("unknown optional header magic");
    const std::uint32_t directoryCount = u32(optional, countField);
    std::vector<Directory> dirs;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(directoryCount, 16); ++i) {
        const std::size_t at = countField + 4 + std::size_t{i} * 8;
        dirs.push_back({u32(optional, at), u32(optional, at + 4)});
    }

    auto table =
        slice(file, optionalAt + optionalSize, std::uint64_t{sectionCount} * 40, "section table");
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        auto h = table.subspan(std::size_t{i} * 40, 40);
        Section s;
        auto name = h.first(8);
        s.name.assign(name.begin(), std::find(name.begin(), name.end(), std::uint8_t{0}));
        s.virtualSize = u32(h, 8);
        s.virtualAddress = u32(h, 12);
        s.rawSize = u32(h, 16);
        s.rawOffset = u32(h, 20);
        s.characteristics = u32(h, 36);
        image.sections.push_back(std::move(s));
    }

    const Reader r(file, image);
    auto directory = [&](std::size_t i) { return i < dirs.size() ? dirs[i] : Directory{}; };
    if (directory(kExportDirectory).rva) readExports(r, directory(kExportDirectory), image);
    if (directory(kImportDirectory).rva)
        image.imports = readDllNames(r, directory(kImportDirectory), 20, 12, "import descriptor");
    if (directory(kDelayImportDirectory).rva)
        image.delayImports =
            readDllNames(r, directory(kDelayImportDirectory), 32, 4, "delay import descriptor");
    if (symbolPointer != 0 && symbolCount != 0)
        readSymbols(file, symbolPointer, symbolCount, image);
    return image;
}

} // namespace

ParseResult parse(std::span<const std::uint8_t> file) {
    try {
        return {read(file), {}};
    } catch (const Malformed &e) {
        return {std::nullopt, e.what()};
    }
}

const Section *sectionAt(const Image &image, std::uint32_t rva) {
    for (const Section &s : image.sections)
        if (rva >= s.virtualAddress && rva - s.virtualAddress < std::max(s.virtualSize, s.rawSize))
            return &s;
    return nullptr;
}

std::optional<std::span<const std::uint8_t>> bytesAt(std::span<const std::uint8_t> file,
                                                     const Image &image, std::uint32_t rva,
                                                     std::uint32_t size) {
    try {
        return Reader(file, image).at(rva, size, "bytes");
    } catch (const Malformed &) {
        return std::nullopt;
    }
}

} // namespace qs::pe
