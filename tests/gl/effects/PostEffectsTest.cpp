// The two post effects on a small "Default" buffer holding a known picture, driven as the timeline
// drives them (one frame to a chosen local time). Expected pixels come from the formulas of each
// feature applied to the picture. The VHS noise picture is loaded from the generated assets.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "TestSupport.h"
#include "effects/fxDemoGlobalParams/fxDemoGlobalParams.h"
#include "effects/fxPostDistortion/fxPostDistortion.h"
#include "effects/fxPostVHS/fxPostVHS.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
class PostEffectsTest : public rvTest::EffectGLTest<64, 48>
{
protected:
    static void LoadNoise()
    {
        if (shPostVHS::_imgNoise.IsImageLoaded()) return;
        std::ifstream f(rvTest::SourcePath("Data/img/Shadertoy/RGBANoiseMedium256.png"), std::ios::binary);
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(f)),
                                               std::istreambuf_iterator<char>());
        ASSERT_TRUE(shPostVHS::_imgNoise.LoadImageFromMemory(bytes.data(), int(bytes.size()), false))
            << "run tools/gen-images";
    }
    // Columns left of nEdge get `left`, the others `right`; alpha a everywhere.
    static void Paint(const glm::vec3& left, const glm::vec3& right, int nEdge, float a)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, 0, nEdge, kH);
        glClearColor(left.r, left.g, left.b, a);
        glClear(GL_COLOR_BUFFER_BIT);
        glScissor(nEdge, 0, kW - nEdge, kH);
        glClearColor(right.r, right.g, right.b, a);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    // One frame that brings the effect's local time to fTime.
    static std::vector<RGBA> RenderAt(fxBase& fx, float fTime)
    {
        fx.SetState(State_EffectStarted);
        fx._fPendingDelta = fTime;
        fx.Update();
        fx.SetState(State_SequenceStarted);
        return rvTest::ReadDefault();
    }
    static void AllOff(shPostVHS& p)
    {
        p._fScreenDistortion = p._fVignette = p._fMonochrome = p._fNoise = p._fHblLines = 0.0f;
        p._fJumpHorizontal = p._fJumpVertical = p._fWhiteLines = p._fNoiseLines = p._fWobble = 0.0f;
    }
    static int V(float f) { return int(std::lround(255.0f * std::min(1.0f, std::max(0.0f, f)))); }
};

const glm::vec3 kRed(0.8f, 0.2f, 0.1f), kBlue(0.1f, 0.4f, 0.9f);

TEST(PostEffectsRegistration, AttributeTablesInOrder)
{
    const fxDescriptor* vhs = fxPostVHS::RegisterAttributes();
    ASSERT_EQ(vhs->_apAttribs.size(), 22u);
    EXPECT_EQ(vhs->_apAttribs[0]->_sName, ">>ScreenDistortion");
    EXPECT_EQ(vhs->_apAttribs[8]->_sName, "  HblLinesSpeed");
    EXPECT_EQ(vhs->_apAttribs[8]->_pRange->_min.f, -10.0f);
    EXPECT_EQ(vhs->_apAttribs[21]->_sName, ">>Monochrome");
    const fxDescriptor* bump = fxPostDistortion::RegisterAttributes();
    ASSERT_EQ(bump->_apAttribs.size(), 5u);
    EXPECT_EQ(bump->_apAttribs[0]->_sName, ">.BumpHeight");
    EXPECT_EQ(bump->_apAttribs[4]->_sName, "  BumpStart");
    EXPECT_EQ(bump->_apAttribs[4]->_pRange, nullptr);

    // The attributes write the program's values; the defaults are the table's.
    auto fx = std::unique_ptr<fxPostDistortion>(
        static_cast<fxPostDistortion*>(fxPostDistortion::Create(fxPostDistortion::GetDescriptor())));
    EXPECT_FLOAT_EQ(bump->_apAttribs[1]->GetFloat(fx.get()), 20.0f);
    bump->_apAttribs[3]->SetFloat(fx.get(), 2.5f);
    EXPECT_FLOAT_EQ(fx->_shProgram._fBumpAttenuation, 2.5f);
    auto v =
        std::unique_ptr<fxPostVHS>(static_cast<fxPostVHS*>(fxPostVHS::Create(fxPostVHS::GetDescriptor())));
    EXPECT_FLOAT_EQ(vhs->_apAttribs[2]->GetFloat(v.get()), 3.0f);
    vhs->_apAttribs[20]->SetFloat(v.get(), 0.7f);
    EXPECT_FLOAT_EQ(v->_shProgram._fWobbleBand, 0.7f);
}

