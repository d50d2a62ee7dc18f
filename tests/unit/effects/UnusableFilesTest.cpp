// A file or a name an effect cannot use is said once on stderr, naming it, and the effect goes
// on without it; what it can use is taken without a word.
#include "ArchiveFixture.h"
#include "DataPackGuard.h"
#include "EffectPtr.h"
#include "Sequencer/rvSequence.h"
#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxBufferDisplay/fxBufferDisplay.h"
#include "effects/fxECG/fxECG.h"
#include "effects/fxObjVectrex/fxObjVectrex.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "effects/fxText/fxText.h"
#include "effects/shEffectProgram.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"
#include "vector_display/vector_display.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{
size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A text effect with the font, started, stopped, started again and drawn a few frames (each
// frame without a font tries it again).
void ShowText(const char* pszFont)
{
    auto text = rvTest::NewStoppedOnDelete<fxText>();
    text->_sFont = pszFont;
    for (int start = 0; start < 2; ++start)
    {
        text->SetState(State_DemoStarted);
        for (int frame = 0; frame < 3; ++frame)
            text->Render();
        text->SetState(State_DemoStoped);
    }
}

void StartGame(const char* pszRecord)
{
    auto game = rvTest::NewStoppedOnDelete<fxAsteroid>();
    game->_sRecordFile = pszRecord;
    game->SetState(State_DemoStarted);
}

bool LoadImage(const char* pszPath)
{
    rvTexColorProgram2D holder;
    return shEffectProgram::LoadDataImage(holder, pszPath);
}

// A new effect of class T named pszName, added to the timeline.
template <class T> T* Add(rvSequence& seq, const char* pszName)
{
    T* fx = static_cast<T*>(T::Create(T::RegisterAttributes()));
    fx->_sName = pszName;
    seq.AddEffect(fx);
    return fx;
}

// Starts every effect of a timeline holding a buffer "Screen", a text "Title", and a console
// and an emitter that name `screen` and `source`.
void StartTimeline(const char* screen, const char* source)
{
    rvSequence seq(false);
    Add<fxBufferDisplay>(seq, "Screen");
    Add<fxText>(seq, "Title")->_bRenderSimplex = true;
    fxObjVectrex* console = Add<fxObjVectrex>(seq, "Console");
    console->_bTextured = false;
    console->_sScreenFxBuffer = screen;
    Add<fxParticleEmitter>(seq, "Sparks")->_sSource = source;
    for (fxBase* fx : seq._apEffects)
        if (fx != seq._apEffects[0]) fx->SetState(State_DemoStarted); // the buffer needs GL
    for (fxBase* fx : seq._apEffects)
        fx->SetState(State_DemoStoped);
    seq.Clear();
}
} // namespace

TEST(UnusableFiles, AreNamedOnceAndUsableOnesSilently)
{
    RV_SKIP_IF_DATA_PACK_IN_USE();
    rvTest::TempWorkDir dir;
    const std::string font = rvTest::ReadFileBytes("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_FALSE(font.empty());
    ASSERT_TRUE(rvTest::BuildArchive(dir, {{"Data/Font/good.ttf", font},
                                           {"Data/Font/broken.ttf", font.substr(0, 200)},
                                           {"Data/input/good.input", std::string(30, '\x01')},
                                           {"Data/input/empty.input", ""},
                                           {"Data/fxAnimation.vscene", "\x07\x00\x00\x00 cut"},
                                           {"Data/img/corrupt.png", "\x89PNG\r\n\x1a\n cut short"}}));
    const struct
    {
        const char* what;
        std::function<void()> run;
        const char* said; // once on stderr; null: nothing at all
    } cases[] = {
        {"font cut short", [] { ShowText("Data/Font/broken.ttf"); }, "font \"Data/Font/broken.ttf\""},
        {"font missing", [] { ShowText("Data/Font/none.ttf"); }, "font \"Data/Font/none.ttf\""},
        {"font usable", [] { ShowText("Data/Font/good.ttf"); }, nullptr},
        {"recording missing", [] { StartGame("Data/input/none.input"); },
         "\"Data/input/none.input\" is missing"},
        {"recording empty", [] { StartGame("Data/input/empty.input"); },
         "\"Data/input/empty.input\" is empty"},
        {"recording usable", [] { StartGame("Data/input/good.input"); }, nullptr},
        {"figure cut short", [] { rvTest::NewStoppedOnDelete<fxECG>(); },
         "fxECG: \".\\Data\\fxAnimation.vscene\" is not a whole vector scene"},
        {"image corrupt", [] { EXPECT_FALSE(LoadImage("Data/img/corrupt.png")); },
         "unusable (corrupt, too large or not a known format) image Data/img/corrupt.png"},
        {"image missing", [] { EXPECT_FALSE(LoadImage("Data/img/none.png")); },
         "missing image Data/img/none.png"},
        {"screen buffer unknown", [] { StartTimeline("Nowhere", "Title"); },
         "fxObjVectrex \"Console\": \"ScreenFxBuffer\" names \"Nowhere\", but its timeline has no "
         "fxBufferDisplay"},
        {"screen buffer of another class", [] { StartTimeline("Title", "Title"); },
         "\"ScreenFxBuffer\" names \"Title\", but its timeline has no fxBufferDisplay"},
        {"source unknown", [] { StartTimeline("Screen", "Nowhere"); },
         "fxParticleEmitter \"Sparks\": \"Source\" names \"Nowhere\", but its timeline has no effect"},
        {"names known", [] { StartTimeline("Screen", "Title"); }, nullptr},
        {"names empty", [] { StartTimeline("", ""); }, nullptr},
    };
    // Where a usable font draws.
    vector_display* display = nullptr;
    ASSERT_EQ(vector_display_create(&display, 64, 64), 0);
    rvSceneDisplay::_pCurrentDisplay = display;
    for (const auto& c : cases)
    {
        testing::internal::CaptureStderr();
        c.run();
        const std::string err = testing::internal::GetCapturedStderr();
        if (c.said)
        {
            EXPECT_EQ(Count(err, c.said), 1u) << c.what << ":\n" << err;
            EXPECT_EQ(Count(err, "\n"), 1u) << c.what << ":\n" << err;
        }
        else
            EXPECT_EQ(err, "") << c.what;
    }
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    vector_display_destroy(display);
}
