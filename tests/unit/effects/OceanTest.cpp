// The ocean's wave-time table: integrated once from "TimeSpeed", "Weather" and their drivers, read
// by interpolation. No window needed (the table is built without the program).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxOcean/fxOcean.h"
#include "effects/shEffectProgram.h"

#include <string>

namespace
{
std::unique_ptr<fxOcean> NewOcean(int nFrames)
{
    std::unique_ptr<fxOcean> fx(static_cast<fxOcean*>(fxOcean::Create(fxOcean::RegisterAttributes())));
    fx->_nStart = 120;
    fx->_nEnd = 120 + nFrames;
    return fx;
}

// A driver that never gives a value.
class SilentDriver : public NoneDriver
{
public:
    using NoneDriver::NoneDriver;
    float GetValue(float, bool) override { return std::numeric_limits<float>::infinity(); }
};
} // namespace

TEST(OceanWaveTime, ConstantSpeedAndWeatherGrowLinearly)
{
    auto fx = NewOcean(600); // 10 s
    fx->BuildWaveTimeTable();
    ASSERT_EQ(fx->_aTimeIntegral.size(), 12u);
    EXPECT_FLOAT_EQ(fx->WaveTime(0.0f), 0.0f);
    EXPECT_NEAR(fx->WaveTime(1.0f), 3.3f, 1e-5f);
    EXPECT_NEAR(fx->WaveTime(1.5f), 4.95f, 1e-5f);
    EXPECT_NEAR(fx->WaveTime(9.99f), 3.3f * 9.99f, 1e-4f); // between entries 9 and 10
    // Past the table (a time scale above 1): the last rate goes on.
    EXPECT_NEAR(fx->WaveTime(13.0f), 3.3f * 13.0f, 1e-3f);
    EXPECT_FLOAT_EQ(fx->WaveTime(-1.0f), 0.0f);

    fx->_fTimeSpeed = 2.0f;
    fx->_shProgram._fWeather = 1.0f;
    fx->BuildWaveTimeTable();
    EXPECT_NEAR(fx->WaveTime(1.0f), 12.0f, 1e-5f);
}

TEST(OceanWaveTime, TableLengthFollowsTheEffectsLength)
{
    struct Case
    {
        int nFrames;
        size_t nEntries;
    } cases[] = {{600, 12}, {610, 12}, {659, 12}, {660, 13}, {0, 2}, {-600, 2}, {2000000000, 100000}};
    for (const Case& c : cases)
    {
        auto fx = NewOcean(c.nFrames);
        fx->BuildWaveTimeTable();
        EXPECT_EQ(fx->_aTimeIntegral.size(), c.nEntries) << c.nFrames;
    }
}

// A key-framed speed falling to 0 stops the waves smoothly; a weather driver changes the rate.
TEST(OceanWaveTime, DriversAreSampledOncePerSecond)
{
    auto fx = NewOcean(600);
    auto* pSpeed = static_cast<KeyFrameDriver*>(
        fx->SetDriver(fx->_pDescriptor->FindAttrib("TimeSpeed"), NoneDriver::DRIVER_KEYFRAME));
    ASSERT_NE(pSpeed, nullptr);
    pSpeed->_eInterpolation = KeyFrameDriver::INTERPOLATION_LINEAR;
    pSpeed->AddKey(0.0f, 1.0f);
    pSpeed->AddKey(2.0f, 0.0f);
    pSpeed->AddKey(10.0f, 0.0f);
    fx->BuildWaveTimeTable();
    EXPECT_NEAR(fx->WaveTime(1.0f), 3.3f, 1e-5f);
    EXPECT_NEAR(fx->WaveTime(2.0f), 3.3f + 1.65f, 1e-5f);
    EXPECT_NEAR(fx->WaveTime(5.0f), 4.95f, 1e-5f);
    EXPECT_NEAR(fx->WaveTime(9.5f), 4.95f, 1e-5f);

    fx->ClearDrivers();
    auto* pWeather = static_cast<KeyFrameDriver*>(
        fx->SetDriver(fx->_pDescriptor->FindAttrib("Weather"), NoneDriver::DRIVER_KEYFRAME));
    pWeather->_eInterpolation = KeyFrameDriver::INTERPOLATION_NONE;
    pWeather->AddKey(0.0f, 1.0f);
    fx->BuildWaveTimeTable();
    EXPECT_NEAR(fx->WaveTime(3.0f), 18.0f, 1e-4f);
}

// A driver that gives no value leaves the attribute's own value: the table stays finite.
TEST(OceanWaveTime, ADriverWithoutValueKeepsTheAttributesOwn)
{
    auto fx = NewOcean(300);
    AttribDesc* pSpeed = fx->_pDescriptor->FindAttrib("TimeSpeed");
    fx->_apAttribDrivers.push_back(new SilentDriver(fx.get(), pSpeed));
    fx->_fTimeSpeed = 0.5f;
    fx->BuildWaveTimeTable();
    for (float f : fx->_aTimeIntegral)
        ASSERT_TRUE(std::isfinite(f));
    EXPECT_NEAR(fx->WaveTime(2.0f), 3.3f, 1e-5f);
}

TEST(OceanAttributes, TableInOrderOnTheProgramsValues)
{
    const fxDescriptor* d = fxOcean::RegisterAttributes();
    const char* const names[] = {
        "TimeSeek",     "TimeSpeed",   "Weather",         "Height",       "Scale",       "Waves",
        "FarClip",      "MaxSteps",    "WindXZ",          "_Separator_",  "ColorSky",    "ColorSun",
        "ColorFog",     "ColorDeep",   "_Separator_",     "SpotPosition", "ColorRadius", "ColorValue",
        "VectorRadius", "VectorWidth", "VectorThickness", "VectorAlpha"};
    ASSERT_EQ(d->_apAttribs.size(), sizeof(names) / sizeof(names[0]));
    for (size_t i = 0; i < d->_apAttribs.size(); ++i)
        EXPECT_EQ(d->_apAttribs[i]->_sName, names[i]) << i;
    auto fx = NewOcean(600);
    EXPECT_FLOAT_EQ(d->FindAttrib("Scale")->GetFloat(fx.get()), 25.0f);
    d->FindAttrib("VectorThickness")->SetFloat(fx.get(), 0.25f);
    d->FindAttrib("ColorRadius")->SetFloat(fx.get(), 40.0f);
    EXPECT_EQ(fx->_shProgram._vSpotRadiusVector, glm::vec4(0.0f, 5.0f, 0.25f, 1.0f));
    EXPECT_EQ(fx->_shProgram._vSpotRadiusColor, glm::vec4(40.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(d->FindAttrib("Height")->_pRange->_min.f, -500.0f);
}

// A data image that cannot be read is named once on stderr, however often it is asked for; the
// caller draws without it.
TEST(EffectImages, AMissingImageIsNamedOnceAndLeavesNoTexture)
{
    shOcean holder;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(shEffectProgram::LoadDataImage(holder, "Data\\img\\Shadertoy\\NoSuchImage.png"));
    EXPECT_FALSE(shEffectProgram::LoadDataImage(holder, "Data\\img\\Shadertoy\\NoSuchImage.png"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(holder.IsImageLoaded());
    const std::string name = "Data\\img\\Shadertoy\\NoSuchImage.png";
    const size_t first = err.find(name);
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find(name, first + 1), std::string::npos) << err;
}
