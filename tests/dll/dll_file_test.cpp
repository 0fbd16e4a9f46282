// Quaystone.dll as a file, checked on any machine: what its headers promise the Windows loader
// and its callers. Running it needs Windows or Wine; reading it does not.
#include "pe_image.h"
#include "return_sites.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

using qs::pe::Image;

// The header's eleven entry points and the bytes of arguments each __stdcall callee removes: four
// for each pointer or 32-bit integer in its declaration.
struct Entry {
    const char *name;
    std::uint16_t argumentBytes;
};
constexpr Entry kEntries[] = {
    {"KZV_GetDllVersion", 8},  {"KZV_Find", 8},
    {"KZV_GetInformation", 8}, {"KZV_Connect", 12},
    {"KZV_Disconnect", 12},    {"KZV_GetCondition", 8},
    {"KZV_ChangeSite", 12},    {"KZV_GetConditionEx", 12},
    {"KZV_ClearCounter", 8},   {"KZV_Cleanup", 0},
    {"KZV_SetPassword", 8},
};

// advapi32 carries the crypto API, msvcrt is the C runtime every Windows keeps in its system
// folder; libstdc++, libgcc and winpthreads are linked in, so none of their DLLs may appear.
const std::vector<std::string> kSystemDlls = {"kernel32.dll", "user32.dll", "ws2_32.dll",
                                              "advapi32.dll", "msvcrt.dll"};

constexpr std::uint32_t kCodeSection = 0x00000020;
constexpr std::uint32_t kExecutableSection = 0x20000000;

class DllFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Set by tools/win32/build-and-test.sh right after building the DLL, where a missing file
        // is a fault; otherwise the Windows tree beside the sources, which may not be built.
        const char *given = std::getenv("QS_WIN32_DLL");
        path_ = given ? given : QS_DEFAULT_WIN32_DLL;
        required_ = given != nullptr;
        std::ifstream in(path_, std::ios::binary);
        if (!in) return;
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        auto parsed = qs::pe::parse(bytes_);
        image_ = parsed.image;
        error_ = parsed.error;
    }

    void SetUp() override {
        if (bytes_.empty()) {
            if (required_) FAIL() << "cannot read " << path_;
            GTEST_SKIP() << path_ << " is not built (tools/win32/build-and-test.sh builds it)";
        }
        ASSERT_TRUE(image_.has_value()) << path_ << ": " << error_;
    }

    static const Image &image() { return *image_; }

    static const qs::pe::Export *exportNamed(const std::string &name) {
        for (const auto &e : image_->exports)
            if (e.name == name) return &e;
        return nullptr;
    }

    // From rva to the next symbol of the same section: the function's hot part and the filler
    // behind it. Nothing when the symbol table does not bound it.
    static std::optional<std::span<const std::uint8_t>> functionAt(std::uint32_t rva) {
        const qs::pe::Section *section = qs::pe::sectionAt(*image_, rva);
        if (!section) return std::nullopt;
        std::optional<std::uint32_t> end;
        for (const auto &s : image_->symbols) {
            if (s.rva <= rva || qs::pe::sectionAt(*image_, s.rva) != section) continue;
            if (!end || s.rva < *end) end = s.rva;
        }
        if (!end) return std::nullopt;
        return qs::pe::bytesAt(bytes_, *image_, rva, *end - rva);
    }

    static inline std::string path_;
    static inline bool required_ = false;
    static inline std::vector<std::uint8_t> bytes_;
    static inline std::optional<Image> image_;
    static inline std::string error_;
};

TEST_F(DllFile, IsA32BitX86Dll) {
    EXPECT_EQ(image().machine, qs::pe::kMachineI386);
    EXPECT_EQ(image().optionalMagic, qs::pe::kOptionalMagicPe32);
    EXPECT_NE(image().characteristics & qs::pe::kCharacteristicDll, 0);
}

TEST_F(DllFile, ExportsExactlyTheElevenPlainNamesAsCode) {
    std::vector<std::string> expected;
    for (const Entry &e : kEntries)
        expected.emplace_back(e.name);
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> names;
    for (const auto &e : image().exports)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    // Callers bind by plain name: a decorated "_KZV_Find@8" or "KZV_Find@8" would not be found.
    EXPECT_EQ(names, expected);
    EXPECT_EQ(image().exportedEntries, std::size(kEntries)) << "entries exported by ordinal only";
    for (const auto &e : image().exports) {
        EXPECT_FALSE(e.forwarded) << e.name << " is forwarded to another DLL";
        const qs::pe::Section *s = qs::pe::sectionAt(image(), e.rva);
        ASSERT_NE(s, nullptr) << e.name;
        EXPECT_NE(s->characteristics & (kCodeSection | kExecutableSection), 0u)
            << e.name << " points into " << s->name;
    }
}

TEST_F(DllFile, ImportsFromSystemDllsOnly) {
    EXPECT_FALSE(image().imports.empty());
    for (const auto &name : image().imports)
        EXPECT_TRUE(std::find(kSystemDlls.begin(), kSystemDlls.end(), name) != kSystemDlls.end())
            << name << " is not a system DLL; a runtime DLL would have to travel with ours";
    EXPECT_TRUE(image().delayImports.empty());
}

