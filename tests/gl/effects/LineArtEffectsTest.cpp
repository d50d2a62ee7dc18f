// The line-art effects of the chorus section drawn through the whole frame path (frame begin,
// effects updated, present) on a small "Default", read back and compared with where the scene's
// geometry projects. Each test leaves "<Effect>.png" in the build directory.
#include "EffectGLTest.h"
#include "TestSupport.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "RenderHelpers.h"
#include "Factory/Drivers/ExpressionDriver.h"
#include "Factory/Factory.h"
#include "Factory/fxDescriptor.h"
#include "effects/fxBasicScene/fxBasicScene.h"
#include "effects/fxFractal/fxFractal.h"
#include "effects/fxJellyFish/fxJellyFish.h"
#include "effects/fxLinePath/fxLinePath.h"
#include "effects/fxLiveSpec/fxLiveSpec.h"
#include "effects/fxMusic/fxMusic.h"
#include "effects/fxObjArrow/fxObjArrow.h"
#include "effects/fxSea/fxSea.h"
#include "effects/fxTextStash/fxTextStash.h"
#include "effects/rvCardoid/rvCardoid.h"
#include "rvAudio.h"
#include "rvSceneDisplay.h"

using rvTest::Brightest;
using rvTest::RenderTarget;
using rvTest::RGBA;

// Where a point of the scene lands in "Default".
const auto Project = rvTest::ProjectToDefault;

namespace
{
const int kW = 640, kH = 360;

class LineArtTest : public rvTest::EffectGLTest<kW, kH>
{
protected:
    void Release() override
    {
        for (auto& e : _apEffects)
            e->SetState(State_DemoStoped);
        _apEffects.clear();
    }

    template <class T> T* Add()
    {
        T* e = static_cast<T*>(T::Create(T::RegisterAttributes()));
        e->_fFadeIn = 0.0f;
        _apEffects.emplace_back(e);
        return e;
    }

    void Frame(float dt = 1.0f / 30.0f)
    {
        rvTest::PlayFrame(_window, _apEffects, dt);
    }

    // "Default"'s picture, saved under the effect's name.
    void Grab(RenderTarget& shot, const char* name)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shot.Framebuffer());
        glBlitFramebuffer(0, 0, kW, kH, 0, 0, kW, kH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_TRUE(shot.SavePNG(rvTest::BinaryPath(std::string(name) + ".png")));
    }

    std::vector<std::unique_ptr<fxBase>> _apEffects;
};

int Sum(const RGBA& p)
{
    return p.r + p.g + p.b;
}

std::string ReadBinary(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

TEST_F(LineArtTest, CardoidIsABlueLoopAroundAnEmptyCentre)
{
    rvCardoid* e = Add<rvCardoid>();
    e->_fA = 24.0f;
    e->_fB = 6.0f;
    Frame();
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "Cardoid");
    for (int i = 1; i < 60; i += 6)
    {
        const RGBA p = Brightest(shot, Project(e->PointAt(0.1f * float(i))), 2);
        EXPECT_GT(p.b, 80) << i;
        EXPECT_GT(p.b, p.r) << i;
    }
    EXPECT_LT(Sum(shot.Pixel(kW / 2, kH / 2)), 60);
}

TEST_F(LineArtTest, ArrowOutlineLitAndItsInsideDark)
{
    fxObjArrow* e = Add<fxObjArrow>();
    e->_Transform._vScale = glm::vec3(30.0f);
    e->_vColor = glm::vec3(1.0f, 0.6f, 0.1f);
    e->_fThickness = 1.0f;
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "Arrow");
    glm::vec3 outline[fxObjArrow::OUTLINE_POINTS];
    e->Outline(outline);
    for (const glm::vec3& p : outline)
    {
        const RGBA c = Brightest(shot, Project(p * 30.0f), 2);
        EXPECT_GT(c.r, 150);
        EXPECT_GT(c.r, c.b);
    }
    EXPECT_LT(Sum(shot.Pixel(int(Project({0, -10, 0}).x), int(Project({0, -10, 0}).y))), 60);
}

TEST_F(LineArtTest, LinePathTrailFollowsItsDriverIntoThePast)
{
    fxLinePath* e = Add<fxLinePath>();
    e->_fLineLength = 2.0f;
    e->_fThickness = 1.5f;
    auto* d = static_cast<ExpressionDriver*>(e->SetDriver(e->_pDescriptor->FindAttrib("Pos.x"), NoneDriver::DRIVER_EXPRESSION));
    d->_sExpression = "x*20 - 40";
    for (int i = 0; i < 30; ++i)
        Frame(); // local time 29/30 s: the trail runs from x = -60.7 (2 s ago) to x = -20.7
    RenderTarget shot(kW, kH);
    Grab(shot, "LinePath");
    for (float x : {-55.0f, -40.0f, -25.0f})
    {
        const RGBA p = Brightest(shot, Project({x, 0, 0}), 2);
        EXPECT_GT(p.r, 100) << x;
        EXPECT_GT(p.g, 100) << x;
        EXPECT_LT(p.b, p.r) << x;
    }
    EXPECT_LT(Sum(Brightest(shot, Project({10, 0, 0}), 2)), 60); // no trail ahead of the point
}

