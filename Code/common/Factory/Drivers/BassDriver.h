#pragma once
// The level of the music, recorded frame by frame so that the curve can be shown.
#include "Factory/Drivers/NoneDriver.h"

#include <cstdint>
#include <vector>

// Where the audio-level driver reads the music from. By default the level query is the
// audio layer's (rvAudio::GetLevel) and no channel plays; the music effect installs the
// getter of its channel with BassDriver::SetLevelSource({GetMusicChannel, nullptr}).
struct BassLevelSource
{
    // Handle of the music channel (fxMusic::_hMusicChannel), 0 while none is open.
    uint32_t (*pfnGetChannel)();
    // The level query on a channel, as BASS_ChannelGetLevel: the left level (0 to 32768)
    // in the low 16 bits, the right level in the high 16 bits.
    uint32_t (*pfnGetLevel)(uint32_t hChannel);
};

class BassDriver : public NoneDriver
{
public:
    BassDriver(fxBase* pEffect, AttribDesc* pAttribDesc);

    // history false: the live level (recorded); true: the level recorded for that frame.
    float GetValue(float fTime, bool bHistory) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)

    // A null function restores that function's default.
    static void SetLevelSource(const BassLevelSource& source);
    static const BassLevelSource& GetLevelSource();

    bool _bLeftChan = false;
    bool _bRightChan = false;
    std::vector<float> _aHistory; // recorded levels, oldest first, at most End - Start

private:
    float LiveLevel();
    static BassLevelSource s_levelSource;
};
