// The buffer, vector-display and image effects on a real context, checked by their pixels.
#include "../DefaultBufferTest.h"
#include "RenderHelpers.h"
#include "GLTestContext.h"
#include "TestSupport.h"

#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxBufferDefault/fxBufferDefault.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/fxImage/fxImage.h"
#include "effects/fxVectorDisplay/fxVectorDisplay.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

using rvTest::BrightestInColumn;
using rvTest::ReadPixel;
using rvTest::RGBA;

namespace
{
const int kW = 64, kH = 36;

template <class T> T* Make()
{
    T::RegisterAttributes();
    return static_cast<T*>(T::Create(T::GetDescriptor()));
}

void Destroy(fxBase* p)
{
    p->SetState(State_DemoStoped);
    delete p;
}

void ClearCurrent(float r, float g, float b)
{
    glDisable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(r, g, b, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
}

std::vector<unsigned char> EncodePNG(int w, int h, const std::vector<RGBA>& topDown)
{
    std::vector<unsigned char> png;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size)
        {
            auto* out = static_cast<std::vector<unsigned char>*>(ctx);
            out->insert(out->end(), (unsigned char*)data, (unsigned char*)data + size);
        },
        &png, w, h, 4, topDown.data(), w * 4);
    return png;
}

// An image effect showing a picture of its own (given as pixels, top row first).
fxImage* MakeImage(int w, int h, const std::vector<RGBA>& topDown)
{
    fxImage* p = Make<fxImage>();
    std::vector<unsigned char> png = EncodePNG(w, h, topDown);
    EXPECT_TRUE(p->_program.LoadImageFromMemory(png.data(), int(png.size()), false));
    p->_bValidImg = true;
    return p;
}

class fxRenderEffectsTest : public rvTest::DefaultBufferTest
{
protected:
    fxRenderEffectsTest() : DefaultBufferTest(kW, kH) {}
    void SetUp() override
    {
        DefaultBufferTest::SetUp();
        if (_window) rvSceneDisplay::BeginFrame(_window);
    }
    rvBufferDisplay& Default() { return rvSceneDisplay::_DefaultBuffer; }
};
} // namespace

TEST_F(fxRenderEffectsTest, TwoBufferEffectsInARowSendTheLinesToTheFirst)
{
    fxBufferDisplay* a = Make<fxBufferDisplay>();
    fxBufferDisplay* b = Make<fxBufferDisplay>();
    a->_sName = "BufA";
    b->_sName = "BufB";
    b->_vBackColor = glm::vec4(0.f, 0.f, 1.f, 0.5f);
    b->_vSizeUnit = glm::vec2(0.5f, 0.5f);
    b->_bKeepRatio = false;
    b->_bRepeatUV = false;
    a->SetState(State_EffectStarted);
    b->SetState(State_EffectStarted);
    // Sized from the current buffer: the same size, and a square of half its height.
    EXPECT_EQ(a->_Buffer._sName, "BufA");
    EXPECT_EQ(a->_Buffer._nWidth, kW);
    EXPECT_EQ(a->_Buffer._nHeight, kH);
    EXPECT_EQ(a->_Buffer._nFlags, 0x3b);
    EXPECT_EQ(b->_Buffer._nWidth, kH / 2);
    EXPECT_EQ(b->_Buffer._nHeight, kH / 2);
    EXPECT_EQ(b->_Buffer._nFlags, 0x1b);

    a->Render();
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &a->_Buffer);
    rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
    b->Render();
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &b->_Buffer);
    EXPECT_GT(BrightestInColumn(a->_Buffer, kW / 2), 20);
    RGBA back = ReadPixel(b->_Buffer, 3, 3);
    EXPECT_EQ(back.r, 0);
    EXPECT_EQ(back.b, 255); // cleared to BackColor, alpha 1 whatever the colour's alpha
    EXPECT_EQ(back.a, 255);
    EXPECT_EQ(b->_Buffer._vBackColor, glm::vec3(0.f, 0.f, 1.f));

    fxBufferDefault* d = Make<fxBufferDefault>();
    d->Render();
    EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &Default());
    EXPECT_EQ(BrightestInColumn(Default(), kW / 2), 0);

    // Without "Clear" the buffer keeps its picture.
    a->_bClear = false;
    a->Render();
    EXPECT_GT(BrightestInColumn(a->_Buffer, kW / 2), 20);
    d->Render();
    Destroy(a);
    Destroy(b);
    Destroy(d);
}

