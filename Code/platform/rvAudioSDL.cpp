#include "rvAudioSDL.h"
#include "rvMessage.h"

#include <kiss_fftr.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace
{
constexpr int FFT_SIZE = 1024;
constexpr int FFT_BINS = FFT_SIZE / 2;
constexpr int BYTES_PER_FRAME = 4; // positions count 16-bit stereo frames

} // namespace

rvAudioSDL::rvAudioSDL()
{
    _pFFT = kiss_fftr_alloc(FFT_SIZE, 0, nullptr, nullptr);
}

rvAudioSDL::~rvAudioSDL()
{
    RecordFree();
    Free();
    kiss_fftr_free(_pFFT);
}

bool rvAudioSDL::Fail(int nError, const char* sFormat, ...)
{
    _nError = nError;
    if (sFormat)
    {
        char sText[512];
        va_list args;
        va_start(args, sFormat);
        std::vsnprintf(sText, sizeof(sText), sFormat, args);
        va_end(args);
        rvReport(rvMessageKind::Error, "audio: %s", sText);
    }
    return false;
}

namespace
{
// ALSA's library writes its own lines on stderr ("ALSA lib confmisc.c:855:(parse_card) cannot
// find card '0'", eight of them on a machine without a sound card) while SDL tries it; SDL's
// own error, reported once by the fallback, says what matters. SDL loads libasound at run
// time, so its error handler is set through the same library, loaded here (and kept).
extern "C" void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa()
{
    static const bool s_bDone = [] {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        void* library = dlopen("libasound.so.2", RTLD_NOW);
        if (!library) return true; // no ALSA: nothing will be written
        using SetHandler = int (*)(Handler);
        if (auto set = reinterpret_cast<SetHandler>(dlsym(library, "snd_lib_error_set_handler")))
            set(&SilentAlsaError);
        return true;
    }();
    (void)s_bDone;
}
} // namespace

bool rvAudioSDL::StartSubsystem(bool bDummy)
{
    if (_bSubsystem)
    {
        if (!bDummy || _sDriver == "dummy") return true;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        _bSubsystem = false;
    }
    // Over SDL_AUDIODRIVER too: the named driver is the one that failed.
    if (bDummy) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    // SDL would otherwise take SIGINT and SIGTERM for a quit event that nothing here reads, and
    // Ctrl+C would be lost; the player installs its own handlers (rvStop) before this.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SilenceAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        if (bDummy) return Fail(Error_Driver, "no audio driver: %s", SDL_GetError());
        rvReport(rvMessageKind::Warning, "audio: no audio driver (%s); using the silent \"dummy\" driver\n",
                 SDL_GetError());
        return StartSubsystem(true);
    }
    _bSubsystem = true;
    const char* sDriver = SDL_GetCurrentAudioDriver();
    _sDriver = sDriver ? sDriver : "";
    return true;
}

void rvAudioSDL::StopSubsystemIfUnused()
{
    if (_bSubsystem && !_nDevice && !_nCaptureDevice && !_bRecordInit)
    {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        _bSubsystem = false;
        _sDriver.clear();
    }
}

bool rvAudioSDL::Init(int nDevice, int nFrequency)
{
    if (_nDevice) return Fail(Error_Already, nullptr);
    if (nDevice != -1 || nFrequency <= 0)
        return Fail(Error_Illegal, "Init: only the default device (-1) and a positive rate are supported");
    if (!StartSubsystem(false)) return false;

    SDL_AudioSpec want{}, have{};
    want.freq = nFrequency;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &rvAudioSDL::MixCallback;
    want.userdata = this;
    _nFrequency = nFrequency;
    _nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!_nDevice && _sDriver != "dummy")
    {
        rvReport(rvMessageKind::Warning,
                 "audio: cannot open the \"%s\" output device (%s); using the silent \"dummy\" driver\n",
                 _sDriver.c_str(), SDL_GetError());
        if (_nCaptureDevice) return Fail(Error_Device, "the capture device is open: not switching drivers");
        if (StartSubsystem(true)) _nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    }
    if (!_nDevice)
    {
        Fail(Error_Device, "cannot open an output device: %s", SDL_GetError());
        StopSubsystemIfUnused();
        return false;
    }
    StartDecoder();
    SDL_PauseAudioDevice(_nDevice, 0);
    _nError = Error_None;
    return true;
}

