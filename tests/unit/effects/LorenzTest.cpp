// The Lorenz attractor effect on a vector display that only collects geometry (no GL needed):
// spawning and its carry, the Euler step and drawing transform, the fade-out expansion, and the
// hand-over of another effect's shape through the timeline.
#include <gtest/gtest.h>

#include <memory>

#include "../Factory/EffectTestSupport.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "VectorScene/VectorScene.h"
#include "VectorScene/VectorSceneLine.h"
#include "effects/fxLorenz/fxLorenz.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace
{
// An effect whose shape is one straight line from (0, 0, 0) to (10, 0, 0), width 0.5, red.
class ShapeEffect : public fxBase
{
public:
    explicit ShapeEffect(fxDescriptor* d) : fxBase(d)
    {
        VectorSceneLine* l = _Scene.AddLine();
        l->AddPoint(0.0f, 0.0f, 0.0f);
        l->AddPoint(10.0f, 0.0f, 0.0f);
        l->_vColor = glm::vec4(1, 0, 0, 1);
        l->_fWidth = 0.5f;
        _pVectorScene = &_Scene;
    }
    VectorScene _Scene;
};

class LorenzTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        rvTest::TheFactory();
        vector_display_create(&_pDisplay, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _pDisplay;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        vector_display_destroy(_pDisplay);
    }

    std::unique_ptr<fxLorenz> NewLorenz()
    {
        std::unique_ptr<fxLorenz> l(static_cast<fxLorenz*>(fxLorenz::Create(fxLorenz::RegisterAttributes())));
        l->_nSeed = 1234;
        return l;
    }

    // One frame of dt seconds (the effect is started first when needed).
    void Frame(fxBase& e, float dt)
    {
        _pDisplay->npoints = 0;
        _pDisplay->ndots = 0;
        e.SetState(State_EffectStarted);
        e._fPendingDelta = dt;
        e.Update();
    }

    // The i-th dot drawn this frame (each dot is four display points).
    const vector_display_point& DrawnDot(int i) const { return _pDisplay->points[4 * i]; }

    vector_display* _pDisplay = nullptr;
};
} // namespace

TEST_F(LorenzTest, RegistersItsAttributesWithTheirDefaults)
{
    fxDescriptor* d = fxLorenz::RegisterAttributes();
    EXPECT_EQ(rvTest::TheFactory()->FindDescriptor("fxLorenz"), d);
    ASSERT_EQ(d->_apAttribs.size(), 13u + 3u * 7u);
    EXPECT_EQ(d->_apAttribs[0]->_sName, "Dot/CountStart");
    EXPECT_EQ(d->_apAttribs[12]->_sName, "Lorentz/DefaultZ");
    EXPECT_EQ(d->_apAttribs[13]->_sName, "Input0/FxName");
    EXPECT_EQ(d->_apAttribs[13]->_eType, TYPE_STRING);
    EXPECT_EQ(d->_apAttribs[33]->_sName, "Input2/ThicknessFactorf");
    EXPECT_EQ(d->FindAttrib("Dot/SpawnPerSec")->_pRange->_max.i, 500);

    // Input attributes address their own input record.
    Json::Value props(Json::objectValue);
    props["Input1/FxName"] = "Ring";
    props["Input2/Points"] = 77;
    props["Lorentz/Size.y"] = 0.5;
    auto l = NewLorenz();
    l->LoadValues(props);
    EXPECT_EQ(l->_aInputs[1]._sFxName, "Ring");
    EXPECT_EQ(l->_aInputs[0]._sFxName, "");
    EXPECT_EQ(l->_aInputs[2]._nPoints, 77);
    EXPECT_EQ(l->_aInputs[1]._nPoints, 1000);
    EXPECT_EQ(l->_vSize, glm::vec2(1.0f, 0.5f));
    EXPECT_EQ(l->_nSpawnPerSec, 2000);
    EXPECT_FLOAT_EQ(l->_fBeta, 8.0f / 3.0f);
}

