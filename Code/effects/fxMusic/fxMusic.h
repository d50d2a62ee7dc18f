#pragma once
// The music effect: plays one MP3 file in step with its window on the timeline. The stream is
// opened at Init, waits at the start offset when the window begins, plays while the local time
// moves and pauses while it stands still, follows seeks, and is stopped and released on the way
// down. The effect only tells the stream where to be; in the player the timeline reads the play
// position back (TimelineClock) and follows it, so the local time and the music stay together.
#include "Factory/fxBase.h"
#include "Sequencer/rvTimelineClock.h"

#include <cstdint>
#include <string>

class fxMusic : public fxBase
{
public:
    explicit fxMusic(fxDescriptor* pDescriptor);
    ~fxMusic() override;

    void Init() override;
    void Kill() override;
    void OnEffectStart() override;
    void OnEffectStop() override;
    void Render() override;
    void Seek(float fDelta, float fNewTime, float fRequestedTime) override;
    void OnAttribChanged(AttribDesc* pAttrib) override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    // The music of the demo, written by tools/gen-music.
    static constexpr const char* DEFAULT_FILE = "Data/Audio/Morvane.mp3";

    uint32_t _hStream = 0;
    float _fRadiusLeft = 1.0f;
    float _fRadiusRight = 0.0f;
    float _fVolume = 1.0f;
    std::string _sFile = DEFAULT_FILE;
    float _fStartOffset = 0.0f; // music position at local time 0, in seconds
    float _fTempoBpm = 0.0f;
    float _fTempoShift = 0.0f;
    int _nTempoMesures = 16;
    bool _bTempoMarkers = false;
    // Set by a re-initialisation while started: the stream is moved to the local time as soon
    // as that time is known again (the caller restores it in the following update).
    bool _bRepositionPending = false;

    // The stream opened last by any music effect (0 = none); the audio-level driver reads it.
    static uint32_t _hMusicChannel;

    // Set where the frames step the timeline at a fixed rate rather than follow the music (the
    // frame-time report): the timeline is then the clock, and every moving frame moves the
    // stream to the local time before it plays on, so what listens to the music (the live
    // spectrum, the audio-level driver) hears the seconds the player would at that time, however
    // long the frame took. Off in the player, where the timeline follows the music instead.
    static bool _bTimelineDrivesMusic;

    // The music clock of a timeline: the first music effect of the timeline itself (nested
    // timelines are not searched) that is inside its window with a stream open and a time scale
    // of 1, its play position placed on the timeline. Not playing when there is none.
    static rvTimelineClock::Music TimelineClock(const rvSequence& timeline);

protected:
    // Opens _sFile as a looping stream (closing the one open first).
    void Open();
    // Stops and releases the stream, if one is open.
    void Release();
    // Moves the stream to _fStartOffset + fLocalTime.
    void PositionAt(float fLocalTime);
};
