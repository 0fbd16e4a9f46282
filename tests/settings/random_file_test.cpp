// Whatever bytes the settings file holds, loading never crashes and a later save is never lost:
// what it writes is what the next load reads.
#include "password_codec.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace settings_test;

// Random bytes, mixed with pieces of real settings files so that sections and keys are hit.
std::string randomFile(std::mt19937 &rng) {
    static const char *const pieces[] = {
        "[Standard]",
        "[ConnectionStart]",
        "[Watch]",
        "[PopMun]",
        "[Other]",
        "[watch",
        "]",
        "\r\n",
        "\r",
        "\n",
        "=",
        " ",
        "\t",
        "\"",
        "'",
        ";",
        "\x82",
        "\x82\xa0",
        "\x81]",
        "Count",
        "AutoStart",
        "STime",
        "IP",
        "FTPPassword",
        "126366",
        "WatchTime",
        "70000",
        "MonitorPoint",
        "MonitorPoint1",
        "StartDirData1",
        "-1",
        "99999",
        "\0",
    };
    std::uniform_int_distribution<int> length(0, 400), byte(0, 255), choice(0, 3);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    std::string out;
    for (int n = length(rng); n > 0; --n) {
        if (choice(rng) == 0)
            out += static_cast<char>(byte(rng));
        else if (std::string_view p = pieces[piece(rng)]; p.empty())
            out += '\0';
        else
            out += p;
    }
    return out;
}

// Every field a save writes, as text, in the order it writes them.
struct FieldDump {
    std::vector<std::string> values;
    void int16(std::string_view k, std::int16_t &f, std::int16_t) { add(k, std::to_string(f)); }
    void int32(std::string_view k, std::int32_t &f, std::int32_t) { add(k, std::to_string(f)); }
    void text(std::string_view k, std::string &f, std::string_view) { add(k, f); }
    // A plain password that holds codes below 0x10 cannot be stored whole; its stored form can.
    void password(std::string_view k, std::string &f) { add(k, EncodePassword(f)); }
    void sparseInt16(std::string_view k, std::int16_t &f) { add(k, std::to_string(f)); }
    void add(std::string_view k, const std::string &v) {
        values.push_back(std::string(k) + "=" + v);
    }
};

std::vector<std::string> dump(Settings &s, std::string_view folder) {
    FieldDump d;
    visitKeys(s.Standard, d);
    visitKeys(s.ConnectionStart, d, folder);
    visitKeys(s.Watch, d);
    visitKeys(s.PopMun, d);
    visitKeys(s.Other, d);
    return d.values;
}

TEST(RandomSettingsFile, LoadSurvivesAndSavedKeysReadBack) {
    std::mt19937 rng(20240605);
    for (int round = 0; round < 100; ++round) {
        TempFolder folder("random");
        std::string original = randomFile(rng);
        writeBytes(folder.path() / "InitData.ini", original);
        std::string name = folder.path().string();

        FakeEffects effects;
        Settings first(name, ProgramVersion{1, 2, 0}, effects);
        first.LoadStandard();
        first.LoadConnectionStart();
        first.LoadWatch();
        first.LoadPopMun();
        first.LoadOther();
        ASSERT_EQ(first.SaveStandard(), 0) << "round " << round;
        ASSERT_EQ(first.SaveConnectionStart(), 0) << "round " << round;
        ASSERT_EQ(first.SaveWatch(), 0) << "round " << round;
        ASSERT_EQ(first.SavePopMun(), 0) << "round " << round;
        ASSERT_EQ(first.SaveOther(), 0) << "round " << round;

        Settings second(name, ProgramVersion{1, 2, 0}, effects);
        EXPECT_EQ(second.LoadStandard(), 0) << "round " << round;
        EXPECT_EQ(second.LoadConnectionStart(), 0) << "round " << round;
        EXPECT_EQ(second.LoadWatch(), 0) << "round " << round;
        EXPECT_EQ(second.LoadPopMun(), 0) << "round " << round;
        EXPECT_EQ(second.LoadOther(), 0) << "round " << round;
        ASSERT_EQ(dump(second, name), dump(first, name)) << "round " << round;
    }
}

} // namespace
