#include "EffectTestSupport.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using rvTest::fxRecorder;
using rvTest::NewRecorder;

namespace
{
typedef std::vector<std::string> Log;

AttribDesc* Attr(fxBase* e, const char* name)
{
    AttribDesc* p = e->_pDescriptor->FindAttrib(name);
    EXPECT_NE(p, nullptr) << name;
    return p;
}

KeyFrameDriver* Keys(fxBase* e, const char* name)
{
    return dynamic_cast<KeyFrameDriver*>(e->SetDriver(Attr(e, name), NoneDriver::DRIVER_KEYFRAME));
}
} // namespace

TEST(fxBase, ConstructionDefaults)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    EXPECT_EQ(e->_eState, State_DemoStoped);
    EXPECT_EQ(e->_sName, "fxRecorder");
    EXPECT_EQ(e->_nStart, 0);
    EXPECT_EQ(e->_nEnd, 600);
    EXPECT_EQ(e->fxBase::_fFadeIn, 1.0f);
    EXPECT_EQ(e->_fFadeOut, 1.0f);
    EXPECT_EQ(e->_fTimeScale, 1.0f);
    EXPECT_EQ(e->_fSeekTime, -1.0f);
    EXPECT_EQ(e->_pfnReInit, &fxBase::OnReInitButton);
}

TEST(fxBase, SetStateWalksOneStepAtATime)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    e->SetState(State_EffectStarted);
    EXPECT_EQ(e->_log, (Log{"Init", "OnSequenceStart", "OnEffectStart"}));
    e->_log.clear();
    e->SetState(State_EffectStarted);
    EXPECT_TRUE(e->_log.empty());
    e->SetState(State_DemoStoped);
    EXPECT_EQ(e->_log, (Log{"OnEffectStop", "OnSequenceStop", "Kill"}));
    e->_log.clear();
    e->SetState(State_SequenceStarted);
    e->SetState(State_DemoStarted);
    EXPECT_EQ(e->_log, (Log{"Init", "OnSequenceStart", "OnSequenceStop"}));
}

TEST(fxBase, EffectStartResetsTimeAndAppliesDriversFirst)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    KeyFrameDriver* k = Keys(e.get(), "Motion/Speed");
    k->AddKey(0.0f, 3.0f);
    k->AddKey(1.0f, 1.0f);
    e->SetState(State_SequenceStarted);
    e->_fTime = 4.0f;
    e->_fPendingDelta = 0.5f;
    e->SetState(State_EffectStarted);
    EXPECT_EQ(e->_fTimeAtStart, 0.0f);
    EXPECT_EQ(e->_fSpeedAtStart, 3.0f);
    EXPECT_EQ(e->_fPendingDelta, 0.0f);
}

TEST(fxBase, UpdateTimeSteps)
{
    struct Case
    {
        const char* what;
        float scale, startTime, pending, seek;
        float time, delta; // expected
        bool seekCalled;
    } cases[] = {
        {"scaled step", 2.0f, 1.0f, 0.1f, -1.0f, 1.2f, 0.2f, false},
        {"seek ignores the scale", 2.0f, 2.0f, 0.1f, 5.0f, 5.0f, 3.0f, true},
        {"clamped at the end", 1.0f, 9.9f, 0.5f, -1.0f, 10.0f, 0.5f, false},
        {"clamped at zero", 1.0f, 0.2f, -1.0f, -1.0f, 0.0f, -1.0f, false},
        {"seek beyond the end", 1.0f, 1.0f, 0.0f, 12.0f, 10.0f, 11.0f, true},
        {"seek to zero", 1.0f, 3.0f, 0.0f, 0.0f, 0.0f, -3.0f, true},
    };
    for (const Case& c : cases)
    {
        std::unique_ptr<fxRecorder> e(NewRecorder());
        e->SetState(State_EffectStarted);
        e->_log.clear();
        e->_fTimeScale = c.scale;
        e->_fTime = c.startTime;
        e->_fPendingDelta = c.pending;
        e->_fSeekTime = c.seek;
        e->Update();
        EXPECT_FLOAT_EQ(e->_fTime, c.time) << c.what;
        EXPECT_FLOAT_EQ(e->_fDeltaTime, c.delta) << c.what;
        EXPECT_EQ(e->_fSeekTime, -1.0f) << c.what;
        EXPECT_EQ(e->_log, c.seekCalled ? (Log{"Seek", "Render"}) : (Log{"Render"})) << c.what;
        if (c.seekCalled)
        {
            EXPECT_FLOAT_EQ(e->_aSeek[0], c.delta) << c.what;
            EXPECT_EQ(e->_aSeek[1], c.time) << c.what;
            EXPECT_EQ(e->_aSeek[2], c.seek) << c.what;
        }
        EXPECT_EQ(e->_pRenderedAs, e.get());
        EXPECT_EQ(fxBase::_pCurrentEffect, nullptr);
    }
}

