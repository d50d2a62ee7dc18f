#pragma once
// A stand-in for the audio layer that records every call as text and answers with plain
// values: streams get handles 7, 8, 9...; SecondsToBytes gives milliseconds as "bytes", so a
// position of 42.5 s reads SetPosition(7,42500).
#include "rvAudio.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace rvTest
{
class RecordingAudio : public rvAudio
{
public:
    RecordingAudio() { rvAudio::Set(this); }
    ~RecordingAudio() override { rvAudio::Set(nullptr); }

    // The calls recorded since the last Take(), which clears them.
    std::vector<std::string> Take()
    {
        std::vector<std::string> a;
        a.swap(_aCalls);
        return a;
    }

    bool Init(int nDevice, int nFrequency) override { return Log("Init(%d,%d)", nDevice, nFrequency), true; }
    bool Free() override { return Log("FreeAll()"), true; }
    Handle StreamCreateFile(const char* sPath, uint32_t nFlags) override
    {
        Log("Create(%s,%u)", sPath, nFlags);
        if (_bFailCreate)
        {
            _nError = Error_FileOpen;
            return 0;
        }
        return _nNext++;
    }
    bool StreamFree(Handle h) override { return Log("StreamFree(%u)", h), true; }
    bool Play(Handle h, bool bRestart) override { return Log("Play(%u,%d)", h, int(bRestart)), true; }
    bool Pause(Handle h) override { return Log("Pause(%u)", h), true; }
    bool Stop(Handle h) override { return Log("Stop(%u)", h), true; }
    int64_t SecondsToBytes(Handle /*h*/, double fSeconds) override
    {
        return int64_t(std::llround(fSeconds * 1000.0));
    }
    bool SetPosition(Handle h, int64_t nBytes) override
    {
        return Log("SetPosition(%u,%lld)", h, static_cast<long long>(nBytes)), true;
    }
    bool SetAttribute(Handle h, Attrib eAttrib, float fValue) override
    {
        return Log("SetAttribute(%u,0x%x,%g)", h, unsigned(eAttrib), double(fValue)), true;
    }
    uint32_t GetLevel(Handle h) override { return Log("GetLevel(%u)", h), _nLevel; }
    int GetSpectrum(Handle h, float* /*pOut*/) override { return Log("GetSpectrum(%u)", h), -1; }
    bool RecordInit(int nDevice) override { return Log("RecordInit(%d)", nDevice), true; }
    Handle RecordStart(int /*nFrequency*/, int /*nChannels*/) override { return Log("RecordStart()"), 0; }
    bool RecordFree() override { return Log("RecordFree()"), true; }
    int LastError() override { return _nError; }
    int64_t GetPosition(Handle /*h*/) override { return -1; }
    const char* OutputDriver() override { return "recording"; }
    bool GetPlayClock(Handle /*h*/, bool& bPlaying, double& fSeconds) override
    {
        bPlaying = _bClockPlaying;
        fSeconds = _fClockSeconds;
        return true;
    }

    bool _bFailCreate = false;
    uint32_t _nLevel = 0;
    int _nError = Error_None;
    Handle _nNext = 7;
    bool _bClockPlaying = false; // what every play clock reads
    double _fClockSeconds = 0.0;

private:
    template <class... A> void Log(const char* sFormat, A... args)
    {
        char s[256];
        if constexpr (sizeof...(A) == 0)
            std::snprintf(s, sizeof(s), "%s", sFormat);
        else
            std::snprintf(s, sizeof(s), sFormat, args...);
        _aCalls.push_back(s);
    }
    std::vector<std::string> _aCalls;
};
} // namespace rvTest
