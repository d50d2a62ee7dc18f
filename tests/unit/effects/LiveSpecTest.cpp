// The live spectrum: what it asks of the audio layer (never closing the shared output, never a
// message box, no spectrum without its block), the bars it draws from a spectrum, the quiet
// count, and, on the real audio layer, the music playing on while the effect starts and stops.
#include "VectorEffectTest.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "Factory/Factory.h"
#include "RecordingAudio.h"
#include "TestSupport.h"
#include "effects/fxLiveSpec/fxLiveSpec.h"
#include "effects/fxMusic/fxMusic.h"
#include "rvAudioSDL.h"

#include <imgui.h>
#include <imgui_internal.h>

namespace
{
class LiveSpecTest : public rvTest::VectorEffectTest
{
protected:
    fxLiveSpec* NewSpec()
    {
        fxDescriptor* d = Factory::_pInstance->FindDescriptor("fxLiveSpec");
        EXPECT_NE(d, nullptr);
        fxLiveSpec* e = static_cast<fxLiveSpec*>(d->_pfnCreate(d));
        _apEffects.emplace_back(e);
        return e;
    }
    void TearDown() override
    {
        VectorEffectTest::TearDown();
        fxMusic::_hMusicChannel = 0;
    }
};

bool Contains(const std::vector<std::string>& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// An audio layer whose capture works and gives a chosen level and spectrum.
class CapturingAudio : public rvTest::RecordingAudio
{
public:
    Handle RecordStart(int, int) override { return 42; }
    const char* OutputDriver() override { return "alsa"; }
    int GetSpectrum(Handle, float* pOut) override
    {
        for (int i = 0; i < rvAudio::SPECTRUM_FLOATS; ++i)
            pOut[i] = _fMagnitude;
        return rvAudio::SPECTRUM_FLOATS;
    }
    float _fMagnitude = 0.0f;
};

// A layer with one capture, as the real one: a second RecordInit or RecordStart fails while it runs.
class OneCaptureAudio : public CapturingAudio
{
public:
    bool RecordInit(int) override
    {
        if (_bInit) return (_nError = Error_Already), false;
        return _bInit = true;
    }
    Handle RecordStart(int, int) override
    {
        if (!_bInit || _bStarted) return (_nError = Error_Already), 0;
        _bStarted = true;
        return 42;
    }
    bool RecordFree() override
    {
        const bool bWas = _bInit;
        _bInit = _bStarted = false;
        return bWas;
    }
    bool _bInit = false, _bStarted = false;
};
} // namespace

TEST_F(LiveSpecTest, WithoutCaptureItShowsTheMusicAndNeverClosesTheOutput)
{
    rvTest::RecordingAudio audio;
    audio._nNext = 8; // the music has 7
    fxMusic::_hMusicChannel = 7;
    fxLiveSpec* e = NewSpec();
    testing::internal::CaptureStderr();
    Frame(*e);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("morvane: warning: fxLiveSpec: no capture device"), 0u) << err;
    EXPECT_NE(e->_sMessage.find("No capture device"), std::string::npos); // in the window too
    EXPECT_TRUE(e->_bMusicFallback);
    EXPECT_EQ(e->Source(), 7u);
    std::vector<std::string> calls = audio.Take();
    EXPECT_TRUE(Contains(calls, "GetLevel(7)"));
    EXPECT_TRUE(Contains(calls, "GetSpectrum(7)"));
    // A flat line: every bar at its shortest, 2 x 511 per channel.
    EXPECT_EQ(_pDisplay->nlines, 4 * 511);

    // "Play File" twice: the first stream is freed before the second opens; "Play Record" and
    // Kill free the effect's own stream, and nothing closes the output device.
    e->PlayFile();
    e->PlayFile();
    e->PlayRecord();
    e->PlayFile();
    e->SetState(State_DemoStoped);
    calls = audio.Take();
    for (const std::string& c : calls)
    {
        EXPECT_NE(c, "FreeAll()");
        EXPECT_NE(c, "StreamFree(7)") << "the music is not the effect's";
        EXPECT_NE(c, "Stop(7)");
        EXPECT_NE(c, "Pause(7)");
    }
    const std::vector<std::string> frees = {"StreamFree(8)", "StreamFree(9)", "StreamFree(10)"};
    for (const std::string& f : frees)
        EXPECT_TRUE(Contains(calls, f)) << f;
    EXPECT_EQ(e->_hFile, 0u);
    EXPECT_EQ(e->_hActive, 0u);
    EXPECT_EQ(e->_pFFT, nullptr);
}

