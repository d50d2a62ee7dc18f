// The two test shaders on a small "Default" buffer, created through the Factory's rows and driven
// as the timeline drives them (one 1/60 s frame): the 2D spiral against a model of its formula,
// and the 3D wire cube against the projection of its corners.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <cmath>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "Factory/Factory.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBasicShader2d/fxBasicShader2d.h"
#include "effects/fxBasicShader3d/fxBasicShader3d.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
class BasicShaderTest : public rvTest::EffectGLTest<96, 64>
{
protected:
    static fxBase* New(const char* pszClass)
    {
        if (!Factory::_pInstance) new Factory();
        Factory::_pInstance->RegisterAll();
        fxDescriptor* d = Factory::_pInstance->FindDescriptor(pszClass);
        return d && d->_pfnCreate ? d->_pfnCreate(d) : nullptr;
    }
    // Clears colour to `clear` and depth to 1, renders one frame at full strength.
    static std::vector<RGBA> RenderOnce(fxBase& fx, const glm::vec4& clear)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glClearColor(clear.r, clear.g, clear.b, clear.a);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        fx._fFadeIn = fx._fFadeOut = 0.0f;
        fx.SetState(State_EffectStarted);
        fx._fPendingDelta = 1.0f / 60.0f;
        fx.Update();
        return rvTest::ReadDefault();
    }
};

TEST(BasicShaderRegistration, BothClassesAreCreatableAndHaveNoAttributes)
{
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    for (const char* cls : {"fxBasicShader2d", "fxBasicShader3d"})
    {
        fxDescriptor* d = Factory::_pInstance->FindDescriptor(cls);
        ASSERT_NE(d, nullptr) << cls;
        EXPECT_NE(d->_pfnCreate, nullptr) << cls;
        EXPECT_TRUE(d->_apAttribs.empty()) << cls;
    }
    EXPECT_EQ(Factory::_pInstance->FindDescriptor("fxBasicShader2d")->_nId, 22);
    EXPECT_EQ(Factory::_pInstance->FindDescriptor("fxBasicShader3d")->_nId, 23);
}

// Every pixel: c = sin(|uv| * 10 + atan(uv.x / uv.y) * 6 - t) * |uv| * 1.5, written as (c, c, c, c)
// (clamped by the 8-bit target) and blended with alpha c over the cleared colour.
TEST_F(BasicShaderTest, SpiralFollowsItsFormulaBlendedOverTheBuffer)
{
    if (!_window) GTEST_SKIP();
    std::unique_ptr<fxBase> fx(New("fxBasicShader2d"));
    ASSERT_NE(fx, nullptr);
    const glm::vec4 back(0.2f, 0.0f, 0.6f, 1.0f);
    const std::vector<RGBA> px = RenderOnce(*fx, back);
    const float t = fx->_fTime;
    fx->SetState(State_DemoStoped);
    auto value = [&](float fx_, float fy)
    {
        const float ux = (fx_ / kW - 0.5f) * float(kW) / kH, uy = fy / kH - 0.5f;
        const float r = std::hypot(ux, uy);
        return std::sin(r * 10.0f + std::atan(ux / uy) * 6.0f - t) * r * 1.5f;
    };
    int nBright = 0, nBack = 0, nChecked = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const float v = value(x + 0.5f, y + 0.5f);
            // Where the value changes fast within the pixel, rounding could move it too much.
            const float dv = std::max(std::fabs(value(x + 0.75f, y + 0.5f) - v),
                                      std::fabs(value(x + 0.5f, y + 0.75f) - v));
            if (dv > 0.02f) continue;
            const float c = std::min(1.0f, std::max(0.0f, v));
            const RGBA& p = px[size_t(y) * kW + x];
            EXPECT_NEAR(p.r, 255.0f * (c * c + back.r * (1.0f - c)), 4.0f) << x << "," << y;
            EXPECT_NEAR(p.b, 255.0f * (c * c + back.b * (1.0f - c)), 4.0f) << x << "," << y;
            ++nChecked;
            nBright += c > 0.6f ? 1 : 0;
            nBack += c == 0.0f ? 1 : 0;
        }
    EXPECT_GT(nChecked, kW * kH / 4);
    EXPECT_GT(nBright, 100); // the arms show
    EXPECT_GT(nBack, 500);   // and between them the buffer is left as it was
}