bool rvAudioSDL::Free()
{
    if (!_nDevice) return Fail(Error_NotInit, nullptr);
    // Closing waits for the callback thread, which takes the mutex: close first, then clear.
    SDL_CloseAudioDevice(_nDevice);
    _nDevice = 0;
    StopDecoder();
    std::map<Handle, StreamPtr> aDead; // released outside the lock
    {
        std::lock_guard<std::mutex> lock(_mutex);
        aDead.swap(_aStreams);
    }
    StopSubsystemIfUnused();
    _nError = Error_None;
    return true;
}

int rvAudioSDL::DecodeFile(const char* sPath, int nRate, std::vector<float>& aSamples)
{
    aSamples.clear();
    rvMp3Source source;
    const int nResult = source.Open(sPath, nRate);
    if (nResult != Error_None) return nResult;
    aSamples.resize(size_t(source.Frames()) * 2);
    const int64_t nRead = source.Read(aSamples.data(), source.Frames());
    // A damaged tail: keep what was decoded.
    aSamples.resize(size_t(nRead) * 2);
    return nRead > 0 ? Error_None : Error_Format;
}

const float* rvAudioSDL::Stream::FrameAt(int64_t f) const
{
    if (f >= 0 && f < _nLead) return &_aLead[size_t(f) * 2];
    if (f >= _nRingStart && f < _nRingEnd) return &_aRing[size_t(f % _nRingFrames) * 2];
    return nullptr;
}

rvAudio::Handle rvAudioSDL::StreamCreateFile(const char* sPath, uint32_t nFlags)
{
    if (!_nDevice)
    {
        Fail(Error_NotInit, "cannot open \"%s\": the output is not initialised", sPath ? sPath : "");
        return 0;
    }
    if (!sPath)
    {
        Fail(Error_Illegal, "cannot open a stream without a path");
        return 0;
    }
    auto pStream = std::make_shared<Stream>();
    Stream& s = *pStream;
    int nError = s._source.Open(sPath, _nFrequency);
    if (nError == Error_None)
    {
        // The lead-in: decoded now and kept, so that playback starts at once.
        s._nFrames = s._source.Frames();
        s._nLead = std::min(s._nFrames, int64_t(LEAD_SECONDS * _nFrequency));
        s._aLead.assign(size_t(s._nLead) * 2, 0.f);
        if (s._source.Read(s._aLead.data(), s._nLead) <= 0) nError = Error_Format;
    }
    if (nError != Error_None)
    {
        Fail(nError, "cannot open \"%s\": %s", sPath,
             nError == Error_FileOpen ? "file not found or not readable"
             : *s._source.Why()       ? s._source.Why()
                                      : "not a readable MP3 file");
        return 0;
    }
    s._nRingFrames = int64_t(RING_SECONDS * _nFrequency);
    s._aRing.assign(size_t(s._nRingFrames) * 2, 0.f);
    s._nRingStart = s._nRingEnd = s._nLead;
    s._bLoop = (nFlags & Flag_Loop) != 0;

    std::lock_guard<std::mutex> lock(_mutex);
    do
        ++_nLastHandle;
    while (_nLastHandle == 0 || _aStreams.count(_nLastHandle) || _nLastHandle == _hRecord);
    _aStreams[_nLastHandle] = std::move(pStream);
    _decodeWake.notify_one();
    _nError = Error_None;
    return _nLastHandle;
}

rvAudioSDL::Stream* rvAudioSDL::FindStream(Handle h)
{
    auto it = _aStreams.find(h);
    return it == _aStreams.end() ? nullptr : it->second.get();
}

rvAudioSDL::StreamPtr rvAudioSDL::FindShared(Handle h)
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _aStreams.find(h);
    return it == _aStreams.end() ? nullptr : it->second;
}

