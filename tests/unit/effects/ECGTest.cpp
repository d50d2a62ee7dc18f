// The ECG trace on a vector display that only collects geometry (no GL needed): the heartbeat
// generator's phases, the sweep ring, and the brightness ramp under "Alpha" and "DrawLine".
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "../Factory/EffectTestSupport.h"
#include "Display/rvBufferDisplay.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/Noise.h"
#include "Factory/fxDescriptor.h"
#include "VectorScene/VectorSceneLine.h"
#include "effects/fxECG/fxECG.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace
{
// The normal value is mean + deviation x the first result of the polar method on the first two
// outputs of a twister seeded with 5489 (the first pair already lies inside the unit circle).
float TwisterNormalFactor()
{
    std::mt19937 twister(5489u);
    const float a = 2.0f * (float(twister()) / 4294967296.0f) - 1.0f;
    const float b = 2.0f * (float(twister()) / 4294967296.0f) - 1.0f;
    const float s = a * a + b * b;
    EXPECT_TRUE(s > 0.0f && s < 1.0f);
    return float(double(a) * std::sqrt(-2.0 * double(std::log(s)) / double(s)));
}

class ECGTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rvTest::TheFactory();
        vector_display_create(&_pDisplay, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _pDisplay;
        _pSavedBuffer = rvSceneDisplay::_pCurrentBuffer;
        rvSceneDisplay::_pCurrentBuffer = &_Buffer;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        rvSceneDisplay::_pCurrentBuffer = _pSavedBuffer;
        vector_display_destroy(_pDisplay);
    }
    std::unique_ptr<fxECG> NewECG()
    {
        return std::unique_ptr<fxECG>(static_cast<fxECG*>(fxECG::Create(fxECG::RegisterAttributes())));
    }
    // Renders the effect at local time t (a seek from 0, so the delta is not 0).
    void RenderAt(fxECG& e, float t)
    {
        _pDisplay->npoints = 0;
        e.SetState(State_EffectStarted);
        e._fSeekTime = t;
        e.Update();
    }

    vector_display* _pDisplay = nullptr;
    rvBufferDisplay _Buffer;
    rvBufferDisplay* _pSavedBuffer = nullptr;
};
} // namespace

TEST_F(ECGTest, HeartBeatPhasesFollowTheWaveform)
{
    fxECG::_aSamples.clear();
    fxECG::HeartBeat h;
    h._fBeatTime = 0.0f;
    h.Step(0.05f); // P wave, c = 0.05
    h.Step(0.10f); // P wave, c = 0.15
    const float n1 = noise1D(0.05f * 5.0f, 0, 0.0f), n2 = noise1D(0.15f * 5.0f, 0, 0.0f);
    ASSERT_EQ(fxECG::_aSamples.size(), 2u);
    EXPECT_NEAR(fxECG::_aSamples[0]._fValue, 5.2531610f + n1, 1e-4f);
    EXPECT_NEAR(fxECG::_aSamples[1]._fValue, -0.8506322f + n2, 1e-4f);
    EXPECT_EQ(fxECG::_aSamples[1]._fX, 1.0f);
    const float factor = TwisterNormalFactor();
    EXPECT_FLOAT_EQ(fxECG::Normal(0.0f, 1.0f), factor);
    EXPECT_FLOAT_EQ(fxECG::Normal(70.0f, 2.0f), 70.0f + 2.0f * factor);

    // Past the beat length plus the pause the next beat starts at exactly 0.
    h._fPause = 0.0f;
    h._fBeatTime = 0.52f;
    h.Step(0.016f);
    EXPECT_EQ(h._fBeatTime, 0.0f);

    // The ring keeps the newest 200 samples; positions wrap from 199 to 0.
    fxECG::_aSamples.clear();
    for (int k = 0; k < 250; ++k)
        h.AddSample(float(k), glm::vec3(1.0f));
    ASSERT_EQ(fxECG::_aSamples.size(), 200u);
    EXPECT_EQ(fxECG::_aSamples.front()._fValue, 50.0f);
    EXPECT_EQ(fxECG::_aSamples.back()._fX, 249.0f - 200.0f);
}

