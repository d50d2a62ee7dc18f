// The ocean on a small "Default" buffer seen from 20 units above the mean water level, looking
// along -z: sky above the horizon, lit water below it, and the depth of every pixel written where
// the ray meets the waves (the far clip, held just short of 1, for the sky).
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "effects/fxOcean/fxOcean.h"
#include "rvSceneDisplay.h"

using rvTest::RGBA;

namespace
{
class OceanTest : public rvTest::EffectGLTest<64, 48>
{
protected:
    void Release() override { rvSceneDisplay::_DefaultBuffer._vPosition = _vSavedPosition; }
    glm::vec3 _vSavedPosition{0.0f};
};

TEST_F(OceanTest, SkyAboveTheHorizonLitWaterBelowAndItsDepthWritten)
{
    if (!_window) GTEST_SKIP();
    rvBufferDisplay& buffer = rvSceneDisplay::_DefaultBuffer;
    _vSavedPosition = buffer._vPosition;
    buffer._vPosition = glm::vec3(0.0f, -20.0f, 0.0f); // the eye at y = 20
    buffer.UpdateMatrices(glm::mat4(1.0f));

    auto fx = rvTest::NewEffect<fxOcean>();
    fx->_fFadeIn = fx->_fFadeOut = 0.0f;
    glBindFramebuffer(GL_FRAMEBUFFER, buffer._glFrameBuffer);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    fx->SetState(State_EffectStarted); // Init builds the program and the table
    EXPECT_TRUE(fx->_shProgram.IsBuilt());
    fx->_fPendingDelta = 1.0f / 60.0f;
    fx->Update();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)); // left on for 3D drawing after it
    fx->SetState(State_DemoStoped);

    const std::vector<RGBA> px = rvTest::ReadDefault();
    std::vector<float> depth(size_t(kW) * kH);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, buffer._glFrameBuffer);
    glReadPixels(0, 0, kW, kH, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());

    // Depth of the point where the pixel's ray crosses the plane y = h.
    const glm::mat4 viewInv = buffer._mInvView, projInv = buffer._mInvProjection;
    const glm::vec3 eye(viewInv * glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    auto depthAt = [&](int x, int y, float h)
    {
        const glm::vec4 c =
            projInv * glm::vec4(2.0f * (x + 0.5f) / kW - 1.0f, 2.0f * (y + 0.5f) / kH - 1.0f, 0.7f, 1.0f);
        const glm::vec3 ray = glm::normalize(glm::mat3(viewInv) * (glm::vec3(c) / c.w));
        const glm::vec3 p = eye + ray * ((h - eye.y) / ray.y);
        const glm::vec4 clip = buffer._mViewProjection * glm::vec4(p, 1.0f);
        return (clip.z / clip.w + 1.0f) * 0.5f;
    };

    glm::vec3 sky(0.0f), water(0.0f);
    int nSky = 0, nWater = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
        {
            const size_t i = size_t(y) * kW + x;
            const glm::vec3 c(px[i].r, px[i].g, px[i].b);
            ASSERT_FALSE(px[i].r == 255 && px[i].g == 0 && px[i].b == 255)
                << "not drawn at " << x << "," << y;
            if (y >= kH / 2 + 2)
            {
                EXPECT_NEAR(depth[i], 0.99999f, 2e-5f) << x << "," << y;
                EXPECT_GE(c.b, c.r) << x << "," << y;
                sky += c;
                ++nSky;
            }
            else if (y < kH / 2 - 3)
            {
                // The waves stay within 3 units of the mean level at this weather.
                EXPECT_GE(depth[i], depthAt(x, y, 3.0f) - 1e-5f) << x << "," << y;
                EXPECT_LE(depth[i], depthAt(x, y, -3.0f) + 1e-5f) << x << "," << y;
                EXPECT_GT(c.r + c.g + c.b, 15.0f) << x << "," << y;
                EXPECT_GT(c.b, c.r) << x << "," << y;
                water += c;
                ++nWater;
            }
        }
    sky /= float(nSky);
    water /= float(nWater);
    EXPECT_GT(sky.b, 150.0f);          // a light blue sky
    EXPECT_GT(sky.b, water.b + 40.0f); // over a darker sea
}
} // namespace
