#pragma once
// The real audio layer: MP3 files decoded whole into memory with libmpg123, mixed and played
// through SDL2, capture through SDL2, spectra with kissfft.
//
// Output: Init opens the default SDL output device. When that fails (no sound card, no sound
// server) the SDL audio subsystem is started again with its "dummy" driver, which consumes the
// mixed samples in real time without a device, so play positions advance on machines without
// sound too. SDL_AUDIODRIVER chooses the driver as usual; SDL_AUDIODRIVER=dummy forces silence.
//
// The SDL callback thread mixes the playing streams; every piece of state it shares with the
// main thread is guarded by one mutex.
#include "rvAudio.h"

#include <SDL.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct kiss_fftr_state;

class rvAudioSDL : public rvAudio
{
public:
    rvAudioSDL();
    ~rvAudioSDL() override;

    bool Init(int nDevice, int nFrequency) override;
    bool Free() override;
    Handle StreamCreateFile(const char* sPath, uint32_t nFlags) override;
    bool StreamFree(Handle h) override;
    bool Play(Handle h, bool bRestart) override;
    bool Pause(Handle h) override;
    bool Stop(Handle h) override;
    int64_t SecondsToBytes(Handle h, double fSeconds) override;
    bool SetPosition(Handle h, int64_t nBytes) override;
    bool SetAttribute(Handle h, Attrib eAttrib, float fValue) override;
    uint32_t GetLevel(Handle h) override;
    int GetSpectrum(Handle h, float* pOut) override;
    bool RecordInit(int nDevice) override;
    Handle RecordStart(int nFrequency, int nChannels) override;
    bool RecordFree() override;
    int LastError() override;
    int64_t GetPosition(Handle h) override;
    const char* OutputDriver() override;
    bool GetPlayClock(Handle h, bool& bPlaying, double& fSeconds) override;

    // Decodes a whole MP3 file into interleaved stereo floats at nRate. Returns an Error code.
    static int DecodeFile(const char* sPath, int nRate, std::vector<float>& aSamples);

private:
    enum ChannelState
    {
        Channel_Stopped,
        Channel_Playing,
        Channel_Paused,
    };

    struct Stream
    {
        std::vector<float> _aSamples; // interleaved stereo
        int64_t _nFrames = 0;
        int64_t _nPos = 0; // next frame to play
        ChannelState _eState = Channel_Stopped;
        bool _bLoop = false;
        float _fChannelVolume = 1.f;
        float _fGlobalVolume = 1.f;
    };

    // Captured audio: the latest frames, stereo, in a ring.
    struct Capture
    {
        static constexpr int64_t RING_FRAMES = 8192;
        std::vector<float> _aRing = std::vector<float>(RING_FRAMES * 2, 0.f);
        int64_t _nWritten = 0; // frames written since the start
        int _nChannels = 2;
    };

    static void MixCallback(void* pUser, Uint8* pStream, int nLen);
    static void CaptureCallback(void* pUser, Uint8* pStream, int nLen);

    bool Fail(int nError, const char* sFormat, ...);
    bool StartSubsystem(bool bDummy);
    void StopSubsystemIfUnused();
    Stream* FindStream(Handle h); // caller holds _mutex
    // Copies nFrames stereo frames of a channel at its play position (caller holds _mutex).
    // Returns false for dead handles; bPlaying tells whether the channel is playing.
    bool ReadWindow(Handle h, int64_t nFrames, std::vector<float>& aOut, bool& bPlaying, float& fGain);

    std::mutex _mutex;
    std::map<Handle, std::unique_ptr<Stream>> _aStreams;
    std::unique_ptr<Capture> _pCapture;
    Handle _hRecord = 0;
    Handle _nLastHandle = 0;

    bool _bSubsystem = false;
    SDL_AudioDeviceID _nDevice = 0;
    int _nFrequency = 44100;
    bool _bRecordInit = false;
    SDL_AudioDeviceID _nCaptureDevice = 0;
    std::string _sDriver;
    int _nError = Error_None;

    kiss_fftr_state* _pFFT = nullptr;
};
