// The table of profile_cases.h run through our layer, and compared with what the Windows profile
// functions gave for the same table (the reference file written under Wine).
#include "profile_cases.h"
#include "profile_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using tarvo::settings::readProfileInt;
using tarvo::settings::readProfileString;
using tarvo::settings::writeProfileString;

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Results keyed "<case>\t<step>" and "<case>\tfile", in the reference program's format.
using Results = std::map<std::string, std::string>;

class ProfileTable : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("settings_profile_table_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Results runOurs() {
        Results results;
        int index = 0;
        for (const profile_cases::Case &c : profile_cases::allCases()) {
            fs::path path = dir_ / ("case" + std::to_string(index++) + ".ini");
            if (c.hasFile) std::ofstream(path, std::ios::binary) << c.initial;
            std::string name(c.name);
            int step = 0;
            for (const profile_cases::Step &s : c.steps) {
                std::string result;
                if (s.op == 'i')
                    result = std::to_string(readProfileInt(path, s.section, s.key, s.fallback));
                else if (s.op == 's')
                    result = hex(readProfileString(path, s.section, s.key, s.text, 80));
                else
                    result = writeProfileString(path, s.section, s.key, s.text) ? "1" : "0";
                results[name + "\t" + std::to_string(step++)] = result;
            }
            std::string file = "none";
            if (fs::exists(path)) {
                std::ifstream in(path, std::ios::binary);
                std::stringstream bytes;
                bytes << in.rdbuf();
                file = hex(bytes.str());
            }
            results[name + "\tfile"] = file;
        }
        return results;
    }

    fs::path dir_;
};

TEST_F(ProfileTable, EveryDifferenceFromWindowsIsNamedAndGivesOurResult) {
    Results ours = runOurs();
    for (const profile_cases::Case &c : profile_cases::allCases()) {
        std::string name(c.name);
        bool differs = !c.oursFile.empty();
        int step = 0;
        for (const profile_cases::Step &s : c.steps) {
            if (!s.ours.empty()) {
                differs = true;
                EXPECT_EQ(ours[name + "\t" + std::to_string(step)], s.ours)
                    << name << " step " << step;
            }
            ++step;
        }
        EXPECT_EQ(differs, !c.why.empty())
            << name << ": a difference needs its reason, and only a difference";
        if (!c.oursFile.empty()) {
            EXPECT_EQ(ours[name + "\tfile"], hex(c.oursFile)) << name;
        }
    }
}

TEST_F(ProfileTable, MatchesTheWindowsFunctionsOutsideTheNamedDifferences) {
    const char *referencePath = std::getenv("QS_PROFILE_REFERENCE");
    if (referencePath == nullptr) GTEST_SKIP() << "QS_PROFILE_REFERENCE names no reference file";
    // The reference program writes the file; where Wine could not run it, there is nothing to
    // compare with.
    if (!std::filesystem::exists(referencePath))
        GTEST_SKIP() << "no reference file " << referencePath << ": Wine did not run here";
    Results windows;
    std::ifstream in(referencePath);
    ASSERT_TRUE(in) << referencePath;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t tab = line.rfind('\t');
        if (tab != std::string::npos) windows[line.substr(0, tab)] = line.substr(tab + 1);
    }
    Results ours = runOurs();
    ASSERT_EQ(windows.size(), ours.size()) << "the reference was made from another table";
    for (const profile_cases::Case &c : profile_cases::allCases()) {
        std::string name(c.name);
        int step = 0;
        for (const profile_cases::Step &s : c.steps) {
            std::string id = name + "\t" + std::to_string(step++);
            if (s.ours.empty())
                EXPECT_EQ(ours[id], windows[id]) << id;
            else
                EXPECT_NE(windows[id], std::string(s.ours))
                    << id << ": listed as a difference (" << c.why << ") but Windows agrees";
        }
        std::string id = name + "\tfile";
        if (c.oursFile.empty())
            EXPECT_EQ(ours[id], windows[id]) << id;
        else
            EXPECT_NE(windows[id], hex(c.oursFile))
                << id << ": listed as a difference (" << c.why << ") but Windows agrees";
    }
}

} // namespace
