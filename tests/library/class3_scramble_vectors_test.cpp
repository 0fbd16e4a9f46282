// Known answers for the class 3 scrambling. The expected bytes were worked out apart from the
// library's code, by vectors/class3_scramble_vectors.py (the algorithm written out on its own,
// with the key bytes of the table as its only input): the fake routers scramble with the
// library's own function, so only these vectors show that function right.
#include "class3/scramble.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace qs::class3;

TEST(ScramblingVectors, KnownAnswers) {
    struct Case {
        uint16_t seed;
        uint16_t keyId;
        std::vector<uint8_t> plain, scrambled;
    } cases[] = {
        // Four passes, stride 3, starting at 511 (the key word that wraps to the key's first
        // byte), seven bytes: three words and an odd byte.
        {0x2DFF,
         0x0001,
         {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16},
         {0xDA, 0x12, 0x69, 0x11, 0xEA, 0xD9, 0xBF}},
        // Two passes, stride 16, start 256; bit 9 set, which takes no part.
        {0xF700,
         0x0001,
         {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5},
         {0x35, 0xDA, 0x95, 0xEA, 0x61, 0xB5, 0x28, 0xD7, 0xE1}},
        // Three passes, stride 2, start 510: the start itself wraps to 0 after the first word.
        {0x19FE, 0x0012, {0x00, 0xFF, 0x80, 0x01, 0x7F}, {0xAB, 0x97, 0xF9, 0x3E, 0xD4}},
        // One pass, stride 1, start 1, another key.
        {0x0001, 0xFFFF, {0x12, 0x34}, {0xE3, 0xB6}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "seed " << std::hex << c.seed);
        std::vector<uint8_t> d = c.plain;
        scramble(d, {c.seed, c.keyId, 0x00301400});
        EXPECT_EQ(d, c.scrambled);
        scramble(d, {c.seed, c.keyId, 0x00301400});
        EXPECT_EQ(d, c.plain);
    }
}