// A buffer that clears itself gives its storage back while stopped and gets it again, at the size
// Init chose, when it starts; one that keeps its picture keeps its storage and the picture.
TEST_F(fxRenderEffectsTest, BufferStorageLivesWhileTheEffectRunsUnlessItKeepsItsPicture)
{
    fxBufferDefault* d = Make<fxBufferDefault>();
    for (const bool clear : {true, false})
    {
        fxBufferDisplay* b = Make<fxBufferDisplay>();
        b->_sName = "Again";
        b->_bClear = clear;
        b->SetState(State_EffectStarted);
        b->Render();
        rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
        d->Render(); // flushes the line into the buffer
        ASSERT_GT(BrightestInColumn(b->_Buffer, kW / 2), 20) << clear;

        b->SetState(State_SequenceStarted);
        EXPECT_EQ(b->_Buffer.IsValid(), !clear) << clear;
        EXPECT_EQ(b->_Buffer._glColorTexture != 0, !clear) << clear;
        if (!clear)
        {
            EXPECT_GT(BrightestInColumn(b->_Buffer, kW / 2), 20); // the picture is still there
        }

        b->SetState(State_EffectStarted);
        ASSERT_TRUE(b->_Buffer.IsValid()) << clear;
        EXPECT_EQ(b->_Buffer._sName, "Again");
        EXPECT_EQ(b->_Buffer._nWidth, kW);
        EXPECT_EQ(b->_Buffer._nHeight, kH);
        EXPECT_EQ(b->_Buffer._nFlags, 0x3b);
        b->Render(); // draws into the new storage like the first time
        EXPECT_EQ(rvSceneDisplay::_pCurrentBuffer, &b->_Buffer);
        EXPECT_NE(rvSceneDisplay::BindedDisplay(), nullptr);
        rvTest::AddHorizontalLine(rvSceneDisplay::BindedDisplay());
        d->Render();
        EXPECT_GT(BrightestInColumn(b->_Buffer, kW / 2), 20) << clear;
        Destroy(b);
    }
    Destroy(d);
}

TEST_F(fxRenderEffectsTest, VectorDisplayFadesItsSettingsInAndFlushesThroughItsRing)
{
    vector_display* display = rvSceneDisplay::BindedDisplay();
    display->settings.decay_steps = 10.f;
    fxVectorDisplay* v = Make<fxVectorDisplay>();
    v->_fFadeIn = 2.f;
    v->_Settings.decay_steps = 30.f;
    v->SetState(State_EffectStarted);
    EXPECT_NE(v->_Buffers.bufferspoints[0], 0u);
    EXPECT_EQ(v->_StartSettings.decay_steps, 10.f);

    rvTest::AddHorizontalLine(display);
    v->_fTime = 0.5f;
    v->Render();
    EXPECT_FLOAT_EQ(display->settings.decay_steps, 15.f);
    EXPECT_EQ(display->npoints, 0);
    EXPECT_GT(BrightestInColumn(Default(), kW / 2), 20);

    v->_fTime = 2.f;
    v->Render();
    EXPECT_EQ(display->settings.decay_steps, 30.f);
    v->SetState(State_SequenceStarted);
    EXPECT_EQ(display->settings.decay_steps, 30.f); // stays after the effect ended
    Destroy(v);
}

TEST_F(fxRenderEffectsTest, ImageFadeTable)
{
    // Copy blend: the pixel is the white picture times the fade factor.
    fxImage* img = MakeImage(2, 2, std::vector<RGBA>(4, RGBA{255, 255, 255, 255}));
    img->_eColorBlend = fxImage::ColorBlend_Copy;
    img->_bFullscreen = true;
    img->_bKeepRatioY = false;
    img->_fFadeIn = 1.f;
    img->_fFadeOut = 1.f;
    img->_nEnd = 240; // a 4-second bar
    struct Case
    {
        float t;
        int value;
    };
    for (Case c : {Case{0.f, 0}, Case{0.5f, 128}, Case{1.f, 255}, Case{2.f, 255}, Case{3.f, 255},
                   Case{3.5f, 128}, Case{4.f, 0}})
    {
        ClearCurrent(0.f, 0.f, 0.f);
        img->_fTime = c.t;
        img->Render();
        RGBA p = ReadPixel(Default(), kW / 2, kH / 2);
        EXPECT_NEAR(p.r, c.value, 2) << "t = " << c.t;
        EXPECT_NEAR(p.a, c.value, 2) << "t = " << c.t;
    }
    img->Kill();
    delete img;
}

