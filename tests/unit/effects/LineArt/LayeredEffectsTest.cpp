// The eye-universe layers, the manta ray, the logo circles and the gear logic of the SVG machine
// on a geometry-only display.
#include "LineArtFixture.h"

#include "TestSupport.h"

#include <imgui.h>
#include <imgui_internal.h>

#include "Factory/Drivers/NoneDriver.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBBC/fxBBC.h"
#include "effects/fxMantaRay/fxMantaRay.h"
#include "effects/nanoSVGScene/nanoSVGScene.h"
#include "effects/rvEyesUniverse/rvEyesUniverse.h"

#include <cmath>
#include <limits>

using rvTest::EffectPtr;
using rvTest::Strip;

namespace
{
// A 100 x 100 layer: a square outline round the centre, and a pivot at (60, 50).
const char* const kLayer = R"(<svg width="100" height="100"><path d="M40 40 L60 40 L60 60 L40 60 Z"/>
    <path id="PIVOT" d="M60 50 L60 51"/></svg>)";
// A manta drawing: a diamond 100 wide and 80 long, head (min y) at the top.
const char* const kManta = R"(<svg width="100" height="80"><path d="M50 0 L100 40 L50 80 L0 40 Z"/></svg>)";

class LayeredEffectsTest : public rvTest::LineArtTest
{
protected:
    // Bounds of everything drawn in the frame, x and y.
    void Bounds(glm::vec3& lo, glm::vec3& hi) const
    {
        lo = glm::vec3(1e9f);
        hi = glm::vec3(-1e9f);
        for (const Strip& s : Strips())
            for (const glm::vec3& p : s._aPoints)
            {
                lo = glm::min(lo, p);
                hi = glm::max(hi, p);
            }
    }
};
} // namespace

TEST_F(LayeredEffectsTest, EyeLayersMoveAsTheirTransformsSay)
{
    std::map<std::string, std::string> files;
    for (int i = 0; i < rvEyesUniverse::LAYERS; ++i)
        if (i != 2) files[rvEyesUniverse::LayerFiles[i]] = kLayer; // layer 2 missing
    ASSERT_TRUE(Archive(files));
    auto e = New<rvEyesUniverse>();
    e->SetState(State_DemoStarted);
    EXPECT_TRUE(e->_aLayers[0]._bDraw);
    EXPECT_EQ(e->_aLayers[0]._Transform._vPivot, glm::vec3(60, 50, 0));
    EXPECT_EQ(e->_aLayers[2]._SVG._nEdges, 0);

    // Layer 0 alone, pivot at the origin: the square sits left of it, 20 wide.
    e->_vBaseColor = glm::vec4(1, 0, 0, 1); // plays no part in the colour
    Frame(*e, 0.f);
    glm::vec3 lo, hi;
    Bounds(lo, hi);
    EXPECT_NEAR(lo.x, -20.f, 0.8f);
    EXPECT_NEAR(hi.x, 0.f, 0.8f); // the centre dot and the square's right side
    for (const Strip& s : Strips())
        EXPECT_EQ(s._vColor, glm::vec3(0.6f, 0.5f, 1.0f));

    // Scale 2 about the pivot, moved 30 along x; "Speed0" 10 moves it along z by 10 a second.
    e->_aLayers[0]._Transform._vScale = glm::vec3(2.f);
    e->_aLayers[0]._Transform._vPosition.x = 30.f;
    e->_afSpeed[0] = 10.f;
    Frame(*e, 0.5f);
    EXPECT_FLOAT_EQ(e->_aLayers[0]._Transform._vPosition.z, 5.f);
    Bounds(lo, hi);
    EXPECT_NEAR(lo.x, -10.f, 1.6f); // 30 - 2 x 20
    EXPECT_NEAR(hi.x, 30.f, 1.6f);
    EXPECT_NEAR(hi.z, 5.f, 1e-4f);

    // Switching on a missing layer adds nothing; layer 3 adds its square; a layer switched off
    // keeps its position.
    const int before = _pDisplay->npoints;
    e->_aLayers[2]._bDraw = true;
    e->_aLayers[0]._bDraw = false;
    Frame(*e, 0.5f);
    EXPECT_FLOAT_EQ(e->_aLayers[0]._Transform._vPosition.z, 5.f);
    e->_aLayers[3]._bDraw = true;
    Frame(*e, 0.5f);
    EXPECT_EQ(_pDisplay->npoints, before); // the same drawing as layer 0

    // The display looks: "Line Render" then "Cathodic render".
    rvEyesUniverse::LineRender(_pDisplay);
    EXPECT_EQ(_pDisplay->settings.color_brightness, 0.f);
    rvEyesUniverse::CathodicRender(_pDisplay);
    EXPECT_EQ(_pDisplay->settings.color_brightness, 1.f);
    EXPECT_EQ(_pDisplay->settings.decay_final, 0.2f);
}

