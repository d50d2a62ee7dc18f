// The demo itself, end to end: the committed timeline "Data/seq/_DemoFull_.seq" (with its nested
// part) packed into an archive, loaded with the loading bar and played with a fixed time step at
// 640x360 through the frame path the player uses (frame begin, timeline update, present), without
// the window loop. Chosen frames are checked where the timeline puts things; screenshots
// "demo_<seconds>.png" are left in the build directory (tools/update-readme-frames makes the
// README's frames from three of them). A second test runs the real program on
// its own virtual display and expects it to play the demo (cut after bar 16) to its end and
// exit with 0.
#include "GLTestContext.h"
#include "RenderHelpers.h"
#include "TestSupport.h"

#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "Loader/rvLoader.h"
#include "Sequencer/rvSequence.h"
#include "Factory/Drivers/rvVariable.h"
#include "effects/fxAnimation/fxAnimation.h"
#include "effects/fxCircle/fxCircle.h"
#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxFractal/fxFractal.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"
#include "vector_display/vector_display.h"

#include <GLFW/glfw3.h>
#include <glm/glm.hpp>
#include <json/json.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using rvTest::RenderTarget;
using rvTest::RGBA;

namespace
{
const char* const kDemo = "Data/seq/_DemoFull_.seq";
const int kW = 640, kH = 360;

// The demo timeline cut after `endFrame`: items that start later are left out, the others end by
// then.
std::string CutDemo(const std::string& text, int endFrame)
{
    Json::Value root;
    std::istringstream in(text);
    Json::CharReaderBuilder builder;
    std::string errors;
    EXPECT_TRUE(Json::parseFromStream(builder, in, &root, &errors)) << errors;
    Json::Value items(Json::arrayValue);
    for (Json::Value& item : root["Items"])
    {
        Json::Value& props = item["Properties"];
        if (props["Start"].asInt() >= endFrame) continue;
        props["End"] = std::min(props["End"].asInt(), endFrame);
        items.append(item);
    }
    root["Items"] = items;
    return Json::writeString(Json::StreamWriterBuilder(), root);
}

// The working directory of a run: the committed timelines packed into an archive (the demo cut
// after `demoEndFrame` when it is set), the music linked in when it was generated, audio on SDL's
// silent driver.
void PrepareDataDir(const rvTest::TempWorkDir& dir, int demoEndFrame = 0)
{
    DIR* d = opendir(rvTest::SourcePath("Data/seq").c_str());
    ASSERT_NE(d, nullptr);
    while (dirent* e = readdir(d))
    {
        const std::string name = e->d_name;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".seq") == 0)
        {
            std::string text = rvTest::ReadFileBytes(rvTest::SourcePath("Data/seq/" + name));
            if (demoEndFrame > 0 && "Data/seq/" + name == kDemo) text = CutDemo(text, demoEndFrame);
            dir.WriteFile("Data/seq/" + name, text);
        }
    }
    closedir(d);
    dir.CopyFromSource("Data/input", ".input");
    rvTest::LinkGeneratedAssets();
    const std::string pack = "python3 '" + rvTest::SourcePath("tools/pack-data") + "' --root . --no-assets";
    ASSERT_EQ(std::system(pack.c_str()), 0);
    const std::string music = rvTest::SourcePath("Data/Audio/Morvane.mp3");
    if (access(music.c_str(), R_OK) == 0)
    {
        mkdir("Data/Audio", 0755);
        ASSERT_EQ(symlink(music.c_str(), "Data/Audio/Morvane.mp3"), 0);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// Mean colour of a rectangle of a picture (x, y from the bottom left, inclusive).
glm::vec3 Mean(const std::vector<RGBA>& px, int x0, int y0, int x1, int y1)
{
    glm::vec3 sum(0.f);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            const RGBA& p = px[y * kW + x];
            sum += glm::vec3(p.r, p.g, p.b);
        }
    return sum / float((x1 - x0 + 1) * (y1 - y0 + 1));
}

// Pixels whose colour passes a test.
int Count(const std::vector<RGBA>& px, const std::function<bool(const RGBA&)>& pred)
{
    int n = 0;
    for (const RGBA& p : px)
        n += pred(p) ? 1 : 0;
    return n;
}

