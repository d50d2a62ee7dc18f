#include "EffectTestSupport.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/rvKeyTimeMode.h"
#include "Sequencer/rvSequence.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>

using rvTest::fxRecorder;
using rvTest::NewRecorder;

namespace
{
struct Fixture
{
    Fixture() : effect(NewRecorder())
    {
        driver = dynamic_cast<KeyFrameDriver*>(
            effect->SetDriver(effect->_pDescriptor->FindAttrib("Motion/Speed"), NoneDriver::DRIVER_KEYFRAME));
    }
    void SetKeys(std::initializer_list<std::pair<float, float>> keys)
    {
        driver->_aKeys.clear();
        for (auto& k : keys)
            driver->AddKey(k.first, k.second);
    }
    std::unique_ptr<fxRecorder> effect;
    KeyFrameDriver* driver;
};

float Ease(float u, bool in)
{
    return in ? 1 - std::sqrt(1 - u * u) : std::sqrt(1 - (1 - u) * (1 - u));
}
} // namespace

TEST(KeyFrameDriver, Defaults)
{
    Fixture f;
    EXPECT_EQ(f.driver->_eInterpolation, KeyFrameDriver::INTERPOLATION_SPLINE);
    EXPECT_FALSE(f.driver->HasData());
    EXPECT_EQ(f.driver->GetValue(0.5f, false), std::numeric_limits<float>::infinity());
    f.SetKeys({{2, 7}});
    EXPECT_TRUE(f.driver->HasData());
    for (float t : {-1.0f, 0.0f, 2.0f, 50.0f})
        EXPECT_EQ(f.driver->GetValue(t, false), 7.0f);
}

TEST(KeyFrameDriver, InterpolationTable)
{
    struct Case
    {
        int mode;
        float p0, p1;
        std::vector<std::pair<float, float>> keys;
        float t, expected;
    } cases[] = {
        {KeyFrameDriver::INTERPOLATION_LINEAR, 0, 0, {{0, 0}, {1, 10}}, 0.5f, 5},
        {KeyFrameDriver::INTERPOLATION_LINEAR, 0, 0, {{0, 0}, {1, 10}}, -1, 0},
        {KeyFrameDriver::INTERPOLATION_LINEAR, 0, 0, {{0, 0}, {1, 10}}, 3, 10},
        {KeyFrameDriver::INTERPOLATION_NONE, 0, 0, {{0, 0}, {1, 10}, {2, 20}}, 0.999f, 0},
        {KeyFrameDriver::INTERPOLATION_NONE, 0, 0, {{0, 0}, {1, 10}, {2, 20}}, 1.0f, 0},
        {KeyFrameDriver::INTERPOLATION_NONE, 0, 0, {{0, 0}, {1, 10}, {2, 20}}, 1.001f, 10},
        {KeyFrameDriver::INTERPOLATION_SPLINE, 0, 0, {{0, 0}, {1, 10}}, 0.5f, 5},
        // Catmull-Rom through 0, 10, 0, 10 at the middle of segment 1: (-0 + 9*10 + 9*0 - 10) / 16
        {KeyFrameDriver::INTERPOLATION_SPLINE, 0, 0, {{0, 0}, {1, 10}, {2, 0}, {3, 10}}, 1.5f, 5},
        {KeyFrameDriver::INTERPOLATION_SPLINE, 0, 0, {{0, 0}, {1, 10}, {2, 0}, {3, 10}}, 0.5f, 5.625f},
        {KeyFrameDriver::INTERPOLATION_SMOOTHSTEP, 0, 0, {{0, 0}, {1, 10}}, 0.25f, 10 * 0.15625f},
        {KeyFrameDriver::INTERPOLATION_EASYIN, 0, 0, {{0, 0}, {1, 10}}, 0.5f, 10 * Ease(0.5f, true)},
        {KeyFrameDriver::INTERPOLATION_EASYOUT, 0, 0, {{0, 0}, {1, 10}}, 0.5f, 10 * Ease(0.5f, false)},
        // Power 0.1 gives k = 3.
        {KeyFrameDriver::INTERPOLATION_EASYIN, 0.1f, 0, {{0, 0}, {1, 1}}, 0.5f, 1 - std::sqrt(1 - 0.125f)},
        {KeyFrameDriver::INTERPOLATION_EASYINOUT,
         0,
         0,
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         0.5f,
         Ease(0.5f, true)},
        {KeyFrameDriver::INTERPOLATION_EASYINOUT,
         0,
         0,
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         1.5f,
         1 + Ease(0.5f, false)},
        {KeyFrameDriver::INTERPOLATION_EASYINOUT,
         0,
         0,
         {{0, 0}, {1, 1}, {2, 2}, {3, 3}},
         2.5f,
         2 + Ease(0.5f, true)},
        {KeyFrameDriver::INTERPOLATION_BOUNCE, 0.1f, 0.5f, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 0.5f, 1.0f},
        {KeyFrameDriver::INTERPOLATION_BOUNCE, 0.1f, 0.5f, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 1.5f, 0.5f},
        {KeyFrameDriver::INTERPOLATION_BOUNCE, 0.1f, 0.5f, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 2.5f, 0.25f},
        {KeyFrameDriver::INTERPOLATION_BOUNCE, 0.1f, 0.5f, {{0, 0}, {1, 10}}, 0.5f, 6.0f},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        f.driver->_eInterpolation = c.mode;
        f.driver->_fParams[0] = c.p0;
        f.driver->_fParams[1] = c.p1;
        for (auto& k : c.keys)
            f.driver->AddKey(k.first, k.second);
        EXPECT_NEAR(f.driver->GetValue(c.t, false), c.expected, 1e-5f)
            << KeyFrameDriver::GetInterpolationName(c.mode) << " at " << c.t;
    }
}