TEST(fxBase, NestedUpdateHandsTheCurrentEffectBack)
{
    // An effect whose Render updates another one (a timeline inside an effect) before it
    // renders itself: its own Render still sees itself as the current effect.
    struct fxNesting : fxRecorder
    {
        using fxRecorder::fxRecorder;
        void Render() override
        {
            _pInner->Update();
            fxRecorder::Render();
        }
        fxBase* _pInner = nullptr;
    };
    std::unique_ptr<fxRecorder> inner(NewRecorder());
    std::unique_ptr<fxNesting> outer(new fxNesting(fxRecorder::GetDescriptor()));
    inner->SetState(State_EffectStarted);
    outer->SetState(State_EffectStarted);
    outer->_pInner = inner.get();
    outer->Update();
    EXPECT_EQ(inner->_pRenderedAs, inner.get());
    EXPECT_EQ(outer->_pRenderedAs, outer.get());
    EXPECT_EQ(fxBase::_pCurrentEffect, nullptr);
}

TEST(fxBase, SeekLandsExactlyOnTheTarget)
{
    // Find a start and target whose float sum start + (target - start) misses the target.
    float start = 0, target = 0;
    bool found = false;
    for (int i = 1; i < 2000 && !found; ++i)
    {
        start = 0.37f * i / 7.0f;
        target = 0.013f * i;
        volatile float delta = target - start;
        volatile float sum = start + delta;
        found = sum != target && target <= 10.0f;
    }
    ASSERT_TRUE(found);
    std::unique_ptr<fxRecorder> e(NewRecorder());
    e->SetState(State_EffectStarted);
    e->_fTime = start;
    e->_fSeekTime = target;
    e->Update();
    EXPECT_EQ(e->_fTime, target);
}

TEST(fxBase, DriversApplyOnlyWhenTimeMovesOrSeeks)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    KeyFrameDriver* k = Keys(e.get(), "Motion/Speed");
    k->_eInterpolation = KeyFrameDriver::INTERPOLATION_LINEAR;
    k->AddKey(0.0f, 0.0f);
    k->AddKey(1.0f, 10.0f);
    e->SetState(State_EffectStarted);
    e->_fPendingDelta = 0.5f;
    e->Update();
    EXPECT_FLOAT_EQ(e->_fSpeed, 5.0f);

    e->_fSpeed = 1.25f; // an edit while paused stays
    e->_fPendingDelta = 0.0f;
    e->Update();
    EXPECT_EQ(e->_fSpeed, 1.25f);

    e->_fSeekTime = 0.5f; // a seek to the same time still applies
    e->Update();
    EXPECT_FLOAT_EQ(e->_fSpeed, 5.0f);
}

TEST(fxBase, ReInitRunsKillAndInitAndReturns)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    e->SetState(State_EffectStarted);
    Json::Value props(Json::objectValue);
    e->LoadDrivers(props);
    EXPECT_TRUE(e->_bReInit);
    e->_log.clear();
    e->Update();
    EXPECT_EQ(e->_log, (Log{"OnEffectStop", "OnSequenceStop", "Kill", "Init", "OnSequenceStart",
                            "OnEffectStart", "Render"}));
    EXPECT_FALSE(e->_bReInit);
    EXPECT_EQ(e->_eState, State_EffectStarted);

    std::unique_ptr<fxRecorder> stopped(NewRecorder());
    stopped->LoadDrivers(props);
    EXPECT_FALSE(stopped->_bReInit);
}

