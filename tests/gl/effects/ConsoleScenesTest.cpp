// The console scenes on a real context: the boot scene and the console model show the picture of
// the named buffer on their screens, the textured console and cartridge show their pictures where
// their texture bytes say, and pictures that cannot be read are reported once while the effects
// play on.
#include "EffectGLTest.h"
#include "RenderHelpers.h"

#include "Sequencer/rvSequence.h"
#include "effects/fxBackCircuit/fxBackCircuit.h"
#include "effects/fxBootSequence/fxBootSequence.h"
#include "effects/fxBootText/fxBootText.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/fxObjVectrex/fxObjVectrex.h"
#include "effects/fxObjVectrexCard/fxObjVectrexCard.h"
#include "rvSceneDisplay.h"

#include <glm/gtc/matrix_transform.hpp>
#include <stb_image_write.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
const int kW = 128, kH = 72;

class ConsoleScenesTest : public rvTest::EffectGLTest<kW, kH>
{
protected:
    // A started buffer effect of the timeline, its picture cleared to a colour.
    fxBufferDisplay* AddBuffer(const char* pszName, const glm::vec4& colour)
    {
        _pBuffer.reset(static_cast<fxBufferDisplay*>(fxBufferDisplay::Create(fxBufferDisplay::RegisterAttributes())));
        _pBuffer->_sName = pszName;
        _pBuffer->_vBackColor = colour;
        _pBuffer->_pSequence = &_Sequence;
        _Sequence._apEffects.push_back(_pBuffer.get());
        _pBuffer->SetState(State_EffectStarted);
        _pBuffer->Render();
        rvSceneDisplay::SetCurrentBuffer(nullptr);
        return _pBuffer.get();
    }
    void Release() override
    {
        _Sequence._apEffects.clear();
        if (_pBuffer) _pBuffer->SetState(State_DemoStoped);
        _pBuffer.reset();
    }
    static rvTest::RGBA At(const std::vector<rvTest::RGBA>& px, float fx, float fyFromTop)
    {
        const int x = int(fx * kW), y = kH - 1 - int(fyFromTop * kH);
        return px[size_t(y) * kW + size_t(x)];
    }
    rvSequence _Sequence{false};
    std::unique_ptr<fxBufferDisplay> _pBuffer;
};

