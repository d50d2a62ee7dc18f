// The star field and the aurora horizon on a small "Default" buffer, driven as the timeline drives
// them (one 1/60 s frame). The star field's centre is at pixel (32, 16); its picture is 2 units high.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <cmath>
#include <memory>
#include <vector>

#include <json/json.h>

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxHorizonBorealis/fxHorizonBorealis.h"
#include "effects/fxStarField/fxStarField.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
const int kW = 64, kH = 32;

class StarFieldHorizonTest : public rvTest::EffectGLTest<kW, kH>
{
protected:

    // Clears the buffer to (r, 0, 0, 1) and renders one frame; fFadeIn 0 renders at full strength.
    static std::vector<RGBA> ClearAndRender(fxBase& fx, float fFadeIn = 0.0f, unsigned char r = 0)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(r / 255.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        fx._fFadeIn = fFadeIn;
        fx._fFadeOut = 0.0f;
        rvTest::RenderOnce(fx);
        return rvTest::ReadDefault();
    }
    static float Radius(int x, int y)
    {
        return std::hypot((2.0f * x + 1.0f - kW) / kH, (2.0f * y + 1.0f - kH) / kH);
    }
    static bool Black(const RGBA& p) { return p.r == 0 && p.g == 0 && p.b == 0; }
};

TEST(StarFieldRegistration, SecondCallReturnsTheSameDescriptorWithoutAddingAttributes)
{
    fxDescriptor* d = fxStarField::RegisterAttributes();
    const size_t n = d->_apAttribs.size();
    EXPECT_EQ(n, 25u);
    EXPECT_EQ(fxStarField::RegisterAttributes(), d);
    EXPECT_EQ(d->_apAttribs.size(), n);
}

TEST_F(StarFieldHorizonTest, StarFieldHoleCutsTheCentreAndDebugShowsItWhite)
{
    if (!_window) GTEST_SKIP();
    auto fx = rvTest::NewEffect<fxStarField>();
    fx->_shProgram._nFractalIter1 = 30; // keeps llvmpipe quick
    const std::vector<RGBA> plain = ClearAndRender(*fx);
    fx->_shProgram._fHoleSize = 0.2f;
    fx->_fHoleOpacity = 1.0f;
    const std::vector<RGBA> holed = ClearAndRender(*fx);
    fx->_fHoleOpacity = 0.0f;
    fx->_bHoleDebug = true;
    const std::vector<RGBA> debug = ClearAndRender(*fx);
    int nLit = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const size_t i = size_t(y) * kW + x;
            const float r = Radius(x, y);
            nLit += Black(plain[i]) ? 0 : 1;
            if (r < 0.19f)
            {
                EXPECT_TRUE(Black(holed[i])) << x << "," << y;
                EXPECT_EQ(debug[i].r, 255) << x << "," << y;
                EXPECT_EQ(debug[i].g, 255);
            }
            else if (r > 0.81f)
            {
                EXPECT_NEAR(holed[i].g, plain[i].g, 1) << x << "," << y;
                EXPECT_NEAR(debug[i].g, plain[i].g, 1) << x << "," << y;
            }
        }
    EXPECT_GT(nLit, kW * kH / 4); // the star cloud shows
}

// No samples: the cloud is black; only the spiral remains, and only with a radius and an alpha.
TEST_F(StarFieldHorizonTest, StarFieldWithoutSamplesShowsOnlyTheSpiral)
{
    if (!_window) GTEST_SKIP();
    struct Case
    {
        float fSpiral, fAlpha, fFlatness;
        bool bLit;
    } cases[] = {{0.0f, 1.0f, 0.0f, false}, {1.0f, 0.0f, 0.0f, false}, {1.0f, 1.0f, 0.0f, true},
                 {1.0f, 1.0f, 1.0f, true}}; // flatness 1: hard-edged arms, no division by zero
    auto fx = rvTest::NewEffect<fxStarField>();
    fx->_shProgram._nFractalIter1 = 0;
    for (const Case& c : cases)
    {
        fx->_shProgram._fSpiral = c.fSpiral;
        fx->_shProgram._vSpiralColor.a = c.fAlpha;
        fx->_shProgram._fSpiralFlatness = c.fFlatness;
        int nLit = 0;
        for (const RGBA& p : ClearAndRender(*fx)) nLit += Black(p) ? 0 : 1;
        EXPECT_EQ(nLit > 0, c.bLit) << c.fSpiral << " " << c.fAlpha << " " << c.fFlatness;
    }
}