// Every amount at 0: the picture comes back as it was, and the buffer's alpha is never written.
TEST_F(PostEffectsTest, VHSWithEverySwitchOffLeavesThePicture)
{
    if (!_window) GTEST_SKIP();
    auto fx = rvTest::NewEffect<fxPostVHS>();
    AllOff(fx->_shProgram);
    Paint(kRed, kBlue, 40, 0.5f);
    const std::vector<RGBA> before = rvTest::ReadDefault();
    const std::vector<RGBA> after = RenderAt(*fx, 1.3f);
    fx->SetState(State_DemoStoped);
    for (size_t i = 0; i < after.size(); ++i)
    {
        ASSERT_NEAR(after[i].r, before[i].r, 1) << i;
        ASSERT_NEAR(after[i].g, before[i].g, 1) << i;
        ASSERT_NEAR(after[i].b, before[i].b, 1) << i;
        ASSERT_EQ(after[i].a, 128) << i;
    }
}

// One feature at a time on a flat picture, against its formula (time 0.5 s, the "iTime" of the
// effect): scan-line banding, colour wobble (the blue channel's lift on flat colour), vignette.
TEST_F(PostEffectsTest, VHSFeaturesFollowTheirFormulasOnAFlatPicture)
{
    if (!_window) GTEST_SKIP();
    LoadNoise();
    const glm::vec3 c(0.6f, 0.3f, 0.25f);
    const float t = 0.5f;
    struct Case
    {
        const char* pszName;
        void (*pfnSet)(shPostVHS&);
        // Expected colour at pixel (x, y), y from the bottom; false where the formula is not compared.
        bool (*pfnExpect)(int x, int y, const glm::vec3& c, glm::vec3& out);
    } cases[] = {
        {"scan lines",
         [](shPostVHS& p) { p._fHblLines = 1.0f, p._fHblLinesHeight = 0.0f, p._fHblLinesSpeed = 0.0f; },
         [](int, int y, const glm::vec3& c, glm::vec3& out)
         {
             const float uy = 1.0f - (y + 0.5f) / kH, m = std::fmod(30.0f * uy, 4.0f);
             out = c * ((1.0f + m) / 2.0f);
             return m > 0.05f && m < 3.95f; // away from the band's jump
         }},
        {"wobble", [](shPostVHS& p) { p._fWobble = 1.0f, p._fWobbleBand = 0.0f; },
         [](int x, int, const glm::vec3& c, glm::vec3& out)
         {
             out = glm::vec3(c.r, c.g, 0.5f * c.b + 0.5f * std::pow(c.b, 0.67f));
             return x > 1 && x < kW - 2;
         }},
        {"vignette", [](shPostVHS& p) { p._fVignette = 1.0f, p._fVignetteOscillation = 0.0f; },
         [](int x, int y, const glm::vec3& c, glm::vec3& out)
         {
             const float dx = (x + 0.5f) / kW - 0.5f, dy = 1.0f - (y + 0.5f) / kH - 0.5f;
             const float v = 1.0f - (1.0f - 3.0f * dy * dy) * (1.0f - 3.0f * dx * dx);
             out = c - glm::vec3(v);
             return true;
         }},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.pszName);
        auto fx = rvTest::NewEffect<fxPostVHS>();
        AllOff(fx->_shProgram);
        k.pfnSet(fx->_shProgram);
        Paint(c, c, kW, 1.0f);
        const std::vector<RGBA> px = RenderAt(*fx, t);
        fx->SetState(State_DemoStoped);
        int nCompared = 0, nChanged = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
            {
                const RGBA& p = px[size_t(y) * kW + x];
                nChanged +=
                    std::abs(p.r - V(c.r)) + std::abs(p.g - V(c.g)) + std::abs(p.b - V(c.b)) > 3 ? 1 : 0;
                glm::vec3 e;
                if (!k.pfnExpect(x, y, c, e)) continue;
                ++nCompared;
                ASSERT_NEAR(p.r, V(e.r), 2) << x << "," << y;
                ASSERT_NEAR(p.g, V(e.g), 2) << x << "," << y;
                ASSERT_NEAR(p.b, V(e.b), 2) << x << "," << y;
            }
        EXPECT_GT(nCompared, kW * kH / 2);
        EXPECT_GT(nChanged, kW * kH / 4);
    }
}