class DemoTimelineTest : public rvTest::GLTest
{
protected:
    void TearDown() override
    {
        if (_window)
        {
            ResizeWindow(64, 64);
            _Sequence.Clear();
            rvLoader::Release();
            rvSceneDisplay::Shutdown();
        }
        GLTest::TearDown();
    }

    // Resizes the hidden window and waits (a little) until its framebuffer follows.
    bool ResizeWindow(int w, int h)
    {
        glfwSetWindowSize(_window, w, h);
        for (int i = 0; i < 200; ++i)
        {
            int fw = 0, fh = 0;
            glfwPollEvents();
            glfwGetFramebufferSize(_window, &fw, &fh);
            if (fw == w && fh == h) return true;
            usleep(5000);
        }
        return false;
    }

    // "Default"'s picture of the frame just presented.
    void Grab(RenderTarget& shot)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shot.Framebuffer());
        glBlitFramebuffer(0, 0, kW, kH, 0, 0, kW, kH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    fxCircle* Circle(const std::string& name)
    {
        fxBase* e = _Sequence.FindEffect(name);
        return e && e->_pDescriptor->_sClassName == "fxCircle" ? static_cast<fxCircle*>(e) : nullptr;
    }

    rvSequence _Sequence{false};
};

// Along a column: the grid's lines stand out of its background by a margin in one channel.
int ColumnContrast(const std::vector<RGBA>& px, int x, int channel)
{
    int lo = 255, hi = 0;
    for (int y = 0; y < kH; ++y)
    {
        const RGBA& p = px[y * kW + x];
        const int v = channel == 0 ? p.r : channel == 1 ? p.g : p.b;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    return hi - lo;
}

// Along a column: the runs of lit pixels, counted from below.
int RowsLitAlong(const std::vector<RGBA>& px, int x)
{
    int runs = 0;
    bool lit = false;
    for (int y = 0; y < kH; ++y)
    {
        const RGBA& p = px[y * kW + x];
        const bool now = p.r + p.g + p.b > 90;
        runs += now && !lit ? 1 : 0;
        lit = now;
    }
    return runs;
}
} // namespace