bool rvAudioSDL::DecodeStep(Stream& s, int64_t nAhead)
{
    int64_t nFrom = 0, nCount = 0;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        const int64_t nStart = std::max(s._nPos, s._nLead);
        if (nStart >= s._nFrames) return false;
        // A seek or a loop left the ring behind: it starts again at the position.
        if (nStart < s._nRingStart || nStart > s._nRingEnd) s._nRingStart = s._nRingEnd = nStart;
        // Never more than the ring holds past the position: no frame still to play is overwritten.
        const int64_t nEnd = std::min(s._nFrames, nStart + std::min(nAhead, s._nRingFrames));
        if (s._nRingEnd >= nEnd) return false;
        nFrom = s._nRingEnd;
        nCount = std::min(nEnd - nFrom, int64_t(_nFrequency / 4));
    }
    s._aChunk.resize(size_t(nCount) * 2);
    int64_t nRead = 0;
    if (s._source.Position() == nFrom || s._source.Seek(nFrom)) nRead = s._source.Read(s._aChunk.data(), nCount);
    // What a damaged file does not give plays as silence, up to the length it announced.
    std::fill(s._aChunk.begin() + nRead * 2, s._aChunk.end(), 0.f);

    std::lock_guard<std::mutex> lock(_mutex);
    for (int64_t i = 0; i < nCount; ++i)
    {
        const size_t nSlot = size_t((nFrom + i) % s._nRingFrames) * 2;
        s._aRing[nSlot] = s._aChunk[size_t(i) * 2];
        s._aRing[nSlot + 1] = s._aChunk[size_t(i) * 2 + 1];
    }
    s._nRingEnd = nFrom + nCount;
    s._nRingStart = std::max(s._nRingStart, s._nRingEnd - s._nRingFrames);
    return true;
}

void rvAudioSDL::DecodeNow(Stream& s, int64_t nFrames)
{
    // Caller holds s._decodeMutex.
    while (DecodeStep(s, nFrames))
    {
    }
}

void rvAudioSDL::StartDecoder()
{
    if (_decoder.joinable()) return;
    _bDecoderQuit = false;
    _decoder = std::thread(&rvAudioSDL::DecoderLoop, this);
}

void rvAudioSDL::StopDecoder()
{
    if (!_decoder.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _bDecoderQuit = true;
    }
    _decodeWake.notify_all();
    _decoder.join();
}

void rvAudioSDL::DecoderLoop()
{
    const int64_t nAhead = int64_t(AHEAD_SECONDS * _nFrequency);
    std::vector<StreamPtr> aStreams;
    std::unique_lock<std::mutex> lock(_mutex);
    while (!_bDecoderQuit)
    {
        for (auto& entry : _aStreams)
            aStreams.push_back(entry.second);
        lock.unlock();
        // One chunk per stream per round: every stream keeps up.
        bool bBusy = false;
        for (const StreamPtr& pStream : aStreams)
        {
            std::lock_guard<std::mutex> decodeLock(pStream->_decodeMutex);
            bBusy |= DecodeStep(*pStream, nAhead);
        }
        aStreams.clear(); // a stream freed meanwhile ends here, outside the layer's mutex
        lock.lock();
        if (!bBusy && !_bDecoderQuit) _decodeWake.wait_for(lock, std::chrono::milliseconds(20));
    }
}

int64_t rvAudioSDL::DecodedFrames(Handle h)
{
    std::lock_guard<std::mutex> lock(_mutex);
    Stream* pStream = FindStream(h);
    if (!pStream) return -1;
    return pStream->_nLead + pStream->_nRingEnd - pStream->_nRingStart;
}

bool rvAudioSDL::StreamFree(Handle h)
{
    StreamPtr pDead; // released outside the lock
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _aStreams.find(h);
    if (it == _aStreams.end()) return Fail(Error_Handle, nullptr);
    pDead = std::move(it->second);
    _aStreams.erase(it);
    _nError = Error_None;
    return true;
}