// The front face (z = 10) hides the rest: bright lines along its edges and its diagonal from
// (-10, 10) to (10, -10), the fill colour (black) between them, the buffer outside the cube.
TEST_F(BasicShaderTest, WireCubeShowsItsFrontFaceEdgesAndDiagonalOverTheFill)
{
    if (!_window) GTEST_SKIP();
    rvBufferDisplay& buffer = rvSceneDisplay::_DefaultBuffer;
    const glm::vec3 savedPosition = buffer._vPosition;
    buffer._vPosition = glm::vec3(0.0f, 0.0f, -45.0f);
    buffer.UpdateMatrices(glm::mat4(1.0f));
    std::unique_ptr<fxBase> fx(New("fxBasicShader3d"));
    ASSERT_NE(fx, nullptr);
    // The wire program scales its edge distances by the clip w as well: at the default 5 the lines
    // are narrower than a pixel 35 units away. A smaller scale widens them to about two pixels.
    static_cast<fxBasicShader3d*>(fx.get())->_shProgram._fLineBold = 0.3f;
    const std::vector<RGBA> px = RenderOnce(*fx, glm::vec4(0.0f, 0.0f, 0.5f, 1.0f));
    fx->SetState(State_DemoStoped);
    buffer._vPosition = savedPosition;
    EXPECT_EQ(static_cast<fxBasicShader3d*>(fx.get())->_glCubeBuffer, 0u); // given back by Kill

    auto at = [&](float x, float y) -> const RGBA&
    {
        const glm::vec4 c = buffer._mViewProjection * glm::vec4(x, y, 10.0f, 1.0f);
        const int px_ = int((c.x / c.w * 0.5f + 0.5f) * kW), py = int((c.y / c.w * 0.5f + 0.5f) * kH);
        return px[size_t(py) * kW + px_];
    };
    // The brightest pixel next to each point.
    auto brightest = [&](float x, float y)
    {
        const glm::vec4 c = buffer._mViewProjection * glm::vec4(x, y, 10.0f, 1.0f);
        const int cx = int((c.x / c.w * 0.5f + 0.5f) * kW), cy = int((c.y / c.w * 0.5f + 0.5f) * kH);
        int best = 0;
        for (int j = cy - 1; j <= cy + 1; ++j)
            for (int i = cx - 1; i <= cx + 1; ++i)
                best = std::max(best, int(px[size_t(j) * kW + i].r));
        return best;
    };
    // Points along the four edges (just inside the face) and along the diagonal.
    for (float f : {-6.0f, -2.0f, 3.0f, 7.0f})
    {
        for (glm::vec2 p : {glm::vec2(f, 9.7f), glm::vec2(f, -9.7f), glm::vec2(9.7f, f), glm::vec2(-9.7f, f),
                            glm::vec2(f, -f)})
            EXPECT_GT(brightest(p.x, p.y), 200) << p.x << "," << p.y;
    }
    // Inside the two triangles, away from every edge: the fill colour.
    for (glm::vec2 p : {glm::vec2(-4.0f, -4.0f), glm::vec2(4.0f, 4.0f)})
    {
        const RGBA& q = at(p.x, p.y);
        EXPECT_LT(q.r + q.g + q.b, 40) << p.x << "," << p.y;
    }
    // Outside the cube: the buffer as cleared.
    EXPECT_EQ(px[0].b, 128);
    EXPECT_EQ(px[0].r, 0);
    EXPECT_EQ(px[size_t(kH - 1) * kW + kW - 1].b, 128);
}
} // namespace