TEST(KeyFrameDriver, UnknownInterpolationGivesNoValue)
{
    Fixture f;
    f.SetKeys({{0, 0}, {1, 10}});
    f.driver->_eInterpolation = 8;
    EXPECT_EQ(f.driver->GetValue(0.5f, false), std::numeric_limits<float>::infinity());
    EXPECT_DEATH(KeyFrameDriver::GetInterpolationName(8), "eInterpolationType >= 0");
}

TEST(KeyFrameDriver, AddKeyAtCurrentTimeSnapsAndKeepsTheId)
{
    Fixture f;
    f.effect->_fTime = 1.004f;
    f.effect->_fSpeed = 2.0f;
    EXPECT_EQ(f.driver->AddKeyAtCurrentTime(), 0);
    EXPECT_EQ(f.driver->_aKeys[0]._fTime, 60 / 60.0f);
    const int32_t id = f.driver->_aKeys[0]._nId;
    f.effect->_fTime = 0.996f;
    f.effect->_fSpeed = 3.0f;
    EXPECT_EQ(f.driver->AddKeyAtCurrentTime(), 0);
    ASSERT_EQ(f.driver->GetKeyCount(), 1);
    EXPECT_EQ(f.driver->_aKeys[0]._nId, id);
    EXPECT_EQ(f.driver->_aKeys[0]._fValue, 3.0f);
    f.effect->_fTime = 0.5f;
    EXPECT_EQ(f.driver->AddKeyAtCurrentTime(), 0); // sorted in before the key at 1 s
    EXPECT_NE(f.driver->_aKeys[0]._nId, id);
    EXPECT_TRUE(f.driver->HasKeyAt(0.5f));
    EXPECT_FALSE(f.driver->HasKeyAt(0.5001f));
    EXPECT_EQ(f.driver->GetKeyIndex(1.0f), 1);
    EXPECT_EQ(f.driver->GetKeyIndex(2.0f), -1);
}

TEST(KeyFrameDriver, SnappingRoundsHalfAwayFromZero)
{
    EXPECT_EQ(KeyFrameDriver::SnapToFrame(0.5f / 60.0f), 1 / 60.0f);
    EXPECT_EQ(KeyFrameDriver::SnapToFrame(-0.5f / 60.0f), -1 / 60.0f);
    EXPECT_EQ(KeyFrameDriver::SnapToFrame(0.49f / 60.0f), 0.0f);
    EXPECT_TRUE(std::isinf(KeyFrameDriver::SnapToFrame(INFINITY)));
}