bool rvAudioSDL::Play(Handle h, bool bRestart)
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (h != 0 && h == _hRecord) return (_nError = Error_None), true; // capture runs from RecordStart on
    Stream* pStream = FindStream(h);
    if (!pStream) return Fail(Error_Handle, nullptr);
    if (bRestart || pStream->_nPos >= pStream->_nFrames) pStream->_nPos = 0;
    if (pStream->_eState != Channel_Playing)
    {
        pStream->_nMixFrom = pStream->_nPos;
        pStream->_nMixFrames = 0;
    }
    pStream->_eState = Channel_Playing;
    _decodeWake.notify_one();
    _nError = Error_None;
    return true;
}

bool rvAudioSDL::Pause(Handle h)
{
    std::lock_guard<std::mutex> lock(_mutex);
    Stream* pStream = FindStream(h);
    if (!pStream) return Fail(Error_Handle, nullptr);
    if (pStream->_eState == Channel_Stopped) return Fail(Error_NotPlaying, nullptr);
    pStream->_eState = Channel_Paused;
    _nError = Error_None;
    return true;
}

bool rvAudioSDL::Stop(Handle h)
{
    std::lock_guard<std::mutex> lock(_mutex);
    Stream* pStream = FindStream(h);
    if (!pStream) return Fail(Error_Handle, nullptr);
    pStream->_eState = Channel_Stopped;
    _nError = Error_None;
    return true;
}

int64_t rvAudioSDL::SecondsToBytes(Handle h, double fSeconds)
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (!FindStream(h)) return Fail(Error_Handle, nullptr), -1;
    if (!(fSeconds > 0.)) return 0;
    _nError = Error_None;
    return int64_t(std::llround(fSeconds * _nFrequency)) * BYTES_PER_FRAME;
}

bool rvAudioSDL::SetPosition(Handle h, int64_t nBytes)
{
    StreamPtr pStream = FindShared(h);
    if (!pStream) return Fail(Error_Handle, nullptr);
    std::lock_guard<std::mutex> decodeLock(pStream->_decodeMutex);
    {
        std::lock_guard<std::mutex> lock(_mutex);
        int64_t nFrame = nBytes / BYTES_PER_FRAME;
        if (nBytes < 0 || nFrame >= pStream->_nFrames) return Fail(Error_Position, nullptr);
        pStream->_nPos = nFrame;
        pStream->_nMixFrom = nFrame;
        pStream->_nMixFrames = 0;
    }
    // A short stretch at the target now: the next readings and blocks play without waiting.
    DecodeNow(*pStream, int64_t(FFT_SIZE) + _nFrequency / 10);
    _decodeWake.notify_one();
    _nError = Error_None;
    return true;
}

bool rvAudioSDL::SetAttribute(Handle h, Attrib eAttrib, float fValue)
{
    std::lock_guard<std::mutex> lock(_mutex);
    Stream* pStream = FindStream(h);
    if (!pStream) return Fail(Error_Handle, nullptr);
    if (!(fValue >= 0.f)) // NaN too
        fValue = 0.f;
    fValue = std::min(fValue, 1.f);
    if (eAttrib == Attrib_ChannelVolume)
        pStream->_fChannelVolume = fValue;
    else if (eAttrib == Attrib_GlobalVolume)
        pStream->_fGlobalVolume = fValue;
    else
        return Fail(Error_Illegal, nullptr);
    _nError = Error_None;
    return true;
}

bool rvAudioSDL::ReadWindow(Handle h, int64_t nFrames, std::vector<float>& aOut, bool& bPlaying, float& fGain)
{
    aOut.assign(size_t(nFrames) * 2, 0.f);
    if (h != 0 && h == _hRecord && _pCapture)
    {
        // The latest captured frames, oldest first.
        const Capture& c = *_pCapture;
        int64_t nAvail = std::min(c._nWritten, std::min(nFrames, Capture::RING_FRAMES));
        int64_t nFirst = c._nWritten - nAvail;
        for (int64_t i = 0; i < nAvail; ++i)
        {
            int64_t nSlot = (nFirst + i) % Capture::RING_FRAMES;
            aOut[size_t(nFrames - nAvail + i) * 2] = c._aRing[size_t(nSlot) * 2];
            aOut[size_t(nFrames - nAvail + i) * 2 + 1] = c._aRing[size_t(nSlot) * 2 + 1];
        }
        bPlaying = true;
        fGain = 1.f;
        return true;
    }
    Stream* pStream = FindStream(h);
    if (!pStream) return false;
    bPlaying = pStream->_eState == Channel_Playing;
    fGain = pStream->_fChannelVolume * pStream->_fGlobalVolume;
    int64_t nPos = pStream->_nPos;
    for (int64_t i = 0; i < nFrames; ++i, ++nPos)
    {
        if (nPos >= pStream->_nFrames)
        {
            if (!pStream->_bLoop) break;
            nPos = 0;
        }
        const float* pFrame = pStream->FrameAt(nPos);
        if (!pFrame) break;
        aOut[size_t(i) * 2] = pFrame[0];
        aOut[size_t(i) * 2 + 1] = pFrame[1];
    }
    return true;
}