TEST(fxBase, GetFade)
{
    struct Case
    {
        float fadeIn, fadeOut, time, fade;
    } cases[] = {
        {1, 1, 0.5f, 0.5f}, {1, 1, 5, 1},     {1, 1, 9.5f, 0.5f}, {0, 1, 0, 1},
        {2, 0, 9.99f, 1},   {0, 2, 10, 0.0f}, {0, 20, 0, 0.5f},
    };
    std::unique_ptr<fxRecorder> e(NewRecorder());
    for (const Case& c : cases)
    {
        e->fxBase::_fFadeIn = c.fadeIn;
        e->_fFadeOut = c.fadeOut;
        e->_fTime = c.time;
        EXPECT_FLOAT_EQ(e->GetFade(), c.fade) << c.fadeIn << " " << c.fadeOut << " " << c.time;
    }
    e->_nEnd = -60; // End before Start: never negative
    e->_fTime = 0;
    e->fxBase::_fFadeIn = 0;
    EXPECT_GE(e->GetFade(), 0.0f);
}

namespace
{
int g_sceneUpdates = 0;
void CountSceneUpdate(VectorScene*)
{
    ++g_sceneUpdates;
}
} // namespace

TEST(fxBase, EvaluateAt)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    EXPECT_EQ(e->EvaluateAt(2.0f), nullptr);
    KeyFrameDriver* k = Keys(e.get(), "Motion/Speed");
    k->_eInterpolation = KeyFrameDriver::INTERPOLATION_LINEAR;
    k->AddKey(0.0f, 0.0f);
    k->AddKey(4.0f, 8.0f);
    VectorScene* scene = reinterpret_cast<VectorScene*>(e.get()); // only compared, never used
    e->_pVectorScene = scene;
    auto previousHook = fxBase::_pfnUpdateVectorScene;
    fxBase::_pfnUpdateVectorScene = &CountSceneUpdate;
    g_sceneUpdates = 0;
    e->_fTime = 1.0f;

    EXPECT_EQ(e->EvaluateAt(-1.0f), scene);
    EXPECT_EQ(e->EvaluateAt(std::nanf("")), scene);
    EXPECT_EQ(e->EvaluateAt(1.0f), scene);
    EXPECT_EQ(e->_fSpeed, 0.5f);
    EXPECT_EQ(g_sceneUpdates, 0);

    EXPECT_EQ(e->EvaluateAt(2.0f), scene);
    EXPECT_FLOAT_EQ(e->_fSpeed, 4.0f);
    EXPECT_EQ(e->_fTime, 1.0f);
    EXPECT_EQ(g_sceneUpdates, 1);

    e->SetState(State_EffectStarted); // Update refreshes the scene too
    e->Update();
    EXPECT_EQ(g_sceneUpdates, 2);
    fxBase::_pfnUpdateVectorScene = previousHook;
    e->_pVectorScene = nullptr;
}

TEST(fxBase, DriverApplyConvertsByKind)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* attr;
        float value;
        double expected; // value read back; the previous value when not written
    } cases[] = {
        {"Count", 2.5f, 3},
        {"Count", -2.5f, -3},
        {"Count", 1e20f, 2147483647},
        {"Count", -inf, 7},
        {"Count", NAN, 7},
        {"Mode", 1.49f, 1},
        {"On", 0.6f, 1},
        {"On", -0.6f, 1},
        {"On", 0.5f, 0},
        {"On", NAN, 1},
        {"Motion/Speed", -1.5f, -1.5},
        {"Motion/Speed", NAN, 0.25},
        {"Motion/Speed", inf, 0.25},
    };
    for (const Case& c : cases)
    {
        std::unique_ptr<fxRecorder> e(NewRecorder());
        e->_nCount = 7;
        e->_eMode = 0;
        e->_bOn = true;
        e->_fSpeed = 0.25f;
        KeyFrameDriver* k = Keys(e.get(), c.attr);
        k->_aKeys.push_back({0.0f, c.value, 1});
        k->Apply();
        AttribDesc* a = Attr(e.get(), c.attr);
        const double got = a->IsFloat() ? double(a->GetFloat(e.get()))
                           : a->IsInt() ? double(a->GetInt(e.get()))
                                        : double(a->GetBool(e.get()));
        EXPECT_EQ(got, c.expected) << c.attr << " " << c.value;
    }
}