TEST(KeyFrameDriver, AddKeyAndEditKey)
{
    Fixture f;
    f.SetKeys({{0, 0}, {1, 1}, {2, 2}});
    const int32_t id1 = f.driver->_aKeys[1]._nId;
    f.driver->AddKey(1.0f, 9.0f);
    ASSERT_EQ(f.driver->GetKeyCount(), 3);
    EXPECT_EQ(f.driver->_aKeys[1]._fValue, 9.0f);
    EXPECT_EQ(f.driver->_aKeys[1]._nId, id1);
    f.driver->AddKey(NAN, 1.0f); // no place in time: ignored
    EXPECT_EQ(f.driver->GetKeyCount(), 3);

    const int32_t id0 = f.driver->_aKeys[0]._nId;
    EXPECT_EQ(f.driver->EditKey(0, 1.5f, 4.0f), 1);
    EXPECT_EQ(f.driver->_aKeys[1]._nId, id0);
    EXPECT_EQ(f.driver->_aKeys[1]._fTime, 1.5f);
    EXPECT_EQ(f.driver->_aKeys[1]._fValue, 4.0f);

    // Moving onto another key's frame replaces that key.
    f.SetKeys({{0, 0}, {1, 1}, {2, 2}});
    const int32_t moved = f.driver->_aKeys[0]._nId;
    EXPECT_EQ(f.driver->EditKey(0, 1.001f, 5.0f), 0);
    ASSERT_EQ(f.driver->GetKeyCount(), 2);
    EXPECT_EQ(f.driver->_aKeys[0]._nId, moved);
    EXPECT_EQ(f.driver->_aKeys[0]._fTime, 1.0f);
    EXPECT_EQ(f.driver->_aKeys[1]._fTime, 2.0f);
    EXPECT_DEATH(f.driver->EditKey(2, 0, 0), "iKey >= 0 && iKey < GetKeyCount\\(\\)");
}

TEST(KeyFrameDriver, MoveKeyNeverReplacesAKey)
{
    // A key moved onto a neighbour's frame rests beside it (on the side it came from); one
    // moved past its neighbours re-sorts; no key is lost.
    struct Case
    {
        int key;
        float time;
        int index;                 // its index afterwards
        std::vector<float> times;  // every key's time afterwards
    } cases[] = {
        {0, 1.001f, 0, {1, 1, 2}}, // onto the next key's frame: before it
        {2, 1.0f, 2, {0, 1, 1}},   // onto the previous key's frame: after it
        {0, 2.5f, 2, {1, 2, 2.5f}},
        {2, -1.0f, 0, {-1, 0, 1}},
        {1, 1.0f, 1, {0, 1, 2}},
    };
    for (const Case& c : cases)
    {
        Fixture f;
        f.SetKeys({{0, 0}, {1, 1}, {2, 2}});
        const int32_t id = f.driver->_aKeys[size_t(c.key)]._nId;
        EXPECT_EQ(f.driver->MoveKey(c.key, c.time, 9.0f), c.index) << c.key << " to " << c.time;
        ASSERT_EQ(f.driver->GetKeyCount(), 3);
        EXPECT_EQ(f.driver->_aKeys[size_t(c.index)]._nId, id);
        EXPECT_EQ(f.driver->_aKeys[size_t(c.index)]._fValue, 9.0f);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(f.driver->_aKeys[i]._fTime, c.times[i]) << c.key << " to " << c.time << ", key " << i;
    }
    Fixture f;
    f.SetKeys({{0, 0}, {1, 1}});
    EXPECT_EQ(f.driver->MoveKey(1, NAN, 5.0f), 1); // no place in time: unchanged
    EXPECT_EQ(f.driver->_aKeys[1]._fTime, 1.0f);
}