TEST_F(LayeredEffectsTest, EyeLayerSwitchesSurviveInitAndRoundTripThroughJson)
{
    ASSERT_TRUE(Archive({{rvEyesUniverse::LayerFiles[0], kLayer}}));
    const Json::Value stored = rvTest::ParseJson(R"({"Class": "rvEyesUniverse", "Properties": {
        "Name": "Eyes", "Draw 0": false, "Draw 4": true, "Speed1": 40.0, "Transform 1.Pos.z": -400.0,
        "Transform 4.Rot.z": 90.0, "Global Offset.y": 12.0, "Base Color.x": 0.5}})");
    EffectPtr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    rvEyesUniverse& e = static_cast<rvEyesUniverse&>(*loaded);
    e.SetState(State_DemoStarted);
    EXPECT_FALSE(e._aLayers[0]._bDraw); // the stored switch is kept through Init
    EXPECT_TRUE(e._aLayers[4]._bDraw);
    EXPECT_EQ(e._afSpeed[1], 40.f);
    EXPECT_EQ(e._aLayers[1]._Transform._vPosition.z, -400.f);
    EXPECT_EQ(e._vGlobalOffset.y, 12.f);
    Json::Value saved(Json::objectValue);
    ASSERT_TRUE(Factory::EffectToJson(loaded.get(), saved));
    EXPECT_FALSE(saved["Properties"]["Draw 0"].asBool());
    EffectPtr<fxBase> again(Factory::EffectFromJson(saved));
    Json::Value savedAgain(Json::objectValue);
    Factory::EffectToJson(again.get(), savedAgain);
    EXPECT_EQ(savedAgain, saved);
}

TEST_F(LayeredEffectsTest, MantaRayFollowsThePathOfItsDrivers)
{
    ASSERT_TRUE(Archive({{"Data/svg/custom/mantaray.svg", kManta}}));
    // Pos.x keyed from 0 to 100 over 10 s; the body spans 5 s of the path.
    const Json::Value stored = rvTest::ParseJson(R"({"Class": "fxMantaRay", "Properties": {
        "Name": "Manta", "SplineScale": 5.0, "FadeIn": 0.0, "FadeOut": 0.0, "Transform.Scale.x": 2.0,
        "Color.r": 4.0, "End": 1200,
        "_apAttribDrivers": [{"_eType": 1, "_attribName": "Transform.Pos.x", "_fMin": 0.0, "_fMax": 1.0,
            "_fPeriod": 2.0, "_fPhase": 0.0, "_eInterpolation": 1, "_fParams": [0.0, 0.0],
            "_aKeys": [{"x": 0.0, "y": 0.0, "z": 1.0}, {"x": 10.0, "y": 100.0, "z": 2.0}]}]}})");
    EffectPtr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    fxMantaRay& m = static_cast<fxMantaRay&>(*loaded);
    m.SetState(State_DemoStarted);
    ASSERT_FALSE(m._aOutline.empty());
    EXPECT_EQ(m._aSpine.size(), 100u);
    ASSERT_NE(m._apSpineDrivers[0], nullptr);
    EXPECT_NEAR(m._vBodySize.x, 2.f * 0.05f * 100.f, 1.f);

    FrameAt(m, 10.f);
    EXPECT_NEAR(m._aSpine[0]._vPosition.x, 100.f, 1e-3f);
    EXPECT_NEAR(m._aSpine[99]._vPosition.x, 100.f - 99.f * 0.05f * 10.f, 1e-2f);
    // Head (v = 0) at the current position, tail (v = 1) 4.9 s back; the colour kept inside 0..1.
    for (const fxMantaRay::OutlinePoint& o : m._aOutline)
    {
        if (o._fV == 0.f)
        {
            EXPECT_NEAR(o._Point.x, 100.f, 0.1f); // up to the head node's u x 5
        }
        if (o._fV == 1.f)
        {
            EXPECT_NEAR(o._Point.x, 51.f, 0.1f);
        }
        EXPECT_EQ(o._Point.r, 1.f);
    }
    // Across the body: the right vector is x scaled by half the body size, turned by Rot.z.
    EXPECT_NEAR(m._aSpine[0]._vRight.x, m._vBodySize.x * 0.5f, 1e-4f);
    m._Transform._vRotation.z = float(M_PI / 2);
    FrameAt(m, 10.f);
    EXPECT_NEAR(m._aSpine[0]._vRight.x, 0.f, 1e-4f);
    EXPECT_NEAR(m._aSpine[0]._vRight.y, m._vBodySize.x * 0.5f, 1e-4f);
    EXPECT_GT(_pDisplay->npoints, 0);

    // The driver deleted after Init: the spine uses the attribute's own value, no stale pointer.
    m.ClearDrivers();
    m._Transform._vPosition.x = 7.f;
    FrameAt(m, 10.f);
    EXPECT_EQ(m._apSpineDrivers[0], nullptr);
    EXPECT_EQ(m._aSpine[50]._vPosition.x, 7.f);
}

