// The tunnel of rings on a real context: the chain recycles its rings in order as the depth
// travels, and the geometry stage's edge distances light the ring outlines.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include "effects/fxTunnelPattern3d/fxTunnelPattern3d.h"
#include "rvSceneDisplay.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <vector>

namespace
{
using Ring = fxTunnelPattern3d::PTS_CIRCLE;
const int kSize = 128;

class TunnelPattern3dTest : public rvTest::EffectGLTest<kSize, kSize>
{
protected:
    void SetUp() override
    {
        EffectGLTest::SetUp();
        if (!_window) return;
        // A camera at the origin looking down -z: the view's [2][2] is 1, so the depth decreases.
        rvBufferDisplay& b = rvSceneDisplay::_DefaultBuffer;
        b._mView = glm::mat4(1.0f);
        b._mViewProjection = glm::perspective(glm::radians(60.0f), 1.0f, 1.0f, 1000.0f);
    }

    static std::vector<Ring*> Chain(const fxTunnelPattern3d& fx)
    {
        std::vector<Ring*> rings;
        for (TLS_LIST_ELEMENT* e = fx._lCircles._pHead; e; e = e->_pNext)
            rings.push_back(static_cast<Ring*>(e));
        return rings;
    }
    // The chain's invariants: the ring count, touching depth intervals, consecutive ring numbers.
    static void ExpectChain(const fxTunnelPattern3d& fx, int nCount)
    {
        const std::vector<Ring*> rings = Chain(fx);
        ASSERT_EQ(int(rings.size()), nCount);
        for (size_t i = 0; i + 1 < rings.size(); ++i)
        {
            EXPECT_EQ(rings[i]->zmax, rings[i + 1]->zmin) << i;
            EXPECT_EQ(rings[i]->index + 1, rings[i + 1]->index) << i;
            EXPECT_LT(rings[i]->zmin, rings[i]->zmax) << i;
        }
    }
    static void Step(fxTunnelPattern3d& fx)
    {
        fx._fPendingDelta = 1.0f / 60.0f;
        fx.Update();
    }
};

TEST_F(TunnelPattern3dTest, RingsAreRecycledInOrderAsTheDepthTravels)
{
    if (!_window) GTEST_SKIP() << "no display";
    auto fx = rvTest::NewEffect<fxTunnelPattern3d>();
    fx->_fFadeIn = fx->_fFadeOut = 0.0f;
    fx->_Design._nCircleCount = 8;
    fx->_Design._fStepz = 10.0f;
    fx->_fMainSpeed = 600.0f; // ten units, one ring, per frame
    fx->SetState(State_EffectStarted);
    Step(*fx);
    ExpectChain(*fx, 8);
    int nHead = Chain(*fx).front()->index;
    for (int frame = 0; frame < 6; ++frame)
    {
        Step(*fx);
        ExpectChain(*fx, 8);
        // The camera moves towards the head: one ring a frame leaves the tail for the head.
        EXPECT_EQ(Chain(*fx).front()->index, nHead - 1) << frame;
        nHead = Chain(*fx).front()->index;
        const std::vector<Ring*> rings = Chain(*fx);
        EXPECT_LE(rings.front()->zmin, fx->_fOffsetZ);
        EXPECT_GE(rings.back()->zmax, fx->_fOffsetZ);
    }
    // Standing still, the chain rebalances one ring a frame until the camera's ring lies at
    // position half + 1 from the head.
    fx->_fMainSpeed = 0.0f;
    for (int frame = 0; frame < 10; ++frame)
        Step(*fx);
    ExpectChain(*fx, 8);
    const std::vector<Ring*> rings = Chain(*fx);
    int nHolding = -1;
    for (size_t i = 0; i < rings.size() && nHolding < 0; ++i)
        if (rings[i]->zmin <= fx->_fOffsetZ && fx->_fOffsetZ <= rings[i]->zmax) nHolding = int(i);
    EXPECT_EQ(nHolding, 8 / 2 + 1);
    fx->SetState(State_DemoStoped);
}

TEST_F(TunnelPattern3dTest, HostileDesignValuesAreBoundedOrDrawNothing)
{
    if (!_window) GTEST_SKIP() << "no display";
    struct Case
    {
        int nCount, nPoints;
        float fStep;
        int nExpected; // rings in the chain, -1: nothing built
    };
    const Case cases[] = {{100000, 64, 10.0f, 128}, {-3, 64, 10.0f, 2}, {8, 5000, 10.0f, 8},
                          {8, 64, 0.0f, -1},        {8, 64, NAN, -1},   {8, 64, -5.0f, -1}};
    for (const Case& c : cases)
    {
        auto fx = rvTest::NewEffect<fxTunnelPattern3d>();
        fx->_fFadeIn = fx->_fFadeOut = 0.0f;
        fx->_Design._nCircleCount = c.nCount;
        fx->_Design._nPointPerCircle = c.nPoints;
        fx->_Design._fStepz = c.fStep;
        fx->SetState(State_EffectStarted);
        Step(*fx);
        EXPECT_EQ(fx->_lCircles._nCount, c.nExpected < 0 ? 0 : c.nExpected) << c.nCount << " " << c.fStep;
        fx->SetState(State_DemoStoped);
    }
}

// Two rings of radius 4 (main circle plus ring circle, each half the radius). Standing still at
// depth 0, the chain of two rebalances once in the first frame to [-20, -10] and [-10, 0]; with the
// centring term (the projection's own offset, -2) the band's rings lie 12 and 22 units in front of
// the eye. Only the edges along a ring are lit here: the ring outlines.
TEST_F(TunnelPattern3dTest, EdgeDistancesLightTheRingOutlines)
{
    if (!_window) GTEST_SKIP() << "no display";
    struct Case
    {
        float fAlongRing; // "LINE_INTENSITY".y
        bool bLit;
    };
    for (const Case& c : {Case{1.0f, true}, Case{0.0f, false}})
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        auto fx = rvTest::NewEffect<fxTunnelPattern3d>();
        fx->_fFadeIn = fx->_fFadeOut = 0.0f;
        fx->_Design._nCircleCount = 2;
        fx->_Design._nPointPerCircle = 8;
        fx->_Design._fRadius = 4.0f;
        fx->_fMainSpeed = 0.0f;
        shTunnelPattern3d& s = fx->_shProgram;
        s._vLineIntensity = glm::vec4(0.0f, c.fAlongRing, 0.0f, 1.0f);
        s._fLineBold = 1.0f;
        s._fFogPower = 0.0f;
        s._vLineColor = glm::vec4(1.0f, 0.5f, 0.0f, 1.0f);
        s._vFillColor = glm::vec4(0.0f, 0.0f, 0.25f, 1.0f);
        rvTest::RenderOnce(*fx);
        const std::vector<rvTest::RGBA> px = rvTest::ReadDefault();
        // The brightest red in a 5 x 5 square around a point given in normalised device units.
        auto at = [&](glm::vec2 ndc)
        {
            const int cx = int((ndc.x * 0.5f + 0.5f) * kSize), cy = int((ndc.y * 0.5f + 0.5f) * kSize);
            rvTest::RGBA best{0, 0, 0, 0};
            for (int y = cy - 2; y <= cy + 2; ++y)
                for (int x = cx - 2; x <= cx + 2; ++x)
                    if (px[size_t(y) * kSize + size_t(x)].r >= best.r) best = px[size_t(y) * kSize + size_t(x)];
            return best;
        };
        const float rNear = 4.0f / 12.0f * 1.7320508f, rFar = 4.0f / 22.0f * 1.7320508f; // 1/tan(30 deg)
        // Ring points 0 (top) and 6 (right).
        for (const glm::vec2 dir : {glm::vec2(0.0f, 1.0f), glm::vec2(1.0f, 0.0f)})
        {
            for (const float r : {rNear, rFar})
            {
                const rvTest::RGBA onRing = at(dir * r);
                if (c.bLit)
                {
                    EXPECT_GT(onRing.r, 140) << dir.x << " " << r;
                    EXPECT_GT(onRing.g, 50) << dir.x << " " << r;
                }
                else
                    EXPECT_LT(onRing.r, 30) << dir.x << " " << r;
            }
            // Between the rings the fill colour; inside the far ring and outside the near one, nothing.
            const rvTest::RGBA inBand = at(dir * (rNear + rFar) * 0.5f);
            EXPECT_LT(inBand.r, 30) << dir.x;
            EXPECT_NEAR(inBand.b, 64, 6) << dir.x;
            EXPECT_EQ(at(dir * rFar * 0.5f).b, 0) << dir.x;
            EXPECT_EQ(at(dir * (rNear + 0.2f)).b, 0) << dir.x;
        }
    }
}
} // namespace