TEST(KeyFrameDriver, JsonRoundTripGivesFreshIdsAndMendsBadFields)
{
    Fixture f;
    f.driver->_eInterpolation = KeyFrameDriver::INTERPOLATION_BOUNCE;
    f.driver->_fParams[0] = 0.25f;
    f.SetKeys({{0, 1}, {0.5f, 2}});
    Json::Value json(Json::objectValue);
    f.driver->Save(json);
    EXPECT_EQ(json["_eType"].asInt(), 1);
    EXPECT_EQ(json["_attribName"].asString(), "Motion/Speed");
    EXPECT_EQ(json["_eInterpolation"].asInt(), 4);
    EXPECT_EQ(json["_aKeys"].size(), 2u);
    EXPECT_EQ(json["_fParams"].size(), 2u);
    for (const char* key : {"_fMin", "_fMax", "_fPeriod", "_fPhase"})
        EXPECT_TRUE(json.isMember(key)) << key;

    Fixture g;
    g.driver->Load(json);
    ASSERT_EQ(g.driver->GetKeyCount(), 2);
    EXPECT_EQ(g.driver->_aKeys[1]._fValue, 2.0f);
    EXPECT_EQ(g.driver->_fParams[0], 0.25f);
    std::set<int32_t> ids;
    for (auto& k : f.driver->_aKeys)
        ids.insert(k._nId);
    for (auto& k : g.driver->_aKeys)
        ids.insert(k._nId);
    EXPECT_EQ(ids.size(), 4u); // loaded keys never share an id with the keys they came from

    // Out-of-range codes are clamped, keys without a time dropped, the rest sorted.
    Json::Value bad(Json::objectValue);
    bad["_eInterpolation"] = 99;
    bad["_aKeys"] = Json::Value(Json::arrayValue);
    for (auto xyz :
         {std::vector<Json::Value>{2.0, 5.0, 1.0}, std::vector<Json::Value>{Json::Value(), 1.0, 0.0},
          std::vector<Json::Value>{1.0, 3.0, 1.0}})
    {
        Json::Value k(Json::objectValue);
        k["x"] = xyz[0];
        k["y"] = xyz[1];
        k["z"] = xyz[2];
        bad["_aKeys"].append(k);
    }
    bad["_aKeys"][1]["x"] = "NaN";
    Fixture h;
    h.driver->Load(bad);
    EXPECT_EQ(h.driver->_eInterpolation, KeyFrameDriver::INTERPOLATION_MAX - 1);
    ASSERT_EQ(h.driver->GetKeyCount(), 2);
    EXPECT_EQ(h.driver->_aKeys[0]._fTime, 1.0f);
    EXPECT_NE(h.driver->_aKeys[0]._nId, h.driver->_aKeys[1]._nId);
    bad["_eInterpolation"] = -3;
    h.driver->Load(bad);
    EXPECT_EQ(h.driver->_eInterpolation, 0);
}

TEST(KeyFrameDriver, DriverWindowDrawsInBothKeyTimeModes)
{
    rvTest::ImGuiHeadless gui;
    Fixture f;
    f.SetKeys({{0, 0}, {1, 1}});
    f.driver->_aKeys[1]._nId = 0; // ID scope falls back to the index
    f.driver->_bWindowOpen = true;
    f.effect->_nStart = 120;
    for (int mode :
         {int(KeyFrameDriver::INTERPOLATION_BOUNCE), int(KeyFrameDriver::INTERPOLATION_EASYIN), 99})
    {
        for (bool local : {true, false})
        {
            rvKeyTimeMode::_bLocalKeys = local;
            f.driver->_eInterpolation = mode;
            gui.NewFrame();
            f.effect->ApplyDriverTypeChanges();
            gui.EndFrame();
        }
    }
    rvKeyTimeMode::_bLocalKeys = true;
    EXPECT_TRUE(f.driver->_bWindowOpen);
    EXPECT_EQ(f.driver->GetKeyCount(), 2);
    EXPECT_EQ(f.effect->_apAttribDrivers.size(), 1u);
}

TEST(KeyFrameDriver, KeyTimeModeIsTheTimelineOption)
{
    EXPECT_EQ(&rvKeyTimeMode::_bLocalKeys, &rvSequence::_bLocalKeys);
    EXPECT_TRUE(rvKeyTimeMode::_bLocalKeys);
}