TEST_F(fxRenderEffectsTest, ImageBlendModes)
{
    struct Case
    {
        const char* name;
        int blend;
        RGBA picture, target, want;
    };
    const Case cases[] = {
        {"Max over a brighter target leaves it",
         fxImage::ColorBlend_Max,
         {100, 100, 100, 255},
         {200, 200, 200, 255},
         {200, 200, 200, 255}},
        {"Max keeps the brighter channel",
         fxImage::ColorBlend_Max,
         {250, 50, 50, 255},
         {200, 200, 200, 255},
         {250, 200, 200, 255}},
        {"Add", fxImage::ColorBlend_Add, {50, 60, 70, 255}, {100, 100, 100, 255}, {150, 160, 170, 255}},
        {"Alpha mixes by the picture's alpha",
         fxImage::ColorBlend_Alpha,
         {255, 0, 0, 128},
         {0, 0, 255, 255},
         {128, 0, 127, 255}},
        {"Copy overwrites",
         fxImage::ColorBlend_Copy,
         {10, 20, 30, 255},
         {200, 200, 200, 255},
         {10, 20, 30, 255}},
    };
    for (const Case& c : cases)
    {
        fxImage* img = MakeImage(1, 1, {c.picture});
        img->_eColorBlend = c.blend;
        img->_bFullscreen = true;
        img->_fFadeIn = img->_fFadeOut = 0.f;
        ClearCurrent(c.target.r / 255.f, c.target.g / 255.f, c.target.b / 255.f);
        img->Render();
        RGBA p = ReadPixel(Default(), kW / 2, kH / 2);
        EXPECT_NEAR(p.r, c.want.r, 2) << c.name;
        EXPECT_NEAR(p.g, c.want.g, 2) << c.name;
        EXPECT_NEAR(p.b, c.want.b, 2) << c.name;
        EXPECT_EQ(p.a, c.want.a) << c.name;
        img->Kill();
        delete img;
    }
    glDisable(GL_BLEND);
}

TEST_F(fxRenderEffectsTest, RepeatUVTilesTheRestOfTheTarget)
{
    const RGBA red{255, 0, 0, 255}, green{0, 255, 0, 255};
    for (bool repeat : {false, true})
    {
        fxImage* img = MakeImage(2, 2, {red, green, green, red});
        img->_bKeepRatioY = true;
        img->_bRepeatUV = repeat;
        img->_eColorBlend = fxImage::ColorBlend_Copy;
        img->_fFadeIn = img->_fFadeOut = 0.f;
        img->_fScreenSize = 0.5f; // an 18 x 18 sprite in the middle
        ClearCurrent(0.f, 0.f, 0.f);
        img->Render();
        RGBA centre = ReadPixel(Default(), kW / 2 + 4, kH / 2 + 4);
        EXPECT_GT(centre.r + centre.g, 200) << "the sprite itself";
        RGBA corner = ReadPixel(Default(), 1, 1);
        if (!repeat)
        {
            EXPECT_EQ(corner.r + corner.g, 0) << "outside the sprite stays the target";
        }
        else
        {
            EXPECT_GT(corner.r + corner.g, 200) << "tiled over the whole target";
            // One tile later (18 pixels) the same colour comes back.
            for (int x = 4; x < kW - 18; x += 7)
            {
                RGBA p = ReadPixel(Default(), x, kH / 2 + 4), q = ReadPixel(Default(), x + 18, kH / 2 + 4);
                EXPECT_NEAR(p.r, q.r, 40) << "x " << x;
                EXPECT_NEAR(p.g, q.g, 40) << "x " << x;
            }
        }
        img->Kill();
        delete img;
    }
}

TEST_F(fxRenderEffectsTest, ImageOfABufferEffectIsFoundAgainEveryFrame)
{
    rvSequence seq(false);
    auto addBuffer = [&](const char* name)
    {
        fxBufferDisplay* b = Make<fxBufferDisplay>();
        b->_sName = name;
        b->_vBackColor = glm::vec4(1.f, 0.f, 0.f, 1.f);
        b->_pSequence = &seq;
        seq._apEffects.push_back(b);
        b->SetState(State_EffectStarted);
        b->Render(); // clears its picture to red
        rvSceneDisplay::SetCurrentBuffer(nullptr);
        return b;
    };
    fxBufferDisplay* buffer = addBuffer("Screen");
    fxImage* img = Make<fxImage>();
    img->_sFxBuffer = "Screen";
    img->_pSequence = &seq;
    img->_bFullscreen = true;
    img->_eColorBlend = fxImage::ColorBlend_Copy;
    img->_fFadeIn = img->_fFadeOut = 0.f;
    img->SetState(State_EffectStarted);
    EXPECT_EQ(img->_pFxBuffer, buffer);
    EXPECT_FALSE(img->_bValidImg);

    ClearCurrent(0.f, 0.f, 0.f);
    img->Render();
    EXPECT_EQ(ReadPixel(Default(), kW / 2, kH / 2).r, 255);

    // Not started: nothing is shown.
    buffer->SetState(State_SequenceStarted);
    ClearCurrent(0.f, 0.f, 0.f);
    img->Render();
    EXPECT_EQ(ReadPixel(Default(), kW / 2, kH / 2).r, 0);

    // The buffer effect deleted from the timeline: no stale pointer is used.
    seq._apEffects.clear();
    Destroy(buffer);
    img->Render();
    EXPECT_EQ(img->_pFxBuffer, nullptr);
    EXPECT_EQ(ReadPixel(Default(), kW / 2, kH / 2).r, 0);

    // Another effect of that name but of another class is not a picture source.
    fxVectorDisplay* impostor = Make<fxVectorDisplay>();
    impostor->_sName = "Screen";
    seq._apEffects.push_back(impostor);
    img->Render();
    EXPECT_EQ(img->_pFxBuffer, nullptr);
    seq._apEffects.clear();
    Destroy(impostor);

    // A timeline reloaded with a new buffer effect of that name: picked up.
    fxBufferDisplay* again = addBuffer("Screen");
    ClearCurrent(0.f, 0.f, 0.f);
    img->Render();
    EXPECT_EQ(img->_pFxBuffer, again);
    EXPECT_EQ(ReadPixel(Default(), kW / 2, kH / 2).r, 255);

    // Glow goes through the display's inner buffer and still lands in the target.
    img->_bGlow = true;
    ClearCurrent(0.f, 0.f, 0.f);
    img->Render();
    EXPECT_GT(ReadPixel(Default(), kW / 2, kH / 2).r, 200);

    seq._apEffects.clear();
    Destroy(again);
    Destroy(img);
}

