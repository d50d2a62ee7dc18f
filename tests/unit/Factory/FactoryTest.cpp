#include "EffectTestSupport.h"
#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/rvJson.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <sstream>

using rvTest::fxRecorder;
using rvTest::NewRecorder;
using rvTest::TheFactory;

namespace
{
Json::Value Parse(const std::string& text)
{
    Json::Value v;
    std::istringstream in(text);
    EXPECT_TRUE(rvJson::Parse(in, &v));
    return v;
}

uint32_t Packed(int r, int g, int b)
{
    return 0xFF000000u | (b << 16) | (g << 8) | r;
}
} // namespace

TEST(Factory, RegistrationTableNamesIdsAndColours)
{
    const char* names[] = {"fxBase",
                           "fxCircle",
                           "fxText",
                           "fxFractal",
                           "fxJellyFish",
                           "fxSwarm",
                           "fxLinePath",
                           "fxParticleEmitter",
                           "fxMetaBallSystem",
                           "fxSequence",
                           "fxSVG",
                           "fxSea",
                           "fxAsteroid",
                           "rvCardoid",
                           "nanoSVGScene",
                           "fxMorph",
                           "rvEyesUniverse",
                           "fxMusic",
                           "fxLorenz",
                           "fxBBC",
                           "fxMantaRay",
                           "fxLiveSpec",
                           "fxBasicShader2d",
                           "fxBasicShader3d",
                           "fxBasicScene",
                           "fxAmbientParticles",
                           "fxTunnelPattern3d",
                           "fxBackCircuit",
                           "fxBackGrid",
                           "fxImage",
                           "fxVectorDisplay",
                           "fxPostVHS",
                           "fxPostDistortion",
                           "fxBootSequence",
                           "fxBootText",
                           "fxBufferDisplay",
                           "fxBufferDefault",
                           "fxJoyDivision",
                           "fxStarField",
                           "fxDemoGlobalParams",
                           "fxMusicReference",
                           "fxCamera",
                           "fxOcean",
                           "fxHorizonBorealis",
                           "fxTextNeon",
                           "fxObjVectrex",
                           "fxObjVectrexCard",
                           "fxObjArrow",
                           "fxAnimation",
                           "fxExtruder",
                           "fxDepthLine",
                           "fxECG",
                           "fxObjLoader",
                           "fxGLTFLoader",
                           "fxTextStash",
                           "fxStencilTest"};
    Factory* f = TheFactory();
    ASSERT_GE(f->GetCount(), 56);
    for (int i = 0; i < 56; ++i)
    {
        EXPECT_EQ(f->_apDescriptors[i]->_sClassName, names[i]) << i;
        EXPECT_EQ(f->_apDescriptors[i]->_nId, i);
        EXPECT_EQ(f->FindDescriptor(names[i]), f->_apDescriptors[i]);
        if (i > 0)
        {
            EXPECT_EQ(f->_apDescriptors[i]->_pParent != nullptr, true) << i;
        }
    }
    EXPECT_EQ(f->_apDescriptors[0]->_pParent, nullptr);
    EXPECT_EQ(f->_apDescriptors[0], fxBase::GetDescriptor());

    EXPECT_EQ(TIMELINE_COLORS[0], Packed(214, 160, 144));
    EXPECT_EQ(TIMELINE_COLORS[13], Packed(183, 192, 255));
    EXPECT_EQ(TIMELINE_COLORS[23], Packed(8, 253, 204));
    EXPECT_EQ(Factory::TimelineColor(38), Packed(130, 124, 112)); // fxStarField
    EXPECT_EQ(Factory::TimelineColor(24), TIMELINE_COLORS[0]);
    EXPECT_EQ(Factory::TimelineColor(55), TIMELINE_COLORS[7]);
    EXPECT_DEATH(Factory(), "_pInstance == nullptr");
    const int count = f->GetCount();
    f->RegisterAll(); // only the first call registers
    EXPECT_EQ(f->GetCount(), count);
}