TEST_F(LayeredEffectsTest, MantaRayWingsWaveAndIgnoreDriversWithoutAValue)
{
    ASSERT_TRUE(Archive({{"Data/svg/custom/mantaray.svg", kManta}}));
    // A formula that gives +inf ("no value") on Pos.y: the coordinate keeps its own value.
    const Json::Value stored = rvTest::ParseJson(R"({"Class": "fxMantaRay", "Properties": {
        "Name": "Manta", "FadeIn": 0.0, "WindHeight": 2.0, "WindPeriod": 3.0,
        "Transform.Pos.x": 3.0, "Transform.Pos.y": 4.0, "Transform.Pos.z": 5.0,
        "_apAttribDrivers": [{"_eType": 5, "_attribName": "Transform.Pos.y", "_fMin": 0.0, "_fMax": 1.0,
            "_fPeriod": 2.0, "_fPhase": 0.0, "_sExpression": "inf", "nVarCount": 0, "Vars": []}]}})");
    EffectPtr<fxBase> loaded(Factory::EffectFromJson(stored));
    ASSERT_NE(loaded, nullptr);
    fxMantaRay* m = static_cast<fxMantaRay*>(loaded.get());
    m->SetState(State_DemoStarted);
    ASSERT_NE(m->_apSpineDrivers[1], nullptr);
    FrameAt(*m, 1.f);
    for (const fxMantaRay::SpineSample& s : m->_aSpine)
    {
        EXPECT_EQ(s._vPosition, glm::vec3(3.f, 4.f, 5.f)); // no path: all samples share the position
        EXPECT_EQ(s._vUp, glm::vec3(0.f, 2.f, 0.f));
    }
    // "WindHeight" 2, "WindPeriod" 3: every point moved along y by 2 cos(3 |u| + t), u its place
    // across the wings (-1 at the left wing tip of the drawing, 0 on its centre line, 1 right).
    float left = 1e9f, right = -1e9f;
    for (const fxMantaRay::OutlinePoint& o : m->_aOutline)
        left = std::min(left, o._vSvg.x), right = std::max(right, o._vSvg.x);
    ASSERT_GT(right, left);
    for (const fxMantaRay::OutlinePoint& o : m->_aOutline)
    {
        const float u = (2.f * o._vSvg.x - left - right) / (right - left);
        EXPECT_NEAR(o._Point.y - 4.f, 2.f * std::cos(3.f * std::fabs(u) + 1.f), 1e-4f) << o._vSvg.x;
    }
    // The debug spine adds 99 stand-alone yellow segments.
    const int without = _pDisplay->npoints;
    m->_bDebugSpine = true;
    FrameAt(*m, 1.f);
    EXPECT_EQ(_pDisplay->npoints - without, 99 * (without / std::max(1, m->_SVG._nEdges)));
    EXPECT_EQ(_pDisplay->points[0].b, 0.f);
}

