// The cardioid (its strip, its colour held within the display's range, its guarded step, the
// camera it writes) and the arrow outline, on a display that only collects geometry.
#include "VectorEffectTest.h"

#include <cmath>

#include "effects/fxObjArrow/fxObjArrow.h"
#include "effects/rvCardoid/rvCardoid.h"

using CardoidTest = rvTest::VectorEffectTest;
using ArrowTest = rvTest::VectorEffectTest;

TEST_F(CardoidTest, StripPointCountFollowsTheStep)
{
    struct Case
    {
        float a, b, step;
        size_t points; // strip points, both copies of the start included
    } cases[] = {
        {8.0f, 2.0f, 0.1f, 64}, // defaults: P0, t = 0.1 .. 6.2, P0
        {8.0f, 2.0f, 1.0f, 8},  // t = 1 .. 6
        {0.0f, 0.0f, 0.5f, 14}, // on the z axis: t = 0.5 .. 6
    };
    for (const Case& c : cases)
    {
        ClearPoints();
        rvCardoid* e = New<rvCardoid>();
        e->_fA = c.a;
        e->_fB = c.b;
        e->_fStep = c.step;
        Frame(*e);
        const auto strips = Strips();
        ASSERT_EQ(strips.size(), 1u) << c.step;
        const auto& s = strips[0];
        ASSERT_EQ(s.size(), c.points) << c.step;
        EXPECT_FLOAT_EQ(s.front().x, c.a + c.b);
        EXPECT_FLOAT_EQ(s.back().x, c.a + c.b);
        EXPECT_FLOAT_EQ(s.back().z, 0.0f);
        for (size_t i = 1; i + 1 < s.size(); ++i)
        {
            const float t = float(i) * c.step;
            EXPECT_NEAR(s[i].x, c.a * std::cos(t) + c.b * std::cos(3 * t), 1e-3f);
            EXPECT_NEAR(s[i].y, c.a * std::sin(t) + c.b * std::sin(3 * t), 1e-3f);
            EXPECT_NEAR(s[i].z, 8.0f * std::sin(2 * t), 1e-3f);
            EXPECT_LE(std::fabs(s[i].z), 8.0f + 1e-4f);
        }
    }
}

// With its own defaults the blue would pass 1 where the curve dips below z = -4: it is held at
// 1 there, and follows 0.8 - zPrev / 20 elsewhere. No fade is applied at time 0.
TEST_F(CardoidTest, BlueFollowsTheDepthWithinTheDisplayRange)
{
    rvCardoid* e = New<rvCardoid>();
    Frame(*e);
    const auto s = Strips().at(0);
    bool clamped = false;
    for (size_t i = 1; i + 1 < s.size(); ++i)
    {
        const float zPrev = i == 1 ? 0.0f : s[i - 1].z;
        const float expected = 0.8f - zPrev / 20.0f;
        EXPECT_FLOAT_EQ(s[i].r, 0.4f);
        EXPECT_FLOAT_EQ(s[i].g, 0.4f);
        EXPECT_LE(s[i].b, 1.0f);
        if (expected > 1.0f)
        {
            clamped = true;
            EXPECT_FLOAT_EQ(s[i].b, 1.0f);
        }
        else
            EXPECT_NEAR(s[i].b, expected, 1e-5f);
    }
    EXPECT_TRUE(clamped);
}

TEST_F(CardoidTest, StepsThatWouldNeverEndDrawNothingOrAreBounded)
{
    for (float step : {0.0f, -0.1f, std::nanf(""), INFINITY})
    {
        ClearPoints();
        rvCardoid* e = New<rvCardoid>();
        e->_fStep = step;
        Frame(*e);
        EXPECT_EQ(_pDisplay->npoints, 0) << step;
    }
    // A step far below the editor's range is drawn at the smallest step instead.
    ClearPoints();
    rvCardoid* e = New<rvCardoid>();
    e->_fStep = 1e-9f;
    Frame(*e);
    const size_t n = Strips().at(0).size();
    EXPECT_NEAR(double(n), 2.0 * M_PI / rvCardoid::MIN_STEP + 1.0, 60.0); // the float sum drifts a little
}