TEST(Factory, UnknownOrUnavailableClassesGiveNoEffect)
{
    Factory* f = TheFactory();
    EXPECT_EQ(Factory::EffectFromJson(Parse(R"({"Class": "fxNoSuchThing", "Properties": {}})")), nullptr);
    EXPECT_EQ(Factory::EffectFromJson(Parse(R"({"Class": "fxbase", "Properties": {}})")), nullptr);
    EXPECT_EQ(Factory::EffectFromJson(Parse(R"({"Properties": {}})")), nullptr);
    EXPECT_EQ(Factory::EffectFromJson(Parse(R"([1, 2])")), nullptr);
    EXPECT_EQ(f->CreateEffect(-1), nullptr);
    EXPECT_EQ(f->CreateEffect(100000), nullptr);
    // A class whose code is not part of the program keeps its row but creates nothing, and a
    // file naming it is skipped like one naming an unknown class.
    for (fxDescriptor* d : f->_apDescriptors)
    {
        if (d->_pfnCreate) continue;
        EXPECT_EQ(f->CreateEffect(d->_nId), nullptr) << d->_sClassName;
        EXPECT_EQ(
            Factory::EffectFromJson(Parse("{\"Class\": \"" + d->_sClassName + "\", \"Properties\": {}}")),
            nullptr)
            << d->_sClassName;
    }
    std::unique_ptr<fxBase> base(f->CreateEffect(0));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->_eState, State_DemoStoped);
}

TEST(Factory, IntAttributesOfEveryClassHaveIntRanges)
{
    // An int, time or enum attribute's range is read as ints: its sliders must run over the
    // numbers the class means, not over the bits of a float range.
    Factory* f = TheFactory();
    std::function<void(const fxDescriptor*, const AttribDesc*)> check =
        [&](const fxDescriptor* d, const AttribDesc* a)
    {
        if (a->IsInt() && a->_pRange)
        {
            EXPECT_LE(a->_pRange->_min.i, a->_pRange->_max.i) << d->_sClassName << " " << a->_sName;
            EXPECT_GE(a->_pRange->_min.i, -1000000) << d->_sClassName << " " << a->_sName;
            EXPECT_LE(a->_pRange->_max.i, 1000000) << d->_sClassName << " " << a->_sName;
        }
        for (const AttribDesc* c : a->_apChildren)
            check(d, c);
    };
    for (const fxDescriptor* d : f->_apDescriptors)
    {
        for (const AttribDesc* a : d->_apAttribs)
            check(d, a);
    }
    // The star field's fractal iterations.
    const fxDescriptor* star = f->FindDescriptor("fxStarField");
    ASSERT_NE(star, nullptr);
    const struct
    {
        const char* name;
        int lo, hi;
    } rows[] = {{"Fractal/Iter1", 0, 100}, {"Fractal/Iter2", 0, 10}};
    for (const auto& row : rows)
    {
        const AttribDesc* a = star->FindAttrib(row.name);
        ASSERT_TRUE(a && a->_pRange) << row.name;
        EXPECT_EQ(a->_pRange->_min.i, row.lo) << row.name;
        EXPECT_EQ(a->_pRange->_max.i, row.hi) << row.name;
    }
}

TEST(Factory, DefaultBaseEffectJson)
{
    TheFactory();
    std::unique_ptr<fxBase> e(fxBase::Create(fxBase::GetDescriptor()));
    Json::Value json(Json::objectValue);
    EXPECT_TRUE(Factory::EffectToJson(e.get(), json));
    const Json::Value expected = Parse(R"({"Class": "fxBase", "Properties": {
        "Debug": false, "End": 600, "FadeIn": 1.0, "FadeOut": 1.0, "Name": "fxBase", "Start": 0,
        "TimeScale": 1.0}})");
    EXPECT_EQ(json, expected) << json.toStyledString();
    EXPECT_TRUE(json["Properties"]["FadeIn"].isDouble());
    EXPECT_TRUE(json["Properties"]["End"].isIntegral());
}

