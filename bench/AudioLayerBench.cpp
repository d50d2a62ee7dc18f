// Per-frame cost of the audio layer's readings (levels twice, a spectrum) while music plays,
// and the one-off cost of decoding a stream. The silent driver runs the device.
#include "rvAudioSDL.h"
#include "TestSupport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

namespace
{
struct PlayingTone
{
    PlayingTone()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        audio.Init(-1, 44100);
        h = audio.StreamCreateFile(rvTest::SourcePath("tests/data/tone440.mp3").c_str(), rvAudio::Flag_Loop);
        audio.Play(h, true);
    }
    ~PlayingTone() { audio.Free(); }
    rvAudioSDL audio;
    rvAudio::Handle h = 0;
};
} // namespace

static void BM_AudioLevelAndSpectrumPerFrame(benchmark::State& state)
{
    PlayingTone tone;
    float aSpectrum[rvAudio::SPECTRUM_FLOATS];
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(tone.audio.GetLevel(tone.h));
        benchmark::DoNotOptimize(tone.audio.GetLevel(tone.h));
        benchmark::DoNotOptimize(tone.audio.GetSpectrum(tone.h, aSpectrum));
    }
}
BENCHMARK(BM_AudioLevelAndSpectrumPerFrame);

// Decoding the 1.5 s fixture whole (the demo's 3-minute music scales with its length).
static void BM_AudioDecodeFixture(benchmark::State& state)
{
    const std::string sPath = rvTest::SourcePath("tests/data/tone440.mp3");
    std::vector<float> aSamples;
    for (auto _ : state)
        benchmark::DoNotOptimize(rvAudioSDL::DecodeFile(sPath.c_str(), 44100, aSamples));
}
BENCHMARK(BM_AudioDecodeFixture)->Unit(benchmark::kMillisecond);

// Opening the demo's music as a stream (its frame headers read, the lead-in decoded) against
// decoding it whole, which is what opening did before streams decoded as they play.
static void BM_AudioOpenDemoMusicStream(benchmark::State& state)
{
    const std::string sPath = rvTest::SourcePath("Data/Audio/Morvane.mp3");
    if (access(sPath.c_str(), R_OK) != 0)
    {
        state.SkipWithError("Data/Audio/Morvane.mp3 is made by tools/build.sh");
        return;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    rvAudioSDL audio;
    audio.Init(-1, 44100);
    for (auto _ : state)
    {
        const rvAudio::Handle h = audio.StreamCreateFile(sPath.c_str(), rvAudio::Flag_Loop);
        benchmark::DoNotOptimize(h);
        audio.StreamFree(h);
    }
    audio.Free();
}
BENCHMARK(BM_AudioOpenDemoMusicStream)->Unit(benchmark::kMillisecond);

static void BM_AudioDecodeDemoMusicWhole(benchmark::State& state)
{
    const std::string sPath = rvTest::SourcePath("Data/Audio/Morvane.mp3");
    if (access(sPath.c_str(), R_OK) != 0)
    {
        state.SkipWithError("Data/Audio/Morvane.mp3 is made by tools/build.sh");
        return;
    }
    std::vector<float> aSamples;
    for (auto _ : state)
        benchmark::DoNotOptimize(rvAudioSDL::DecodeFile(sPath.c_str(), 44100, aSamples));
}
BENCHMARK(BM_AudioDecodeDemoMusicWhole)->Unit(benchmark::kMillisecond)->Iterations(3);