// White lines whose band starts where it ends have no height: nothing is added, and the picture
// stays (a division by the band's height made every pixel black).
TEST_F(PostEffectsTest, VHSWhiteLinesOfNoHeightLeaveThePicture)
{
    if (!_window) GTEST_SKIP();
    LoadNoise();
    const glm::vec3 c(0.6f, 0.3f, 0.25f);
    for (float fBound : {0.0f, 0.25f, 0.5f})
    {
        SCOPED_TRACE(fBound);
        auto fx = rvTest::NewEffect<fxPostVHS>();
        AllOff(fx->_shProgram);
        fx->_shProgram._fWhiteLines = 1.0f;
        fx->_shProgram._fWhiteLinesStart = fx->_shProgram._fWhiteLinesEnd = fBound;
        Paint(c, c, kW, 1.0f);
        const std::vector<RGBA> px = RenderAt(*fx, 0.5f);
        fx->SetState(State_DemoStoped);
        for (size_t i = 0; i < px.size(); ++i)
        {
            ASSERT_NEAR(px[i].r, V(c.r), 1) << i;
            ASSERT_NEAR(px[i].g, V(c.g), 1) << i;
            ASSERT_NEAR(px[i].b, V(c.b), 1) << i;
        }
    }
}

// The features that move the picture or add to it on a picture of two colours split at a known
// column or row, time 2.67 s: screen distortion pushes the edge outwards towards the corners,
// horizontal jumps shake it sideways, vertical jumps roll the picture (wrapping round); white
// lines brighten only the rows whose stripe coordinate lies in [start, end). Each pixel is
// compared with the picture at the place the formula says it shows (away from the edges).
TEST_F(PostEffectsTest, VHSDistortionJumpsAndWhiteLinesFollowTheirFormulas)
{
    if (!_window) GTEST_SKIP();
    LoadNoise();
    const float t = 2.67f;
    const float onH = std::sin(t + 4.0f * std::cos(4.0f * t)) >= 0.01f ? 1.0f : 0.0f; // onOff(4, 4, 1)
    const float onV = std::sin(t + 2.0f * std::cos(3.0f * t)) >= 0.01f ? 1.0f : 0.0f; // onOff(2, 3, 1)
    ASSERT_EQ(onH * onV, 1.0f); // both jumps are under way at this time
    struct Case
    {
        const char* pszName;
        void (*pfnSet)(shPostVHS&);
        bool bRows; // the picture split at row kSplitRow (from the bottom), not at column kSplitColumn
        // Where pixel (x, y) reads the picture: uv from its top left, y downward; or, for the white
        // lines, false where the pixel must keep its colour.
        glm::vec2 (*pfnWhere)(glm::vec2 uv, float t);
    } cases[] = {
        {"distortion", [](shPostVHS& p) { p._fScreenDistortion = 20.0f; }, false,
         [](glm::vec2 uv, float)
         {
             const glm::vec2 d = uv - 0.5f;
             return 0.5f + d * (1.0f + 200.0f * std::fabs(d.x * d.x * d.x * d.y * d.y * d.y));
         }},
        {"horizontal jumps",
         [](shPostVHS& p) { p._fJumpHorizontal = 5.0f, p._fJumpHorizontalFreq = 1.0f; }, false,
         [](glm::vec2 uv, float t)
         {
             const float m = std::fmod(t / 4.0f, 1.0f);
             const float window = 1.0f / (1.0f + 20.0f * (uv.y - m) * (uv.y - m));
             uv.x += 5.0f * std::sin(10.0f * uv.y + t) / 50.0f * (1.0f + std::cos(80.0f * t)) * window;
             return uv;
         }},
        {"vertical jumps", [](shPostVHS& p) { p._fJumpVertical = 1.0f, p._fJumpVerticalFreq = 1.0f; }, true,
         [](glm::vec2 uv, float t)
         {
             const float shift = 0.4f * (std::sin(t) * std::sin(20.0f * t) + 0.5f +
                                         0.1f * std::sin(200.0f * t) * std::cos(t));
             uv.y = std::fmod(uv.y + shift, 1.0f);
             return uv;
         }},
    };
    const int kSplitColumn = 56, kSplitRow = 30;
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.pszName);
        auto fx = rvTest::NewEffect<fxPostVHS>();
        AllOff(fx->_shProgram);
        k.pfnSet(fx->_shProgram);
        if (k.bRows)
        {
            Paint(kRed, kRed, kW, 1.0f);
            glEnable(GL_SCISSOR_TEST);
            glScissor(0, kSplitRow, kW, kH - kSplitRow);
            glClearColor(kBlue.r, kBlue.g, kBlue.b, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_SCISSOR_TEST);
        }
        else
            Paint(kRed, kBlue, kSplitColumn, 1.0f);
        const std::vector<RGBA> before = rvTest::ReadDefault();
        const std::vector<RGBA> px = RenderAt(*fx, t);
        fx->SetState(State_DemoStoped);
        int nCompared = 0, nMoved = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
            {
                const glm::vec2 uv((x + 0.5f) / kW, 1.0f - (y + 0.5f) / kH);
                const glm::vec2 at = k.pfnWhere(uv, t);
                // The sample in pixels from the bottom left, kept clear of the edges and the border.
                const float sx = at.x * kW, sy = (1.0f - at.y) * kH;
                const float fromEdge = k.bRows ? std::fabs(sy - kSplitRow) : std::fabs(sx - kSplitColumn);
                if (fromEdge < 1.5f || sx < 1.0f || sx > kW - 1.0f || sy < 1.0f || sy > kH - 1.0f) continue;
                const bool blue = k.bRows ? sy > kSplitRow : sx > kSplitColumn;
                const glm::vec3 e = blue ? kBlue : kRed;
                const RGBA& p = px[size_t(y) * kW + x];
                ++nCompared;
                nMoved += p.r != before[size_t(y) * kW + x].r ? 1 : 0;
                ASSERT_TRUE(std::abs(p.r - V(e.r)) <= 2 && std::abs(p.b - V(e.b)) <= 2) << x << "," << y;
            }
        EXPECT_GT(nCompared, kW * kH / 2);
        EXPECT_GT(nMoved, 20); // the feature did move the picture
    }

    // White lines, amount 1, stripe [0.2, 0.6) of height 1: v = 4 uv.y + t / 2 + sin(t + sin(0.63 t))
    // modulo 1; the rows inside the stripe are brightened by the noise, the others are left alone.
    auto fx = rvTest::NewEffect<fxPostVHS>();
    AllOff(fx->_shProgram);
    fx->_shProgram._fWhiteLines = 1.0f;
    fx->_shProgram._fWhiteLinesStart = 0.2f;
    fx->_shProgram._fWhiteLinesEnd = 0.6f;
    fx->_shProgram._fWhiteLinesHeight = 1.0f;
    const glm::vec3 grey(0.3f, 0.3f, 0.3f);
    Paint(grey, grey, kW, 1.0f);
    const std::vector<RGBA> px = RenderAt(*fx, t);
    fx->SetState(State_DemoStoped);
    int nInside = 0, nBrighter = 0, nOutside = 0;
    for (int y = 0; y < kH; ++y)
    {
        const float uy = 1.0f - (y + 0.5f) / kH;
        const float phase = t / 2.0f + std::sin(t + std::sin(0.63f * t));
        const float v = std::fmod(4.0f * uy + phase, 1.0f);
        const float fRow = 4.0f / kH; // how far v moves from one row to the next
        if (std::fabs(v - 0.2f) < fRow || std::fabs(v - 0.6f) < fRow || v < fRow || v > 1.0f - fRow) continue;
        const bool inside = v > 0.2f && v < 0.6f;
        for (int x = 0; x < kW; ++x)
        {
            const RGBA& p = px[size_t(y) * kW + x];
            if (inside)
            {
                ++nInside;
                nBrighter += p.g > V(grey.g) + 2 ? 1 : 0;
                ASSERT_GE(p.g, V(grey.g) - 1) << x << "," << y;
            }
            else
            {
                ++nOutside;
                ASSERT_NEAR(p.g, V(grey.g), 1) << x << "," << y;
            }
        }
    }
    EXPECT_GT(nOutside, kW * 8);
    EXPECT_GT(nBrighter, nInside / 4);
}