TEST(Factory, ValuesAndDriversRoundTrip)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    e->_sName = "Probe";
    e->_nStart = 120;
    e->_fSpeed = 0.1f;
    e->_eMode = 2;
    e->_aColor[1] = 0.3f;
    e->_Transform._vPosition.y = -4.0f;
    e->fxBase::_fFadeIn = 0.75f;
    e->_fFadeIn = 9.0f;
    KeyFrameDriver* k = dynamic_cast<KeyFrameDriver*>(
        e->SetDriver(e->_pDescriptor->FindAttrib("Count"), NoneDriver::DRIVER_KEYFRAME));
    k->AddKey(0.5f, 4.0f);
    e->SetDriver(e->_pDescriptor->FindAttrib("On"), NoneDriver::DRIVER_KEYFRAME); // no keys

    Json::Value json(Json::objectValue);
    Factory::EffectToJson(e.get(), json);
    const Json::Value& p = json["Properties"];
    EXPECT_EQ(json["Class"].asString(), "fxRecorder");
    EXPECT_FALSE(p.isMember("Count")); // the driver with keys stands for the value
    EXPECT_TRUE(p.isMember("On"));     // an empty key-frame driver does not
    EXPECT_EQ(p["Color.g"].asFloat(), 0.3f);
    EXPECT_EQ(p["Transform.Pos.y"].asFloat(), -4.0f);
    EXPECT_EQ(p["FadeIn"].asFloat(), 0.75f); // the base attribute's value wins
    EXPECT_FALSE(p.isMember("_Separator_"));
    EXPECT_FALSE(p.isMember("Create Key"));
    EXPECT_EQ(p["_apAttribDrivers"].size(), 2u);

    std::unique_ptr<fxBase> back(
        Factory::EffectFromJson(Parse(Json::writeString(Json::StreamWriterBuilder(), json))));
    ASSERT_NE(back, nullptr);
    fxRecorder* r = static_cast<fxRecorder*>(back.get());
    EXPECT_EQ(r->_sName, "Probe");
    EXPECT_EQ(r->_nStart, 120);
    EXPECT_EQ(r->_fSpeed, 0.1f);
    EXPECT_EQ(r->_eMode, 2);
    EXPECT_EQ(r->_aColor[1], 0.3f);
    EXPECT_EQ(r->_Transform._vPosition.y, -4.0f);
    EXPECT_EQ(r->fxBase::_fFadeIn, 0.75f);
    EXPECT_EQ(r->_fFadeIn, 7.0f); // shadowed by the base attribute: keeps its default
    ASSERT_EQ(r->_apAttribDrivers.size(), 2u);
    KeyFrameDriver* k2 = dynamic_cast<KeyFrameDriver*>(r->_apAttribDrivers[0]);
    ASSERT_NE(k2, nullptr);
    EXPECT_EQ(k2->_pAttribDesc, r->_pDescriptor->FindAttrib("Count"));
    EXPECT_EQ(k2->_aKeys[0]._fValue, 4.0f);
    EXPECT_EQ(r->_apAttribDrivers[1]->_eType, NoneDriver::DRIVER_KEYFRAME);
    EXPECT_EQ(r->_eState, State_DemoStoped);
}

TEST(Factory, LoadingSkipsWhatItCannotUse)
{
    TheFactory();
    std::unique_ptr<fxBase> e(Factory::EffectFromJson(Parse(R"({"Class": "fxRecorder", "Properties": {
        "Start": 60, "Count": "many", "Motion/Speed": true, "On": 1, "Unknown": 3, "File": 5,
        "_apAttribDrivers": [
            {"_eType": 1, "_attribName": "NoSuchAttribute"},
            {"_eType": 0, "_attribName": "Count"},
            {"_eType": 42, "_attribName": "Count"},
            {"_eType": 1, "_attribName": "File"},
            {"_eType": 1, "_attribName": "Transform.Rot.z", "_aKeys": [{"x": 0, "y": 45, "z": 0}]},
            {"_eType": 1, "_attribName": "Transform.Rot.z"},
            {"_attribName": "Count"},
            "garbage"
        ]}})")));
    ASSERT_NE(e, nullptr);
    fxRecorder* r = static_cast<fxRecorder*>(e.get());
    EXPECT_EQ(r->_nStart, 60);
    EXPECT_EQ(r->_nEnd, 600); // missing: the constructor's default
    EXPECT_EQ(r->_nCount, 3);
    EXPECT_EQ(r->_fSpeed, 0.5f);
    EXPECT_FALSE(r->_bOn);
    EXPECT_EQ(r->_sFile, "a.svg");
    ASSERT_EQ(r->_apAttribDrivers.size(), 1u);
    EXPECT_EQ(r->_apAttribDrivers[0]->_attribName, "Transform.Rot.z");
    r->SetState(State_EffectStarted);
    EXPECT_EQ(r->_Transform._vRotation.z, 45.0f);
    r->SetState(State_DemoStoped);
}

