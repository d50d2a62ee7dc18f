// The real audio layer on SDL's silent "dummy" driver, with a committed tone fixture:
// tests/data/tone440.mp3 = 0.5 s of silence, then 1.0 s of a 440 Hz sine at half scale, stereo,
// 44100 Hz (sox -n -r 44100 -c 2 -b 16 t.wav synth 1.0 sine 440 gain -6 pad 0.5 0; lame -b 128).
// Real-time checks are short and tolerant: they show that time moves, never how fast code runs.
#include "rvAudioSDL.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace
{
constexpr int RATE = 44100;
constexpr int64_t ONSET_FRAME = 22050; // first frame of the tone

std::string TonePath()
{
    return rvTest::SourcePath("tests/data/tone440.mp3");
}

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

double Seconds(int64_t nBytes)
{
    return double(nBytes) / 4.0 / RATE;
}

// Energy of the left channel's spectrum (bins 1..511).
double SpectrumEnergy(const float* pSpectrum)
{
    double e = 0.;
    for (int k = 1; k < 512; ++k)
        e += double(pSpectrum[2 * k]) * pSpectrum[2 * k];
    return e;
}

class AudioLayer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(_audio.Init(-1, RATE));
    }
    rvAudioSDL _audio;
};
} // namespace

TEST(AudioDecode, GaplessDecodingKeepsTheSourceLengthAndTiming)
{
    std::vector<float> aSamples;
    ASSERT_EQ(rvAudioSDL::DecodeFile(TonePath().c_str(), RATE, aSamples), rvAudio::Error_None);
    // Encoder delay and padding are removed: exactly the 1.5 s written by sox.
    EXPECT_NEAR(double(aSamples.size()) / 2, 66150, 2);
    float fBefore = 0.f, fAfter = 0.f;
    for (int64_t i = 0; i < ONSET_FRAME - 700; ++i)
        fBefore = std::max(fBefore, std::fabs(aSamples[size_t(i) * 2]));
    for (int64_t i = ONSET_FRAME + 100; i < ONSET_FRAME + 2000; ++i)
        fAfter = std::max(fAfter, std::fabs(aSamples[size_t(i) * 2]));
    EXPECT_LT(fBefore, 0.01f);
    EXPECT_NEAR(fAfter, 0.5f, 0.05f);
}

TEST(AudioDecode, ResamplesToTheOutputRate)
{
    std::vector<float> aSamples;
    ASSERT_EQ(rvAudioSDL::DecodeFile(TonePath().c_str(), 48000, aSamples), rvAudio::Error_None);
    EXPECT_NEAR(double(aSamples.size()) / 2, 1.5 * 48000, 200);
}

TEST_F(AudioLayer, MissingOrBrokenFilesAreErrorCodes)
{
    EXPECT_EQ(_audio.StreamCreateFile("Data/Audio/no-such-file.mp3", rvAudio::Flag_Loop), 0u);
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_FileOpen);

    rvTest::TempWorkDir dir;
    dir.WriteFile("not-music.mp3", std::string(4000, 'x'));
    EXPECT_EQ(_audio.StreamCreateFile("not-music.mp3", 0), 0u);
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Format);

    // Dead handles fail without harm.
    EXPECT_FALSE(_audio.Play(12345, false));
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Handle);
    EXPECT_FALSE(_audio.StreamFree(0));
    EXPECT_EQ(_audio.GetLevel(12345), 0u);
    EXPECT_EQ(_audio.SecondsToBytes(12345, 1.0), -1);
}

TEST_F(AudioLayer, InitTwiceFailsAndFreeReleasesEveryStream)
{
    EXPECT_STREQ(_audio.OutputDriver(), "dummy");
    EXPECT_FALSE(_audio.Init(-1, RATE));
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Already);
    rvAudio::Handle h = _audio.StreamCreateFile(TonePath().c_str(), 0);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(_audio.Free());
    EXPECT_FALSE(_audio.Play(h, true));
    EXPECT_EQ(_audio.StreamCreateFile(TonePath().c_str(), 0), 0u);
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_NotInit);
    EXPECT_TRUE(_audio.Init(-1, RATE));
}

