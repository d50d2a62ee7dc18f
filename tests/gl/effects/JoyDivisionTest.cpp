// The stacked waveform lines on a small "Default" buffer. With a wave height of 0 every line is
// flat, so the picture follows from a pixel model of the stack: line i at y0 + i * dy (centred units,
// the buffer 2 units high), covered by 1 - smoothstep(0, t0, distance), each line darkening what the
// lines above drew below it by the occlusion.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxJoyDivision/fxJoyDivision.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
const int kW = 128, kH = 72;

class JoyDivisionTest : public rvTest::EffectGLTest<kW, kH>
{
protected:
    // Without fades, so that the first frame is drawn at full strength.
    static std::unique_ptr<fxJoyDivision> NewLines()
    {
        std::unique_ptr<fxJoyDivision> fx(
            static_cast<fxJoyDivision*>(fxJoyDivision::Create(fxJoyDivision::RegisterAttributes())));
        fx->_fFadeIn = fx->_fFadeOut = 0.0f;
        return fx;
    }
};

float SmoothStep(float a, float b, float x)
{
    const float t = std::min(std::max((x - a) / (b - a), 0.0f), 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Line coverage of the flat stack at every pixel.
std::vector<float> FlatModel(const shJoyDivision& p)
{
    std::vector<float> out(size_t(kW) * kH);
    const float y0 = 2.0f * p._fLineHeight - 1.0f + p._fLineOffsetY;
    const float dy = -2.0f * p._fLineHeight / (1.0f + p._fLineCount);
    const float t0 = p._fLineBold * 5.0f / kH;
    const glm::vec4 A = p._vLineAlphas;
    for (int py = 0; py < kH; ++py)
        for (int px = 0; px < kW; ++px)
        {
            const float ux = 2.0f * (px + 0.5f - 0.5f * kW) / kH;
            const float uy = 2.0f * (py + 0.5f - 0.5f * kH) / kH;
            float ret = 0.0f;
            for (int n = 0; float(n) <= p._fLineCount; ++n)
            {
                const float y = y0 + n * dy;
                const float a = n % 20 == 0 ? A.w : n % 10 == 0 ? A.z : n % 5 == 0 ? A.y : A.x;
                if (a <= 0.0f || std::fabs(ux) >= p._fLineWidth * kW / kH) continue;
                ret += (a - ret) * (1.0f - SmoothStep(0.0f, t0, std::fabs(y - uy)));
                ret *= 1.0f - p._fWavesOcclusion +
                       p._fWavesOcclusion * SmoothStep(y - t0 * 0.5f, y + t0 * 0.5f, uy);
            }
            out[size_t(py) * kW + px] = ret;
        }
    return out;
}

int WorstGreen(const std::vector<RGBA>& px, const std::vector<float>& model, const shJoyDivision& p,
               int* where)
{
    int worst = 0;
    for (size_t i = 0; i < px.size(); ++i)
    {
        const float g = p._vBackColor.g + (p._vLineColor.g - p._vBackColor.g) * model[i];
        const int d = std::abs(px[i].g - int(std::lround(g * 255.0f)));
        if (d > worst)
        {
            worst = d;
            *where = int(i);
        }
    }
    return worst;
}
} // namespace

TEST_F(JoyDivisionTest, FlatStackMatchesTheLineModel)
{
    struct Case
    {
        const char* what;
        void (*set)(shJoyDivision&);
    } cases[] = {
        {"defaults, flat", [](shJoyDivision&) {}},
        {"five lines, no occlusion",
         [](shJoyDivision& p)
         {
             p._fLineCount = 4.0f;
             p._fWavesOcclusion = 0.0f;
             p._vLineAlphas = glm::vec4(0.5f, 0.5f, 0.5f, 1.0f);
         }},
        {"five lines, full occlusion",
         [](shJoyDivision& p)
         {
             p._fLineCount = 4.0f;
             p._vLineAlphas = glm::vec4(0.5f, 0.5f, 0.5f, 1.0f);
         }},
        {"five bold lines, half occlusion",
         [](shJoyDivision& p)
         {
             p._fLineCount = 4.0f;
             p._fLineBold = 1.0f;
             p._fWavesOcclusion = 0.5f;
             p._vLineAlphas = glm::vec4(0.5f, 0.5f, 0.5f, 1.0f);
         }},
        {"short bold lines, offset",
         [](shJoyDivision& p)
         {
             p._fLineCount = 9.0f;
             p._fLineWidth = 0.5f;
             p._fLineBold = 0.6f;
             p._fLineOffsetY = -0.2f;
         }},
    };
    for (const Case& c : cases)
    {
        auto fx = NewLines();
        shJoyDivision& p = fx->_shProgram;
        p._fWavesHeight = 0.0f;
        p._vBackColor = glm::vec4(0.0f, 0.2f, 0.0f, 1.0f);
        c.set(p);
        rvTest::RenderOnce(*fx);
        int where = 0;
        EXPECT_LE(WorstGreen(rvTest::ReadDefault(), FlatModel(p), p, &where), 3)
            << c.what << ": at x " << where % kW << " y " << where / kW;
    }
}

TEST_F(JoyDivisionTest, DefaultOpacitiesFollowTheLineRhythm)
{
    // Default alphas (0.2, 0.4, 1, 0): line 0 invisible, line 10 opaque, 5 and 15 at 0.4, the
    // rest at 0.2. A tall stack moved down spreads the lines 0.131 units (4.7 pixels) apart, so
    // each line's brightest row shows its own opacity (at least 0.9 of it).
    auto fx = NewLines();
    shJoyDivision& p = fx->_shProgram;
    p._fWavesHeight = 0.0f;
    p._fWavesOcclusion = 0.0f;
    p._fLineHeight = 4.0f;
    p._fLineOffsetY = -6.0f; // first line at y = 1, the top edge
    p._vBackColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    rvTest::RenderOnce(*fx);
    const std::vector<RGBA> px = rvTest::ReadDefault();
    for (int n = 0; n <= 14; ++n)
    {
        const float y = 1.0f - n * 8.0f / 61.0f;
        const int centre = int(std::floor((y + 1.0f) * 0.5f * kH));
        int peak = 0;
        for (int r = std::max(centre - 2, 0); r <= std::min(centre + 2, kH - 1); ++r)
            peak = std::max(peak, int(px[size_t(r) * kW + 64].g));
        const float a = n == 0 ? 0.0f : n == 10 ? 1.0f : n % 5 == 0 ? 0.4f : 0.2f;
        EXPECT_GE(peak, int(a * 0.9f * 255.0f) - 1) << "line " << n;
        EXPECT_LE(peak, int(a * 255.0f) + 2) << "line " << n;
    }
}

TEST_F(JoyDivisionTest, WavesRiseInTheMiddleOnlyAndLineCountZeroDrawsOneLine)
{
    auto flat = NewLines();
    flat->_shProgram._fWavesHeight = 0.0f;
    rvTest::RenderOnce(*flat);
    const std::vector<RGBA> flatPx = rvTest::ReadDefault();
    auto wavy = NewLines();
    rvTest::RenderOnce(*wavy);
    const std::vector<RGBA> wavyPx = rvTest::ReadDefault();
    // The bulge spans |x| < (0.2 + 0.5) * 1.78 = 1.24 units: the outer columns keep the flat
    // picture, the middle differs.
    int outer = 0, middle = 0;
    for (int y = 0; y < kH; ++y)
    {
        for (int x : {0, 4, kW - 5, kW - 1})
            outer = std::max(outer, std::abs(flatPx[size_t(y) * kW + x].g - wavyPx[size_t(y) * kW + x].g));
        middle = std::max(middle, std::abs(flatPx[size_t(y) * kW + 64].g - wavyPx[size_t(y) * kW + 64].g));
    }
    EXPECT_LE(outer, 2);
    EXPECT_GT(middle, 40);

    // "Line/Count" 0: one line at y0 = 0.6, with the wave of the top line; nothing far below it.
    auto one = NewLines();
    one->_shProgram._fLineCount = 0.0f;
    one->_shProgram._vLineAlphas = glm::vec4(1.0f);
    one->_shProgram._fWavesOcclusion = 0.0f;
    one->_shProgram._vBackColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    rvTest::RenderOnce(*one);
    const std::vector<RGBA> px = rvTest::ReadDefault();
    int lit = 0, litLow = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const bool on = px[size_t(y) * kW + x].g > 128;
            lit += on;
            litLow += on && y < 40; // below y = 0.1
        }
    EXPECT_GT(lit, kW / 2);
    EXPECT_EQ(litLow, 0);
}

