#include "effects/fxLiveSpec/fxLiveSpec.h"

#include "Display/rvBufferDisplay.h"
#include "Factory/rvEditorHook.h"
#include "effects/fxMusic/fxMusic.h"
#include "rvAssert.h"
#include "rvAudio.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/glm.hpp>

namespace
{
// Said once per process, not once per frame or per effect.
bool s_bToldNoCapture = false;
bool s_bToldFileFailed = false;

// A segment of length L from P towards F, as its own strip.
void Bar(vector_display* pDisplay, glm::vec2 P, glm::vec2 F, float L)
{
    const glm::vec2 d = F - P;
    const float len = glm::length(d);
    const glm::vec2 E = len > 0.0f ? P + d * (L / len) : P;
    vector_display_strip_begin(pDisplay, P.x, P.y, 0.0f);
    vector_display_strip_to(pDisplay, E.x, E.y, 0.0f);
    vector_display_strip_end(pDisplay);
}
} // namespace

fxLiveSpec::fxLiveSpec(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _bWindowOpen(false), _nSilentFrames(0), _hRecord(0), _hFile(0), _hActive(0),
      _nPeakMaxLeft(0), _nPeakMaxRight(0), _nPeakMinLeft(32767), _nPeakMinRight(32767), _nLevelLeft(0),
      _nLevelRight(0), _nThreshold(1000), _pFFT(nullptr), _nScale(412), _nCapLeft(1087), _nCapRight(652),
      _bMusicFallback(false)
{
}

fxLiveSpec::~fxLiveSpec()
{
    delete[] _pFFT; // released at Kill; here only if the effect never got there
}

void fxLiveSpec::ResetPeaks()
{
    _nPeakMaxLeft = _nPeakMaxRight = 0;
    _nPeakMinLeft = _nPeakMinRight = 32767;
}

void fxLiveSpec::Init()
{
    _bWindowOpen = true;
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    const rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    if (pBuffer->_nWidth > 0 && pBuffer->_nHeight > 0)
    {
        delete[] _pFFT;
        _pFFT = new float[FFT_FLOATS]();
        StartRecording();
    }
}

void fxLiveSpec::StartRecording()
{
    rvAudio& audio = rvAudio::Get();
    _bMusicFallback = false;
    if (_hRecord)
    {
        _hActive = _hRecord; // capturing already
        return;
    }
    // The layer has one capture. While another effect holds it (Error_Already) it stays theirs:
    // this effect shows the music and closes nothing.
    const bool bInit = audio.RecordInit(-1);
    if (bInit) _hRecord = audio.RecordStart(44100, 2);
    // The silent stand-in driver captures nothing but silence: that is no capture device.
    if (_hRecord && std::strcmp(audio.OutputDriver(), "dummy") == 0)
    {
        audio.RecordFree();
        _hRecord = 0;
    }
    if (_hRecord)
    {
        ResetPeaks();
        _hActive = _hRecord;
        _sMessage.clear();
        return;
    }
    if (bInit) audio.RecordFree();
    _bMusicFallback = true;
    _sMessage = "No capture device: showing the spectrum of the music.";
    if (!s_bToldNoCapture)
    {
        rvReport(rvMessageKind::Warning, "fxLiveSpec: no capture device, showing the spectrum of the music");
        s_bToldNoCapture = true;
    }
}

void fxLiveSpec::Kill()
{
    rvAudio& audio = rvAudio::Get();
    if (_hRecord)
    {
        audio.RecordFree();
        _hRecord = 0;
    }
    // Only the effect's own stream goes: the output device (and the music on it) stays open.
    if (_hFile)
    {
        audio.StreamFree(_hFile);
        _hFile = 0;
    }
    _hActive = 0;
    _bMusicFallback = false;
    delete[] _pFFT;
    _pFFT = nullptr;
}

void fxLiveSpec::PlayFile()
{
    rvAudio& audio = rvAudio::Get();
    if (_hRecord)
    {
        audio.RecordFree();
        if (_hActive == _hRecord) _hActive = 0;
        _hRecord = 0;
    }
    audio.Init(-1, 44100); // opens the output unless it is open already (the music's)
    // A second click replaces the stream it started before instead of leaving it playing.
    if (_hFile)
    {
        audio.StreamFree(_hFile);
        if (_hActive == _hFile) _hActive = 0;
        _hFile = 0;
    }
    _hFile = audio.StreamCreateFile(PLAY_FILE, rvAudio::Flag_Loop);
    if (!_hFile)
    {
        char szMessage[256];
        std::snprintf(szMessage, sizeof(szMessage), "Can't play file %s (error code: %d)", PLAY_FILE,
                      audio.LastError());
        _sMessage = szMessage;
        // Shown in the window at every try, said on stderr once.
        if (!s_bToldFileFailed) rvReport(rvMessageKind::Error, "fxLiveSpec: %s", szMessage);
        s_bToldFileFailed = true;
        return;
    }
    _sMessage.clear();
    ResetPeaks();
    audio.Play(_hFile, false);
    _hActive = _hFile;
    _bMusicFallback = false;
}

void fxLiveSpec::PlayRecord()
{
    if (_hFile)
    {
        rvAudio::Get().StreamFree(_hFile);
        if (_hActive == _hFile) _hActive = 0;
        _hFile = 0;
    }
    StartRecording();
}

void fxLiveSpec::LineRender()
{
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pDisplay);
    pDisplay->settings.color_brightness = 0.0f;
    pDisplay->settings.decay_final = 1.0f;
}

