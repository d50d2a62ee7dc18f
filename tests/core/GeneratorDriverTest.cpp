#include "Factory/AttribDesc.h"
#include "Factory/Drivers/NoiseDriver.h"
#include "Factory/Drivers/Noise.h"
#include "Factory/Drivers/SinusDriver.h"
#include "Factory/Drivers/TriangleDriver.h"
#include "Factory/Drivers/VariableDriver.h"
#include "Factory/Drivers/rvVariable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
const float kInf = INFINITY;

struct DriverTest : ::testing::Test
{
    std::unique_ptr<AttribDesc> pDesc{AttribDesc::Create(TYPE_FLOAT, "Group/Value", 0)};
};

struct TimeValue
{
    float t, expected;
};
} // namespace

TEST_F(DriverTest, SineSumOfOneSineSpansMinToMax)
{
    SinusDriver d(nullptr, pDesc.get());
    d._fMin = 0.f;
    d._fMax = 1.f;
    for (TimeValue c : {TimeValue{0.f, 0.5f}, {0.5f, 1.f}, {1.f, 0.5f}, {1.5f, 0.f}})
        EXPECT_NEAR(d.GetValue(c.t, false), c.expected, 1e-6f) << c.t;

    // Two sines weighted 3:1, each normalised by the sum of the factors.
    d._Count = 2;
    d._AmplitudeFactor[0] = 3.f;
    d._AmplitudeFactor[1] = 1.f;
    d._Period[1] = 1.f;
    d._Phase[1] = 0.25f; // the second sine is at its peak at t = 0
    EXPECT_NEAR(d.GetValue(0.f, false), 0.5f + 0.5f * 1.f / 4.f, 1e-6f);

    // Factors summing to 0 (only from a file) give no value instead of NaN.
    d._AmplitudeFactor[0] = 0.f;
    d._AmplitudeFactor[1] = 0.f;
    EXPECT_EQ(d.GetValue(0.3f, false), kInf);
}

TEST_F(DriverTest, SineLoadClampsTheCount)
{
    for (int stored : {-3, 0, 5, 1000000})
    {
        SinusDriver d(nullptr, pDesc.get());
        Json::Value json;
        json["_Count"] = stored;
        d.Load(json);
        EXPECT_GE(d._Count, 1);
        EXPECT_LE(d._Count, 4);
        EXPECT_TRUE(std::isfinite(d.GetValue(0.25f, false))) << stored;
    }
}

TEST_F(DriverTest, SineSavesItsArraysUnderTheirKeys)
{
    SinusDriver d(nullptr, pDesc.get());
    d._Period[2] = 0.75f;
    Json::Value json;
    d.Save(json);
    EXPECT_EQ(json["_Count"].asInt(), 1);
    ASSERT_EQ(json["_Period"].size(), 4u);
    EXPECT_EQ(json["_Period"][2].asFloat(), 0.75f);
    EXPECT_EQ(json["_Phase"].size(), 4u);
    EXPECT_EQ(json["_AmplitudeFactor"][0].asFloat(), 1.f);
    SinusDriver back(nullptr, pDesc.get());
    back.Load(json);
    EXPECT_EQ(back._Period[2], 0.75f);
}

TEST_F(DriverTest, TriangleWave)
{
    TriangleDriver d(nullptr, pDesc.get());
    d._fMin = -1.f;
    d._fMax = 1.f;
    // Symmetric: rising over the first half of the 2 s period, falling afterwards.
    for (TimeValue c : {TimeValue{0.f, -1.f}, {0.5f, 0.f}, {0.999f, 0.998f}, {1.5f, 0.f}, {2.f, -1.f}})
        EXPECT_NEAR(d.GetValue(c.t, false), c.expected, 1e-4f) << c.t;
    EXPECT_LT(d.GetValue(1.1f, false), d.GetValue(1.f, false));

    // Symmetry 1: rising saw; 0: falling saw; never a division by zero.
    d._fSymmetry = 1.f;
    EXPECT_NEAR(d.GetValue(1.f, false), 0.f, 1e-6f);
    d._fSymmetry = 0.f;
    EXPECT_NEAR(d.GetValue(0.f, false), 1.f, 1e-6f);
    EXPECT_NEAR(d.GetValue(1.f, false), 0.f, 1e-6f);

    // A phase a hair below a whole period makes the fraction round up to 1: still the
    // start of a period, not 0 / 0.
    d._fSymmetry = 1.f;
    d._fPhase = -1e-9f;
    EXPECT_NEAR(d.GetValue(0.f, false), -1.f, 1e-6f);
    // A period of 0 (only from a file) gives no value.
    d._fPeriod = 0.f;
    EXPECT_EQ(d.GetValue(0.f, false), kInf);
}

TEST_F(DriverTest, NoiseFollowsNoise1DAndClampsOctavesOnLoad)
{
    NoiseDriver d(nullptr, pDesc.get());
    d._fMin = 2.f;
    d._fMax = 4.f;
    d._fPeriod = 4.f;
    d._fPhase = 0.25f;
    EXPECT_FLOAT_EQ(d.GetValue(1.f, false), noise1D(0.5f, 4, 0.5f) * 1.f + 3.f);
    EXPECT_FLOAT_EQ(d.GetValue(3.f, false), 3.f); // integer x: the middle

    Json::Value json;
    json["_nOctaves"] = 2000000000;
    d.Load(json);
    EXPECT_EQ(d._nOctaves, 8);
    json["_nOctaves"] = -7;
    d.Load(json);
    EXPECT_EQ(d._nOctaves, 0);
}

TEST_F(DriverTest, VariableDriverReadsTheFirstVariableOfItsName)
{
    VariableDriver d(nullptr, pDesc.get());
    EXPECT_EQ(d.GetValue(0.f, false), kInf); // empty name
    d._sVarName = "DriverTest.Pos";
    EXPECT_EQ(d.GetValue(0.f, false), kInf); // nobody publishes it
    auto pFirst = std::make_unique<rvVariable>("DriverTest.Pos");
    rvVariable second("DriverTest.Pos");
    pFirst->_fValue = 1.5f;
    second._fValue = -2.f;
    EXPECT_EQ(d.GetValue(0.f, false), 1.5f);
    pFirst.reset();
    EXPECT_EQ(d.GetValue(0.f, false), -2.f);
    second._fValue = NAN;
    EXPECT_EQ(d.GetValue(0.f, false), kInf);
}

TEST_F(DriverTest, RandomSinesStayInTheSliderRanges)
{
    SinusDriver d(nullptr, pDesc.get());
    for (int round = 0; round < 50; ++round)
    {
        d.RandomValues();
        for (int i = 0; i < SinusDriver::MAX_SINES; ++i)
        {
            EXPECT_TRUE(d._Period[i] >= 1.f && d._Period[i] < 9.f) << d._Period[i];
            EXPECT_TRUE(d._Phase[i] >= 0.f && d._Phase[i] < 1.f) << d._Phase[i];
            EXPECT_TRUE(d._AmplitudeFactor[i] >= 0.1f && d._AmplitudeFactor[i] < 1.f)
                << d._AmplitudeFactor[i];
        }
    }
}