TEST_F(LineArtTest, JellyFishTentaclesHangFromTheAnchor)
{
    fxJellyFish* e = Add<fxJellyFish>();
    e->_nTentacles = 6;
    e->_fLengthBase = 10.0f;
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "JellyFish");
    for (const auto& tentacle : e->_aTentacles)
    {
        const RGBA p = Brightest(shot, Project((e->_vPos + tentacle[0]) / 2.0f), 2);
        EXPECT_GT(p.g + p.b, 60);
    }
    // Between two rays, away from the anchor: dark.
    EXPECT_LT(Sum(Brightest(shot, Project({8.0f * std::cos(0.5236f), 8.0f * std::sin(0.5236f), 0}), 1)), 60);
}

TEST_F(LineArtTest, FractalTrunkAndBranchesFromBaseToLeafColour)
{
    fxFractal* e = Add<fxFractal>();
    e->_fBaseSize = 1.0f;
    e->_Transform._vScale = glm::vec3(30.0f);
    e->_Transform._vPosition = glm::vec3(0.0f, -40.0f, 0.0f);
    e->_aBranches[1].v0 = glm::vec3(0.0f, 1.0f, 0.0f);
    e->_aBranches[1].v1 = glm::vec3(-0.5f, 1.6f, 0.0f);
    e->_aBranches[2].v0 = glm::vec3(0.0f, 1.0f, 0.0f);
    e->_aBranches[2].v1 = glm::vec3(0.5f, 1.6f, 0.0f);
    e->_fBaseThickness = e->_fLeafThickness = 1.0f;
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "Fractal");
    const RGBA trunk = Brightest(shot, Project({0, -40 + 5, 0}), 2);
    EXPECT_GT(trunk.r, 80); // orange at the root
    EXPECT_GT(trunk.r, trunk.b);
    EXPECT_EQ(e->SegmentCount(), 31);
    EXPECT_LT(Sum(Brightest(shot, Project({70, -40, 0}), 2)), 60);
}

TEST_F(LineArtTest, SeaWavesCrestAboveTheirLevel)
{
    fxSea* e = Add<fxSea>();
    e->_nWaveCount = 1;
    e->_fSeaLevel = -10.0f;
    e->_fThickness = 2.0f;
    e->_vColor = glm::vec4(0.3f, 0.9f, 1.0f, 1.0f);
    e->_aWaves.push_back(fxSeaWave{0.0f, 0.0f, 0.0f, 40.0f, 20.0f, 1.0f, 2.0f}); // at mid-life
    Frame(0.0f);
    RenderTarget shot(kW, kH);
    Grab(shot, "Sea");
    // Mid-life: the crest at the centre, 20 above the level; the ends dark.
    const RGBA crest = Brightest(shot, Project({0, 10, 0}), 2);
    EXPECT_GT(crest.g, 150);
    EXPECT_GT(crest.b, crest.r);
    EXPECT_LT(Sum(Brightest(shot, Project({0, -10, 0}), 2)), 80);
}

TEST_F(LineArtTest, BasicSceneFillsItsTrianglesAndCeiling)
{
    fxBasicScene* e = Add<fxBasicScene>();
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "BasicScene");
    // The green triangles' outline at x = 60 of the nearest row (z = -40), the purple ceiling's
    // near edge (z = 20), and the front edge of a pillar.
    const RGBA green = Brightest(shot, Project({60, 5, -40}), 2);
    EXPECT_GT(green.g, 100);
    EXPECT_LT(green.r, green.g);
    const RGBA ceiling = Brightest(shot, Project({0, 40, 20}), 2);
    EXPECT_GT(ceiling.r, 100);
    EXPECT_GT(ceiling.b, 100);
    EXPECT_LT(ceiling.g, ceiling.r);
    const RGBA pillarEdge = Brightest(shot, Project({-5, 0, 25}), 2); // front edge, pillar at (0, 0, 20)
    EXPECT_GT(pillarEdge.b, 100);
    EXPECT_EQ(e->_pFont, nullptr); // no archive here: the scene without its text
}