TEST_F(JoyDivisionTest, SeeThroughBackgroundBlendsAtFullFade)
{
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    auto fx = NewLines();
    fx->_shProgram._vBackColor = glm::vec4(0.0f, 0.0f, 1.0f, 0.0f);
    fx->_shProgram._fLineCount = 0.0f;
    fx->_shProgram._vLineAlphas = glm::vec4(0.0f); // no line drawn
    rvTest::RenderOnce(*fx);
    glDisable(GL_BLEND);
    const std::vector<RGBA> px = rvTest::ReadDefault();
    EXPECT_EQ(px[0].r, 255);
    EXPECT_EQ(px[0].b, 0);

    // Opaque background at full fade: drawn over, the buffer's alpha kept.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(1.0f, 0.0f, 0.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    fx->_shProgram._vBackColor.a = 1.0f;
    rvTest::RenderOnce(*fx);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    const std::vector<RGBA> px2 = rvTest::ReadDefault();
    EXPECT_EQ(px2[0].r, 0);
    EXPECT_EQ(px2[0].b, 255);
    EXPECT_EQ(px2[0].a, 128);
}

TEST_F(JoyDivisionTest, AttributesAreTheProgramValues)
{
    fxDescriptor* d = fxJoyDivision::RegisterAttributes();
    auto fx = NewLines();
    shJoyDivision& p = fx->_shProgram;
    struct Row
    {
        const char* name;
        const float* value;
        float expected;
    } rows[] = {
        {"Waves/Motion.y", &p._vWavesMotion.y, 0.0f},
        {"Waves/Width", &p._fWavesWidth, 0.2f},
        {"Waves/Height", &p._fWavesHeight, 0.5f},
        {"Waves/Power", &p._fWavesPower, 4.0f},
        {"Waves/Attenuation", &p._fWavesAttenuationWidth, 0.5f},
        {"Waves/Occlusion", &p._fWavesOcclusion, 1.0f},
        {"Waves/Spectrer", &p._fWavesSpectrer, 0.0f},
        {"Line/Width", &p._fLineWidth, 1.0f},
        {"Line/Height", &p._fLineHeight, 0.8f},
        {"Line/Persp", &p._fLinePersp, 0.0f},
        {"Line/Count", &p._fLineCount, 60.0f},
        {"Line/Bold", &p._fLineBold, 1.0f},
        {"Line/Offsety", &p._fLineOffsetY, 0.0f},
        {"Color/Back.b", &p._vBackColor.b, 0.35f},
        {"Color/Line.a", &p._vLineColor.a, 1.0f},
        {"Color/LineVariation", &p._fLineColorVariation, 0.0f},
        {"Color/Linealphas.g", &p._vLineAlphas.y, 0.4f},
        {"Polar/Enable", &p._fPolar, 0.0f},
        {"Polar/ScaleX", &p._fPolarX, 0.5f},
        {"Polar/ScaleY", &p._fPolarY, 0.2f},
    };
    for (const Row& r : rows)
    {
        AttribDesc* a = d->FindAttrib(r.name);
        ASSERT_NE(a, nullptr) << r.name;
        EXPECT_FLOAT_EQ(a->GetFloat(fx.get()), r.expected) << r.name;
        a->SetFloat(fx.get(), 0.625f);
        EXPECT_EQ(*r.value, 0.625f) << r.name;
    }
}