TEST(Factory, NonFiniteFloatAttributesSurviveSaving)
{
    std::unique_ptr<fxRecorder> e(NewRecorder());
    e->_fSpeed = std::numeric_limits<float>::infinity();
    e->_aColor[0] = std::nanf("");
    Json::Value json(Json::objectValue);
    Factory::EffectToJson(e.get(), json);
    const std::string text = Json::writeString(Json::StreamWriterBuilder(), json);
    std::unique_ptr<fxBase> back(Factory::EffectFromJson(Parse(text)));
    ASSERT_NE(back, nullptr);
    fxRecorder* r = static_cast<fxRecorder*>(back.get());
    EXPECT_EQ(r->_fSpeed, std::numeric_limits<float>::infinity());
    EXPECT_EQ(r->_aColor[0], 1.0f); // NaN is saved as null: the attribute keeps its default
}

TEST(Factory, PresetRoundTripIsBitExact)
{
    rvTest::TempWorkDir dir;
    std::unique_ptr<fxRecorder> e(NewRecorder());
    e->_fSpeed = 0.1f + 1e-7f;
    e->_aColor[2] = 1.0f / 3.0f;
    e->_Transform._vScale.x = 1e-38f;
    KeyFrameDriver* k = dynamic_cast<KeyFrameDriver*>(
        e->SetDriver(e->_pDescriptor->FindAttrib("Mode"), NoneDriver::DRIVER_KEYFRAME));
    k->AddKey(0.7f, 2.0f / 3.0f);
    EXPECT_TRUE(Factory::SavePreset(e.get(), "probe.fx"));
    EXPECT_NE(dir.ReadFile("probe.fx").find('\t'), std::string::npos); // default writer: tabs

    std::unique_ptr<fxBase> back(Factory::LoadPreset("probe.fx"));
    ASSERT_NE(back, nullptr);
    fxRecorder* r = static_cast<fxRecorder*>(back.get());
    auto bits = [](float f)
    {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    };
    EXPECT_EQ(bits(r->_fSpeed), bits(e->_fSpeed));
    EXPECT_EQ(bits(r->_aColor[2]), bits(e->_aColor[2]));
    EXPECT_EQ(bits(r->_Transform._vScale.x), bits(e->_Transform._vScale.x));
    KeyFrameDriver* k2 = dynamic_cast<KeyFrameDriver*>(r->_apAttribDrivers.at(0));
    EXPECT_EQ(bits(k2->_aKeys[0]._fTime), bits(k->_aKeys[0]._fTime));
    EXPECT_EQ(bits(k2->_aKeys[0]._fValue), bits(k->_aKeys[0]._fValue));

    EXPECT_EQ(Factory::LoadPreset("missing.fx"), nullptr);
    EXPECT_FALSE(Factory::SavePreset(e.get(), "no/such/dir/x.fx"));
    dir.WriteFile("other.fx", R"({"Class": "fxNotRegistered", "Properties": {}})");
    EXPECT_EQ(Factory::LoadPreset("other.fx"), nullptr);
    dir.WriteFile("cut.fx", R"({"Class": "fxBase", "Properties": {"Start": 30, "End": )");
    EXPECT_EQ(Factory::LoadPreset("cut.fx"), nullptr); // a cut document makes no half-loaded effect
}
