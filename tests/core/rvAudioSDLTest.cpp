// The real audio layer on SDL's silent "dummy" driver, with a committed tone fixture:
// tests/data/tone440.mp3 = 0.5 s of silence, then 1.0 s of a 440 Hz sine at half scale, stereo,
// 44100 Hz (sox -n -r 44100 -c 2 -b 16 t.wav synth 1.0 sine 440 gain -6 pad 0.5 0; lame -b 128).
// tests/data/sweep22k.mp3 = 8 s of a sine sweeping 200 to 3000 Hz, mono, MPEG-2 at 22050 Hz,
// 32 kbit/s (sox -n -r 44100 -c 1 -b 16 s.wav synth 8 sine 200-3000 gain -6; lame -b 32 -m m):
// every frame differs from its neighbours, its half-size frames reach further back for their bits
// than MPEG-1's, and it plays resampled; at 8 s it is longer than what a stream holds decoded.
// tests/data/joined-same-rate.mp3 = two files joined end to end (cat), each 0.6 s of a sweep (up,
// then down), mono, 32 kHz, 48 kbit/s with its own ID3v2 tag, encoder delay and "Info" frame
// (sox -n -r 44100 -c 1 -b 16 p1.wav synth 0.6 sine 200-3000 gain -6; lame -b 48 --tt part1
// --add-id3v2; the second likewise from 3000-200). tests/data/joined-rate-change.mp3 = the first
// of those encoded at 22050 Hz (lame --resample 22.05 -b 32), then the second part at 32 kHz.
// Real-time checks are short and tolerant: they show that time moves, never how fast code runs.
#include "rvAudioSDL.h"
#include "rvMp3Source.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace
{
constexpr int64_t RATE = 44100;
constexpr int64_t ONSET_FRAME = 22050; // first frame of the tone

std::string TonePath()
{
    return rvTest::SourcePath("tests/data/tone440.mp3");
}

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string SweepPath()
{
    return rvTest::SourcePath("tests/data/sweep22k.mp3");
}

// Two files of one rate joined end to end (cat), each with its own encoder delay, padding and
// "Info" frame (see the table at the top).
std::string JoinedPath()
{
    return rvTest::SourcePath("tests/data/joined-same-rate.mp3");
}

// Largest difference between nFrames stereo frames of a and of b from frame nAt on (b wraps to
// its start past its end, as a looping stream does).
double MaxDiff(const float* a, const std::vector<float>& b, int64_t nAt, int64_t nFrames)
{
    const int64_t nLength = int64_t(b.size() / 2);
    double d = 0.;
    for (int64_t i = 0; i < nFrames; ++i)
        for (int c = 0; c < 2; ++c)
            d = std::max(d, double(std::fabs(a[i * 2 + c] - b[size_t((nAt + i) % nLength) * 2 + size_t(c)])));
    return d;
}

// Far below one step of 16-bit audio: the same samples, up to the last bit of the float synthesis.
constexpr double SAME_SAMPLE = 1e-6;

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

// A decoder opened on the file and moved anywhere reads what the decode from the start gave there:
// forwards, backwards, on frame boundaries, at the last frame; at the output rate and resampled.
TEST(AudioDecode, SeeksLandOnTheSamplesOfAWholeDecode)
{
    struct Case
    {
        std::string sPath;
        int nRate;
    } cases[] = {{TonePath(), RATE},
                 {TonePath(), 48000},
                 {SweepPath(), RATE},
                 {SweepPath(), 22050},
                 {JoinedPath(), RATE},
                 {JoinedPath(), 48000}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.sPath + " at " + std::to_string(c.nRate));
        std::vector<float> aWhole;
        ASSERT_EQ(rvAudioSDL::DecodeFile(c.sPath.c_str(), c.nRate, aWhole), rvAudio::Error_None);
        rvMp3Source source;
        ASSERT_EQ(source.Open(c.sPath.c_str(), c.nRate), rvAudio::Error_None);
        const int64_t nFrames = source.Frames();
        ASSERT_EQ(nFrames, int64_t(aWhole.size() / 2)) << "the length is known before decoding";

        std::vector<float> aBlock(2 * 1000);
        for (int64_t nAt = 0, n; (n = source.Read(aBlock.data(), 1000)) > 0; nAt += n)
            ASSERT_LE(MaxDiff(aBlock.data(), aWhole, nAt, n), SAME_SAMPLE) << "in order, at " << nAt;
        EXPECT_EQ(source.Position(), nFrames);

        for (int64_t nAt : {nFrames / 2, int64_t(1), int64_t(1152), int64_t(22050), nFrames - 700, int64_t(12345),
                            nFrames - 1, int64_t(0)})
        {
            ASSERT_TRUE(source.Seek(nAt)) << nAt;
            const int64_t n = source.Read(aBlock.data(), 1000);
            EXPECT_EQ(n, std::min<int64_t>(1000, nFrames - nAt)) << nAt;
            EXPECT_LE(MaxDiff(aBlock.data(), aWhole, nAt, n), SAME_SAMPLE) << "after a seek to " << nAt;
        }
        EXPECT_FALSE(source.Seek(nFrames + 1));
        EXPECT_FALSE(source.Seek(-1));
    }
}