TEST(fxBase, SetDriverCreatesReplacesAndDeletes)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    AttribDesc* speed = Attr(e.get(), "Motion/Speed");
    AttribDesc* count = Attr(e.get(), "Count");
    AttribDesc* on = Attr(e.get(), "On");

    NoneDriver* a = e->SetDriver(speed, NoneDriver::DRIVER_KEYFRAME);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->_eType, NoneDriver::DRIVER_KEYFRAME);
    EXPECT_EQ(a->_eRequestedType, NoneDriver::DRIVER_KEYFRAME);
    EXPECT_EQ(a->_fMin, -2.0f);
    EXPECT_EQ(a->_fMax, 4.0f);
    EXPECT_EQ(a->_attribName, "Motion/Speed");
    EXPECT_EQ(a->_sName, "Motion/Speed");
    EXPECT_EQ(e->SetDriver(speed, NoneDriver::DRIVER_KEYFRAME), a);

    NoneDriver* c = e->SetDriver(count, NoneDriver::DRIVER_KEYFRAME);
    EXPECT_EQ(c->_fMin, 1.0f);
    EXPECT_EQ(c->_fMax, 9.0f);
    KeyFrameDriver* b = dynamic_cast<KeyFrameDriver*>(e->SetDriver(on, NoneDriver::DRIVER_KEYFRAME));
    EXPECT_EQ(b->_eInterpolation, KeyFrameDriver::INTERPOLATION_NONE);
    EXPECT_EQ(b->_fMin, 0.0f);
    EXPECT_EQ(b->_fMax, 1.0f);

    a->_fMin = 0.5f;
    a->_fMax = 3.0f;
    a->_fPeriod = 7.0f;
    a->_fPhase = 0.25f;
    a->_bWindowOpen = false;
    a->_bVisible = false;
    NoneDriver* s = e->SetDriver(speed, NoneDriver::DRIVER_SINUS);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->_eType, NoneDriver::DRIVER_SINUS);
    EXPECT_EQ(s->_fMin, 0.5f);
    EXPECT_EQ(s->_fMax, 3.0f);
    EXPECT_EQ(s->_fPeriod, 7.0f);
    EXPECT_EQ(s->_fPhase, 0.25f);
    EXPECT_FALSE(s->_bVisible);
    EXPECT_EQ(e->_apAttribDrivers, (std::vector<NoneDriver*>{c, b, s})); // the successor goes last
    Json::Value saved(Json::objectValue);
    s->Save(saved); // the successor persists its own members, not the key-frame driver's
    EXPECT_TRUE(saved.isMember("_Count"));
    EXPECT_FALSE(saved.isMember("_aKeys"));
    EXPECT_EQ(saved["_eType"].asInt(), NoneDriver::DRIVER_SINUS);
    EXPECT_EQ(saved["_fPeriod"].asFloat(), 7.0f);

    EXPECT_EQ(e->SetDriver(speed, NoneDriver::DRIVER_NONE), nullptr);
    EXPECT_EQ(e->_apAttribDrivers, (std::vector<NoneDriver*>{c, b}));
    EXPECT_EQ(e->SetDriver(speed, NoneDriver::DRIVER_NONE), nullptr);
    EXPECT_EQ(e->SetDriver(Attr(e.get(), "Color"), NoneDriver::DRIVER_KEYFRAME), nullptr);
    EXPECT_EQ(e->SetDriver(Attr(e.get(), "File"), NoneDriver::DRIVER_SINUS), nullptr);
    EXPECT_EQ(e->SetDriver(nullptr, NoneDriver::DRIVER_SINUS), nullptr);
    EXPECT_EQ(fxBase::CreateDriver(e.get(), 0, speed), nullptr);
    EXPECT_EQ(fxBase::CreateDriver(e.get(), 8, speed), nullptr);
    EXPECT_EQ(fxBase::CreateDriver(e.get(), -1, speed), nullptr);

    NoneDriver stranger(e.get(), speed);
    e->DeleteDriver(&stranger); // not in the list: ignored
    EXPECT_EQ(e->_apAttribDrivers.size(), 2u);
    fxBase::OnClearDriversButton(e.get());
    EXPECT_TRUE(e->_apAttribDrivers.empty());
}

