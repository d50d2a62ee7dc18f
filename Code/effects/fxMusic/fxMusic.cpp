#include "effects/fxMusic/fxMusic.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/BassDriver.h"
#include "Factory/fxDescriptor.h"
#include "Sequencer/rvSequence.h"
#include "rvAudio.h"
#include "rvPlatform.h"

#include <algorithm>
#include <cstdio>

uint32_t fxMusic::_hMusicChannel = 0;
bool fxMusic::_bTimelineDrivesMusic = false;

namespace
{
constexpr int AUDIO_FREQUENCY = 44100;

uint32_t GetMusicChannel()
{
    return fxMusic::_hMusicChannel;
}

// The audio-level driver reads the level of the shared music channel.
void PublishMusicChannel()
{
    BassDriver::SetLevelSource({&GetMusicChannel, nullptr});
}
} // namespace

fxMusic::fxMusic(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    // The shared channel is left alone: another music effect may be playing it.
}

fxMusic::~fxMusic()
{
    Release();
}

void fxMusic::Open()
{
    Release();
    rvAudio& audio = rvAudio::Get();
    audio.Init(-1, AUDIO_FREQUENCY); // a repeated call fails harmlessly
    PublishMusicChannel();
    _hStream = audio.StreamCreateFile(_sFile.c_str(), rvAudio::Flag_Loop);
    if (!_hStream)
    {
        char sText[128];
        std::snprintf(sText, sizeof(sText), "%s\n(error code: %d)", "Can't play file", audio.LastError());
        rvPlatform::MessageBox(sText, "");
        return;
    }
    _hMusicChannel = _hStream;
}

void fxMusic::Release()
{
    if (!_hStream) return;
    rvAudio& audio = rvAudio::Get();
    audio.Stop(_hStream);
    audio.StreamFree(_hStream);
    if (_hMusicChannel == _hStream) _hMusicChannel = 0;
    _hStream = 0;
}

void fxMusic::PositionAt(float fLocalTime)
{
    rvAudio& audio = rvAudio::Get();
    audio.SetPosition(_hStream, audio.SecondsToBytes(_hStream, double(_fStartOffset) + double(fLocalTime)));
}

void fxMusic::Init()
{
    Open();
}

void fxMusic::Kill()
{
    Release();
}

void fxMusic::OnEffectStart()
{
    if (!_hStream) return;
    rvAudio& audio = rvAudio::Get();
    audio.Play(_hStream, true);
    PositionAt(0.0f);
    audio.Pause(_hStream);
    // A re-initialisation (a new file, drivers loaded, "ReInit") passes through here with the
    // local time reset; the caller brings it back in its next update, and Render follows.
    _bRepositionPending = _bReInit;
}

void fxMusic::OnEffectStop()
{
    if (_hStream) rvAudio::Get().Stop(_hStream);
}

void fxMusic::Render()
{
    if (!_hStream) return;
    rvAudio& audio = rvAudio::Get();
    if (_bRepositionPending && _fDeltaTime != 0.0f)
    {
        // The local time is known again after a re-initialisation: the music goes there and
        // resumes with the next moving frame.
        _bRepositionPending = false;
        PositionAt(_fTime);
        audio.Pause(_hStream);
        return;
    }
    if (_fDeltaTime == 0.0f || _fVolume <= 0.0f)
    {
        audio.Pause(_hStream);
        return;
    }
    if (_bTimelineDrivesMusic) PositionAt(_fTime);
    audio.Play(_hStream, false);
}

void fxMusic::Seek(float /*fDelta*/, float /*fNewTime*/, float /*fRequestedTime*/)
{
    if (!_hStream) return;
    rvAudio& audio = rvAudio::Get();
    audio.Pause(_hStream);
    PositionAt(_fTime);
    audio.Play(_hStream, false);
    _bRepositionPending = false;
}

void fxMusic::OnAttribChanged(AttribDesc* pAttrib)
{
    if (!pAttrib || pAttrib->_sName != "Volume" || !_hStream) return;
    rvAudio& audio = rvAudio::Get();
    audio.Pause(_hStream);
    const float fVolume = std::min(std::max(_fVolume, 0.0f), 1.0f);
    audio.SetAttribute(_hStream, rvAudio::Attrib_ChannelVolume, fVolume);
    audio.SetAttribute(_hStream, rvAudio::Attrib_GlobalVolume, fVolume);
    // Resume only inside the effect's window: outside it the stream is stopped and nothing
    // would pause it again.
    if (_fVolume > 0.0f && _eState == State_EffectStarted) audio.Play(_hStream, false);
}

rvTimelineClock::Music fxMusic::TimelineClock(const rvSequence& timeline)
{
    rvTimelineClock::Music clock;
    for (fxBase* pEffect : timeline._apEffects)
    {
        const fxMusic* pMusic = dynamic_cast<const fxMusic*>(pEffect);
        if (!pMusic || !pMusic->_hStream || pMusic->_eState != State_EffectStarted ||
            pMusic->_fTimeScale != 1.0f)
            continue;
        double fSeconds = 0.0;
        if (!rvAudio::Get().GetPlayClock(pMusic->_hStream, clock.bPlaying, fSeconds)) continue;
        clock.fTime = pMusic->_nStart / 60.0 + fSeconds - double(pMusic->_fStartOffset);
        return clock;
    }
    return rvTimelineClock::Music();
}

fxDescriptor* fxMusic::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxMusic", &fxMusic::Create);
    return s_pDescriptor;
}

fxBase* fxMusic::Create(fxDescriptor* pDescriptor)
{
    return new fxMusic(pDescriptor);
}

fxDescriptor* fxMusic::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    PublishMusicChannel();
    d->Add(TYPE_FILE, "MP3 File", rvOffsetOf<fxMusic>(&fxMusic::_sFile))->_sFilter = ".mp3";
    d->Add(TYPE_FLOAT, "Radius Left", rvOffsetOf<fxMusic>(&fxMusic::_fRadiusLeft));
    d->Add(TYPE_FLOAT, "Radius Right", rvOffsetOf<fxMusic>(&fxMusic::_fRadiusRight));
    d->Add(TYPE_FLOAT, "Volume", rvOffsetOf<fxMusic>(&fxMusic::_fVolume))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "TempoBpm", rvOffsetOf<fxMusic>(&fxMusic::_fTempoBpm))->SetRange(0.0f, 150.0f);
    d->Add(TYPE_FLOAT, "TempoShift", rvOffsetOf<fxMusic>(&fxMusic::_fTempoShift))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_INT, "TempoMesures", rvOffsetOf<fxMusic>(&fxMusic::_nTempoMesures))->SetIntRange(1, 32);
    d->Add(TYPE_BOOL, "TempoMarkers", rvOffsetOf<fxMusic>(&fxMusic::_bTempoMarkers));
    return d;
}
