#pragma once
// An audio bench on the vector display: the two channels' levels and 512-bin spectra, read every
// frame from the audio layer, drawn as two fans of short bars converging on one point (left
// channel rising from the bottom edge of the render buffer, right channel hanging from the top).
// The sound comes from the capture device; where there is none (or only the silent stand-in
// driver), from the music the timeline plays. While capturing, a long quiet spell makes
// "Make some noise !!!!!!" blink. The editor window "Live Spectr" (fxLiveSpecEditor.cpp, built
// from Render) shows levels, four sliders, the choice between file and capture and two looks.
//
// The effect never closes the shared output device and never stops a stream it did not open:
// the timeline's music plays on whatever the effect does.
#include "Factory/fxBase.h"

#include <cstdint>
#include <string>

class fxLiveSpec : public fxBase
{
public:
    static constexpr int FFT_FLOATS = 2048; // the spectrum block: 8192 bytes
    static constexpr int BINS = 512;        // per channel, interleaved left/right
    static constexpr const char* PLAY_FILE = "Data/Audio/Morvane.mp3";
    static constexpr const char* NOISE_TEXT = "Make some noise !!!!!!";

    explicit fxLiveSpec(fxDescriptor* pDescriptor);
    ~fxLiveSpec() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Opens the default capture device; without one the music is shown instead.
    void StartRecording();
    // The window's actions.
    void PlayFile();
    void PlayRecord();
    void LineRender();
    void CathodicRender();
    // The channel read this frame: the capture or the played file, else the timeline's music
    // when there is no capture device, else 0.
    uint32_t Source() const;
    // Length of a bar from a magnitude: at least 0.5, at most the cap.
    static float BarLength(float fMagnitude, int nFactor, int nScale, int nCap);

    // The class has no attributes of its own; the Factory makes its descriptor.
    static fxBase* Create(fxDescriptor* pDescriptor);

    bool _bWindowOpen;
    int _nSilentFrames;
    uint32_t _hRecord;
    uint32_t _hFile;
    uint32_t _hActive;
    uint32_t _nPeakMaxLeft, _nPeakMaxRight;
    uint32_t _nPeakMinLeft, _nPeakMinRight;
    uint32_t _nLevelLeft, _nLevelRight;
    int _nThreshold;
    float* _pFFT;
    int _nScale;
    int _nCapLeft;
    int _nCapRight;
    bool _bMusicFallback; // no capture device: the music is shown
    // What went wrong with the source last chosen, shown in the "Live Spectr" window (empty: nothing).
    std::string _sMessage;

private:
    void ResetPeaks();
    void ReadLevels(uint32_t hSource);
    void DrawBars(float fHeight);
    void DetectQuiet(float fWidth, float fHeight);
};