// Grain moves pixels both ways about the picture, its mean kept; noise lines only brighten.
TEST_F(PostEffectsTest, VHSNoiseGrainsThePictureAndNoiseLinesOnlyBrighten)
{
    if (!_window) GTEST_SKIP();
    LoadNoise();
    const glm::vec3 c(0.5f, 0.5f, 0.5f);
    auto fx = rvTest::NewEffect<fxPostVHS>();
    AllOff(fx->_shProgram);
    fx->_shProgram._fNoise = 1.0f;
    Paint(c, c, kW, 1.0f);
    std::vector<RGBA> px = RenderAt(*fx, 0.7f);
    int nUp = 0, nDown = 0;
    double sum = 0.0;
    for (const RGBA& p : px)
    {
        nUp += p.g > 128 + 8 ? 1 : 0;
        nDown += p.g < 128 - 8 ? 1 : 0;
        sum += p.g;
    }
    EXPECT_GT(nUp, kW * kH / 5);
    EXPECT_GT(nDown, kW * kH / 5);
    EXPECT_NEAR(sum / px.size(), 128.0, 10.0);

    fx->_shProgram._fNoise = 0.0f;
    fx->_shProgram._fNoiseLines = 1.0f;
    for (float t : {0.2f, 1.1f, 2.9f})
    {
        Paint(c, c, kW, 1.0f);
        px = RenderAt(*fx, t);
        for (const RGBA& p : px)
            ASSERT_GE(p.g, 127) << t;
    }
    fx->SetState(State_DemoStoped);
}