TEST_F(JoyDivisionTest, FullPolarMappingTurnsFlatLinesIntoRingsAroundTheCentre)
{
    // With flat lines the picture depends only on the mapped height "POLARY" / radius: pixels at
    // the same distance from the centre match (mirrored and swapped offsets), and it varies along
    // the radius.
    auto fx = NewLines();
    shJoyDivision& p = fx->_shProgram;
    p._fWavesHeight = 0.0f;
    p._fPolar = 1.0f;
    p._fLineCount = 20.0f;
    p._vLineAlphas = glm::vec4(1.0f);
    p._fWavesOcclusion = 0.0f;
    p._vBackColor = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    rvTest::RenderOnce(*fx);
    const std::vector<RGBA> px = rvTest::ReadDefault();
    auto at = [&](int ox, int oy) { return int(px[size_t(kH / 2 + oy) * kW + kW / 2 + ox].g); };
    int worst = 0, lo = 255, hi = 0;
    for (int a = 0; a < 30; ++a)
        for (int b = 0; b < 30; ++b)
        {
            const int v = at(a, b);
            for (int w : {at(-1 - a, b), at(a, -1 - b), at(-1 - a, -1 - b), at(b, a)})
                worst = std::max(worst, std::abs(v - w));
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    EXPECT_LE(worst, 3);
    EXPECT_GT(hi - lo, 100);
}