TEST_F(DemoTimelineTest, PlaysTheDemoWithAFixedStep)
{
    rvTest::TempWorkDir dir;
    PrepareDataDir(dir);
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();

    // The loading bar keeps "Default" at the window's size, as the player's frames do.
    ASSERT_TRUE(ResizeWindow(kW, kH));
    rvSceneDisplay::ResizeDefaultBuffer(kW, kH);
    rvSceneDisplay::SetCurrentBuffer(nullptr, true);

    // Loading pass: the packer's table counts exactly what the timeline reads.
    rvLoader::Begin(_window);
    ASSERT_TRUE(rvLoader::IsArmed());
    ASSERT_TRUE(_Sequence.LoadSequence(kDemo, true));
    rvLoader::End();
    // The loading pass built every program the timeline uses: a cold shader cache stalls the
    // loading bar, never a frame. A link while playing is named with the items then running.
    int links = rvProgram::_nLinkCount;
    EXPECT_GT(rvLoader::_nTotal, 0);
    EXPECT_EQ(rvLoader::_nLoaded, rvLoader::_nTotal);

    // The demo uses every class and lasts the 110 bars of the music at 125 BPM (211.2 s), the
    // closing picture under its last chord.
    EXPECT_EQ(_Sequence.LastFrame(), 12672);
    std::map<std::string, int> classes;
    for (fxBase* e : _Sequence._apEffects)
        ++classes[e->_pDescriptor->_sClassName];
    for (const char* cls : {"fxMusic", "fxDemoGlobalParams", "fxVectorDisplay", "fxBackGrid", "fxCamera",
                            "fxCircle", "fxSequence", "fxBufferDisplay", "fxBufferDefault", "fxImage", "fxSea",
                            "fxLinePath", "fxJellyFish", "rvCardoid", "fxFractal", "fxBasicScene", "fxObjArrow",
                            "fxLiveSpec", "fxTextStash", "fxText", "fxTextNeon", "fxSVG", "nanoSVGScene",
                            "rvEyesUniverse", "fxMorph", "fxBBC", "fxMantaRay", "fxBootSequence", "fxBootText",
                            "fxObjVectrex", "fxObjVectrexCard", "fxBackCircuit", "fxTunnelPattern3d", "fxOcean", "fxPostVHS",
                            "fxPostDistortion", "fxAmbientParticles", "fxBasicShader2d", "fxBasicShader3d",
                            "fxStarField", "fxHorizonBorealis", "fxJoyDivision", "fxLorenz", "fxECG",
                            "fxSwarm", "fxAsteroid", "fxMetaBallSystem", "fxParticleEmitter", "fxAnimation",
                            "fxGLTFLoader", "fxStencilTest", "fxObjLoader", "fxExtruder", "fxDepthLine"})
        EXPECT_GT(classes[cls], 0) << cls;
    fxBase* tunnel = _Sequence.FindEffect("Tunnel");
    ASSERT_NE(tunnel, nullptr);

    _Sequence._fTime = 0.f;
    _Sequence._bPlaying = true;
    for (fxBase* e : _Sequence._apEffects)
        e->SetState(State_SequenceStarted);

    // A fixed step of two frames of the 60 fps timeline. Steps checked (and kept) on the way.
    const int kStepsPerSecond = 30;
    const int kIgnition = 10 * 30, kTunnel = 24 * 30, kScope = 37 * 30 + 15, kSphere = 55 * 30;
    // The chorus's second half: the sea (bar 33), the tree (bar 35.3), the hall (bar 37), the
    // spectrum (bar 39.5). The break, placed 2 bars (115 steps) after the bars it was written
    // on: the title (bar 43.1), the eye machine (bar 45.2), the logo (bar 48.3).
    const int kSea = 63 * 30 + 12, kTree = 67 * 30 + 25, kHall = 71 * 30, kSpectrum = 75 * 30 + 25;
    const int kBreak = 115;
    const int kTitle = 79 * 30 + kBreak, kMachine = 83 * 30 + kBreak, kLogo = 89 * 30 + kBreak;
    // The console section, written on bars 72-84 and placed 20 bars earlier (1152 steps): the
    // console (bar 56), the rings (bar 60.7).
    const int kConsoleShift = 1152;
    const int kConsole = 146 * 30 - kConsoleShift, kRings = 155 * 30 - kConsoleShift;
    // The tape, written on bars 56-66.5 and placed 8 bars later (461 steps): bar 66.5, bar 68.9 (the
    // camera climbing over the wire cube), bar 74.46 (the fill).
    const int kTapeShift = 461;
    const int kTapeSea = 3370 + kTapeShift, kTapeCube = 3508 + kTapeShift, kTapeFill = 3684 + 144 + kTapeShift;
    // The archive, written on bars 75.5-87 and placed a bar earlier (115 frames; 58 steps keep the
    // checks just before a beat, as written): the stars (bar 75.5, the kick's flare gone), the
    // aurora (bar 78), the waveform lines (bar 81), the heart trace (bar 85).
    const int kArchiveShift = 58;
    const int kStars = 4406 - kArchiveShift, kAurora = 4550 - kArchiveShift, kLines = 4723 - kArchiveShift,
              kHeart = 4953 - kArchiveShift;
    // The second verse, written on bars 48-56 and placed 38 bars later (2189 steps): the
    // title's sparks (written bar 48.9), the game with the flock and metaballs (written bar 54.7).
    const int kVerse2Shift = 2189;
    const int kSparks = 94 * 30 + kVerse2Shift, kVerse2 = 105 * 30 + kVerse2Shift;
    // The runner's section, written on bars 64-72 and placed 32 bars later (3686 frames): bar 98
    // (the runner walking) and bar 102.5 (the street corner behind him).
    const int kRunner = (7603 + 3686) / 2, kStreet = (8122 + 3686) / 2;
    // The closing picture, written on bars 108-112 and placed 2 bars earlier: bar 107.4, the logo
    // and the title under it.
    const int kFinale = 206 * 30 + 5;
    fxBase* runner = _Sequence.FindEffect("Runner");
    ASSERT_NE(runner, nullptr);
    RenderTarget shot(kW, kH);
    const float dt = 1.f / kStepsPerSecond;
    int step = 0;
    bool tunnelRan = false;
    for (; _Sequence._bPlaying && step < 9000; ++step)
    {
        rvSceneDisplay::BeginFrame(_window);
        _Sequence.Update(dt);
        rvSceneDisplay::PresentFrame(!_Sequence._bPlaying);
        tunnelRan |= tunnel->_eState == State_EffectStarted;
        if (rvProgram::_nLinkCount != links)
        {
            std::string running;
            for (fxBase* e : _Sequence._apEffects)
                if (e->_eState == State_EffectStarted) running += " " + e->_sName;
            ADD_FAILURE() << rvProgram::_nLinkCount - links << " program(s) linked while playing, at "
                          << _Sequence._fTime << " s; running:" << running;
            links = rvProgram::_nLinkCount;
        }
        // The update of step n ran at time (n + 1) / 30.
        const int at = step + 1;
        if (at != kIgnition && at != kTunnel && at != kScope && at != kSphere && at != kSea && at != kTree &&
            at != kHall && at != kSpectrum && at != kTitle && at != kMachine && at != kLogo && at != kConsole &&
            at != kRings && at != kTapeSea && at != kTapeCube &&
            at != kTapeFill && at != kStars && at != kAurora && at != kLines && at != kHeart &&
            at != kSparks && at != kVerse2 && at != kRunner && at != kStreet && at != kFinale)
            continue;

        Grab(shot);
        const std::vector<RGBA> px = shot.Read();
        EXPECT_TRUE(
            shot.SavePNG(rvTest::BinaryPath("demo_" + std::to_string(at / kStepsPerSecond) + ".png")));
        SCOPED_TRACE("time " + std::to_string(at / float(kStepsPerSecond)));
        if (at == kIgnition)
        {
            // The core ring (radius 12 by now, the kick's pulse nearly gone) is lit on its
            // outline, dark at its centre; the green grid shows lines along a column clear of
            // the rings.
            fxCircle* core = Circle("Core");
            ASSERT_NE(core, nullptr);
            EXPECT_NEAR(core->_fRadius, 12.f, 0.05f);
            for (glm::vec3 p :
                 {glm::vec3(0, 12, 0), glm::vec3(0, -12, 0), glm::vec3(12, 0, 0), glm::vec3(-12, 0, 0)})
            {
                const RGBA lit = rvTest::Brightest(shot, rvTest::ProjectToDefault(p), 2);
                EXPECT_GT(lit.r, 150);
                EXPECT_GT(lit.g, 150);
            }
            const glm::vec2 c = rvTest::ProjectToDefault(glm::vec3(0.f));
            EXPECT_LT(shot.Pixel(int(c.x), int(c.y)).r, 100);
            EXPECT_GT(ColumnContrast(px, 8, 1), 25);
        }
        else if (at == kTunnel)
        {
            // Inside the nested part: cyan and magenta rings on a dark blue grid.
            EXPECT_EQ(tunnel->_eState, State_EffectStarted);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.b > 150 && p.g > 120 && p.r < p.b; }), 200);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 150 && p.b > 120 && p.g < p.r; }), 200);
            EXPECT_GT(ColumnContrast(px, 4, 2), 15);
        }
        else if (at == kScope)
        {
            // The radar scope drawn off-screen comes back twice: green on the left, amber on the
            // right, both brighter than the bare grid above them.
            const glm::vec3 left = Mean(px, 100, 120, 200, 240);
            const glm::vec3 right = Mean(px, 440, 120, 540, 240);
            const glm::vec3 top = Mean(px, 280, 340, 360, 355);
            EXPECT_GT(left.g, left.r);
            EXPECT_GT(left.g, left.b);
            EXPECT_GT(right.r, right.g);
            EXPECT_GT(right.g, right.b);
            EXPECT_GT(left.g, top.g + 10.f);
            EXPECT_GT(right.r, top.r + 10.f);
        }
        else if (at == kTitle || at == kMachine || at == kLogo)
        {
            // The break: the title over the clockwork, the eye machine, the logo. Lines fill the
            // middle of the picture; the edges stay dark.
            const glm::vec3 middle = Mean(px, 200, 110, 440, 250);
            const glm::vec3 edge = Mean(px, 0, 0, 40, 360 - 1);
            EXPECT_GT(middle.r + middle.g + middle.b, edge.r + edge.g + edge.b + 12.f);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b > 240; }), 400);
            if (at == kTitle) // the warm title
            {
                EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 150 && p.r > p.b; }), 100);
            }
        }
        else if (at == kRunner)
        {
            // The runner walks (3.84 s in: idle is over, the walk runs to 5.76 s), traced in green
            // in the middle; the scanned bust glows cyan on the left, the wire model magenta on
            // the right, over the dim teal relief.
            EXPECT_EQ(runner->_eState, State_EffectStarted);
            EXPECT_EQ(static_cast<fxAnimation*>(runner)->_nAnimation, 3);
            EXPECT_GT(fxAnimation::_nContourPointCount, 150);
            auto green = [](const RGBA& p) { return p.g > 120 && p.g > p.r + 40 && p.g > p.b; };
            int centre = 0;
            for (int y = 100; y < 300; ++y)
                for (int x = 260; x < 380; ++x)
                    centre += green(px[y * kW + x]);
            EXPECT_GT(centre, 150);
            int bust = 0, wire = 0;
            for (int y = 60; y < 300; ++y)
                for (int x = 0; x < 200; ++x)
                {
                    const RGBA& l = px[y * kW + x];
                    const RGBA& r = px[y * kW + x + 440];
                    bust += l.b > 120 && l.g > 120 && l.r < l.g - 40;
                    wire += r.r > 120 && r.b > 110 && r.g < r.r - 30;
                }
            EXPECT_GT(bust, 200);
            EXPECT_GT(wire, 200);
        }
        else if (at == kStreet)
        {
            // The street corner in light blue lines fills the picture behind the runner.
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.b > 150 && p.g > 100 && p.r < p.b - 40; }), 800);
            EXPECT_GT(fxAnimation::_nContourPointCount, 150);
        }
        else if (at == kFinale)
        {
            // The logo's rings and letters lit in the middle of the picture, the corners dark.
            for (const char* name : {"FinaleLogo", "FinaleTitle"})
                EXPECT_EQ(_Sequence.FindEffect(name)->_eState, State_EffectStarted) << name;
            int lit = 0;
            for (int y = 60; y < 300; ++y)
                for (int x = 200; x < 440; ++x)
                    lit += px[y * kW + x].r + px[y * kW + x].g + px[y * kW + x].b > 450;
            EXPECT_GT(lit, 1500);
            const glm::vec3 corner = Mean(px, 0, 0, 60, 40);
            EXPECT_LT(corner.r + corner.g + corner.b, 40.f);
        }
        else if (at == kSphere)
        {
            // The sphere's rings: many lit pixels around the centre, the corners dim.
            const glm::vec3 centre = Mean(px, 220, 80, 420, 280);
            const glm::vec3 corner = Mean(px, 0, 0, 60, 40);
            EXPECT_GT(centre.r + centre.g + centre.b, corner.r + corner.g + corner.b + 20.f);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b > 450; }), 500);
        }
        else if (at == kSea)
        {
            // The jellyfish rides the head of the swimmer's trail (through the published variables),
            // over cyan waves in the lower half.
            fxBase* jelly = _Sequence.FindEffect("JellyFish");
            fxBase* swimmer = _Sequence.FindEffect("Swimmer");
            ASSERT_TRUE(jelly && swimmer);
            EXPECT_EQ(jelly->_eState, State_EffectStarted);
            const rvVariable* x = rvVariable::Find("StartX");
            ASSERT_NE(x, nullptr);
            EXPECT_NE(x->_fValue, 0.f);
            EXPECT_FLOAT_EQ(rvVariable::Find("JellyFish.x")->_fValue, x->_fValue);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.b > 100 && p.g > 60 && p.r < p.b; }), 150);
        }
        else if (at == kTree)
        {
            // Five beats in: the tree has grown to depth 5, orange at its root, green at its leaves.
            fxBase* tree = _Sequence.FindEffect("Tree");
            ASSERT_NE(tree, nullptr);
            EXPECT_EQ(static_cast<fxFractal*>(tree)->_nDepthMax, 5);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 150 && p.g > 60 && p.b < 80; }), 30);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.g > 120 && p.r < p.g && p.b < p.g; }), 100);
        }
        else if (at == kHall)
        {
            // The hall's purple ceiling and green bars, and the arrows.
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 120 && p.b > 120 && p.g < 80; }), 100);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.g > 150 && p.r < 100 && p.b < 100; }), 100);
        }
        else if (at == kSpectrum)
        {
            // The spectrum's red fan rising from the bottom and its blue fan from the top.
            const glm::vec3 bottom = Mean(px, 0, 0, kW - 1, kH / 3);
            const glm::vec3 top = Mean(px, 0, 2 * kH / 3, kW - 1, kH - 1);
            EXPECT_GT(bottom.r, bottom.g);
            EXPECT_GT(top.b, top.r);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 120 && p.g < 100; }), 100);
            // The whole of the four fans is on the picture: the loudest (lowest) bars' roots are the
            // outer ends of each fan, the bottom ones in the lower corners, the top ones either side
            // of the top edge's middle, each lighting a block in the fan's colour; past the top
            // fans' outer ends, the top corners stay clear of them (a picture that lost its sides
            // has them there). Not blown out: the picture is all but free of white.
            auto block = [&](int x0, int y0, int x1, int y1, bool red) {
                int n = 0;
                for (int y = y0; y <= y1; ++y)
                    for (int x = x0; x <= x1; ++x)
                    {
                        const RGBA& p = px[y * kW + x];
                        n += red ? p.r > 120 && p.g < p.r - 50 : p.b > 120 && p.r < p.b - 50;
                    }
                return n;
            };
            EXPECT_GT(block(0, 0, kW / 4, kH / 5, true), 500) << "bottom left";
            EXPECT_GT(block(3 * kW / 4, 0, kW - 1, kH / 5, true), 500) << "bottom right";
            EXPECT_GT(block(kW / 4, 4 * kH / 5, kW / 2, kH - 1, false), 500) << "top left";
            EXPECT_GT(block(kW / 2, 4 * kH / 5, 3 * kW / 4, kH - 1, false), 500) << "top right";
            EXPECT_LT(block(0, 4 * kH / 5, kW / 5, kH - 1, false), 50) << "top left corner";
            EXPECT_LT(block(4 * kW / 5, 4 * kH / 5, kW - 1, kH - 1, false), 50) << "top right corner";
            EXPECT_LT(Count(px, [](const RGBA& p) { return p.r > 240 && p.g > 240 && p.b > 240; }), kW * kH / 100);
        }
        else if (at == kConsole)
        {
            // The console model over the circuit board, the boot text typing in green on its screen
            // (the board's traces and electrons are darker or bluer than the text).
            for (const char* name : {"Console", "Cartridge", "Circuit", "BootText", "BootScreen"})
                EXPECT_EQ(_Sequence.FindEffect(name)->_eState, State_EffectStarted) << name;
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.g > 150 && p.r < p.g - 40 && p.b < p.g - 15; }), 800);
        }
        else if (at == kRings)
        {
            // The tunnel of rings: bright wire all round, the far end dark in the middle.
            EXPECT_EQ(_Sequence.FindEffect("Rings")->_eState, State_EffectStarted);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b > 300; }), 10000);
            const glm::vec3 centre = Mean(px, kW / 2 - 15, kH / 2 - 15, kW / 2 + 15, kH / 2 + 15);
            EXPECT_LT(centre.r + centre.g + centre.b, 60.f);
        }
        else if (at == kTapeSea || at == kTapeCube)
        {
            // The sea through the tape: a pink dusk sky over dark water (the data images are not
            // in this archive: both effects play without them).
            EXPECT_EQ(_Sequence.FindEffect("Ocean")->_eState, State_EffectStarted);
            const glm::vec3 sky = Mean(px, 40, 250, 600, 330);
            const glm::vec3 water = Mean(px, 40, 10, 600, 90);
            EXPECT_GT(sky.r, sky.g + 30.f);
            EXPECT_GT(sky.b, sky.g + 10.f);
            EXPECT_GT(sky.r + sky.g + sky.b, water.r + water.g + water.b + 150.f);
            if (at == kTapeCube)
            {
                // Over the wire cube the camera has climbed: the lower half is lit water, neither the
                // cube's black faces nor a white slab of them seen from too close.
                const int half = kW * kH / 2;
                int dark = 0, white = 0;
                for (int i = 0; i < half; ++i)
                {
                    const int sum = px[i].r + px[i].g + px[i].b;
                    dark += sum < 20;
                    white += sum > 600;
                }
                EXPECT_LT(dark, 3 * half / 4); // the night water is about half dark
                EXPECT_LT(white, half / 20);
            }
        }
        else if (at == kTapeFill)
        {
            // The test spiral flashes through the tape: white arms over the faded-out sea.
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b > 450; }), kW * kH / 10);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b < 60; }), kW * kH / 10);
        }
        else if (at == kStars)
        {
            // The star field, scaled up from its small buffer: bright stars over a dark sky.
            EXPECT_EQ(_Sequence.FindEffect("StarField")->_eState, State_EffectStarted);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b > 300; }), kW * kH / 200);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r + p.g + p.b < 90; }), kW * kH / 4);
        }
        else if (at == kAurora)
        {
            // The aurora's band (its centre line at about 0.64 of the height, rising): green over
            // the band, black ground below its centre line away from the attractor's dots.
            EXPECT_EQ(_Sequence.FindEffect("Attractor")->_eState, State_EffectStarted);
            const glm::vec3 band = Mean(px, 320, 240, kW - 1, 290);
            const glm::vec3 ground = Mean(px, 0, 0, kW - 1, 30);
            EXPECT_GT(band.g, band.r + 15.f);
            EXPECT_GT(band.g, ground.g + 30.f);
            EXPECT_LT(ground.r + ground.g + ground.b, 45.f);
        }
        else if (at == kLines)
        {
            // The stacked lines under the tape: along a column off the middle, lit rows alternate
            // with dark ones, one pair per line (48 lines six pixels apart at this size; some are
            // hidden behind the waves in front of them or lost to the tape's noise).
            EXPECT_EQ(_Sequence.FindEffect("ArchiveTape")->_eState, State_EffectStarted);
            EXPECT_GT(RowsLitAlong(px, 200), 20);
            EXPECT_GT(RowsLitAlong(px, kW - 200), 20);
        }
        else if (at == kHeart)
        {
            // The heart trace on the monitor grid: a green line, and the spike of the last snare
            // rising well above the baseline in the middle of the picture.
            EXPECT_EQ(_Sequence.FindEffect("HeartTrace")->_eState, State_EffectStarted);
            const auto trace = [](const RGBA& p) { return p.g > 150 && p.g > p.r + 40 && p.g > p.b + 40; };
            EXPECT_GT(Count(px, trace), 300);
            int top = 0;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    if (trace(px[y * kW + x])) top = y;
            EXPECT_GT(top, kH / 2 + 30);
        }
        else if (at == kSparks)
        {
            // The title comes back at the start of the verse and lends its letters: the sparks start
            // on them, between the title's left edge and the game's field.
            auto* sparks = static_cast<fxParticleEmitter*>(_Sequence.FindEffect("TitleSparks"));
            ASSERT_NE(sparks, nullptr);
            ASSERT_NE(_Sequence.FindEffect("VerseTitle"), nullptr);
            EXPECT_EQ(sparks->_pSourceScene, _Sequence.FindEffect("VerseTitle")->EvaluateAt(-1.0f));
            EXPECT_GT(sparks->_aParticles.size(), 100u);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 150 && p.g > 90 && p.b < p.r; }), 100);
        }
        else if (at == kVerse2)
        {
            // Bar 54 of the second verse: the replayed game has cracked rocks for points, the flock
            // swims and the metaballs' magenta outlines show among the game's blue and white lines.
            auto* game = static_cast<fxAsteroid*>(_Sequence.FindEffect("Asteroids"));
            ASSERT_NE(game, nullptr);
            EXPECT_EQ(game->_eState, State_EffectStarted);
            EXPECT_GT(game->_nScore, 300);
            EXPECT_FALSE(game->_apRocks.empty());
            // It is the recording replayed: a headless run of the same bytes, one 1/60 s step per
            // frame, is in the same state at the same step as the demo's two steps per frame.
            vector_display* collect = nullptr;
            vector_display_create(&collect, 64, 64);
            vector_display* shown = rvSceneDisplay::_pCurrentDisplay;
            rvSceneDisplay::_pCurrentDisplay = collect;
            auto* ref = static_cast<fxAsteroid*>(fxAsteroid::Create(fxAsteroid::GetDescriptor()));
            ref->_sRecordFile.clear();
            ref->_nEnd = game->_nEnd;
            ref->SetState(State_DemoStarted);
            ref->_aInputs = game->_aInputs;
            ref->SetState(State_EffectStarted);
            ref->_fPendingDelta = 0.0f;
            for (ref->Update(); ref->_nFrame < game->_nFrame; ref->Update())
            {
                collect->npoints = 0;
                ref->_fPendingDelta = 1.0f / 60.0f;
            }
            EXPECT_EQ(ref->_nFrame, game->_nFrame);
            EXPECT_EQ(ref->_nScore, game->_nScore);
            EXPECT_EQ(ref->GetShipPos(), game->GetShipPos());
            EXPECT_EQ(ref->_apRocks.size(), game->_apRocks.size());
            ref->SetState(State_DemoStoped);
            delete ref;
            rvSceneDisplay::_pCurrentDisplay = shown;
            vector_display_destroy(collect);
            for (const char* name : {"Swarm", "MetaBalls", "Sparkler0", "Sparkler1"})
                EXPECT_EQ(_Sequence.FindEffect(name)->_eState, State_EffectStarted) << name;
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.r > 120 && p.b > 100 && p.g < p.r * 0.7f; }), 150);
            EXPECT_GT(Count(px, [](const RGBA& p) { return p.b > 120 && p.b > p.r + 40; }), 150);
        }
    }

    // Past its end the timeline stops on its last frame with every effect back to loaded.
    EXPECT_TRUE(tunnelRan);
    EXPECT_FALSE(_Sequence._bPlaying);
    EXPECT_NEAR(step, 6336, 1);
    EXPECT_FLOAT_EQ(_Sequence._fTime, 12672.f / 60.f);
    for (fxBase* e : _Sequence._apEffects)
        EXPECT_EQ(e->_eState, State_DemoStarted) << e->_sName;
}