TEST_F(LayeredEffectsTest, LogoCirclesGrowRetractAndMorphIntoTheLogo)
{
    ASSERT_TRUE(Archive({{"Data/svg/ZQ4_logo_v1_low.svg", kLayer}}));
    auto b = New<fxBBC>();
    b->_nItemCount = 4;
    b->_fItemRadius = 2.f;
    b->SetState(State_DemoStarted);
    ASSERT_EQ(b->_aItems.size(), 4u);
    EXPECT_NEAR(b->_aItems[0].x, 0.f, 1e-4f);
    EXPECT_NEAR(b->_aItems[0].y, -9.f, 1e-4f);
    EXPECT_NEAR(b->_aItems[1].x, 9.f, 1e-4f);
    EXPECT_NEAR(b->_aItems[2].y, 9.f, 1e-4f);
    EXPECT_EQ(b->SpiralPoints(), 14); // radius 9, target 40
    b->_fRadius = 40.f;
    EXPECT_EQ(b->SpiralPoints(), 4);
    b->_fRadiusTarget = 0.f; // no finite count: the smallest item
    EXPECT_EQ(b->SpiralPoints(), 1);
    b->_fRadius = 9.f;
    b->_fRadiusTarget = 40.f;

    // Phase 0 with the defaults: every ray ends 15 + 5z from the origin along the direction away
    // from the centre (in 3D, so its trace in the plane is shorter by the item's height); nothing
    // changes phase.
    Frame(*b, 0.f);
    Frame(*b, 0.1f);
    EXPECT_EQ(b->_nPhase, 0);
    const std::vector<Strip> rays = Strips();
    ASSERT_EQ(rays.size(), size_t(4 * 15));
    const glm::vec3 tip = rays[0]._aPoints[2];
    const glm::vec3 c0 = b->_aItems[0];
    EXPECT_NEAR(glm::length(glm::vec2(tip)), (15.f + 5.f * c0.z) * 9.f / glm::length(c0), 1e-3f);

    // "Lenght Speed" 10, target 40: phase 1 once the length reaches 30, phase 2 back at 10.
    b->_fLenghtSpeed = 10.f;
    int frames = 0;
    while (b->_nPhase == 0 && frames < 1000)
    {
        Frame(*b, 0.1f);
        ++frames;
    }
    EXPECT_EQ(b->_nPhase, 1);
    EXPECT_NEAR(b->_fLength, 30.f, 1.01f);
    const float fRetractFrom = b->_fLength;
    float fDrawnLength = fRetractFrom;
    while (b->_nPhase == 1 && frames < 1000)
    {
        fDrawnLength = b->_fLength;
        Frame(*b, 0.1f);
        ++frames;
        if (b->_nPhase == 1)
        {
            EXPECT_EQ(b->_aMorphEdges.size() * 2, b->_aMorphNodes.size());
        }
    }
    EXPECT_EQ(b->_nPhase, 2);
    EXPECT_NEAR(b->_fLength, 10.f, 1.01f);
    // The last frame of phase 1 (the morph's source): the ray of the first item's own point runs
    // from its outer end, 5 z + length - 5 from the centre, to its inner end, drawn in from the
    // item twice as far as the outer end has come in since phase 1 began (past the centre here).
    ASSERT_GE(b->_aMorphNodes.size(), 2u);
    const glm::vec3 item = b->_aItems[0], outer = b->_aMorphNodes[0], inner = b->_aMorphNodes[1];
    EXPECT_NEAR(glm::length(outer), 5.f * item.z + fDrawnLength - 5.f, 1e-3f);
    EXPECT_NEAR(glm::dot(inner, glm::normalize(item)), glm::length(item) - 2.f * (fRetractFrom - fDrawnLength),
                1e-3f);
    EXPECT_GT(b->_Morph._nNodeSource, 0);
    // The morph steps and draws (with its statistics window, as in the player).
    rvTest::ImGuiHeadless ui;
    ui.NewFrame(0.1f);
    Frame(*b, 0.1f);
    ui.EndFrame();
    EXPECT_GT(_pDisplay->npoints, 0);
}