// Drawn through a region, the tape treats only that rectangle (here a red tint taken from the
// demo's global parameters); the pixels outside it pass through.
TEST_F(PostEffectsTest, VHSRegionLimitsTheTreatment)
{
    if (!_window) GTEST_SKIP();
    const glm::vec4 savedTint = fxDemoGlobalParams::_pCurrent->_vMonochromeColor;
    fxDemoGlobalParams::_pCurrent->_vMonochromeColor = glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    shPostVHS program;
    AllOff(program);
    program._fMonochrome = 1.0f;
    const glm::vec3 green(0.0f, 0.5f, 0.0f);
    Paint(green, green, kW, 1.0f);
    program.Use();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    program.DrawQuad(QUAD_LEFT | QUAD_TOP, 0.25f, 0.25f, 0.5f, 0.5f);
    program.Unuse();
    fxDemoGlobalParams::_pCurrent->_vMonochromeColor = savedTint;
    EXPECT_EQ(program._vRegionUV, glm::vec4(0.25f, 0.25f, 0.5f, 0.5f));
    const std::vector<RGBA> px = rvTest::ReadDefault();
    // Luminance 0.3576 above the tint's 0.2126: the tint mixed towards white by 0.1842.
    const int nTinted = V(0.1842f);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const RGBA& p = px[size_t(y) * kW + x];
            const int top = kH - 1 - y;
            const bool inside = x >= 16 && x < 48 && top >= 12 && top < 36;
            const bool edge =
                x == 15 || x == 16 || x == 47 || x == 48 || top == 11 || top == 12 || top == 35 || top == 36;
            if (edge) continue;
            if (inside)
            {
                ASSERT_EQ(p.r, 255) << x << "," << y;
                ASSERT_NEAR(p.g, nTinted, 2) << x << "," << y;
                ASSERT_NEAR(p.b, nTinted, 2) << x << "," << y;
            }
            else
            {
                ASSERT_EQ(p.r, 0) << x << "," << y;
                ASSERT_EQ(p.g, 128) << x << "," << y;
            }
        }
}