TEST_F(AudioLayer, PositionAdvancesInRealTimeAndPauseHoldsIt)
{
    rvAudio::Handle h = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(_audio.GetPosition(h), 0);
    SleepMs(60);
    EXPECT_EQ(_audio.GetPosition(h), 0) << "a new stream waits";

    ASSERT_TRUE(_audio.Play(h, true));
    auto t0 = std::chrono::steady_clock::now();
    SleepMs(200);
    double fElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double fPos = Seconds(_audio.GetPosition(h));
    EXPECT_GT(fPos, 0.1);
    EXPECT_LT(fPos, fElapsed + 0.2); // a device buffer or two ahead at most

    ASSERT_TRUE(_audio.Pause(h));
    SleepMs(60); // a callback already running finishes its block
    int64_t nHeld = _audio.GetPosition(h);
    SleepMs(150);
    EXPECT_EQ(_audio.GetPosition(h), nHeld);

    // Resume keeps going from there; restart goes back to 0 first.
    ASSERT_TRUE(_audio.Play(h, false));
    SleepMs(150);
    EXPECT_GT(_audio.GetPosition(h), nHeld);
    ASSERT_TRUE(_audio.Stop(h));
    SleepMs(60);
    ASSERT_TRUE(_audio.Play(h, true));
    EXPECT_LT(Seconds(_audio.GetPosition(h)), 0.1);
}

TEST_F(AudioLayer, PlayClockTellsWhetherAStreamPlaysAndWhere)
{
    rvAudio::Handle h = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    bool bPlaying = true;
    double fSeconds = -1.0;
    ASSERT_TRUE(_audio.GetPlayClock(h, bPlaying, fSeconds));
    EXPECT_FALSE(bPlaying);
    EXPECT_EQ(fSeconds, 0.0);

    ASSERT_TRUE(_audio.SetPosition(h, _audio.SecondsToBytes(h, 0.75)));
    ASSERT_TRUE(_audio.Play(h, false));
    auto t0 = std::chrono::steady_clock::now();
    SleepMs(150);
    ASSERT_TRUE(_audio.GetPlayClock(h, bPlaying, fSeconds));
    double fElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_TRUE(bPlaying);
    EXPECT_GT(fSeconds, 0.75 + 0.05);
    EXPECT_LT(fSeconds, 0.75 + fElapsed + 0.2); // a device buffer or two ahead at most

    ASSERT_TRUE(_audio.Pause(h));
    ASSERT_TRUE(_audio.GetPlayClock(h, bPlaying, fSeconds));
    EXPECT_FALSE(bPlaying);
    ASSERT_TRUE(_audio.StreamFree(h));
    EXPECT_FALSE(_audio.GetPlayClock(h, bPlaying, fSeconds));
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Handle);
    EXPECT_FALSE(bPlaying);
}

TEST_F(AudioLayer, LoopingStreamsWrapAndOthersStopAtTheEnd)
{
    rvAudio::Handle hLoop = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    rvAudio::Handle hOnce = _audio.StreamCreateFile(TonePath().c_str(), 0);
    ASSERT_NE(hLoop, 0u);
    ASSERT_NE(hOnce, 0u);
    ASSERT_NE(hLoop, hOnce);
    int64_t nNearEnd = _audio.SecondsToBytes(hLoop, 1.45);
    ASSERT_TRUE(_audio.SetPosition(hLoop, nNearEnd));
    ASSERT_TRUE(_audio.SetPosition(hOnce, nNearEnd));
    ASSERT_TRUE(_audio.Play(hLoop, false));
    ASSERT_TRUE(_audio.Play(hOnce, false));
    SleepMs(250);
    EXPECT_LT(Seconds(_audio.GetPosition(hLoop)), 1.0);
    EXPECT_NEAR(Seconds(_audio.GetPosition(hOnce)), 1.5, 1e-4);
    EXPECT_EQ(_audio.GetLevel(hOnce), 0u) << "stopped at the end";
    EXPECT_FALSE(_audio.SetPosition(hOnce, _audio.SecondsToBytes(hOnce, 2.0))) << "beyond the end";
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Position);
}

TEST_F(AudioLayer, SeekLandsOnTheSample)
{
    rvAudio::Handle h = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(_audio.SecondsToBytes(h, 0.5), ONSET_FRAME * 4);
    EXPECT_EQ(_audio.SecondsToBytes(h, -1.0), 0);
    ASSERT_TRUE(_audio.Play(h, true));
    ASSERT_TRUE(_audio.Pause(h));

    float aSpectrum[rvAudio::SPECTRUM_FLOATS];
    // The window of 1024 frames just before the onset is silent, the one just after is the tone:
    // a decoder that kept the encoder delay (about 1100 frames) or a rounded seek would fail one.
    ASSERT_TRUE(_audio.SetPosition(h, (ONSET_FRAME - 1024 - 200) * 4));
    EXPECT_EQ(_audio.GetPosition(h), (ONSET_FRAME - 1024 - 200) * 4);
    ASSERT_EQ(_audio.GetSpectrum(h, aSpectrum), rvAudio::SPECTRUM_FLOATS);
    double fSilent = SpectrumEnergy(aSpectrum);
    ASSERT_TRUE(_audio.SetPosition(h, (ONSET_FRAME + 64) * 4 + 2)); // within a frame: rounds down
    EXPECT_EQ(_audio.GetPosition(h), (ONSET_FRAME + 64) * 4);
    ASSERT_EQ(_audio.GetSpectrum(h, aSpectrum), rvAudio::SPECTRUM_FLOATS);
    double fTone = SpectrumEnergy(aSpectrum);
    EXPECT_GT(fTone, 0.01);
    EXPECT_LT(fSilent, fTone * 1e-3);
}