// A second live spectrum finds the capture taken: it shows the music and leaves the first one's
// capture running, which goes with the effect that opened it ("Play Record" again keeps it too).
TEST_F(LiveSpecTest, ASecondSpectrumLeavesTheFirstOnesCaptureRunning)
{
    OneCaptureAudio audio;
    fxMusic::_hMusicChannel = 7;
    fxLiveSpec* first = NewSpec();
    Frame(*first);
    ASSERT_EQ(first->Source(), 42u);
    fxLiveSpec* second = NewSpec();
    Frame(*second);
    EXPECT_TRUE(audio._bStarted) << "the first one's capture was closed";
    EXPECT_TRUE(second->_bMusicFallback);
    EXPECT_EQ(second->Source(), 7u);
    second->SetState(State_DemoStoped);
    EXPECT_TRUE(audio._bStarted);
    EXPECT_EQ(first->Source(), 42u);
    // "Play Record" while capturing keeps the capture.
    first->PlayRecord();
    EXPECT_TRUE(audio._bStarted);
    EXPECT_EQ(first->Source(), 42u);
    first->SetState(State_DemoStoped);
    EXPECT_FALSE(audio._bInit);
}

TEST_F(LiveSpecTest, AFileThatCannotPlayLeavesNoStaleHandle)
{
    rvTest::RecordingAudio audio;
    audio._bFailCreate = true;
    fxLiveSpec* e = NewSpec();
    Frame(*e);
    testing::internal::CaptureStderr();
    e->PlayFile();
    e->PlayFile();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("morvane: error: fxLiveSpec: Can't play file"), 0u) << "said on stderr: " << err;
    EXPECT_EQ(err.find("Can't play file"), err.rfind("Can't play file")) << "once";
    // The window says it at every try (the message box of old).
    EXPECT_NE(e->_sMessage.find("Can't play file"), std::string::npos);
    EXPECT_EQ(e->_hFile, 0u);
    EXPECT_EQ(e->Source(), 0u);
    audio.Take();
    ClearPoints();
    e->Render();
    EXPECT_FALSE(Contains(audio.Take(), "GetSpectrum(0)"));
    EXPECT_EQ(_pDisplay->nlines, 4 * 511); // a flat line
    {
        rvTest::ImGuiHeadless imgui;
        imgui.NewFrame();
        e->Render(); // the window with the message
        ASSERT_NE(ImGui::FindWindowByName("Live Spectr"), nullptr);
        imgui.EndFrame();
    }
    // A file that plays clears the message.
    audio._bFailCreate = false;
    e->PlayFile();
    EXPECT_NE(e->_hFile, 0u);
    EXPECT_TRUE(e->_sMessage.empty());
}

TEST_F(LiveSpecTest, NoBlockNoSpectrum)
{
    rvTest::RecordingAudio audio;
    fxMusic::_hMusicChannel = 7;
    _pBuffer->_nWidth = 0;
    fxLiveSpec* e = NewSpec();
    Frame(*e);
    _pBuffer->_nWidth = 640;
    EXPECT_EQ(e->_pFFT, nullptr);
    e->PlayFile(); // a file plays, but there is still no block to read into
    ClearPoints();
    e->Render();
    for (const std::string& c : audio.Take())
        EXPECT_EQ(c.find("GetSpectrum"), std::string::npos) << c;
    EXPECT_EQ(_pDisplay->npoints, 0);
}

TEST_F(LiveSpecTest, BarsConvergeOnTheFocalPoint)
{
    CapturingAudio audio;
    audio._fMagnitude = 0.01f;
    _pBuffer->_nHeight = 1080;
    fxLiveSpec* e = NewSpec();
    Frame(*e);
    ASSERT_EQ(e->_hRecord, 42u);
    ClearPoints();
    e->Render();
    const auto strips = Strips();
    ASSERT_GE(strips.size(), 4u * 511u);
    // Lengths: 5 x 412 x 0.1 - 4 = 202 on the left, 4 x 412 x 0.1 - 4 = 160.8 on the right.
    for (size_t i = 0; i < 4 * 511; ++i)
    {
        const auto& s = strips[i];
        ASSERT_EQ(s.size(), 2u);
        const glm::vec2 P(s[0].x, s[0].y), E(s[1].x, s[1].y), F(512.0f, 540.0f);
        const bool left = i < 2 * 511;
        EXPECT_NEAR(glm::length(E - P), left ? 202.0f : 160.8f, 1e-2f) << i;
        // E lies on the way from P to F.
        EXPECT_NEAR(glm::length(F - P), glm::length(F - E) + glm::length(E - P), 1e-2f) << i;
        EXPECT_FLOAT_EQ(s[0].y, left ? 0.0f : 1080.0f);
    }
    EXPECT_FLOAT_EQ(strips[0][0].x, -512.0f);
    EXPECT_FLOAT_EQ(strips[1][0].x, 1536.0f);
    EXPECT_FLOAT_EQ(strips[0][0].r, 0.9f);
    EXPECT_FLOAT_EQ(strips[0][0].g, 0.2f);
    EXPECT_FLOAT_EQ(strips[2 * 511][0].b, 0.5f);
    // Caps of 0 leave the bars at their shortest; a magnitude that is not a number too.
    EXPECT_FLOAT_EQ(fxLiveSpec::BarLength(1.0f, 5, 412, 0), 0.5f);
    EXPECT_FLOAT_EQ(fxLiveSpec::BarLength(std::nanf(""), 5, 412, 1087), 0.5f);
    EXPECT_FLOAT_EQ(fxLiveSpec::BarLength(100.0f, 5, 412, 1087), 1087.0f);
}