// BUMP_ENABLED off (height, speed or duration 0) or outside the bump's window: a plain copy.
TEST_F(PostEffectsTest, BumpOffOrOutsideItsWindowLeavesThePicture)
{
    if (!_window) GTEST_SKIP();
    struct Case
    {
        float fHeight, fSpeed, fDuration, fStart, fAttenuation;
    } cases[] = {{0.0f, 10.0f, 3.0f, 0.0f, 1.0f}, {0.5f, 0.0f, 3.0f, 0.0f, 1.0f},
                 {0.5f, 10.0f, 0.0f, 0.0f, 1.0f}, {0.5f, 10.0f, 3.0f, 5.0f, 1.0f},
                 {0.5f, 10.0f, 3.0f, 5.0f, 0.0f}, {0.5f, 10.0f, 0.1f, 0.0f, 0.0f}};
    for (const Case& k : cases)
    {
        auto fx = rvTest::NewEffect<fxPostDistortion>();
        fx->_shProgram._fBumpHeight = k.fHeight;
        fx->_shProgram._fBumpSpeed = k.fSpeed;
        fx->_shProgram._fBumpDuration = k.fDuration;
        fx->_shProgram._fBumpStart = k.fStart;
        fx->_shProgram._fBumpAttenuation = k.fAttenuation;
        Paint(kRed, kBlue, 48, 0.5f);
        const std::vector<RGBA> before = rvTest::ReadDefault();
        const std::vector<RGBA> after = RenderAt(*fx, 0.15f);
        fx->SetState(State_DemoStoped);
        for (size_t i = 0; i < after.size(); ++i)
        {
            ASSERT_EQ(after[i].r, before[i].r)
                << k.fHeight << " " << k.fSpeed << " " << k.fDuration << " " << i;
            ASSERT_EQ(after[i].b, before[i].b) << i;
            ASSERT_EQ(after[i].a, 128) << i;
        }
    }
}

// During the bump every pixel shows the copy at its centred position scaled by
// 1 + height * sin((start - t) * speed) * (1 + sqrt(r) cos r) * fact^attenuation: the edge at
// three quarters of the width moves outwards, the centre stays.
TEST_F(PostEffectsTest, BumpDisplacesAKnownEdge)
{
    if (!_window) GTEST_SKIP();
    auto fx = rvTest::NewEffect<fxPostDistortion>();
    shPostDistortion& p = fx->_shProgram;
    p._fBumpHeight = 0.5f;
    p._fBumpSpeed = 10.0f;
    p._fBumpDuration = 3.0f;
    p._fBumpAttenuation = 1.0f;
    p._fBumpStart = 0.0f;
    const int nEdge = 48;
    Paint(kRed, kBlue, nEdge, 1.0f);
    const float t = 0.15f;
    const std::vector<RGBA> px = RenderAt(*fx, t);
    fx->SetState(State_DemoStoped);
    const float fFact = 1.0f - t / p._fBumpDuration;
    int nMoved = 0, nCompared = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const float ux = 2.0f * (x + 0.5f) / kW - 1.0f, uy = 1.0f - 2.0f * (y + 0.5f) / kH;
            const float r = std::hypot(ux, uy);
            const float s = 1.0f + p._fBumpHeight * std::sin(-t * p._fBumpSpeed) *
                                       (1.0f + std::sqrt(r) * std::cos(r)) *
                                       std::pow(fFact, p._fBumpAttenuation);
            const float fSampleX = 0.5f * (ux * s + 1.0f) * kW; // in pixels
            if (std::fabs(fSampleX - nEdge) < 1.0f) continue;
            const bool bRed = fSampleX < nEdge;
            const RGBA& q = px[size_t(y) * kW + x];
            ++nCompared;
            ASSERT_EQ(q.r, V(bRed ? kRed.r : kBlue.r)) << x << "," << y;
            ASSERT_EQ(q.b, V(bRed ? kRed.b : kBlue.b)) << x << "," << y;
            nMoved += (bRed != (x < nEdge)) ? 1 : 0;
        }
    EXPECT_GT(nCompared, kW * kH * 9 / 10);
    EXPECT_GT(nMoved, kH * 4); // the edge moved by several columns
}
} // namespace
