// The VHS tape's switches follow their amounts at the 0.0001 threshold and cost one rebuild per
// change; its noise picture is the 256x256 white noise it relies on. No window needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stb_image.h>

#include "TestSupport.h"
#include "effects/fxPostDistortion/shPostDistortion.h"
#include "effects/fxPostVHS/shPostVHS.h"

namespace
{
int Count(const std::vector<std::string>& lines, const std::string& prefix)
{
    return int(std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; }));
}
} // namespace

TEST(PostVHSSwitches, EachSwitchIsOnStrictlyAboveTheThreshold)
{
    struct Case
    {
        float shPostVHS::*pAmount;
        int nSwitch;
    } cases[] = {
        {&shPostVHS::_fScreenDistortion, shPostVHS::SWITCH_SCREEN_DISTORTION},
        {&shPostVHS::_fVignette, shPostVHS::SWITCH_VIGNETTE},
        {&shPostVHS::_fMonochrome, shPostVHS::SWITCH_MONOCHROME},
        {&shPostVHS::_fNoise, shPostVHS::SWITCH_NOISE},
        {&shPostVHS::_fHblLines, shPostVHS::SWITCH_HBL_LINES},
        {&shPostVHS::_fJumpHorizontal, shPostVHS::SWITCH_JUMPS},
        {&shPostVHS::_fJumpVertical, shPostVHS::SWITCH_JUMPS},
        {&shPostVHS::_fWhiteLines, shPostVHS::SWITCH_WHITE_LINES},
        {&shPostVHS::_fNoiseLines, shPostVHS::SWITCH_NOISE_LINES},
        {&shPostVHS::_fWobble, shPostVHS::SWITCH_WOBBLE},
    };
    for (const Case& c : cases)
    {
        for (float f : {0.0f, 0.0001f, 0.00011f, -1.0f, 1.0f})
        {
            shPostVHS p;
            for (const Case& other : cases)
                p.*other.pAmount = 0.0f;
            p.*c.pAmount = f;
            int an[shPostVHS::SWITCH_COUNT];
            p.SwitchValues(an);
            for (int i = 0; i < shPostVHS::SWITCH_COUNT; ++i)
                EXPECT_EQ(an[i], i == c.nSwitch && f > 0.0001f ? 1 : 0)
                    << shPostVHS::SwitchNames[i] << " " << f;
        }
    }
    // Defaults: vertical jumps at 0 but horizontal ones on still compile the jump code.
    shPostVHS p;
    int an[shPostVHS::SWITCH_COUNT];
    p.SwitchValues(an);
    EXPECT_EQ(an[shPostVHS::SWITCH_JUMPS], 1);
    EXPECT_EQ(an[shPostVHS::SWITCH_MONOCHROME], 0);
}

TEST(PostVHSSwitches, FirstUseWritesAllNineAndAChangeRebuildsOnce)
{
    shPostVHS p;
    p.ApplySwitches();
    EXPECT_TRUE(p._bRebuild);
    EXPECT_EQ(p._aSourceConstants.size(), 9u);
    EXPECT_EQ(Count(p._aSourceConstants, "const int ENABLE_NOISE = 1;"), 1);
    p._bRebuild = false;
    p.ApplySwitches(); // same amounts: nothing to rebuild
    EXPECT_FALSE(p._bRebuild);
    p._fNoise = 0.00005f;
    p._fVignette = 0.3f; // stays on
    p.ApplySwitches();
    EXPECT_TRUE(p._bRebuild);
    EXPECT_EQ(p._aSourceConstants.size(), 9u);
    EXPECT_EQ(Count(p._aSourceConstants, "const int ENABLE_NOISE = 0;"), 1);
    EXPECT_EQ(Count(p._aSourceConstants, "const int ENABLE_NOISE ="), 1);
}

TEST(PostDistortionSwitch, BumpIsCompiledInOnlyWhenItCanMoveAnything)
{
    struct Case
    {
        float fHeight, fSpeed, fDuration;
        int nEnabled;
    } cases[] = {{0.25f, 20.0f, 3.0f, 1}, {0.0f, 20.0f, 3.0f, 0},  {0.25f, 0.0f, 3.0f, 0},
                 {0.25f, 20.0f, 0.0f, 0}, {0.25f, -5.0f, 3.0f, 1}, {-0.1f, 20.0f, 3.0f, 0}};
    for (const Case& c : cases)
    {
        shPostDistortion p;
        p._fBumpHeight = c.fHeight;
        p._fBumpSpeed = c.fSpeed;
        p._fBumpDuration = c.fDuration;
        EXPECT_EQ(p.BumpEnabled(), c.nEnabled) << c.fHeight << " " << c.fSpeed << " " << c.fDuration;
        p.ApplySwitches();
        EXPECT_EQ(p._nBumpEnabledBuilt, c.nEnabled);
        EXPECT_EQ(Count(p._aSourceConstants, "const int BUMP_ENABLED = " + std::to_string(c.nEnabled) + ";"),
                  1);
    }
}

// The tape samples red of the noise (grain, lines) and wraps pixel coordinates at 256: a 256x256
// picture of independent, evenly spread channels.
TEST(PostVHSAssets, NoisePictureIsWhiteNoiseOf256By256)
{
    std::ifstream f(rvTest::SourcePath("Data/img/Shadertoy/RGBANoiseMedium256.png"), std::ios::binary);
    ASSERT_TRUE(f) << "run tools/gen-images";
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(f)),
                                           std::istreambuf_iterator<char>());
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load_from_memory(bytes.data(), int(bytes.size()), &w, &h, &n, 0);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 256);
    EXPECT_EQ(h, 256);
    EXPECT_EQ(n, 4);
    const int nPixels = w * h;
    for (int c = 0; c < 4; ++c)
    {
        double sum = 0.0, sum2 = 0.0, corr = 0.0;
        for (int i = 0; i < nPixels; ++i)
        {
            const double v = px[i * 4 + c] / 255.0 - 0.5;
            sum += v;
            sum2 += v * v;
            corr += v * (px[i * 4 + (c + 1) % 4] / 255.0 - 0.5);
        }
        EXPECT_NEAR(sum / nPixels, 0.0, 0.01) << c;                // centred on mid-grey
        EXPECT_NEAR(std::sqrt(sum2 / nPixels), 0.2887, 0.01) << c; // spread of a uniform value
        EXPECT_NEAR(corr / nPixels, 0.0, 0.005) << c;              // channels independent
    }
    stbi_image_free(px);
}