void rvAudioSDL::EnsureDecoded(Handle h, int64_t nFrames)
{
    StreamPtr pStream = FindShared(h);
    if (!pStream) return;
    {
        // Usually there: the decoder thread keeps seconds ahead.
        std::lock_guard<std::mutex> lock(_mutex);
        const Stream& s = *pStream;
        const int64_t nLast = std::min(s._nPos + nFrames, s._nFrames) - 1;
        if (s._nPos >= s._nFrames || (s.FrameAt(s._nPos) && s.FrameAt(nLast))) return;
    }
    std::lock_guard<std::mutex> decodeLock(pStream->_decodeMutex);
    DecodeNow(*pStream, nFrames);
}

bool rvAudioSDL::PeekFrames(Handle h, int64_t nFrames, std::vector<float>& aOut)
{
    EnsureDecoded(h, nFrames);
    bool bPlaying = false;
    float fGain = 1.f;
    std::lock_guard<std::mutex> lock(_mutex);
    return ReadWindow(h, nFrames, aOut, bPlaying, fGain);
}

uint32_t rvAudioSDL::GetLevel(Handle h)
{
    std::vector<float> aWindow;
    bool bPlaying = false;
    float fGain = 1.f;
    const int64_t nFrames = std::max<int64_t>(1, _nFrequency / 50); // 20 ms
    EnsureDecoded(h, nFrames);
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (!ReadWindow(h, nFrames, aWindow, bPlaying, fGain)) return Fail(Error_Handle, nullptr), 0;
    }
    if (!bPlaying) return Fail(Error_NotPlaying, nullptr), 0;
    float fPeak[2] = {0.f, 0.f};
    for (size_t i = 0; i < aWindow.size(); ++i)
        fPeak[i & 1] = std::max(fPeak[i & 1], std::fabs(aWindow[i]));
    uint32_t nLevel[2];
    for (int c = 0; c < 2; ++c)
        nLevel[c] = uint32_t(std::lround(std::min(1.f, fPeak[c] * fGain) * 32768.f));
    _nError = Error_None;
    return nLevel[0] | (nLevel[1] << 16);
}

int rvAudioSDL::GetSpectrum(Handle h, float* pOut)
{
    if (!pOut) return Fail(Error_Illegal, nullptr), -1;
    std::fill(pOut, pOut + SPECTRUM_FLOATS, 0.f);
    std::vector<float> aWindow;
    bool bPlaying = false;
    float fGain = 1.f;
    bool bStopped = false;
    EnsureDecoded(h, FFT_SIZE);
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (!ReadWindow(h, FFT_SIZE, aWindow, bPlaying, fGain)) return Fail(Error_Handle, nullptr), -1;
        Stream* pStream = FindStream(h);
        bStopped = pStream && pStream->_eState == Channel_Stopped;
    }
    if (bStopped) return Fail(Error_NotPlaying, nullptr), -1;

    static const std::vector<float> s_aHann = []
    {
        std::vector<float> a(FFT_SIZE);
        for (int i = 0; i < FFT_SIZE; ++i)
            a[size_t(i)] = 0.5f - 0.5f * std::cos(2.f * float(M_PI) * float(i) / float(FFT_SIZE));
        return a;
    }();
    std::vector<kiss_fft_scalar> aIn(FFT_SIZE);
    std::vector<kiss_fft_cpx> aBins(FFT_BINS + 1);
    const float fScale = 2.f / float(FFT_SIZE) * fGain;
    for (int c = 0; c < 2; ++c)
    {
        for (int i = 0; i < FFT_SIZE; ++i)
            aIn[size_t(i)] = aWindow[size_t(i) * 2 + size_t(c)] * s_aHann[size_t(i)];
        kiss_fftr(_pFFT, aIn.data(), aBins.data());
        for (int k = 0; k < FFT_BINS; ++k)
            pOut[2 * k + c] =
                std::sqrt(aBins[size_t(k)].r * aBins[size_t(k)].r + aBins[size_t(k)].i * aBins[size_t(k)].i) *
                fScale;
    }
    _nError = Error_None;
    return SPECTRUM_FLOATS;
}