// While capturing, the blinking text shows from the 48th quiet frame, for 16 frames out of 32,
// and loud frames do not restart the count.
TEST_F(LiveSpecTest, QuietCaptureMakesTheTextBlink)
{
    CapturingAudio audio;
    fxLiveSpec* e = NewSpec();
    Frame(*e);
    std::vector<int> shown;
    for (int frame = 1; frame <= 100; ++frame)
    {
        audio._nLevel = frame == 60 ? 5000u : 0u; // one loud frame
        ClearPoints();
        e->Render();
        if (_pDisplay->nlines > 4 * 511) shown.push_back(e->_nSilentFrames);
    }
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 48);
    for (int n : shown)
        EXPECT_TRUE(n > 40 && (n & 16)) << n;
    EXPECT_EQ(e->_nSilentFrames, 100); // the first frame counted too
}

// On the real audio layer (silent driver): the music stream keeps playing and its position keeps
// advancing while the effect is created, started, switched between file and capture and killed.
TEST(LiveSpecAudio, TheMusicPlaysOnWhileTheEffectStartsAndStops)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    rvTest::TheFactory();
    rvAudioSDL sdl;
    rvAudio::Set(&sdl);
    ASSERT_TRUE(sdl.Init(-1, 44100));
    const rvAudio::Handle music = sdl.StreamCreateFile(rvTest::SourcePath("tests/data/tone440.mp3").c_str(),
                                                       rvAudio::Flag_Loop);
    ASSERT_NE(music, 0u);
    ASSERT_TRUE(sdl.Play(music, true));
    fxMusic::_hMusicChannel = music;

    vector_display* pDisplay = nullptr;
    vector_display_create(&pDisplay, 64, 64);
    rvBufferDisplay buffer;
    buffer._nWidth = buffer._nHeight = 64;
    rvSceneDisplay::_pCurrentDisplay = pDisplay;
    rvSceneDisplay::_pCurrentBuffer = &buffer;

    int64_t last = sdl.GetPosition(music);
    // The output thread may wait its turn on a busy machine: the position has up to 2 s to move.
    auto advanced = [&](const char* step) {
        int64_t now = last;
        for (int i = 0; i < 200 && now <= last; ++i)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            now = sdl.GetPosition(music);
        }
        EXPECT_GT(now, last) << step;
        last = now;
    };
    for (int round = 0; round < 2; ++round)
    {
        fxDescriptor* d = Factory::_pInstance->FindDescriptor("fxLiveSpec");
        fxLiveSpec* e = static_cast<fxLiveSpec*>(d->_pfnCreate(d));
        e->SetState(State_EffectStarted);
        e->Update();
        advanced("started");
        EXPECT_EQ(e->Source(), music) << "the dummy driver captures nothing: the music is shown";
        e->PlayFile();
        e->Update();
        advanced("file");
        e->PlayRecord();
        e->Update();
        advanced("record");
        e->SetState(State_DemoStoped);
        advanced("killed");
        delete e;
    }
    EXPECT_STREQ(sdl.OutputDriver(), "dummy");

    rvSceneDisplay::_pCurrentDisplay = nullptr;
    rvSceneDisplay::_pCurrentBuffer = nullptr;
    buffer._nWidth = buffer._nHeight = 0;
    vector_display_destroy(pDisplay);
    fxMusic::_hMusicChannel = 0;
    rvAudio::Set(nullptr);
}

// The "Live Spectr" window is built from Render while an editor frame is open, and Render does
// not touch ImGui outside one.
TEST_F(LiveSpecTest, WindowIsBuiltInsideAnEditorFrameOnly)
{
    rvTest::RecordingAudio audio;
    fxLiveSpec* e = NewSpec();
    Frame(*e); // no ImGui context at all
    rvTest::ImGuiHeadless imgui;
    e->Render(); // a context, but no frame
    imgui.NewFrame();
    e->Render();
    ImGuiWindow* w = ImGui::FindWindowByName("Live Spectr");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Active);
    imgui.EndFrame();
    EXPECT_TRUE(e->_bWindowOpen);
}