TEST(fxBase, ApplyDriverTypeChangesSurvivesReplacementsDuringTheWalk)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    NoneDriver* a = e->SetDriver(Attr(e.get(), "Motion/Speed"), NoneDriver::DRIVER_KEYFRAME);
    NoneDriver* b = e->SetDriver(Attr(e.get(), "Count"), NoneDriver::DRIVER_KEYFRAME);
    NoneDriver* c = e->SetDriver(Attr(e.get(), "Mode"), NoneDriver::DRIVER_KEYFRAME);
    a->_eRequestedType = NoneDriver::DRIVER_NOISE;
    b->_eRequestedType = NoneDriver::DRIVER_NONE;
    (void)c;
    e->ApplyDriverTypeChanges();
    ASSERT_EQ(e->_apAttribDrivers.size(), 2u);
    EXPECT_EQ(e->_apAttribDrivers[0], c);
    EXPECT_EQ(e->_apAttribDrivers[1]->_eType, NoneDriver::DRIVER_NOISE);
    EXPECT_EQ(e->_apAttribDrivers[1]->_pAttribDesc, Attr(e.get(), "Motion/Speed"));
}

TEST(fxBase, KeyNavigationAndOffset)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    KeyFrameDriver* k1 = Keys(e.get(), "Motion/Speed");
    KeyFrameDriver* k2 = Keys(e.get(), "Count");
    k1->AddKey(1.0f, 0);
    k1->AddKey(3.0f, 0);
    k2->AddKey(2.0f, 0);
    e->SetDriver(Attr(e.get(), "Mode"), NoneDriver::DRIVER_SINUS); // not a key-frame driver

    struct Case
    {
        float time, next;
        bool nextFound;
        float prev;
        bool prevFound;
    } cases[] = {
        {0.0f, 1.0f, true, 0.0f, false},  {1.0f, 2.0f, true, 0.0f, false}, {1.004f, 2.0f, true, 0.0f, false},
        {1.5f, 2.0f, true, 1.0f, true},   {2.0f, 3.0f, true, 1.0f, true},  {3.0f, 10.0f, false, 2.0f, true},
        {9.0f, 10.0f, false, 3.0f, true},
    };
    for (const Case& c : cases)
    {
        e->_fTime = c.time;
        bool found = !c.nextFound;
        EXPECT_EQ(fxBase::NextKeyTime(e.get(), &found), c.next) << c.time;
        EXPECT_EQ(found, c.nextFound) << c.time;
        found = !c.prevFound;
        EXPECT_EQ(fxBase::PrevKeyTime(e.get(), &found), c.prev) << c.time;
        EXPECT_EQ(found, c.prevFound) << c.time;
    }
    EXPECT_EQ(fxBase::NextKeyTime(e.get(), nullptr), 10.0f);

    e->OffsetKeys(0.5f);
    EXPECT_EQ(k1->_aKeys[0]._fTime, 1.5f);
    EXPECT_EQ(k2->_aKeys[0]._fTime, 2.5f);
}

TEST(fxBase, CreateKeyButtonKeysEveryKeyFrameDriver)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    KeyFrameDriver* k1 = Keys(e.get(), "Motion/Speed");
    KeyFrameDriver* k2 = Keys(e.get(), "On");
    e->_fTime = 0.5f;
    e->_bOn = true;
    e->_pfnCreateKey(e.get());
    ASSERT_EQ(k1->GetKeyCount(), 1);
    EXPECT_EQ(k1->_aKeys[0]._fValue, 0.5f);
    ASSERT_EQ(k2->GetKeyCount(), 1);
    EXPECT_EQ(k2->_aKeys[0]._fValue, 1.0f);
    fxBase::OnReInitButton(e.get());
    EXPECT_TRUE(e->_bReInit);
}

TEST(fxBaseDeathTest, ProgrammingErrors)
{
    EXPECT_DEATH(
        {
            fxRecorder* e = rvTest::NewRecorder();
            e->SetState(State_DemoStarted);
            e->fxBase::~fxBase();
        },
        "_eState == State_DemoStoped");
    EXPECT_DEATH(
        {
            std::unique_ptr<fxRecorder> e(NewRecorder());
            e->SetState(State_DemoStarted);
            e->Update();
        },
        "_eState == State_EffectStarted \\|\\| _eState == State_SequenceStarted");
    EXPECT_DEATH(
        {
            std::unique_ptr<fxRecorder> e(NewRecorder());
            e->SetState(4);
        },
        "Assertion failed: false");
    EXPECT_DEATH(
        {
            std::unique_ptr<fxRecorder> e(NewRecorder());
            e->SetState(-1);
        },
        "Assertion failed: false");
}