// The QRS complex in its three thirds (no noise) and the T wave's two halves, with the default
// part means 8, 70 and 20 and the T wave's N(8, 2).
TEST_F(ECGTest, QRSComplexAndTWaveFollowTheirFormulas)
{
    const float N = TwisterNormalFactor();
    auto normal = [N](float mean) { return mean + 2.0f * N; };
    const float D = 0.12f, P1 = 0.2f, Q1 = P1 + D;
    struct Case
    {
        float t;        // beat time of the sample
        float expected; // its value
    } cases[] = {
        {P1 + 0.02f, (D - 0.02f) * normal(8.0f) * 10.0f / -6.0f},
        {P1 + 0.06f, normal(70.0f) * (D - 0.06f) * 10.0f},
        {P1 + 0.10f, normal(20.0f) * (D - 0.10f) * 10.0f / -3.0f},
        {Q1 + 0.05f, (1.0f - normal(8.0f)) * 0.2f + noise1D(0.05f * 5.0f, 0, 0.0f)}, // h = N(8, 2) > 0
        {Q1 + 0.15f, normal(8.0f) + noise1D(0.15f * 5.0f, 0, 0.0f)},                 // h = -N(8, 2)
    };
    for (const Case& c : cases)
    {
        fxECG::_aSamples.clear();
        fxECG::HeartBeat h;
        h._fBeatTime = c.t - 0.01f;
        h.Step(0.01f);
        ASSERT_EQ(fxECG::_aSamples.size(), 1u);
        EXPECT_NEAR(fxECG::_aSamples[0]._fValue, c.expected, 1e-3f) << c.t;
    }
}

// An "InterBeat" key-frame driver sets the pause between beats at each 16 ms step of the rebuilt
// trace, at that step's own time: a pause of 0.2 s before 2 s and 1.5 s after gives the trace of a
// generator whose pause changes at the first step past 2 s.
TEST_F(ECGTest, InterBeatKeysSetThePauseOfEachStepOfTheRebuiltTrace)
{
    auto e = NewECG();
    auto* keys = static_cast<KeyFrameDriver*>(
        e->SetDriver(e->_pDescriptor->FindAttrib("InterBeat"), NoneDriver::DRIVER_KEYFRAME));
    ASSERT_NE(keys, nullptr);
    keys->_eInterpolation = KeyFrameDriver::INTERPOLATION_NONE;
    keys->AddKey(0.0f, 0.2f);
    keys->AddKey(2.0f, 1.5f);
    keys->AddKey(100.0f, 1.5f);
    const float T = 6.0f;
    RenderAt(*e, T);
    const std::vector<fxECG::Sample> drawn = fxECG::_aSamples;

    auto trace = [T](bool bKeyed)
    {
        fxECG::_aSamples.clear();
        fxECG::HeartBeat h;
        h._fBeatTime = -h._fStart;
        const int n = int(T / 0.016f);
        for (int i = 0; i < n; ++i)
        {
            h._fPause = bKeyed && float(i) * 0.016f >= 2.0f ? 1.5f : 0.2f;
            h.Step(0.016f);
        }
        h.Step(T);
        return fxECG::_aSamples;
    };
    const std::vector<fxECG::Sample> keyed = trace(true), plain = trace(false);
    ASSERT_EQ(drawn.size(), keyed.size());
    bool bSame = true, bDiffers = false;
    for (size_t i = 0; i < drawn.size(); ++i)
    {
        bSame = bSame && drawn[i]._fValue == keyed[i]._fValue && drawn[i]._fX == keyed[i]._fX;
        bDiffers = bDiffers || keyed[i]._fValue != plain[i]._fValue;
    }
    EXPECT_TRUE(bSame && bDiffers);
    e->SetState(State_DemoStoped);
}

