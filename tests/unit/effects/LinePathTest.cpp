// The line path: its trail is the drivers' values at past times (not a stored history), its
// published ends, and drivers added, removed or replaced during play.
#include "VectorEffectTest.h"

#include <cmath>

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/ExpressionDriver.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/rvVariable.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxLinePath/fxLinePath.h"

using LinePathTest = rvTest::VectorEffectTest;

namespace
{
ExpressionDriver* Formula(fxBase* e, const char* attrib, const char* text)
{
    auto* d = static_cast<ExpressionDriver*>(
        e->SetDriver(e->_pDescriptor->FindAttrib(attrib), NoneDriver::DRIVER_EXPRESSION));
    d->_sExpression = text;
    return d;
}
} // namespace

// Each sample of the trail equals what the drivers give at its own past time.
TEST_F(LinePathTest, TrailIsTheDriversAtPastTimes)
{
    struct Case
    {
        float time;   // local time of the frame
        float length; // "LineLenght"
        int steps;
    } cases[] = {
        {0.0f, 1.0f, 64}, // at time 0 the samples lie at -1 .. -1/64, handed over as they are
        {3.0f, 1.0f, 4},
        {2.5f, 0.5f, 10},
        {2.0f, 0.0f, 3}, // no length: every sample at the current time
    };
    for (const Case& c : cases)
    {
        ClearPoints();
        fxLinePath* e = New<fxLinePath>();
        e->_fFadeIn = 0.0f;
        e->_fLineLength = c.length;
        e->_nStepCount = c.steps;
        Formula(e, "Pos.x", "x*2");
        Formula(e, "Pos.y", "x*x");
        Formula(e, "Color.g", "0.5 + 0.1*x");
        Frame(*e);
        if (c.time > 0.0f) Frame(*e, c.time);
        ASSERT_FLOAT_EQ(e->_fTime, c.time);
        const auto s = Strips().back();
        ASSERT_EQ(int(s.size()), c.steps);
        const float dt = c.length / float(c.steps);
        for (int i = 0; i < c.steps; ++i)
        {
            const float t = c.time - c.length + float(i) * dt;
            EXPECT_NEAR(s[size_t(i)].x, 2.0f * t, 1e-4f) << c.time << " " << i;
            EXPECT_NEAR(s[size_t(i)].y, t * t, 1e-4f);
            EXPECT_FLOAT_EQ(s[size_t(i)].z, 0.0f); // no driver: "Pos".z
            EXPECT_NEAR(s[size_t(i)].g, std::min(std::max(0.5f + 0.1f * t, 0.0f), 1.0f), 1e-5f);
            EXPECT_FLOAT_EQ(s[size_t(i)].r, 1.0f);
            EXPECT_FLOAT_EQ(s[size_t(i)].thickness, 0.8f);
        }
        // The ends are published: "End" the oldest sample, "Start" the newest.
        EXPECT_FLOAT_EQ(rvVariable::Find("EndX")->_fValue, s.front().x);
        EXPECT_FLOAT_EQ(rvVariable::Find("EndY")->_fValue, s.front().y);
        EXPECT_FLOAT_EQ(rvVariable::Find("StartX")->_fValue, s.back().x);
        EXPECT_FLOAT_EQ(rvVariable::Find("StartY")->_fValue, s.back().y);
        e->SetState(State_DemoStoped);
        _apEffects.clear();
    }
}

TEST_F(LinePathTest, WithoutDriversTheTrailCollapsesAndOneStepIsADot)
{
    fxLinePath* e = New<fxLinePath>();
    e->_fFadeIn = 0.0f;
    e->_vPos = glm::vec3(1.0f, 2.0f, 3.0f);
    e->_nStepCount = 1;
    Frame(*e);
    EXPECT_EQ(_pDisplay->ndots, 1);
    EXPECT_FLOAT_EQ(rvVariable::Find("EndZ")->_fValue, 3.0f);
    EXPECT_FLOAT_EQ(rvVariable::Find("StartZ")->_fValue, 0.0f);
    for (int steps : {0, -3, 1 << 30})
    {
        ClearPoints();
        e->_nStepCount = steps;
        e->Render();
        const auto s = Strips();
        ASSERT_EQ(s.size(), 1u);
        EXPECT_GE(s[0].size(), 1u);
        EXPECT_LE(int(s[0].size()), fxLinePath::MAX_STEPS);
        for (const vector_display_point& p : s[0])
            EXPECT_EQ(glm::vec3(p.x, p.y, p.z), e->_vPos);
    }
}

// Drivers added, replaced and removed between frames are followed from the next frame, and a
// driver that was deleted is never touched again (ASan would see it).
TEST_F(LinePathTest, FollowsDriverChangesDuringPlay)
{
    fxLinePath* e = New<fxLinePath>();
    e->_fFadeIn = 0.0f;
    e->_nStepCount = 2;
    e->_fLineLength = 0.0f;
    Frame(*e);
    EXPECT_FLOAT_EQ(Strips().back().back().x, 0.0f);

    Formula(e, "Pos.x", "7");
    ClearPoints();
    Frame(*e, 0.1f);
    EXPECT_FLOAT_EQ(Strips().back().back().x, 7.0f);

    // Replaced by another kind: the key frames take over.
    AttribDesc* posX = e->_pDescriptor->FindAttrib("Pos.x");
    auto* keys = static_cast<KeyFrameDriver*>(e->SetDriver(posX, NoneDriver::DRIVER_KEYFRAME));
    ASSERT_NE(keys, nullptr);
    keys->AddKey(0.0f, -4.0f);
    ClearPoints();
    Frame(*e, 0.1f);
    EXPECT_FLOAT_EQ(Strips().back().back().x, -4.0f);

    // Removed; another driver added in the same frame (it may reuse the freed memory).
    e->SetDriver(posX, NoneDriver::DRIVER_NONE);
    Formula(e, "Pos.y", "9");
    e->_vPos.x = 0.0f; // the attribute's own value again (the driver had written -4 into it)
    ClearPoints();
    Frame(*e, 0.1f);
    EXPECT_FLOAT_EQ(Strips().back().back().x, 0.0f);
    EXPECT_FLOAT_EQ(Strips().back().back().y, 9.0f);
    EXPECT_EQ(e->_nTrackDriverCount, 1);
    EXPECT_EQ(e->_apTrackDrivers[0], nullptr);
    EXPECT_NE(e->_apTrackDrivers[1], nullptr);
}

TEST_F(LinePathTest, TwoPathsPublishTheSameNamesAndTheFirstIsRead)
{
    fxLinePath* a = New<fxLinePath>();
    fxLinePath* b = New<fxLinePath>();
    a->_fFadeIn = b->_fFadeIn = 0.0f;
    a->_vPos.x = 1.0f;
    b->_vPos.x = 2.0f;
    Frame(*a);
    Frame(*b);
    EXPECT_EQ(rvVariable::Find("StartX"), &a->_StartX);
    EXPECT_FLOAT_EQ(rvVariable::Find("StartX")->_fValue, 1.0f);
}