TEST_F(LorenzTest, SpawnsAtASteadyRateWithCarryAndFadesDotsInOverASecond)
{
    auto l = NewLorenz();
    l->_fFadeIn = 0.0f;
    l->_fFadeOut = 0.0f;
    l->SetState(State_DemoStarted);
    ASSERT_EQ(l->_aDots.size(), 100u);
    const float fFirstX = l->_aDots[50]._Point.x;
    EXPECT_GE(l->_aDots.capacity(), 20000u);
    for (const fxLorenz::Dot& d : l->_aDots)
    {
        EXPECT_LE(std::abs(d._Point.x), 175.1f);
        EXPECT_EQ(d._fFadeIn, 0.0f);
    }

    const float dt = 1.0f / 60.0f;
    Frame(*l, dt);
    EXPECT_EQ(l->_aDots.size(), 133u);
    EXPECT_EQ(l->_nSpawned, 133);
    EXPECT_NEAR(l->_fSpawnCarry, 1.0f / 3.0f, 1e-4f);
    ASSERT_EQ(_pDisplay->ndots, 133);
    EXPECT_NEAR(DrawnDot(0).r, dt, 1e-6f);
    EXPECT_NEAR(DrawnDot(132).g, dt, 1e-6f);
    EXPECT_EQ(DrawnDot(0).flags & ~(PTF_LINE_STRIPSTART | PTF_LINE_STRIPEND), 0);

    for (int i = 0; i < 60; ++i)
        Frame(*l, dt);
    EXPECT_FLOAT_EQ(DrawnDot(0).r, 1.0f); // full colour one second later
    EXPECT_NEAR(l->_nSpawned, 133 + 2000, 1);

    // The same seed gives the same flock.
    auto m = NewLorenz();
    m->SetState(State_DemoStarted);
    EXPECT_EQ(m->_aDots[50]._Point.x, fFirstX);
    m->SetState(State_DemoStoped);

    // Once the counter reaches the limit no more dots come until the next Init.
    l->_nSpawned = l->_nCountMax;
    const size_t n = l->_aDots.size();
    Frame(*l, 0.5f);
    EXPECT_EQ(l->_aDots.size(), n);
    l->SetState(State_DemoStoped);
    EXPECT_TRUE(l->_aDots.empty());
    l->SetState(State_DemoStarted);
    EXPECT_EQ(l->_nSpawned, 100);
    EXPECT_EQ(l->_aDots.size(), 100u);
    l->SetState(State_DemoStoped);
}

TEST_F(LorenzTest, OneEulerStepAndTheDrawingTransformAlsoUnderFadeOut)
{
    const float dt = 1.0f / 60.0f;
    const float h = 0.2f * dt * 0.01f;
    struct Case
    {
        float time; // local time of the frame (span 10 s, fade-out 2 s)
        float grow; // factor on x and y before the step
    } cases[] = {{5.0f, 1.0f}, {9.0f, 1.5f}};
    for (const Case& k : cases)
    {
        auto l = NewLorenz();
        l->_nCountStart = 0;
        l->_nSpawnPerSec = 0;
        l->_fFadeIn = 0.0f;
        l->_fFadeOut = 2.0f;
        l->_vPos = glm::vec2(10.0f, 5.0f);
        l->_vSize = glm::vec2(2.0f, 0.5f);
        l->SetState(State_EffectStarted);
        fxLorenz::Dot d{};
        d._Point = vector_display_point(1, 1, 1, 1, 1, 1, 0, 0.2f);
        d._fThicknessBlend = 1.0f;
        d._fFadeIn = 1.0f;
        d._fSpeed = 0.2f;
        l->_aDots.push_back(d);
        l->_fTime = k.time - dt;
        l->_fPendingDelta = dt;
        _pDisplay->npoints = 0;
        _pDisplay->ndots = 0;
        l->Update();
        const float x = k.grow, y = k.grow, z = 1.0f;
        const float nx = x + h * 10.0f * (y - x);
        const float ny = y + h * ((28.0f - z) * x - y);
        const float nz = z + h * (x * y - 8.0f / 3.0f * z);
        const fxLorenz::Dot& s = l->_aDots[0];
        EXPECT_NEAR(s._Point.x, nx, 1e-5f) << k.time;
        EXPECT_NEAR(s._Point.y, ny, 1e-5f) << k.time;
        EXPECT_NEAR(s._Point.z, nz, 1e-5f) << k.time;
        EXPECT_EQ(_pDisplay->ndots, 1);
        EXPECT_NEAR(DrawnDot(0).x, (10.0f - ny) * 2.0f, 1e-5f);
        EXPECT_NEAR(DrawnDot(0).y, (nx + 5.0f) * 0.5f, 1e-5f);
        EXPECT_NEAR(DrawnDot(0).z, nz - 200.0f, 1e-5f);
        EXPECT_FLOAT_EQ(DrawnDot(0).r, 1.0f); // the fade does not dim the colour
        EXPECT_FLOAT_EQ(DrawnDot(0).thickness, 0.2f);
        l->SetState(State_DemoStoped);
    }
}