void fxLiveSpec::CathodicRender()
{
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pDisplay);
    pDisplay->settings.color_brightness = 1.0f;
    pDisplay->settings.decay_final = 0.2f;
}

uint32_t fxLiveSpec::Source() const
{
    if (_hRecord || _hFile) return _hActive;
    return _bMusicFallback ? fxMusic::_hMusicChannel : 0;
}

float fxLiveSpec::BarLength(float fMagnitude, int nFactor, int nScale, int nCap)
{
    const float m = std::isfinite(fMagnitude) ? std::max(fMagnitude, 0.0f) : 0.0f;
    return std::max(0.5f, std::min(float(nCap), float(nFactor) * float(nScale) * std::sqrt(m) - 4.0f));
}

void fxLiveSpec::ReadLevels(uint32_t hSource)
{
    rvAudio& audio = rvAudio::Get();
    _nLevelLeft = hSource ? audio.GetLevel(hSource) & 0xFFFFu : 0;
    _nLevelRight = hSource ? audio.GetLevel(hSource) >> 16 : 0;
    if (_nLevelLeft)
    {
        _nPeakMaxLeft = std::max(_nPeakMaxLeft, _nLevelLeft);
        _nPeakMinLeft = std::min(_nPeakMinLeft, _nLevelLeft);
    }
    if (_nLevelRight)
    {
        _nPeakMaxRight = std::max(_nPeakMaxRight, _nLevelRight);
        _nPeakMinRight = std::min(_nPeakMinRight, _nLevelRight);
    }
}

void fxLiveSpec::DrawBars(float Hb)
{
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    const glm::vec2 F(512.0f, Hb / 2.0f);
    // Left channel: bars rising from y = 0, darkening with frequency, mirrored about x = 512.
    for (int i = 0; i < BINS - 1; ++i)
    {
        const float L = BarLength(_pFFT[2 * i + 2], 5, _nScale, _nCapLeft);
        const float f = float(i) / 512.0f;
        vector_display_set_rgb(pDisplay, std::max(0.0f, 0.9f - f), std::max(0.0f, 0.2f - f),
                               std::max(0.0f, 0.5f - f));
        Bar(pDisplay, glm::vec2(4.0f * float(i) - 512.0f, 0.0f), F, L);
        Bar(pDisplay, glm::vec2(1536.0f - 4.0f * float(i), 0.0f), F, L);
    }
    // Right channel: bars hanging from the top edge.
    vector_display_set_rgb(pDisplay, 0.0f, 0.1f, 0.5f);
    for (int j = 0; j < BINS - 1; ++j)
    {
        const float L = BarLength(_pFFT[2 * j + 3], 4, _nScale, _nCapRight);
        Bar(pDisplay, glm::vec2(1024.0f - float(j), Hb), F, L);
        Bar(pDisplay, glm::vec2(float(j), Hb), F, L);
    }
}

void fxLiveSpec::DetectQuiet(float W, float Hb)
{
    if (!_hRecord)
    {
        _nSilentFrames = 0;
        return;
    }
    const uint32_t nLevel = rvAudio::Get().GetLevel(_hActive) & 0xFFFFu;
    if (int(nLevel) >= _nThreshold) return; // loud frames do not restart the count
    _nSilentFrames += 1;
    if (_nSilentFrames > 40 && (_nSilentFrames & 16))
        vector_display_draw_string(rvSceneDisplay::_pCurrentDisplay, W / 4.0f, Hb / 4.0f, NOISE_TEXT, 1.0f);
}

void fxLiveSpec::Render()
{
    const uint32_t hSource = Source();
    ReadLevels(hSource);
    rvEditorHook<&fxLiveSpec::Render>::Call(*this); // the "Live Spectr" window (fxLiveSpecEditor.cpp)

    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(pBuffer);
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pDisplay);
    const float Hb = float(pBuffer->_nHeight);
    vector_display_set_rgb(pDisplay, 1.0f, 1.0f, 1.0f);
    // No block (the buffer had no size at Init): no spectrum is read or drawn.
    if (!_pFFT) return;
    // Nothing to listen to gives a flat line: every bar at its shortest.
    if (!hSource || rvAudio::Get().GetSpectrum(hSource, _pFFT) < 0)
        std::fill(_pFFT, _pFFT + FFT_FLOATS, 0.0f);
    DrawBars(Hb);
    DetectQuiet(float(pBuffer->_nWidth), Hb);
}

fxBase* fxLiveSpec::Create(fxDescriptor* pDescriptor)
{
    return new fxLiveSpec(pDescriptor);
}
