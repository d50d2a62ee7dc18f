#include "Factory/Drivers/Noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

TEST(Noise, PermutationIsTheFullReferenceTable)
{
    const unsigned char* p = noisePermutation();
    std::set<int> seen(p, p + 256);
    EXPECT_EQ(seen.size(), 256u); // every value 0..255 exactly once
    const int head[] = {151, 160, 137, 91, 90, 15, 131, 13};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(p[i], head[i]) << i;
    EXPECT_EQ(p[125], 186);
    EXPECT_EQ(p[126], 3);
    EXPECT_EQ(p[254], 156);
    EXPECT_EQ(p[255], 180);
}

TEST(Noise, ReferenceValues)
{
    // x = 0.5: cells 0 and 1 hash to 151 (+8) and 160 (+1);
    // (8*0.5 - 1*0.5) * 0.75^4 * 0.45.
    EXPECT_FLOAT_EQ(noise1D(0.5f, 0, 0.5f), 0.49833984375f);
    // Negative x wraps to cell 255 (180: +5) and cell 0 (151: +8).
    EXPECT_FLOAT_EQ(noise1D(-0.5f, 0, 0.5f), -0.21357421875f);
    // The second octave of 0.5 lands on the integer 1 and adds nothing.
    EXPECT_FLOAT_EQ(noise1D(0.5f, 1, 0.5f), 0.49833984375f);
    // 0.25 -> 0.5 in the second pass, weighted by the persistence.
    float first =
        (8.f * 0.25f * std::pow(1.f - 0.0625f, 4.f) - 1.f * 0.75f * std::pow(1.f - 0.5625f, 4.f)) * 0.45f;
    EXPECT_NEAR(noise1D(0.25f, 1, 0.5f), first + 0.5f * 0.49833984375f, 1e-6f);
}

TEST(Noise, IntegersGiveZeroInEveryPass)
{
    for (float x : {-300.f, -1.f, 0.f, 1.f, 7.f, 255.f, 256.f, 1000.f})
        EXPECT_EQ(noise1D(x, 8, 0.9f), 0.0f) << x;
}

TEST(Noise, OddArgumentsStaySafe)
{
    // Below 0 octaves is one pass; huge counts and huge or non-finite x stay finite.
    EXPECT_EQ(noise1D(0.5f, -5, 0.5f), noise1D(0.5f, 0, 0.5f));
    EXPECT_TRUE(std::isfinite(noise1D(0.3f, 1 << 30, 1.0f)));
    EXPECT_TRUE(std::isfinite(noise1D(3.0e38f, 8, 0.5f)));
    EXPECT_EQ(noise1D(NAN, 4, 0.5f), 0.0f);
    EXPECT_EQ(noise1D(INFINITY, 4, 0.5f), 0.0f);
}