TEST_F(CardoidTest, CamGoesIntoTheCurrentBufferAndStaysThere)
{
    // The picture of the defaults, to compare with.
    Frame(*New<rvCardoid>());
    const std::vector<vector_display_point> plain = Points();
    ClearPoints();
    rvCardoid* e = New<rvCardoid>();
    e->_vCam = glm::vec3(0.0f, 0.5f, 0.0f);
    // The stored values do not change the picture: every point, its place and its colour.
    e->_fTotal = 200.0f;
    e->_fFactor = 1.0f;
    e->_fRadius = 3.0f;
    Frame(*e);
    EXPECT_EQ(_pBuffer->_vCamRotation, glm::vec3(0.0f, 0.5f, 0.0f));
    EXPECT_EQ(Strips().at(0).size(), 64u);
    const std::vector<vector_display_point> drawn = Points();
    ASSERT_EQ(drawn.size(), plain.size());
    for (size_t i = 0; i < drawn.size(); ++i)
        ASSERT_TRUE(drawn[i].x == plain[i].x && drawn[i].y == plain[i].y && drawn[i].z == plain[i].z &&
                    drawn[i].r == plain[i].r && drawn[i].g == plain[i].g && drawn[i].b == plain[i].b)
            << i;
    e->SetState(State_DemoStarted);
    EXPECT_EQ(_pBuffer->_vCamRotation, glm::vec3(0.0f, 0.5f, 0.0f));
}

TEST_F(ArrowTest, OutlineOfTheDefaultsAndItsRatios)
{
    fxObjArrow* e = New<fxObjArrow>();
    e->_fFadeIn = 0.0f;
    Frame(*e);
    const auto s = Strips().at(0);
    const glm::vec2 expected[] = {{-0.25f, -1}, {-0.25f, 0.3f}, {-0.5f, 0.3f}, {0, 1},
                                  {0.5f, 0.3f}, {0.25f, 0.3f},  {0.25f, -1},   {-0.25f, -1}};
    ASSERT_EQ(s.size(), 8u);
    for (size_t i = 0; i < 8; ++i)
    {
        EXPECT_NEAR(s[i].x, expected[i].x, 1e-6f) << i;
        EXPECT_NEAR(s[i].y, expected[i].y, 1e-6f) << i;
        EXPECT_FLOAT_EQ(s[i].z, 0.0f);
        EXPECT_FLOAT_EQ(s[i].thickness, 0.3f);
    }

    struct Case
    {
        float ratioHeadY, ratioBaseX;
        float headBaseY, shaftX;
    } cases[] = {{0.0f, 0.5f, 1.0f, 0.25f}, {1.0f, 0.5f, -1.0f, 0.25f}, {0.35f, 1.0f, 0.3f, 0.5f}};
    for (const Case& c : cases)
    {
        e->_fRatioHeadY = c.ratioHeadY;
        e->_fRatioBaseX = c.ratioBaseX;
        glm::vec3 p[fxObjArrow::OUTLINE_POINTS];
        e->Outline(p);
        EXPECT_NEAR(p[1].y, c.headBaseY, 1e-6f);
        EXPECT_NEAR(p[6].x, c.shaftX, 1e-6f);
    }
}

TEST_F(ArrowTest, TransformFadeAndWidth)
{
    fxObjArrow* e = New<fxObjArrow>();
    e->_fFadeIn = 2.0f;
    e->_vColor = glm::vec3(3.0f, 0.5f, 1.0f); // red above 1 even at half fade: held at 1
    e->_Transform._vPosition = glm::vec3(10.0f, 0.0f, 0.0f);
    e->_Transform._vScale = glm::vec3(2.0f);
    e->_fThickness = 0.0f;
    _pDisplay->current_thickness = 0.7f;
    Frame(*e);
    Frame(*e, 1.0f); // half way into the fade-in
    const auto strips = Strips();
    const auto& s = strips.back();
    EXPECT_NEAR(s[3].x, 10.0f, 1e-5f); // the tip, moved and scaled
    EXPECT_NEAR(s[3].y, 2.0f, 1e-5f);
    EXPECT_FLOAT_EQ(s[3].r, 1.0f);
    EXPECT_FLOAT_EQ(s[3].g, 0.25f);
    EXPECT_FLOAT_EQ(s[3].b, 0.5f);
    EXPECT_FLOAT_EQ(s[3].thickness, 0.7f); // 0 keeps the width in force
}