// A file whose parts have different sample rates cannot be played at one output rate (mpg123
// resamples from the rate it starts with only; it decoded such a file short): it is refused,
// with the rates named.
TEST_F(AudioLayer, AFileThatChangesItsSampleRateIsRefusedByName)
{
    const std::string path = rvTest::SourcePath("tests/data/joined-rate-change.mp3");
    std::vector<float> aSamples;
    EXPECT_EQ(rvAudioSDL::DecodeFile(path.c_str(), RATE, aSamples), rvAudio::Error_Format);
    testing::internal::CaptureStderr();
    EXPECT_EQ(_audio.StreamCreateFile(path.c_str(), 0), 0u);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("morvane: error: audio: cannot open \"" + path + "\": its sample rate changes from 22050 to 32000 Hz"),
              std::string::npos)
        << err;
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Format);
}

// The streams of the layer play those samples too, wherever the editor or the music reference
// put them, holding a lead-in and a few seconds, never the file.
TEST_F(AudioLayer, StreamsPlayTheSamplesOfAWholeDecodeWithoutHoldingIt)
{
    std::vector<float> aWhole;
    ASSERT_EQ(rvAudioSDL::DecodeFile(SweepPath().c_str(), RATE, aWhole), rvAudio::Error_None);
    const int64_t nFrames = int64_t(aWhole.size() / 2);
    const int64_t nMostHeld = int64_t((rvAudioSDL::LEAD_SECONDS + rvAudioSDL::RING_SECONDS) * RATE);
    ASSERT_GT(nFrames, 2 * nMostHeld) << "the fixture is longer than what a stream holds";

    rvAudio::Handle h = _audio.StreamCreateFile(SweepPath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(h, 0u);
    // In the lead-in, across its end into the ring, far ahead, back, and across the end of a
    // looping stream into its start.
    std::vector<float> aPeek;
    for (int64_t nAt : {int64_t(1000), RATE - 500, 5 * RATE + 17, 2 * RATE, nFrames - 300, int64_t(0)})
    {
        ASSERT_TRUE(_audio.SetPosition(h, nAt * 4)) << nAt;
        ASSERT_TRUE(_audio.PeekFrames(h, 1024, aPeek));
        EXPECT_LE(MaxDiff(aPeek.data(), aWhole, nAt, 1024), SAME_SAMPLE) << "after a seek to " << nAt;
        EXPECT_LE(_audio.DecodedFrames(h), nMostHeld);
    }

    // The decoder thread fills seconds ahead of a position by itself; what it wrote is exact too.
    ASSERT_TRUE(_audio.SetPosition(h, 3 * RATE * 4));
    const int64_t nAhead = int64_t(rvAudioSDL::LEAD_SECONDS * RATE + rvAudioSDL::AHEAD_SECONDS * RATE);
    for (int i = 0; i < 200 && _audio.DecodedFrames(h) < nAhead; ++i)
        SleepMs(10);
    EXPECT_GE(_audio.DecodedFrames(h), nAhead);
    EXPECT_LE(_audio.DecodedFrames(h), nMostHeld);
    const int64_t nInRing = 4 * RATE + 333;
    ASSERT_TRUE(_audio.SetPosition(h, nInRing * 4));
    ASSERT_TRUE(_audio.PeekFrames(h, 1024, aPeek));
    EXPECT_LE(MaxDiff(aPeek.data(), aWhole, nInRing, 1024), SAME_SAMPLE);

    // Played in real time from there, the position moves on and the samples stay exact.
    ASSERT_TRUE(_audio.Play(h, false));
    SleepMs(300);
    ASSERT_TRUE(_audio.Pause(h));
    SleepMs(60);
    const int64_t nPlayed = _audio.GetPosition(h) / 4;
    EXPECT_GT(nPlayed, nInRing);
    ASSERT_TRUE(_audio.PeekFrames(h, 1024, aPeek));
    EXPECT_LE(MaxDiff(aPeek.data(), aWhole, nPlayed, 1024), SAME_SAMPLE);
    EXPECT_LE(_audio.DecodedFrames(h), nMostHeld);
}

TEST_F(AudioLayer, MissingOrBrokenFilesAreErrorCodes)
{
    EXPECT_EQ(_audio.StreamCreateFile("Data/Audio/no-such-file.mp3", rvAudio::Flag_Loop), 0u);
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_FileOpen);

    rvTest::TempWorkDir dir;
    dir.WriteFile("not-music.mp3", std::string(4000, 'x'));
    EXPECT_EQ(_audio.StreamCreateFile("not-music.mp3", 0), 0u);
    EXPECT_EQ(_audio.LastError(), rvAudio::Error_Format);
    // 9 KB of free-format frame headers decode to minutes of music: more than any MP3 of that
    // size holds, refused at opening.
    EXPECT_EQ(_audio.StreamCreateFile(
                  rvTest::SourcePath("fuzz/regressions/mp3/free-format-frames-claim-minutes.mp3").c_str(), 0),
              0u);
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

// The clock follows the block being heard: the frames mixed last play out at the device's rate
// from the moment they were handed over.
TEST(AudioHeardFrame, MovesThroughTheLastMixedBlockAndStopsAtItsEnd)
{
    struct Case
    {
        const char* what;
        int64_t from, mixed;
        double elapsed;
        int64_t frames;
        bool loop;
        int64_t heard;
    };
    const Case cases[] = {
        {"just handed over", 1000, 1024, 0.0, 100000, false, 1000},
        {"half the block played", 1000, 1024, 512.0 / 44100.0, 100000, false, 1512},
        {"the block played out: waits at its end", 1000, 1024, 1.0, 100000, false, 2024},
        {"nothing mixed (a seek, a paused start)", 5000, 0, 0.5, 100000, false, 5000},
        {"a clock that went back counts nothing", 1000, 1024, -0.01, 100000, false, 1000},
        {"NaN elapsed counts nothing", 1000, 1024, std::nan(""), 100000, false, 1000},
        {"a looping stream wraps", 99500, 1024, 1.0, 100000, true, 524},
        {"a stream that stops stays at its end", 99500, 500, 1.0, 100000, false, 100000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rvAudioSDL::HeardFrame(c.from, c.mixed, c.elapsed, 44100, c.frames, c.loop), c.heard) << c.what;
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

// The main thread works the streams as the music effects and the editor do (seeks anywhere, pause,
// resume, restart, stop, readings, a stream freed and reopened) while the mixer and the decoder run
// on them: no reading ever shows a sample other than the whole decode's at that position, and every
// stream freed while the threads hold it goes without harm (a sanitized build shows a freed block
// touched or a race between the threads).
TEST_F(AudioLayer, StreamsStayExactWhileWorkedFromTheMainThread)
{
    std::vector<float> aWhole;
    ASSERT_EQ(rvAudioSDL::DecodeFile(SweepPath().c_str(), RATE, aWhole), rvAudio::Error_None);
    const int64_t nFrames = int64_t(aWhole.size() / 2);
    // A second stream plays beside the worked one all along: the threads always have work.
    rvAudio::Handle hOther = _audio.StreamCreateFile(TonePath().c_str(), rvAudio::Flag_Loop);
    ASSERT_NE(hOther, 0u);
    ASSERT_TRUE(_audio.Play(hOther, true));

    uint32_t nSeed = 12345;
    auto Next = [&nSeed](uint32_t n)
    {
        nSeed = nSeed * 1664525u + 1013904223u;
        return (nSeed >> 8) % n;
    };
    std::vector<float> aPeek;
    float aSpectrum[rvAudio::SPECTRUM_FLOATS];
    rvAudio::Handle h = 0;
    int nChecked = 0;
    const auto tEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
    for (int i = 0; i < 20000 && std::chrono::steady_clock::now() < tEnd; ++i)
    {
        if (!h || Next(64) == 0)
        {
            // Freed while playing (the mixer and the decoder may hold it), then opened again.
            if (h)
            {
                ASSERT_TRUE(_audio.StreamFree(h));
            }
            h = _audio.StreamCreateFile(SweepPath().c_str(), rvAudio::Flag_Loop);
            ASSERT_NE(h, 0u);
            ASSERT_TRUE(_audio.Play(h, false));
        }
        switch (Next(8))
        {
        case 0: // anywhere, the end and the lead-in's edge most of all
        {
            const int64_t aAt[] = {int64_t(Next(uint32_t(nFrames))), nFrames - 1 - int64_t(Next(2048)),
                                   RATE - 512 + int64_t(Next(1024))};
            ASSERT_TRUE(_audio.SetPosition(h, aAt[Next(3)] * 4));
            break;
        }
        case 1: _audio.Pause(h); break;
        case 2: ASSERT_TRUE(_audio.Play(h, Next(4) == 0)); break;
        case 3: ASSERT_TRUE(_audio.Stop(h)); break;
        case 4: _audio.GetLevel(h); break;
        case 5: _audio.GetSpectrum(h, aSpectrum); break;
        case 6: std::this_thread::yield(); break;
        default:
        {
            // Held still, the stream shows the whole decode's samples from its position on.
            ASSERT_TRUE(_audio.Pause(h) || _audio.LastError() == rvAudio::Error_NotPlaying);
            const int64_t nAt = _audio.GetPosition(h) / 4;
            ASSERT_TRUE(_audio.PeekFrames(h, 512, aPeek));
            ASSERT_LE(MaxDiff(aPeek.data(), aWhole, nAt % nFrames, 512), SAME_SAMPLE)
                << "at " << nAt << ", step " << i;
            ++nChecked;
            ASSERT_TRUE(_audio.Play(h, false));
            break;
        }
        }
    }
    EXPECT_GT(nChecked, 20);
    EXPECT_TRUE(_audio.StreamFree(hOther));
    // Freed with a stream still playing: the threads stop before the streams go.
    EXPECT_TRUE(_audio.Free());
}
