// The jellyfish: rest pose, the rope step (segment lengths kept, bends limited and relaxed),
// rebuilds when a count changes, the published anchor, and the guards on counts and numbers.
#include "VectorEffectTest.h"

#include <cmath>

#include "Factory/Drivers/rvVariable.h"
#include "effects/fxJellyFish/fxJellyFish.h"

using JellyFishTest = rvTest::VectorEffectTest;

namespace
{
// Length of segment k of a tentacle (from the anchor for k = 0), in the plane of the anchor.
float SegmentLength(const fxJellyFish& e, size_t t, size_t k)
{
    const glm::vec3 prev = k == 0 ? e._vPos : e._aTentacles[t][k - 1];
    return glm::length(e._aTentacles[t][k] - prev);
}

// Bend of segment k against the one before (or the rest direction), radians in [-pi, pi).
float Bend(const fxJellyFish& e, size_t t, size_t k)
{
    const glm::vec3 prev = k == 0 ? e._vPos : e._aTentacles[t][k - 1];
    const glm::vec3 d = e._aTentacles[t][k] - prev;
    float before = e.RestAngle(int(t));
    if (k > 0)
    {
        const glm::vec3 p0 = k == 1 ? e._vPos : e._aTentacles[t][k - 2];
        const glm::vec3 d0 = prev - p0;
        before = std::atan2(d0.y, d0.x);
    }
    float w = std::atan2(d.y, d.x) - before;
    return w - std::floor((w + float(M_PI)) / float(2 * M_PI)) * float(2 * M_PI);
}
} // namespace

TEST_F(JellyFishTest, RestPoseIsStraightRaysOfShrinkingSegments)
{
    fxJellyFish* e = New<fxJellyFish>();
    e->_vPos = glm::vec3(1.0f, 2.0f, 3.0f);
    Frame(*e); // Init builds the pose, the first step keeps it
    ASSERT_EQ(e->_aTentacles.size(), 10u);
    for (size_t t = 0; t < 10; ++t)
    {
        ASSERT_EQ(e->_aTentacles[t].size(), 10u);
        float L = 5.0f;
        for (size_t k = 0; k < 10; ++k)
        {
            EXPECT_NEAR(SegmentLength(*e, t, k), L, 1e-4f);
            EXPECT_NEAR(Bend(*e, t, k), 0.0f, 1e-4f);
            EXPECT_FLOAT_EQ(e->_aTentacles[t][k].z, 3.0f);
            L *= 0.7f;
        }
        // Rays 36 degrees apart.
        const glm::vec3 d = (e->_aTentacles[t][0] - e->_vPos) / 5.0f;
        EXPECT_NEAR(d.x, std::cos(float(t) * 0.6283185f), 1e-4f);
        EXPECT_NEAR(d.y, std::sin(float(t) * 0.6283185f), 1e-4f);
    }
    // One strip per tentacle, from the anchor: 11 points.
    const auto strips = Strips();
    ASSERT_EQ(strips.size(), 10u);
    EXPECT_EQ(strips[0].size(), 11u);
    EXPECT_FLOAT_EQ(rvVariable::Find("JellyFish.z")->_fValue, 3.0f);
}

// Moving the anchor: every frame each segment keeps its length and bends at most "Angle
// Freedom"; once the anchor stops the bends shrink by "Angle Force" each frame.
TEST_F(JellyFishTest, RopeKeepsItsSegmentLengthsAndRelaxes)
{
    fxJellyFish* e = New<fxJellyFish>();
    e->_fAngleFreedom = 40.0f;
    Frame(*e);
    for (int i = 0; i < 30; ++i)
    {
        e->_vPos += glm::vec3(1.0f, 0.3f, 0.0f);
        Frame(*e, 1.0f / 60.0f);
        for (size_t t = 0; t < e->_aTentacles.size(); ++t)
        {
            float L = 5.0f;
            for (size_t k = 0; k < e->_aTentacles[t].size(); ++k)
            {
                ASSERT_NEAR(SegmentLength(*e, t, k), L, 1e-3f * L) << t << " " << k;
                ASSERT_LE(std::fabs(Bend(*e, t, k)), 40.0f * 0.017453292f + 1e-4f);
                L *= 0.7f;
            }
        }
    }
    float bendBefore = 0.0f;
    for (size_t t = 0; t < e->_aTentacles.size(); ++t)
        bendBefore = std::max(bendBefore, std::fabs(Bend(*e, t, 0)));
    EXPECT_GT(bendBefore, 0.05f); // the tentacles trail behind
    // The anchor at rest: one frame takes the share "Angle Force" off the first segment's bend.
    e->_fAngleForce = 0.25f;
    std::vector<float> firstBend;
    for (size_t t = 0; t < e->_aTentacles.size(); ++t)
        firstBend.push_back(Bend(*e, t, 0));
    Frame(*e, 1.0f / 60.0f);
    for (size_t t = 0; t < e->_aTentacles.size(); ++t)
        EXPECT_NEAR(Bend(*e, t, 0), 0.75f * firstBend[t], 1e-4f) << t;
    e->_fAngleForce = 0.7f;
    for (int i = 0; i < 80; ++i)
        Frame(*e, 1.0f / 60.0f);
    for (size_t t = 0; t < e->_aTentacles.size(); ++t)
        for (size_t k = 0; k < e->_aTentacles[t].size(); ++k)
            EXPECT_NEAR(Bend(*e, t, k), 0.0f, 1e-3f);
}