TEST_F(fxRenderEffectsTest, ImageInitLoadsTheArchivePngUnlessABufferIsNamed)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    std::vector<unsigned char> png = EncodePNG(4, 2, std::vector<RGBA>(8, RGBA{0, 0, 255, 255}));
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/img/pic.png", std::string(png.begin(), png.end())}}));

    fxImage* img = Make<fxImage>();
    img->SetState(State_DemoStarted); // defaults: nothing chosen, nothing loaded
    EXPECT_FALSE(img->_bValidImg);
    EXPECT_FALSE(img->_program.IsImageLoaded());
    img->Render(); // draws nothing, needs nothing
    img->SetState(State_DemoStoped);

    img->_sPngFile = "Data/img/pic.png";
    img->SetState(State_DemoStarted);
    EXPECT_TRUE(img->_bValidImg);
    EXPECT_EQ(img->_program._imageWidth, 4);
    img->SetState(State_DemoStoped);
    EXPECT_FALSE(img->_bValidImg);

    rvSequence seq(false);
    img->_pSequence = &seq;
    img->_sFxBuffer = "Nowhere";
    img->SetState(State_DemoStarted);
    EXPECT_FALSE(img->_bValidImg); // a named buffer that is missing: the PNG is not tried
    img->_sPngFile = "Data/img/missing.png";
    img->_sFxBuffer.clear();
    img->_bReInit = true;
    img->SetState(State_DemoStoped);
    // A missing picture is named once on stderr, however often the effect starts again.
    testing::internal::CaptureStderr();
    img->SetState(State_DemoStarted);
    EXPECT_FALSE(img->_bValidImg);
    img->SetState(State_DemoStoped);
    img->SetState(State_DemoStarted);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Data/img/missing.png"), std::string::npos) << err;
    EXPECT_EQ(err.find("Data/img/missing.png"), err.rfind("Data/img/missing.png")) << err;
    Destroy(img);
}

TEST_F(fxRenderEffectsTest, ImageSpriteIsPlacedByScreenPosAndSizedByTheTargetHeight)
{
    // A 2:1 picture, ScreenSize 0.5, KeepRatioY: 0.5 of the height (18 px) and 2 x 18 = 36 px wide.
    struct Case
    {
        glm::vec2 pos;
        int cx, cyFromTop; // centre in pixels
    };
    for (Case c : {Case{{0.f, 0.f}, kW / 2, kH / 2}, Case{{-0.5f, -0.5f}, kW / 4, kH / 4}})
    {
        fxImage* img = MakeImage(2, 1, std::vector<RGBA>(2, RGBA{255, 255, 255, 255}));
        img->_vScreenPos = c.pos;
        img->_eColorBlend = fxImage::ColorBlend_Copy;
        img->_fFadeIn = img->_fFadeOut = 0.f;
        ClearCurrent(0.f, 0.f, 0.f);
        img->Render();
        auto lit = [&](int x, int yFromTop) { return ReadPixel(Default(), x, kH - 1 - yFromTop).r > 128; };
        EXPECT_TRUE(lit(c.cx, c.cyFromTop));
        EXPECT_TRUE(lit(c.cx + 16, c.cyFromTop + 7));
        EXPECT_TRUE(lit(c.cx - 16, c.cyFromTop - 7));
        EXPECT_FALSE(lit(c.cx + 20, c.cyFromTop));
        EXPECT_FALSE(lit(c.cx, c.cyFromTop + 11));
        img->Kill();
        delete img;
    }
}
