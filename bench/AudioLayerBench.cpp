// Per-frame cost of the audio layer's readings (levels twice, a spectrum) while music plays,
// and the one-off cost of decoding a stream. The silent driver runs the device.
#include "rvAudioSDL.h"
#include "TestSupport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

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