TEST_F(AudioLayer, LevelFollowsTheToneWhilePlayingAndIsZeroWhilePaused)
{
    rvAudio::Handle h = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(_audio.SetPosition(h, _audio.SecondsToBytes(h, 0.7)));
    EXPECT_EQ(_audio.GetLevel(h), 0u) << "not playing yet";
    ASSERT_TRUE(_audio.Play(h, false));
    uint32_t nLevel = _audio.GetLevel(h);
    uint32_t nLeft = nLevel & 0xFFFF, nRight = nLevel >> 16;
    EXPECT_NEAR(nLeft, 16384, 1600); // half scale
    EXPECT_NEAR(nRight, 16384, 1600);

    // The volume attributes multiply.
    ASSERT_TRUE(_audio.SetAttribute(h, rvAudio::Attrib_ChannelVolume, 0.5f));
    ASSERT_TRUE(_audio.SetAttribute(h, rvAudio::Attrib_GlobalVolume, 3.0f)); // clamped to 1
    EXPECT_NEAR(_audio.GetLevel(h) & 0xFFFF, 8192, 900);
    ASSERT_TRUE(_audio.SetAttribute(h, rvAudio::Attrib_GlobalVolume, 0.0f));
    EXPECT_EQ(_audio.GetLevel(h), 0u);
    ASSERT_TRUE(_audio.SetAttribute(h, rvAudio::Attrib_GlobalVolume, 1.0f));

    ASSERT_TRUE(_audio.Pause(h));
    EXPECT_EQ(_audio.GetLevel(h), 0u);
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_NotPlaying);
}

TEST_F(AudioLayer, SpectrumPeakOfA440HzToneIsInBin10)
{
    rvAudio::Handle h = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    float aSpectrum[rvAudio::SPECTRUM_FLOATS];
    EXPECT_EQ(_audio.GetSpectrum(h, aSpectrum), -1) << "stopped";
    ASSERT_TRUE(_audio.Play(h, true));
    ASSERT_TRUE(_audio.SetPosition(h, _audio.SecondsToBytes(h, 1.0)));
    ASSERT_EQ(_audio.GetSpectrum(h, aSpectrum), rvAudio::SPECTRUM_FLOATS);
    // 440 Hz * 1024 / 44100 Hz = 10.2: bin 10, for both interleaved channels.
    for (int c = 0; c < 2; ++c)
    {
        int nBest = 1;
        for (int k = 1; k < 512; ++k)
            if (aSpectrum[2 * k + c] > aSpectrum[2 * nBest + c]) nBest = k;
        EXPECT_EQ(nBest, 10) << "channel " << c;
        EXPECT_NEAR(aSpectrum[2 * nBest + c], 0.25f, 0.08f); // half-scale sine, Hann window
    }
}

TEST_F(AudioLayer, CaptureRunsOnTheDummyDriver)
{
    EXPECT_EQ(_audio.RecordStart(RATE, 2), 0u) << "before RecordInit";
    ASSERT_TRUE(_audio.RecordInit(-1));
    EXPECT_FALSE(_audio.RecordInit(-1));
    rvAudio::Handle h = _audio.RecordStart(RATE, 2);
    ASSERT_NE(h, 0u);
    SleepMs(80);
    EXPECT_EQ(_audio.GetLevel(h), 0u); // the dummy device captures silence
    float aSpectrum[rvAudio::SPECTRUM_FLOATS];
    EXPECT_EQ(_audio.GetSpectrum(h, aSpectrum), rvAudio::SPECTRUM_FLOATS);
    EXPECT_TRUE(_audio.RecordFree());
    EXPECT_EQ(_audio.GetLevel(h), 0u);
    EXPECT_STREQ(_audio.OutputDriver(), "dummy") << "output untouched";
}

TEST(AudioLayerOutput, FallsBackToTheDummyDriverWithoutADevice)
{
    // Whatever the machine has: Init succeeds, with a real device or the silent driver.
    unsetenv("SDL_AUDIODRIVER");
    rvAudioSDL audio;
    ASSERT_TRUE(audio.Init(-1, RATE));
    EXPECT_STRNE(audio.OutputDriver(), "");
    rvAudio::Handle h = audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    audio.SetAttribute(h, rvAudio::Attrib_ChannelVolume, 0.f); // silent on a real device
    ASSERT_TRUE(audio.Play(h, true));
    SleepMs(150);
    EXPECT_GT(audio.GetPosition(h), 0);
    EXPECT_TRUE(audio.Free());
}