// The linker's symbol table names the function behind each export with the decoration the
// compiler gave it: "_Name@N" for a __stdcall function removing N bytes of arguments.
TEST_F(DllFile, EveryExportIsTheStdcallFunctionRemovingItsArgumentBytes) {
    if (image().symbols.empty()) GTEST_SKIP() << "the DLL is stripped: no symbol table to read";
    for (const Entry &entry : kEntries) {
        const auto *e = exportNamed(entry.name);
        ASSERT_NE(e, nullptr) << entry.name;
        const std::string decorated =
            "_" + std::string(entry.name) + "@" + std::to_string(entry.argumentBytes);
        std::vector<std::string> atAddress;
        for (const auto &s : image().symbols)
            if (s.rva == e->rva && s.section > 0) atAddress.push_back(s.name);
        EXPECT_TRUE(std::find(atAddress.begin(), atAddress.end(), decorated) != atAddress.end())
            << entry.name << " is not " << decorated
            << "; symbols at its address: " << ::testing::PrintToString(atAddress);
    }
}

// The code itself: every return the assembler's filler marks in the function pops exactly its
// argument bytes. Functions where no return can be told apart without decoding are listed.
TEST_F(DllFile, EveryFindableReturnPopsTheArgumentBytes) {
    if (image().symbols.empty()) GTEST_SKIP() << "the DLL is stripped: functions have no bounds";
    std::vector<std::string> unchecked;
    for (const Entry &entry : kEntries) {
        const auto *e = exportNamed(entry.name);
        ASSERT_NE(e, nullptr) << entry.name;
        if (entry.argumentBytes == 0) {
            unchecked.push_back(std::string(entry.name) + " (plain ret)");
            continue;
        }
        auto code = functionAt(e->rva);
        ASSERT_TRUE(code.has_value()) << entry.name << " has no bounds in the symbol table";
        auto sites = qs::pe::returnSites(*code, e->rva);
        if (sites.empty()) unchecked.push_back(std::string(entry.name) + " (no marked return)");
        for (const auto &site : sites)
            EXPECT_EQ(site.popped, entry.argumentBytes)
                << entry.name << ": ret at RVA 0x" << std::hex << site.rva;
    }
    ASSERT_LT(unchecked.size(), std::size(kEntries)) << "no return could be found at all";
    if (!unchecked.empty())
        std::cout << "returns not checked: " << ::testing::PrintToString(unchecked) << "\n";
}

// The return finder on hand-assembled bytes (as GNU as lays them out), placed at RVA 0x1000.
TEST(ReturnSites, OnlyReturnsFollowedByFillerOrTheEndCount) {
    struct Case {
        const char *what;
        std::vector<std::uint8_t> code;
        std::vector<std::uint16_t> popped;
    };
    const Case cases[] = {
        {"ret $0xc, 7-byte and 3-byte filler to the boundary",
         {0x5B, 0x5E, 0x5F, 0xC2, 0x0C, 0x00, 0x8D, 0xB4, 0x26, 0, 0, 0, 0, 0x8D, 0x76, 0x00, 0xBE},
         {12}},
        {"ret $0x8 ends the function", {0x5F, 0xC2, 0x08, 0x00}, {8}},
        {"ret $0x8, filler up to the function's end",
         {0x5F, 0xC2, 0x08, 0x00, 0x90, 0x66, 0x90},
         {8}},
        {"ret followed by code", {0xC2, 0x08, 0x00, 0xBE, 0x9A, 0xFF, 0xFF, 0xFF, 0x90}, {}},
        {"ret on a boundary, filler to the next one",
         {0x90, 0x90, 0x90, 0x90, 0x90, 0xC2, 0x0C, 0x00, 0x8D, 0xB4, 0x26, 0, 0, 0, 0, 0x90, 0xB8},
         {12}},
        {"ret ending on the boundary without filler",
         {0x90, 0x90, 0x90, 0x90, 0x90, 0xC2, 0x08, 0x00, 0x8B, 0x07},
         {}},
        {"filler that overshoots the boundary",
         {0xC2, 0x08, 0x00, 0x90, 0x90, 0x90, 0x90, 0x8D, 0x76, 0x00, 0x8B, 0x07},
         {}},
        {"C2 as the ModRM byte of mov %eax,%edx, then code", {0x89, 0xC2, 0x01, 0xD0, 0xC3}, {}},
        {"two returns",
         {0xC2, 0x04, 0x00, 0x90, 0x90, 0x90, 0x90, 0x90, 0x31, 0xC0, 0xC2, 0x04, 0x00},
         {4, 4}},
    };
    for (const auto &c : cases) {
        std::vector<std::uint16_t> popped;
        for (const auto &site : qs::pe::returnSites(c.code, 0x1000))
            popped.push_back(site.popped);
        EXPECT_EQ(popped, c.popped) << c.what;
    }
}

} // namespace