TEST_F(LorenzTest, BackwardSeekDoesNotRunTheFlockBackwards)
{
    auto l = NewLorenz();
    l->SetState(State_EffectStarted);
    Frame(*l, 0.1f);
    const fxLorenz::Dot before = l->_aDots[3];
    l->_fSeekTime = 0.0f;
    _pDisplay->npoints = 0;
    l->Update();
    EXPECT_EQ(l->_aDots[3]._Point.x, before._Point.x);
    EXPECT_EQ(l->_aDots[3]._fFadeIn, before._fFadeIn);
    // Drawn at the brightness of its fade-in as it stood (still under one second: dimmed).
    ASSERT_LT(before._fFadeIn, 1.0f);
    EXPECT_FLOAT_EQ(DrawnDot(3).r, before._Point.r * before._fFadeIn);
    l->SetState(State_DemoStoped);
}

TEST_F(LorenzTest, ReleasesAnotherEffectsShapeOnceFromWhereItWasDrawn)
{
    fxDescriptor shapeDesc(fxBase::GetDescriptor(), "LorenzTestShape", nullptr);
    rvSequence seq(false);
    ShapeEffect* shape = new ShapeEffect(&shapeDesc);
    shape->_sName = "Line";
    fxLorenz* l = static_cast<fxLorenz*>(fxLorenz::Create(fxLorenz::RegisterAttributes()));
    l->_nSeed = 99;
    l->_nCountStart = 0;
    l->_nSpawnPerSec = 0;
    l->_vPos = glm::vec2(10.0f, 5.0f);
    l->_aInputs[0]._sFxName = "Line";
    l->_aInputs[0]._nPoints = 4;
    l->_aInputs[1]._sFxName = "Nobody";
    seq.AddEffect(shape);
    seq.AddEffect(l);

    l->SetState(State_DemoStarted);
    const fxLorenz::Input& in = l->_aInputs[0];
    ASSERT_NE(in._pDots, nullptr);
    EXPECT_EQ(l->_aInputs[1]._pDots, nullptr);
    EXPECT_GE(l->_aDots.capacity(), 20004u);
    for (int j = 0; j < 4; ++j)
    {
        EXPECT_NEAR(in._pDots[j]._Point.x, 2.5f * j, 1e-5f);
        EXPECT_FLOAT_EQ(in._pDots[j]._Point.r, 1.0f);
        EXPECT_FLOAT_EQ(in._pDots[j]._Point.g, 0.0f);
        EXPECT_FLOAT_EQ(in._pDots[j]._Point.thickness, 0.5f);
        EXPECT_GE(in._pDots[j]._fAcceleration, 0.03f - 1e-6f);
        EXPECT_LE(in._pDots[j]._fAcceleration, 0.06f + 1e-6f);
    }

    Frame(*l, 1.0f / 60.0f);
    EXPECT_TRUE(l->_aDots.empty()); // nothing released without "/Transfer"
    l->_aInputs[0]._fTransfer = 1.0f;
    Frame(*l, 1.0f / 60.0f);
    ASSERT_EQ(l->_aDots.size(), 4u);
    EXPECT_EQ(in._nNext, 4);
    for (int j = 0; j < 4; ++j)
    {
        // Speed starts at 0, so the first step is tiny: drawn where the line had it.
        EXPECT_NEAR(DrawnDot(j).x, 2.5f * j, 1e-3f);
        EXPECT_NEAR(DrawnDot(j).y, 0.0f, 1e-3f);
        EXPECT_NEAR(DrawnDot(j).z, 0.0f, 1e-3f);
    }
    Frame(*l, 1.0f / 60.0f);
    EXPECT_EQ(l->_aDots.size(), 4u); // released once

    // A full list takes no released dots; a zero size has no inverse and releases nothing.
    l->SetState(State_DemoStoped);
    EXPECT_EQ(l->_aInputs[0]._pDots, nullptr);
    l->_nCountMax = 10000;
    l->SetState(State_DemoStarted);
    l->_aDots.resize(l->_aDots.capacity());
    Frame(*l, 1.0f / 60.0f);
    EXPECT_EQ(l->_aDots.size(), l->_aDots.capacity());
    l->SetState(State_DemoStoped);
    l->_vSize.x = 0.0f;
    l->SetState(State_DemoStarted);
    Frame(*l, 1.0f / 60.0f);
    EXPECT_TRUE(l->_aDots.empty());
    seq.Clear();
}

TEST_F(LorenzTest, RenderWithoutADisplayStops)
{
    auto l = NewLorenz();
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    EXPECT_DEATH(l->Render(), "_pCurrentDisplay");
    rvSceneDisplay::_pCurrentDisplay = _pDisplay;
}