TEST_F(StarFieldHorizonTest, StarFieldBelowFullFadeBlendsOverTheBuffer)
{
    if (!_window) GTEST_SKIP();
    auto fx = rvTest::NewEffect<fxStarField>();
    fx->_shProgram._nFractalIter1 = 0; // black picture
    const std::vector<RGBA> px = ClearAndRender(*fx, 4.0f / 60.0f, 200);
    const float fFade = fx->_shProgram._fFade;
    ASSERT_GT(fFade, 0.0f);
    ASSERT_LT(fFade, 1.0f);
    EXPECT_NEAR(px[0].r, 200.0f * (1.0f - fFade), 2.0f);
    EXPECT_NEAR(px[size_t(kH / 2) * kW + kW / 2].r, 200.0f * (1.0f - fFade), 2.0f);
}

// Rows whose ray falls below the horizon are black below the band's centre line; an offset that
// puts the band's centre at the top row lights that row. The picture is opaque at any fade.
TEST_F(StarFieldHorizonTest, HorizonGroundIsBlackAndTheBandFollowsTheOffset)
{
    if (!_window) GTEST_SKIP();
    auto fx = rvTest::NewEffect<fxHorizonBorealis>();
    for (float fOffset : {100.0f, 34.5f})
    {
        fx->_shProgram._fHorizonOffset = fOffset;
        const std::vector<RGBA> px = ClearAndRender(*fx, 4.0f / 60.0f, 200);
        for (int y = 0; y < kH / 2; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_TRUE(Black(px[size_t(y) * kW + x])) << fOffset << ": " << x << "," << y;
        int nTopLit = 0;
        for (int x = 0; x < kW; ++x) nTopLit += px[size_t(kH - 1) * kW + x].g >= 5 ? 1 : 0;
        if (fOffset < 50.0f)
            EXPECT_EQ(nTopLit, kW);
        else
            EXPECT_LT(nTopLit, kW / 4); // only stars above the band
    }
}
// Position and roll share one program value; the hole's two attributes live in the effect.
TEST_F(StarFieldHorizonTest, StarFieldValuesSurviveAJsonRoundTrip)
{
    auto a = rvTest::NewEffect<fxStarField>();
    a->_shProgram._vMainTransform = glm::vec3(0.25f, -0.5f, 45.0f);
    a->_shProgram._nFractalIter1 = 12;
    a->_shProgram._vColorMul = glm::vec3(0.1f, 0.2f, -0.3f);
    a->_shProgram._vSpiralColor = glm::vec4(0.5f, 0.25f, 1.0f, 0.75f);
    a->_fHoleOpacity = 0.6f;
    a->_bHoleDebug = true;
    Json::Value props(Json::objectValue);
    for (AttribDesc* pAttrib : fxStarField::RegisterAttributes()->_apAttribs)
        fxBase::SaveValue(a.get(), props, pAttrib);
    auto b = rvTest::NewEffect<fxStarField>();
    b->LoadValues(props);
    EXPECT_EQ(b->_shProgram._vMainTransform, a->_shProgram._vMainTransform);
    EXPECT_EQ(b->_shProgram._nFractalIter1, 12);
    EXPECT_EQ(b->_shProgram._vColorMul, a->_shProgram._vColorMul);
    EXPECT_EQ(b->_shProgram._vSpiralColor, a->_shProgram._vSpiralColor);
    EXPECT_FLOAT_EQ(b->_fHoleOpacity, 0.6f);
    EXPECT_TRUE(b->_bHoleDebug);
}
} // namespace