TEST_F(LineArtTest, TextStashCaptionWithAndWithoutGlow)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    const std::string serif = ReadBinary("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");
    if (serif.empty()) GTEST_SKIP() << "no DejaVu font";
    rvTest::TempWorkDir dir;
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/Font/DroidSerif-Regular.ttf", serif}}));
    for (bool glow : {false, true})
    {
        SCOPED_TRACE(glow ? "glow" : "plain");
        Release();
        fxObjArrow* before = Add<fxObjArrow>(); // lines of the display: drawn at present
        before->_Transform._vScale = glm::vec3(20.0f);
        fxTextStash* e = Add<fxTextStash>();
        e->_vPos = glm::vec2(0.05f, 0.3f);
        e->_fSize = 0.1f;
        e->_bGlow = glow;
        e->_vColor = glm::vec4(1.0f, 0.8f, 0.2f, 1.0f);
        Frame();
        ASSERT_GE(e->_TextStash._nFontIndex, 0);
        RenderTarget shot(kW, kH);
        Grab(shot, glow ? "TextStashGlow" : "TextStash");
        // Text along the line at 30 % from the top, from 5 % of the width on.
        int lit = 0;
        for (int x = int(0.05f * kW); x < kW; ++x)
            for (int y = int(kH * 0.7f); y < int(kH * 0.7f) + 10; ++y)
                lit += shot.Pixel(x, y).r > 150 ? 1 : 0;
        EXPECT_GT(lit, 100);
        // The arrow's lines, flushed at present, are still there.
        EXPECT_GT(Brightest(shot, Project({0, 20, 0}), 2).r, 120);
    }
    // The caption's own "Text": three letters end well before the default sentence would.
    Release();
    fxTextStash* e = Add<fxTextStash>();
    e->_vPos = glm::vec2(0.05f, 0.3f);
    e->_fSize = 0.1f;
    e->_sText = "ZQ4";
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "TextStashOwnText");
    int near = 0, far = 0;
    for (int x = int(0.05f * kW); x < kW; ++x)
        for (int y = int(kH * 0.7f); y < int(kH * 0.7f) + 10; ++y)
            (x < kW / 3 ? near : far) += shot.Pixel(x, y).r > 150 ? 1 : 0;
    EXPECT_GT(near, 20);
    EXPECT_EQ(far, 0);
}

// The spectrum is drawn in pixels of the render buffer: the camera is moved so that they show.
TEST_F(LineArtTest, LiveSpecFansConvergeOnTheFocalPoint)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    rvAudio& audio = rvAudio::Get();
    ASSERT_TRUE(audio.Init(-1, 44100) || audio.LastError() == rvAudio::Error_Already);
    const rvAudio::Handle music =
        audio.StreamCreateFile(rvTest::SourcePath("tests/data/tone440.mp3").c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(music, 0u);
    // Held in the tone (0.5-1.5 s of the file): a playing stream would reach the silence at its loop
    // on a machine slow enough to take most of a second over the frames below.
    audio.Play(music, false);
    audio.Pause(music);
    audio.SetPosition(music, audio.SecondsToBytes(music, 0.6));
    fxMusic::_hMusicChannel = music;
    // The camera looks at the middle of the buffer's pixel rectangle, a little farther away.
    const float D = 1.3f * (kH / 2.0f) / std::tan(0.5236f);
    rvSceneDisplay::_DefaultBuffer._vPosition = glm::vec3(-kW / 2.0f, -kH / 2.0f, -D);
    rvSceneDisplay::_DefaultBuffer._fFar = 2000.0f;

    fxDescriptor* d = Factory::_pInstance->FindDescriptor("fxLiveSpec");
    fxLiveSpec* e = static_cast<fxLiveSpec*>(d->_pfnCreate(d));
    _apEffects.emplace_back(e);
    Frame();
    Frame();
    RenderTarget shot(kW, kH);
    Grab(shot, "LiveSpec");
    // The tone (bin 10) makes the longest bars: on the left from (-476, 0) through the focal point
    // (512, 180), on the right from (9, 360) to it; elsewhere the bars are short stubs on the edges.
    const glm::vec2 F(512.0f, kH / 2.0f);
    const glm::vec2 leftRoot(4.0f * 9 - 512.0f, 0.0f), rightRoot(9.0f, float(kH));
    auto on = [](glm::vec2 a, glm::vec2 b, float x) { return glm::vec3(x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x), 0); };
    const RGBA red = Brightest(shot, Project(on(leftRoot, F, 200.0f)), 2);
    EXPECT_GT(red.r, 100);
    EXPECT_GT(red.r, red.g);
    const RGBA blue = Brightest(shot, Project(on(rightRoot, F, 200.0f)), 2);
    EXPECT_GT(blue.b, 60);
    EXPECT_GT(blue.b, blue.r);
    EXPECT_LT(Sum(Brightest(shot, Project({200.0f, 40.0f, 0.0f}), 2)), 40);
    // Stubs along the bottom edge (bars rising from y = 0).
    int stubs = 0;
    for (float x = 0.0f; x < float(kW); x += 4.0f)
        stubs += Sum(Brightest(shot, Project({x, 0.0f, 0.0f}), 1)) > 30 ? 1 : 0;
    EXPECT_GT(stubs, kW / 16);
    audio.StreamFree(music);
    fxMusic::_hMusicChannel = 0;
}
