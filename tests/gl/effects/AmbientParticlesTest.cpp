// The ambient particles on a small "Default" buffer: one layer of hard-edged motes of one colour,
// standing still, so every pixel is either a mote or the buffer, combined by each blend mode as its
// formula says; about pi * Size^2 of the picture is covered. At fade 0 nothing shows.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <cmath>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "effects/fxAmbientParticles/fxAmbientParticles.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
class AmbientParticlesTest : public rvTest::EffectGLTest<128, 64>
{
protected:
    static std::unique_ptr<fxAmbientParticles> New()
    {
        auto fx = rvTest::NewEffect<fxAmbientParticles>();
        shAmbientParticles& p = fx->_shProgram;
        p._nDensity = 1;
        p._fDepthAlpha = 1.0f;
        p._fNoiseMotion = 0.0f;
        p._fBlur = 0.0f;
        p._fScale = 0.1f; // 20 cells across
        p._fSize = 0.25f;
        p._vColor0 = p._vColor1 = kMote;
        fx->_fFadeOut = 0.0f;
        return fx;
    }
    // Clears to kBack and renders one frame; fFadeIn 0 renders at full strength.
    static std::vector<RGBA> RenderOnce(fxAmbientParticles& fx, float fFadeIn)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(kBack.r, kBack.g, kBack.b, kBack.a);
        glClear(GL_COLOR_BUFFER_BIT);
        fx._fFadeIn = fFadeIn;
        fx.SetState(State_EffectStarted);
        fx._fPendingDelta = 1.0f / 60.0f;
        fx.Update();
        fx.SetState(State_SequenceStarted);
        return rvTest::ReadDefault();
    }
    static bool Near(const RGBA& p, const glm::vec4& c)
    {
        auto v = [](float f) { return int(std::lround(255.0f * std::min(1.0f, std::max(0.0f, f)))); };
        return std::abs(p.r - v(c.r)) <= 2 && std::abs(p.g - v(c.g)) <= 2 && std::abs(p.b - v(c.b)) <= 2 &&
               std::abs(p.a - v(c.a)) <= 2;
    }
    static constexpr glm::vec4 kMote{1.0f, 0.5f, 0.25f, 1.0f};
    static constexpr glm::vec4 kBack{0.2f, 0.2f, 0.6f, 1.0f};
};
constexpr glm::vec4 AmbientParticlesTest::kMote;
constexpr glm::vec4 AmbientParticlesTest::kBack;

TEST_F(AmbientParticlesTest, MotesInEachBlendModeAndNoneAtFadeZero)
{
    if (!_window) GTEST_SKIP();
    struct Case
    {
        int eMode;
        glm::vec4 lit, unlit;
    } cases[] = {
        {fxAmbientParticles::BLEND_NONE, kMote, glm::vec4(0.0f)},
        {fxAmbientParticles::BLEND_ALPHA, kMote, kBack},
        {fxAmbientParticles::BLEND_ADD, glm::min(kMote + kBack, glm::vec4(1.0f)), kBack},
        {fxAmbientParticles::BLEND_MAX, glm::max(kMote, kBack), kBack},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.eMode);
        auto fx = New();
        fx->_eBlendMode = c.eMode;
        std::vector<RGBA> px = RenderOnce(*fx, 0.0f);
        int nLit = 0, nUnlit = 0;
        for (const RGBA& p : px)
        {
            nLit += Near(p, c.lit) ? 1 : 0;
            nUnlit += Near(p, c.unlit) ? 1 : 0;
        }
        const float fLit = float(nLit) / float(px.size());
        EXPECT_GT(nLit + nUnlit, int(px.size()) * 9 / 10); // only the motes' rims are in between
        EXPECT_NEAR(fLit, 3.14159f * 0.25f * 0.25f, 0.07f);

        // Fade 0 (the first frame of a long fade-in): the buffer as it was, black with "None".
        px = RenderOnce(*fx, 1000.0f);
        for (const RGBA& p : px)
            ASSERT_TRUE(Near(p, c.eMode == fxAmbientParticles::BLEND_NONE ? glm::vec4(0.0f) : kBack));
        fx->SetState(State_DemoStoped);
    }
}

// Every shape draws motes (and its program keeps every asserted uniform); a shape outside the
// list, "Enabled" off or no layers draw none.
TEST_F(AmbientParticlesTest, EachShapeDrawsAndNothingWhenThereIsNone)
{
    if (!_window) GTEST_SKIP();
    auto fx = New();
    fx->_shProgram._fScale = 1.0f; // large motes (one cell is 64 pixels), so the outlines show
    // The share of a cell each shape lights (any visible coverage) for the size s = 1/4: the
    // sphere a disc pi s^2; the square a frame from s in to its inner edge, softened from 0.9 s
    // down to about 0.86 s; the bubble a ring from s in to 0.9 s and a highlight of radius about
    // 0.6 s; the diamond 2 s^2; the cross two bars 0.2 s wide across the disc, 0.76 s^2; the
    // circle the bubble's ring alone. All differ, so a shape drawn with another's formula shows.
    const float s = 0.25f, pi = 3.14159265f;
    const float ring = pi * s * s * (1.0f - 0.81f);
    const float model[] = {pi * s * s, 4.0f * s * s * (1.0f - 0.86f * 0.86f), ring + pi * 0.36f * s * s,
                           2.0f * s * s, 0.76f * s * s, ring};
    float lit[8] = {};
    for (int nShape = 0; nShape <= 7; ++nShape)
    {
        fx->_shProgram._nShape = nShape;
        int nLit = 0;
        const std::vector<RGBA> px = RenderOnce(*fx, 0.0f);
        for (const RGBA& p : px)
            nLit += Near(p, kBack) ? 0 : 1;
        lit[nShape] = float(nLit) / float(px.size());
        if (nShape < shAmbientParticles::SHAPE_COUNT)
        {
            EXPECT_GT(nLit, 100) << nShape;
            EXPECT_EQ(fx->_shProgram._nShapeBuilt, nShape);
        }
        else
            EXPECT_EQ(nLit, 0) << nShape;
    }
    // Each within a fifth of its model (the pixel grid cuts thin outlines coarsely), and in the
    // model's order.
    for (int i = 0; i < shAmbientParticles::SHAPE_COUNT; ++i)
    {
        EXPECT_NEAR(lit[i], model[i], 0.2f * model[i]) << i;
        for (int j = 0; j < shAmbientParticles::SHAPE_COUNT; ++j)
            EXPECT_TRUE(model[i] <= model[j] || lit[i] > lit[j]) << i << " " << j;
    }
    fx->_shProgram._nShape = 0;
    for (int k = 0; k < 2; ++k)
    {
        fx->_shProgram._bEnabled = k != 0;
        fx->_shProgram._nDensity = k == 0 ? 1 : 0;
        for (const RGBA& p : RenderOnce(*fx, 0.0f))
            ASSERT_TRUE(Near(p, kBack)) << k;
    }
    fx->SetState(State_DemoStoped);
}
} // namespace