TEST_F(LayeredEffectsTest, MachineGearsFollowTheirElementsByPosition)
{
    // Three parts, no occluders (no GL needed to load).
    ASSERT_TRUE(Archive({{"Data/svg/machine.svg", R"(<svg width="100" height="100">
        <rect id="ENG1.1" x="10" y="10" width="20" height="20"/>
        <rect id="ENG1.1-2" x="40" y="10" width="20" height="20"/>
        <rect id="ENG2.1" x="70" y="10" width="20" height="20"/>
        <path id="PIVOT" d="M50 50 L51 50"/></svg>)"}}));
    auto s = New<nanoSVGScene>();
    s->_sFile = "Data/svg/machine.svg";
    s->_aGears[1]._sName = "Mine";
    s->_aGears[1]._fSpeed = -0.5f;
    s->_aGears[1]._r = 0.f;
    s->_nGears = 2;
    s->Init();
    ASSERT_EQ(s->_SVG._apParts.size(), 3u);
    EXPECT_EQ(s->_Transform._vScale, glm::vec3(0.06f, 0.06f, 1.f));
    EXPECT_EQ(s->_Transform._vPivot, glm::vec3(50, 50, 0));
    s->ApplyGearSettings();
    EXPECT_EQ(s->_nGears, 3);
    EXPECT_EQ(s->_aGears[0]._sName, "ENG1.1");
    EXPECT_EQ(s->_aGears[1]._sName, "Mine"); // its own name kept, matched by position
    EXPECT_EQ(s->_SVG._apParts[1]->_fSpeed, -0.5f);
    EXPECT_EQ(s->_SVG._apParts[1]->_vColor, glm::vec3(0.f, 1.f, 1.f));
    s->ApplyGearSettings(); // the third element now drives the third part with the defaults
    EXPECT_EQ(s->_SVG._apParts[2]->_fSpeed, 0.1f);
    s->UpdateParts();
    s->UpdateParts();
    EXPECT_NEAR(s->_SVG._apParts[1]->_vAngles.z, -1.f, 1e-6f);
    EXPECT_NEAR(s->_SVG._apParts[0]->_vAngles.z, 0.2f, 1e-6f);

    // A drawing with more parts than elements: the extra parts are left alone, with one message.
    for (int i = 0; i < 3; ++i)
        s->_SVG._apParts.push_back(new nanoSVGPart());
    for (int i = 0; i < nanoSVGScene::GEARS_MAX; ++i)
        s->_SVG._apParts.push_back(new nanoSVGPart());
    testing::internal::CaptureStderr();
    s->ApplyGearSettings();
    s->ApplyGearSettings();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s->_nGears, nanoSVGScene::GEARS_MAX);
    EXPECT_NE(err.find("only the first 60"), std::string::npos);
    EXPECT_EQ(err.find("only the first 60"), err.rfind("only the first 60"));
    EXPECT_EQ(s->_SVG._apParts.back()->_fSpeed, 0.f);
    s->Kill();
    EXPECT_TRUE(s->_SVG._apParts.empty());
}

TEST_F(LayeredEffectsTest, DebugWindowsAreBuiltInsideAnEditorFrame)
{
    ASSERT_TRUE(Archive({{rvEyesUniverse::LayerFiles[0], kLayer}, {"Data/svg/machine.svg", kLayer}}));
    auto eyes = New<rvEyesUniverse>();
    auto machine = New<nanoSVGScene>();
    machine->_sFile = "Data/svg/machine.svg";
    machine->_bDebug = true;
    eyes->SetState(State_DemoStarted);
    machine->Init();
    rvTest::ImGuiHeadless ui;
    ui.NewFrame(0.1f);
    Frame(*eyes, 0.1f);
    machine->_nRenderingMode = 1; // the window and the settings, no drawing (no GL here)
    machine->Render();
    ImGuiWindow* layers = ImGui::FindWindowByName("nanoSVG");
    ImGuiWindow* loader = ImGui::FindWindowByName("SVG Loader");
    ui.EndFrame();
    EXPECT_NE(layers, nullptr);
    EXPECT_NE(loader, nullptr);
    // Outside an editor frame nothing is built and nothing stops.
    Frame(*eyes, 0.1f);
    machine->Render();
    machine->Kill();
}