bool rvAudioSDL::RecordInit(int nDevice)
{
    if (_bRecordInit) return Fail(Error_Already, nullptr);
    if (nDevice != -1) return Fail(Error_Illegal, "RecordInit: only the default device (-1) is supported");
    if (!StartSubsystem(false)) return false;
    _bRecordInit = true;
    _nError = Error_None;
    return true;
}

rvAudio::Handle rvAudioSDL::RecordStart(int nFrequency, int nChannels)
{
    if (!_bRecordInit) return Fail(Error_NotInit, "RecordStart: capture is not initialised"), 0;
    if (_nCaptureDevice) return Fail(Error_Already, nullptr), 0;
    if (nFrequency <= 0 || nChannels < 1 || nChannels > 2)
        return Fail(Error_Illegal, "RecordStart: unsupported format"), 0;
    SDL_AudioSpec want{}, have{};
    want.freq = nFrequency;
    want.format = AUDIO_F32SYS;
    want.channels = Uint8(nChannels);
    want.samples = 1024;
    want.callback = &rvAudioSDL::CaptureCallback;
    want.userdata = this;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _pCapture = std::make_unique<Capture>();
        _pCapture->_nChannels = nChannels;
    }
    _nCaptureDevice = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (!_nCaptureDevice && _sDriver != "dummy" && !_nDevice)
    {
        rvReport(rvMessageKind::Warning,
                 "audio: cannot open the \"%s\" capture device (%s); using the silent \"dummy\" driver\n",
                 _sDriver.c_str(), SDL_GetError());
        if (StartSubsystem(true)) _nCaptureDevice = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    }
    if (!_nCaptureDevice)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _pCapture.reset();
        return Fail(Error_Device, "cannot open a capture device: %s", SDL_GetError()), 0;
    }
    {
        std::lock_guard<std::mutex> lock(_mutex);
        do
            ++_nLastHandle;
        while (_nLastHandle == 0 || _aStreams.count(_nLastHandle));
        _hRecord = _nLastHandle;
    }
    SDL_PauseAudioDevice(_nCaptureDevice, 0);
    _nError = Error_None;
    return _hRecord;
}

bool rvAudioSDL::RecordFree()
{
    if (!_bRecordInit) return Fail(Error_NotInit, nullptr);
    if (_nCaptureDevice) SDL_CloseAudioDevice(_nCaptureDevice);
    _nCaptureDevice = 0;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _pCapture.reset();
        _hRecord = 0;
    }
    _bRecordInit = false;
    StopSubsystemIfUnused();
    _nError = Error_None;
    return true;
}

int rvAudioSDL::LastError()
{
    return _nError;
}

int64_t rvAudioSDL::GetPosition(Handle h)
{
    std::lock_guard<std::mutex> lock(_mutex);
    Stream* pStream = FindStream(h);
    if (!pStream) return Fail(Error_Handle, nullptr), -1;
    _nError = Error_None;
    return pStream->_nPos * BYTES_PER_FRAME;
}

