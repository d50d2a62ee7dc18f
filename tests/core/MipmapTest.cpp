#include "rvMipmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// Each level below is the rounded mean of 2x2 blocks; an odd side repeats its last row or
// column, and a side of 1 stays 1.
TEST(Mipmap, HalvesByTheMeanOfEachBlock)
{
    struct Case
    {
        const char* what;
        int w, h;
        std::vector<uint8_t> in;
        int outW, outH;
        std::vector<uint8_t> out;
    };
    const Case cases[] = {
        {"2x2 to 1x1, .5 rounds up", 2, 2, {0, 1, 0, 1}, 1, 1, {1}},
        {"2x2 to 1x1, .25 rounds down", 2, 2, {0, 0, 0, 1}, 1, 1, {0}},
        {"4x2 to 2x1", 4, 2, {0, 4, 8, 8, 4, 0, 8, 8}, 2, 1, {2, 8}},
        {"3x1: the last column pairs with itself", 3, 1, {10, 20, 200}, 1, 1, {15}},
        {"1x3: a column stays one wide", 1, 3, {10, 20, 200}, 1, 1, {15}},
        {"3x3: the last row and column are not read", 3, 3, {0, 0, 255, 0, 0, 255, 255, 255, 255}, 1, 1, {0}},
        {"white stays white", 2, 2, {255, 255, 255, 255}, 1, 1, {255}},
    };
    for (const Case& c : cases)
    {
        int w = 0, h = 0;
        const std::vector<uint8_t> got = rvHalveImage(c.in.data(), c.w, c.h, 1, w, h);
        EXPECT_EQ(w, c.outW) << c.what;
        EXPECT_EQ(h, c.outH) << c.what;
        EXPECT_EQ(got, c.out) << c.what;
    }
}

TEST(Mipmap, KeepsChannelsApartAndSixteenBitsWhole)
{
    // Two RGBA pixels per row: each channel averages only with itself.
    const uint8_t rgba[] = {255, 0, 0, 255, 0, 255, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255};
    int w = 0, h = 0;
    EXPECT_EQ(rvHalveImage(rgba, 2, 2, 4, w, h), (std::vector<uint8_t>{128, 128, 0, 255}));

    // Depth samples near the top of the range do not wrap.
    const uint16_t depth[] = {65535, 65535, 65534, 65535};
    EXPECT_EQ(rvHalveImage(depth, 2, 2, 1, w, h), (std::vector<uint16_t>{65535}));
}
