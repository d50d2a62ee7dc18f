#pragma once
// The real audio layer: MP3 files decoded as they play (rvMp3Source, libmpg123), mixed and played
// through SDL2, capture through SDL2, spectra with kissfft.
//
// Streams: opening a file reads its frame headers (the exact length) and decodes a lead-in, the
// first LEAD_SECONDS, kept for the stream's life: playback from the start and a loop's return
// never wait. The rest is decoded by the layer's decoder thread into a ring that holds at most
// RING_SECONDS past the play position, AHEAD_SECONDS of it kept filled. A seek outside what is
// decoded decodes a short stretch at the target on the calling thread, so the readings (levels,
// spectrum) there are exact at once; the samples after any seek are those a decode of the whole
// file gives. Should the decoder fall behind (a starved machine), the mixer holds that stream's
// position until the samples are there, rather than skip them.
//
// Output: Init opens the default SDL output device. When that fails (no sound card, no sound
// server) the SDL audio subsystem is started again with its "dummy" driver, which consumes the
// mixed samples in real time without a device, so play positions advance on machines without
// sound too. SDL_AUDIODRIVER chooses the driver as usual; SDL_AUDIODRIVER=dummy forces silence.
//
// The SDL callback thread mixes the playing streams; every piece of state it shares with the
// main thread and the decoder thread is guarded by one mutex. Each stream's decoder has its own
// mutex, taken before that one (the callback never waits on a decoder).
#include "rvAudio.h"
#include "rvMp3Source.h"

#include <SDL.h>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

    // The frame heard now of a stream of nFrames frames whose last mixed block began at nFrom and
    // held nMixed frames, fElapsed seconds after that block was handed to the device: the device
    // plays it out at nFrequency frames a second, so the frame heard moves through the block and
    // stops at its end. A looping stream wraps at its end.
    static int64_t HeardFrame(int64_t nFrom, int64_t nMixed, double fElapsed, int nFrequency, int64_t nFrames,
                              bool bLoop);

    // Decodes a whole MP3 file into interleaved stereo floats at nRate. Returns an Error code.
    // (The streams never hold a whole file; this is the reference their samples are held to.)
    static int DecodeFile(const char* sPath, int nRate, std::vector<float>& aSamples);

    // What a stream holds decoded, in seconds of music.
    static constexpr double LEAD_SECONDS = 1.0;
    static constexpr double AHEAD_SECONDS = 2.0;
    static constexpr double RING_SECONDS = 3.0;

    // For tests: the decoded frames a stream holds now (lead-in and ring; -1 for a dead handle),
    // and the next nFrames frames it plays from its position, as the mixer reads them (decoded
    // first if need be; after the end, the start again when it loops, else zeros).
    int64_t DecodedFrames(Handle h);
    bool PeekFrames(Handle h, int64_t nFrames, std::vector<float>& aOut);

private:
    enum ChannelState
    {
        Channel_Stopped,
        Channel_Playing,
        Channel_Paused,
    };

    struct Stream
    {
        // Set at opening, then read-only.
        int64_t _nFrames = 0;
        std::vector<float> _aLead; // frames [0, _nLead), interleaved stereo
        int64_t _nLead = 0;
        int64_t _nRingFrames = 0;
        // Guarded by the layer's mutex. The ring holds frames [_nRingStart, _nRingEnd), frame f
        // in slot f % _nRingFrames; only the decoder (holding _decodeMutex too) changes its ends.
        std::vector<float> _aRing;
        int64_t _nRingStart = 0, _nRingEnd = 0;
        int64_t _nPos = 0; // next frame to play
        // The block the mixer gave the device last: it began at frame _nMixFrom and held _nMixFrames
        // frames (wrapping at the end when looping), handed over at _tMixed. A seek or a restart
        // empties it, at the new position.
        int64_t _nMixFrom = 0, _nMixFrames = 0;
        std::chrono::steady_clock::time_point _tMixed{};
        ChannelState _eState = Channel_Stopped;
        bool _bLoop = false;
        float _fChannelVolume = 1.f;
        float _fGlobalVolume = 1.f;
        // The decoder and its position, guarded by _decodeMutex.
        std::mutex _decodeMutex;
        rvMp3Source _source;
        std::vector<float> _aChunk;

        // The decoded frame f, or null when it is not decoded now (caller holds the layer's mutex).
        const float* FrameAt(int64_t f) const;
    };
    using StreamPtr = std::shared_ptr<Stream>;

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
    StreamPtr FindShared(Handle h); // takes _mutex
    // Decodes the next chunk of a stream's ring so that it holds [from, from + nAhead), from
    // being the play position (or the first frame after the lead-in). Needs the stream's decoder
    // mutex (held by the caller), then _mutex for short moments. False when there was nothing to do.
    bool DecodeStep(Stream& s, int64_t nAhead);
    // Decodes on the calling thread until nFrames frames from the play position are there.
    void DecodeNow(Stream& s, int64_t nFrames); // caller holds s._decodeMutex
    // Before a reading: decodes nFrames from the play position on the calling thread if needed.
    void EnsureDecoded(Handle h, int64_t nFrames);
    void StartDecoder();
    void StopDecoder();
    void DecoderLoop();
    // Copies nFrames stereo frames of a channel at its play position (caller holds _mutex).
    // Returns false for dead handles; bPlaying tells whether the channel is playing.
    bool ReadWindow(Handle h, int64_t nFrames, std::vector<float>& aOut, bool& bPlaying, float& fGain);

    std::mutex _mutex;
    std::map<Handle, StreamPtr> _aStreams;
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

    // The decoder thread: runs from Init to Free, wakes on _decodeWake or every few ms.
    std::thread _decoder;
    std::condition_variable _decodeWake;
    bool _bDecoderQuit = false;
};