bool rvAudioSDL::GetPlayClock(Handle h, bool& bPlaying, double& fSeconds)
{
    bPlaying = false;
    fSeconds = 0.0;
    std::lock_guard<std::mutex> lock(_mutex);
    Stream* pStream = FindStream(h);
    if (!pStream) return Fail(Error_Handle, nullptr);
    bPlaying = pStream->_eState == Channel_Playing;
    // What is heard, not what was mixed: the mixer runs a device block ahead of the speaker.
    const double fElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - pStream->_tMixed).count();
    const int64_t nHeard = HeardFrame(pStream->_nMixFrom, pStream->_nMixFrames, fElapsed, _nFrequency,
                                      pStream->_nFrames, pStream->_bLoop);
    fSeconds = double(nHeard) / double(_nFrequency);
    _nError = Error_None;
    return true;
}

int64_t rvAudioSDL::HeardFrame(int64_t nFrom, int64_t nMixed, double fElapsed, int nFrequency, int64_t nFrames,
                               bool bLoop)
{
    int64_t nPlayed = nMixed;
    if (fElapsed >= 0.0 && nFrequency > 0 && fElapsed * double(nFrequency) < double(nMixed))
        nPlayed = int64_t(fElapsed * double(nFrequency));
    else if (!(fElapsed >= 0.0))
        nPlayed = 0;
    int64_t nHeard = nFrom + nPlayed;
    if (nFrames > 0 && nHeard >= nFrames) nHeard = bLoop ? nHeard % nFrames : nFrames;
    return nHeard;
}

const char* rvAudioSDL::OutputDriver()
{
    return _nDevice ? _sDriver.c_str() : "";
}

void rvAudioSDL::MixCallback(void* pUser, Uint8* pBytes, int nLen)
{
    rvAudioSDL* pSelf = static_cast<rvAudioSDL*>(pUser);
    float* pOut = reinterpret_cast<float*>(pBytes);
    const int64_t nFrames = nLen / int(2 * sizeof(float));
    std::fill(pOut, pOut + nFrames * 2, 0.f);

    std::lock_guard<std::mutex> lock(pSelf->_mutex);
    for (auto& entry : pSelf->_aStreams)
    {
        Stream& s = *entry.second;
        if (s._eState != Channel_Playing) continue;
        const float fGain = s._fChannelVolume * s._fGlobalVolume;
        s._nMixFrom = s._nPos >= s._nFrames && s._bLoop ? 0 : s._nPos;
        s._nMixFrames = 0;
        s._tMixed = std::chrono::steady_clock::now();
        for (int64_t i = 0; i < nFrames; ++i)
        {
            if (s._nPos >= s._nFrames)
            {
                if (!s._bLoop || s._nFrames == 0)
                {
                    s._nPos = s._nFrames;
                    s._eState = Channel_Stopped;
                    break;
                }
                s._nPos = 0;
            }
            const float* pFrame = s.FrameAt(s._nPos);
            if (!pFrame) break; // the decoder is behind: this stream waits for it
            pOut[i * 2] += pFrame[0] * fGain;
            pOut[i * 2 + 1] += pFrame[1] * fGain;
            ++s._nPos;
            ++s._nMixFrames;
        }
    }
    for (int64_t i = 0; i < nFrames * 2; ++i)
        pOut[i] = std::min(1.f, std::max(-1.f, pOut[i]));
}

void rvAudioSDL::CaptureCallback(void* pUser, Uint8* pBytes, int nLen)
{
    rvAudioSDL* pSelf = static_cast<rvAudioSDL*>(pUser);
    std::lock_guard<std::mutex> lock(pSelf->_mutex);
    if (!pSelf->_pCapture) return;
    Capture& c = *pSelf->_pCapture;
    const float* pIn = reinterpret_cast<const float*>(pBytes);
    const int64_t nFrames = nLen / int(sizeof(float)) / c._nChannels;
    for (int64_t i = 0; i < nFrames; ++i)
    {
        int64_t nSlot = c._nWritten % Capture::RING_FRAMES;
        float l = pIn[i * c._nChannels];
        float r = c._nChannels > 1 ? pIn[i * c._nChannels + 1] : l;
        c._aRing[size_t(nSlot) * 2] = l;
        c._aRing[size_t(nSlot) * 2 + 1] = r;
        ++c._nWritten;
    }
}