TEST_F(JellyFishTest, AngleFreedomZeroKeepsRigidRays)
{
    fxJellyFish* e = New<fxJellyFish>();
    e->_fAngleFreedom = 0.0f;
    Frame(*e);
    e->_vPos = glm::vec3(-20.0f, 5.0f, 0.0f);
    Frame(*e, 0.1f);
    for (size_t t = 0; t < e->_aTentacles.size(); ++t)
        for (size_t k = 0; k < e->_aTentacles[t].size(); ++k)
            EXPECT_NEAR(Bend(*e, t, k), 0.0f, 1e-4f);
}

TEST_F(JellyFishTest, CountChangesRebuildAndBadValuesAreSafe)
{
    fxJellyFish* e = New<fxJellyFish>();
    Frame(*e);
    e->_vPos.x = 10.0f;
    Frame(*e, 0.1f);
    e->_nSegments = 11; // back to rest around the new anchor
    Frame(*e, 0.1f);
    ASSERT_EQ(e->_aTentacles[0].size(), 11u);
    EXPECT_NEAR(Bend(*e, 0, 0), 0.0f, 1e-5f);
    EXPECT_NEAR(e->_aTentacles[0][0].x, 15.0f, 1e-4f);

    e->_nSegments = 1;
    Frame(*e, 0.1f);
    EXPECT_EQ(Strips().back().size(), 2u);

    // No tentacles: nothing read, nothing drawn.
    for (int n : {0, -4})
    {
        ClearPoints();
        e->_nTentacles = n;
        Frame(*e, 0.1f);
        EXPECT_TRUE(e->_aTentacles.empty());
        EXPECT_EQ(_pDisplay->npoints, 0);
    }
    // Lengths of 0 give points without direction; a non-finite anchor draws nothing and the
    // pose is back at rest once the anchor is a number again.
    e->_nTentacles = 3;
    e->_fLengthBase = 0.0f;
    Frame(*e, 0.1f);
    for (const auto& tentacle : e->_aTentacles)
        for (const glm::vec3& p : tentacle)
            EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    e->_fLengthBase = 5.0f;
    ClearPoints();
    e->_vPos.y = std::nanf("");
    Frame(*e, 0.1f);
    EXPECT_EQ(_pDisplay->npoints, 0);
    e->_vPos.y = 0.0f;
    Frame(*e, 0.1f);
    EXPECT_NEAR(SegmentLength(*e, 0, 0), 5.0f, 1e-4f);
    // Counts far past the editor's range are bounded.
    e->_nTentacles = 1 << 30;
    e->_nSegments = 1 << 30;
    Frame(*e, 0.1f);
    EXPECT_EQ(int(e->_aTentacles.size()), fxJellyFish::MAX_TENTACLES);
    EXPECT_EQ(int(e->_aTentacles[0].size()), fxJellyFish::MAX_SEGMENTS);
}

TEST_F(JellyFishTest, ColoursAlternateAndBlendTowardsTheTip)
{
    fxJellyFish* e = New<fxJellyFish>();
    e->_fFadeIn = 0.0f;
    e->_nTentacles = 1;
    e->_nSegments = 4;
    e->_vColor0Start = glm::vec4(0.0f, 1.0f, 1.0f, 1.0f);
    e->_vColor0End = glm::vec4(1.0f, 0.0f, 3.0f, 1.0f); // blue past 1 is held at 1
    _pDisplay->settings.color[0] = 0.25f;
    Frame(*e);
    const auto s = Strips().at(0);
    ASSERT_EQ(s.size(), 5u);
    EXPECT_FLOAT_EQ(s[0].r, 0.25f); // the anchor keeps the colour left on the display
    EXPECT_FLOAT_EQ(s[1].g, 1.0f);  // k = 0: colour 0 at the root
    EXPECT_NEAR(s[2].r, 1.0f - 0.8f * 0.25f, 1e-5f); // k = 1: colour 1 a quarter of the way
    EXPECT_NEAR(s[2].b, 1.0f - 0.8f * 0.25f, 1e-5f);
    EXPECT_FLOAT_EQ(s[2].g, 0.0f);
    EXPECT_FLOAT_EQ(s[3].r, 0.5f); // k = 2: colour 0 half way
    EXPECT_FLOAT_EQ(s[3].b, 1.0f);
}
