#pragma once
// The audio layer: music streams, levels, spectra and capture.
//
// One process-wide object, reached with rvAudio::Get(). The real one decodes MP3 files with
// libmpg123 as they play and plays them through SDL2 (rvAudioSDL); tests install a recording
// stand-in with rvAudio::Set(). Every call comes from the main thread; the layer's own threads
// (the SDL audio callback) stay inside the implementation.
//
// Handles are 32-bit, 0 = none. A failing call returns false, 0 or -1, keeps the reason for
// LastError() and writes a message on stderr; nothing ever blocks on a dialog.
#include <cstdint>

class rvAudio
{
public:
    using Handle = uint32_t;

    // Error codes reported by LastError().
    enum Error : int
    {
        Error_None = 0,
        Error_Memory = 1,      // out of memory
        Error_FileOpen = 2,    // the file could not be opened
        Error_Driver = 3,      // no usable output or capture driver
        Error_Handle = 5,      // not a live handle
        Error_Format = 6,      // the file is not a supported audio format
        Error_Position = 7,    // position outside the stream
        Error_NotInit = 8,     // Init (or RecordInit) was not called
        Error_Already = 14,    // already initialised
        Error_NotPlaying = 24, // the channel is not playing
        Error_Illegal = 20,    // an illegal parameter
        Error_Device = 23,     // the device could not be opened
        Error_Unknown = -1,
    };

    // Stream flags.
    enum : uint32_t
    {
        Flag_Loop = 4, // start again at the beginning when the end is reached
    };

    // Volume attributes. The gain applied to a stream is the product of both (each 0 to 1).
    enum Attrib : uint32_t
    {
        Attrib_ChannelVolume = 0x200,
        Attrib_GlobalVolume = 0x105,
    };

    // Number of floats GetSpectrum writes for a stereo channel: 512 bins per channel, interleaved.
    static constexpr int SPECTRUM_FLOATS = 1024;

    virtual ~rvAudio() = default;

    // Output device. nDevice -1 is the default device. Init when already initialised fails with
    // Error_Already and leaves everything as it is. Free closes the device and releases every stream.
    virtual bool Init(int nDevice, int nFrequency) = 0;
    virtual bool Free() = 0;

    // Opens an MP3 file from the disk as a stream (flags: Flag_Loop). The stream starts stopped at
    // position 0. Returns 0 on failure.
    virtual Handle StreamCreateFile(const char* sPath, uint32_t nFlags) = 0;
    virtual bool StreamFree(Handle h) = 0;

    // bRestart: play from the beginning; otherwise resume at the current position.
    virtual bool Play(Handle h, bool bRestart) = 0;
    // Pause keeps the position; Stop ends playback (the position stays where it is).
    virtual bool Pause(Handle h) = 0;
    virtual bool Stop(Handle h) = 0;

    // Byte positions count 16-bit stereo frames (4 bytes per frame) at the stream's rate.
    // SecondsToBytes returns -1 on failure; negative times give 0.
    virtual int64_t SecondsToBytes(Handle h, double fSeconds) = 0;
    virtual bool SetPosition(Handle h, int64_t nBytes) = 0;
    virtual bool SetAttribute(Handle h, Attrib eAttrib, float fValue) = 0;

    // Peak levels of the next 20 ms at the play position: left in the low 16 bits, right in the
    // high 16 bits, each 0 to 32768. 0 when the channel is not playing (or on error).
    virtual uint32_t GetLevel(Handle h) = 0;
    // 1024-sample FFT at the play position (Hann window), 512 magnitudes per channel interleaved:
    // pOut[2k] is bin k of the left channel, pOut[2k + 1] of the right; a full-scale sine gives
    // about 0.5 in its bin. Fills SPECTRUM_FLOATS floats; returns that count, or -1 (and zeros)
    // when the channel is stopped or the handle is dead.
    virtual int GetSpectrum(Handle h, float* pOut) = 0;

    // Capture. nDevice -1 is the default capture device. RecordStart begins capturing and returns
    // a channel whose levels and spectrum can be read like a stream's; RecordFree closes it.
    virtual bool RecordInit(int nDevice) = 0;
    virtual Handle RecordStart(int nFrequency, int nChannels) = 0;
    virtual bool RecordFree() = 0;

    virtual int LastError() = 0;

    // Diagnostics (not used by the effects): the play position in bytes (-1 on failure), and the
    // name of the output driver in use ("" when closed).
    virtual int64_t GetPosition(Handle h) = 0;
    virtual const char* OutputDriver() = 0;

    // The play clock of a stream, which the player's timeline follows: whether it plays (neither
    // paused nor stopped) and its play position in seconds. False for a dead handle; a layer
    // without a clock answers false.
    virtual bool GetPlayClock(Handle /*h*/, bool& bPlaying, double& fSeconds)
    {
        bPlaying = false;
        fSeconds = 0.0;
        return false;
    }

    // The process-wide layer: the SDL one unless another was installed.
    static rvAudio& Get();
    // Installs a replacement (tests); null restores the SDL layer. Not owned.
    static void Set(rvAudio* pAudio);
};