TEST_F(ECGTest, TraceIsAFunctionOfTimeAndItsRampFollowsAlpha)
{
    auto e = NewECG();
    struct Case
    {
        float alpha;
        bool drawLine;
        float factor; // brightness of the newest segment relative to the trace colour
    } cases[] = {{0.0f, false, 1.0f},
                 {0.5f, false, 0.5f},
                 {0.699f, false, 0.8f},
                 {1.0f, false, 0.0f},
                 {0.5f, true, 1.0f}};
    for (const Case& k : cases)
    {
        e->_fAlpha = k.alpha;
        e->_bDrawLine = k.drawLine;
        RenderAt(*e, 2.0f);
        const int count = int(fxECG::_aSamples.size());
        EXPECT_EQ(count, int(2.0f / 0.016f) + 1); // the 16 ms steps and the frame's own step
        // The last point added is the head of the strip, after the white dot.
        const vector_display_point& last = _pDisplay->points[_pDisplay->npoints - 2];
        const float r = float(count - 1) / float(count);
        EXPECT_NEAR(last.g, r * r * k.factor * fxECG::TRACE_COLOR.g, 1e-4f) << k.alpha;
        EXPECT_NEAR(last.x, fxECG::_aSamples.back()._fX - 100.0f, 1e-4f);
    }
    // The same time gives the same trace whatever came before.
    e->_fAlpha = 0.0f;
    e->_bDrawLine = false;
    RenderAt(*e, 5.0f);
    std::vector<fxECG::Sample> first = fxECG::_aSamples;
    RenderAt(*e, 1.0f);
    RenderAt(*e, 5.0f);
    ASSERT_EQ(first.size(), fxECG::_aSamples.size());
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i]._fValue, fxECG::_aSamples[i]._fValue);
    // A paused frame draws the last trace again.
    e->_fPendingDelta = 0.0f;
    _pDisplay->npoints = 0;
    e->Update();
    EXPECT_GT(_pDisplay->npoints, 0);
    EXPECT_EQ(fxECG::_aSamples.size(), first.size());
    // Alpha 2 draws no trace (the scene is empty without the data file).
    e->_fAlpha = 2.0f;
    RenderAt(*e, 3.0f);
    EXPECT_EQ(_pDisplay->npoints, 0);
    e->SetState(State_DemoStoped);
}

TEST_F(ECGTest, StartAttributeYieldsToTheBaseStart)
{
    fxDescriptor* d = fxECG::RegisterAttributes();
    ASSERT_EQ(d->_apAttribs.size(), 4u);
    EXPECT_EQ(d->_apAttribs[3]->_sName, "Start");
    auto e = NewECG();
    EXPECT_EQ(e->_HeartBeat._fStart, 0.967f);
    Json::Value props(Json::objectValue);
    props["Start"] = 120;
    props["InterBeat"] = 0.3;
    e->LoadValues(props);
    EXPECT_EQ(e->_nStart, 120);
    EXPECT_EQ(e->_HeartBeat._fStart, 0.967f);
    EXPECT_FLOAT_EQ(e->_fInterBeat, 0.3f);
}

TEST_F(ECGTest, RenderWithoutADisplayOrBufferStops)
{
    auto e = NewECG();
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    EXPECT_DEATH(e->Render(), "_pCurrentDisplay");
    rvSceneDisplay::_pCurrentDisplay = _pDisplay;
    rvSceneDisplay::_pCurrentBuffer = nullptr;
    EXPECT_DEATH(e->Render(), "_pCurrentBuffer");
    rvSceneDisplay::_pCurrentBuffer = &_Buffer;
}

TEST_F(ECGTest, AboveAlpha07TheTraceFollowsTheReferenceOutlineAndTheSceneIsDrawn)
{
    auto e = NewECG();
    // The reference outline: 200 points from x 100 down to -99 at height 7, inside [S, E] only.
    VectorScene* child = e->_VectorScene.AddChild();
    VectorSceneLine* shape = child->AddLine();
    shape->AddPoint(0, 0, 0);
    shape->AddPoint(1, 1, 0);
    VectorSceneLine* ref = child->AddLine();
    for (int i = 0; i < 200; ++i)
        ref->AddPoint(100.0f - float(i), 7.0f, 0.0f);
    e->_fAlpha = 0.9f;
    RenderAt(*e, 2.0f);
    // p[62].x = 38, p[156].x = -56: samples strictly between take 7, the others 0.
    for (const fxECG::Sample& s : fxECG::_aSamples)
    {
        if (s._fX == 0.0f) continue; // the first sample is never bent
        const float x = s._fX - 100.0f;
        EXPECT_EQ(s._fValue, (x < 38.0f && x > -56.0f) ? 7.0f : 0.0f) << x;
    }
    EXPECT_NEAR(shape->_vColor.g, fxECG::TRACE_COLOR.g * 0.09f, 1e-5f);
    EXPECT_EQ(_pDisplay->points[1].y, 0.0f); // the scene is drawn first

    // A range past the outline's end leaves the trace unbent instead of reading past the list.
    e->_nEndVectorScene = 250;
    RenderAt(*e, 2.5f);
    for (const fxECG::Sample& s : fxECG::_aSamples)
        EXPECT_NE(s._fValue, 7.0f);
    e->SetState(State_DemoStoped);
}