// The program itself, on a private virtual display of 1280x720 so that no other test's keys reach
// it: it loads the demo, plays it with its music (SDL's silent driver) and ends by itself with 0.
// The whole demo is played once, by the test above; the program plays its first 16 bars (the
// ignition and the nested tunnel part), so that its run stays short on a slow machine.
TEST(DemoProgramTest, PlaysTheDemoToItsEndAndExitsZero)
{
    const std::string program = rvTest::BinaryPath("morvane");
    if (access(program.c_str(), X_OK) != 0 || std::system("command -v Xvfb >/dev/null") != 0)
        GTEST_SKIP() << "needs the built program and Xvfb";
    rvTest::TempWorkDir dir;
    PrepareDataDir(dir, 1843); // bar 16
    // Xvfb picks a free display itself (-displayfd), so runs in parallel never race for one. The
    // audio layer turns SIGTERM into a quit event that a hung player never reads: a player still
    // running 10 s after the limit is killed, so a hang fails the test instead of stalling it.
    const std::string cmd = "bash -c 'Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>xvfb.display "
                            "2>/dev/null & xvfb=$!; "
                            "for i in $(seq 100); do [ -s xvfb.display ] && break; sleep 0.1; done; "
                            "DISPLAY=:$(cat xvfb.display) timeout -k 10 280 \"" +
                            program +
                            "\" 720p > run.log 2>&1; rc=$?; kill $xvfb; wait $xvfb 2>/dev/null; exit $rc'";
    const int status = std::system(cmd.c_str());
    const std::string log = rvTest::ReadFileBytes("run.log");
    ASSERT_TRUE(WIFEXITED(status)) << log;
    EXPECT_EQ(WEXITSTATUS(status), 0) << log;
    if (access("Data/Audio/Morvane.mp3", R_OK) == 0)
    {
        EXPECT_EQ(log.find("Can't play file"), std::string::npos) << log;
    }
}