// Without the console picture (no archive here) the screen and the status strip are still drawn:
// the screen's centre lies at (0.5, (1 - 0.333) / 2) of the target, the strip's at
// ((1 + 0.064 UnitScl.x) / 2, (1 + 0.558) / 2).
TEST_F(ConsoleScenesTest, BootSceneLightsTheScreenThenShowsTheNamedBuffer)
{
    if (!_window) GTEST_SKIP() << "no display";
    AddBuffer("BootScreen", glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    auto fx = rvTest::NewEffect<fxBootSequence>();
    fx->_sScreenFxBuffer = "BootScreen";
    fx->_pSequence = &_Sequence;
    fx->_fFadeIn = fx->_fFadeOut = 0.0f;
    fx->_vUnitScl = glm::vec2(0.5f, 1.0f);
    fx->_vScreenBack0 = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    fx->_vScreenBack1 = glm::vec4(0.0f, 1.0f, 0.0f, 1.0f);
    fx->_vLoadingBack0 = glm::vec4(1.0f, 1.0f, 0.0f, 1.0f);
    fx->_vLoadingBack1 = glm::vec4(0.0f, 1.0f, 1.0f, 1.0f);
    testing::internal::CaptureStderr();
    fx->SetState(State_EffectStarted);
    struct Case
    {
        float t;
        bool bBufferRuns;
        rvTest::RGBA screen, strip;
    };
    const Case cases[] = {
        {0.5f, false, {0, 0, 255, 255}, {255, 255, 0, 255}}, // before "ScreenTime": ScreenBack0
        {1.5f, false, {0, 255, 0, 255}, {255, 255, 0, 255}}, // until "UnitTime": ScreenBack1
        {2.5f, false, {0, 0, 0, 255}, {0, 255, 255, 255}},   // then nothing of its own; LoadingBack1
        {0.5f, true, {255, 0, 0, 255}, {255, 255, 0, 255}},  // the running buffer covers the screen
        {2.5f, true, {255, 0, 0, 255}, {0, 255, 255, 255}},  //
    };
    for (const Case& c : cases)
    {
        _pBuffer->SetState(c.bBufferRuns ? State_EffectStarted : State_SequenceStarted);
        if (c.bBufferRuns) _pBuffer->Render(); // as the timeline draws it every frame it runs
        rvSceneDisplay::SetCurrentBuffer(nullptr);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        fx->_fTime = c.t;
        fx->Render();
        const std::vector<rvTest::RGBA> px = rvTest::ReadDefault();
        const rvTest::RGBA screen = At(px, 0.5f, (1.0f - 0.333f) / 2.0f);
        const rvTest::RGBA strip = At(px, (1.0f + 0.064f * 0.5f) / 2.0f, (1.0f + 0.558f) / 2.0f);
        for (const auto& [got, want] : {std::pair<rvTest::RGBA, rvTest::RGBA>{screen, c.screen}, {strip, c.strip}})
        {
            EXPECT_NEAR(got.r, want.r, 2) << c.t;
            EXPECT_NEAR(got.g, want.g, 2) << c.t;
            EXPECT_NEAR(got.b, want.b, 2) << c.t;
        }
    }
    fx->SetState(State_DemoStoped);
    // The two missing pictures were named once each, at Init; the frames added nothing.
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Data/img/ZQ4-Unit.png"), std::string::npos);
    EXPECT_NE(err.find("Data/img/ZQ4-UnitButton.png"), std::string::npos);
    size_t nLines = 0;
    for (char ch : err)
        nLines += ch == '\n';
    EXPECT_EQ(nLines, 2u) << err;

    // A name its timeline does not hold is said at Init, not every frame.
    fx->_sScreenFxBuffer = "Nowhere";
    testing::internal::CaptureStderr();
    fx->SetState(State_EffectStarted);
    fx->Render();
    fx->Render();
    fx->SetState(State_DemoStoped);
    const std::string unknown = testing::internal::GetCapturedStderr();
    const std::string named = "fxBootSequence \"fxBootSequence\": \"ScreenFxBuffer\" names \"Nowhere\"";
    const size_t first = unknown.find(named);
    ASSERT_NE(first, std::string::npos) << unknown;
    EXPECT_EQ(unknown.find(named, first + 1), std::string::npos) << unknown;
}

// The console model seen from the front (turned half a turn to face the default camera), its
// body front mapped with the named buffer's picture when untextured: the front's centre is red
// while the buffer runs; once it stops, the front is an outlined quad again (its pixels are not
// checked: the display's decay keeps the earlier frame).
TEST_F(ConsoleScenesTest, ConsoleScreenShowsTheNamedBuffer)
{
    if (!_window) GTEST_SKIP() << "no display";
    AddBuffer("ConsoleScreen", glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    auto fx = rvTest::NewEffect<fxObjVectrex>();
    fx->_pSequence = &_Sequence;
    fx->_sScreenFxBuffer = "ConsoleScreen";
    fx->_bTextured = false;
    fx->_Transform._vScale = glm::vec3(0.05f);
    fx->_Transform._vRotation = glm::vec3(0.0f, 180.0f, 0.0f);
    fx->_Transform._vPosition = glm::vec3(0.0f, -35.0f, 0.0f);
    fx->SetState(State_DemoStarted);
    for (const bool bRuns : {true, false})
    {
        _pBuffer->SetState(bRuns ? State_EffectStarted : State_SequenceStarted);
        rvSceneDisplay::SetCurrentBuffer(nullptr);
        fx->SetState(State_EffectStarted);
        fx->_fPendingDelta = 1.0f / 60.0f;
        fx->Update();
        fx->SetState(State_DemoStarted);
        EXPECT_EQ(rvSceneDisplay::_pCurrentDisplay->nquadmaps, bRuns ? 1 : 0);
        rvSceneDisplay::PresentFrame(false);
        if (!bRuns) continue;
        const std::vector<rvTest::RGBA> px = rvTest::ReadDefault();
        // The body front's centre, (0, 700, -500) in model units.
        const glm::vec4 centre = fx->_Transform._mMatrix * glm::vec4(0.0f, 700.0f, -500.0f, 1.0f);
        const glm::vec2 at = rvTest::ProjectToDefault(glm::vec3(centre));
        const rvTest::RGBA p = px[size_t(at.y) * kW + size_t(at.x)];
        EXPECT_GT(p.r, 150);
        EXPECT_LT(p.g, 60);
    }
    fx->SetState(State_DemoStoped);
}

// Textured, the console's body front and the cartridge's front show their picture through the
// texture bytes their models give each corner (v counted from the picture's bottom). The test
// picture's red grows to the right and its green downwards; the display's glow and tone curve
// change the levels but not their order, so along each face the red and the green rise or fall
// as the bytes interpolated between its corners say.
TEST_F(ConsoleScenesTest, TexturedConsoleAndCartridgeShowTheirPicturesWhereTheirBytesSay)
{
    if (!_window) GTEST_SKIP() << "no display";
    std::vector<rvTest::RGBA> picture(256 * 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            picture[size_t(y) * 256 + size_t(x)] = {uint8_t(x / 2), uint8_t(y / 2), 0, 255};
    std::vector<unsigned char> png;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size)
        {
            auto* out = static_cast<std::vector<unsigned char>*>(ctx);
            out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
        },
        &png, 256, 256, 4, picture.data(), 256 * 4);

    // Started first: Init looks for the real pictures (not in this test's archive).
    auto console = rvTest::NewEffect<fxObjVectrex>();
    auto card = rvTest::NewEffect<fxObjVectrexCard>();
    testing::internal::CaptureStderr();
    console->SetState(State_DemoStarted);
    card->SetState(State_DemoStarted);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(fxObjVectrex::Picture().LoadImageFromMemory(png.data(), int(png.size()), false));
    ASSERT_TRUE(card->_imgCard.LoadImageFromMemory(png.data(), int(png.size()), false));
    console->_Transform._vScale = glm::vec3(0.05f);
    console->_Transform._vRotation = glm::vec3(0.0f, 180.0f, 0.0f);
    console->_Transform._vPosition = glm::vec3(0.0f, -35.0f, 0.0f);
    card->_Transform._vScale = glm::vec3(0.05f);

    struct Probe
    {
        glm::vec3 at; // a point of the front, model units
        float u, v;   // its bytes
    };
    // Body front: (-500, 200) takes bytes (253, 78), (500, 200) (2, 78), (500, 1200) (2, 249).
    auto front = [](float x, float y)
    {
        return Probe{{x, y, -500}, 253.0f + (x + 500.0f) / 1000.0f * (2.0f - 253.0f),
                     78.0f + (y - 200.0f) / 1000.0f * (249.0f - 78.0f)};
    };
    // Cartridge front (z = 50), its lower part: x -200 .. 300 and y -500 .. 0 take u 32 .. 232 and
    // v 255 - 248 .. 255 - 140.
    auto lower = [](float x, float y)
    {
        return Probe{{x, y, 50}, 32.0f + (x + 200.0f) / 500.0f * 200.0f, 7.0f + (y + 500.0f) / 500.0f * 108.0f};
    };
    struct Face
    {
        fxBase* pEffect;
        const rvTransform3D* pTransform;
        Probe probes[3]; // a point, one beside it (other u), one above it (other v)
    } faces[] = {
        {card.get(), &card->_Transform, {lower(-100, -400), lower(200, -400), lower(-100, -100)}},
        {console.get(), &console->_Transform, {front(-250, 350), front(250, 350), front(-250, 950)}},
    };
    std::string failures;
    for (const Face& f : faces)
    {
        // A few frames, so that the display's decay no longer shows the other model (the depth is
        // cleared too: the mapped quads are depth-tested).
        for (int frame = 0; frame < 8; ++frame)
        {
            glBindFramebuffer(GL_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
            glDepthMask(GL_TRUE);
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            f.pEffect->SetState(State_EffectStarted);
            f.pEffect->_fPendingDelta = 1.0f / 60.0f;
            f.pEffect->Update();
            rvSceneDisplay::PresentFrame(false);
        }
        f.pEffect->SetState(State_DemoStarted);
        const std::vector<rvTest::RGBA> px = rvTest::ReadDefault();
        rvTest::RGBA got[3];
        for (int i = 0; i < 3; ++i)
        {
            const glm::vec4 w = f.pTransform->_mMatrix * glm::vec4(f.probes[i].at, 1.0f);
            const glm::vec2 at = rvTest::ProjectToDefault(glm::vec3(w));
            got[i] = px[size_t(at.y) * kW + size_t(at.x)];
        }
        // Red follows u (the picture's x), green falls as v rises (v counts from the bottom).
        const int dRed = int(got[1].r) - int(got[0].r), dGreen = int(got[2].g) - int(got[0].g);
        const bool bRed = f.probes[1].u > f.probes[0].u ? dRed > 15 : dRed < -15;
        const bool bGreen = f.probes[2].v > f.probes[0].v ? dGreen < -15 : dGreen > 15;
        if (!bRed || !bGreen)
            failures += std::string(f.pEffect == console.get() ? " console" : " cartridge") + ": red " +
                        std::to_string(got[0].r) + " to " + std::to_string(got[1].r) + ", green " +
                        std::to_string(got[0].g) + " to " + std::to_string(got[2].g);
    }
    console->SetState(State_DemoStoped);
    card->SetState(State_DemoStoped);
    fxObjVectrex::Picture().Release();
    EXPECT_TRUE(failures.empty()) << failures;
}

// Every class of this family plays without its files: each missing file is named once, nothing
// is drawn from it, nothing stops.
TEST_F(ConsoleScenesTest, MissingFilesAreReportedOnceAndTheEffectsPlayOn)
{
    if (!_window) GTEST_SKIP() << "no display";
    std::vector<std::unique_ptr<fxBase>> effects;
    effects.emplace_back(rvTest::NewEffect<fxBackCircuit>());
    effects.emplace_back(rvTest::NewEffect<fxBootText>());
    effects.emplace_back(rvTest::NewEffect<fxObjVectrex>());
    effects.emplace_back(rvTest::NewEffect<fxObjVectrexCard>());
    testing::internal::CaptureStderr();
    for (auto& fx : effects)
    {
        fx->SetState(State_EffectStarted);
        for (int frame = 0; frame < 3; ++frame)
        {
            fx->_fPendingDelta = 1.0f / 60.0f;
            fx->Update();
        }
        fx->SetState(State_DemoStoped);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    for (const char* pszFile : {"Data/img/circuitPath.png", "Data/img/circuitBack.png", "Data/img/ZQ4-EpromCart.png"})
    {
        const size_t first = err.find(pszFile);
        EXPECT_NE(first, std::string::npos) << pszFile;
        EXPECT_EQ(err.find(pszFile, first + 1), std::string::npos) << pszFile << " named twice";
    }
}
} // namespace
