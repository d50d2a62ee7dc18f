#include "BassDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/Drivers/DriverSettings.h"
#include "Factory/fxBase.h"
#include "rvAudio.h"

#include <cmath>
#include <cstdint>

namespace
{
// The music channel is published by the music effect; until one installs its getter
// (SetLevelSource), no channel plays.
uint32_t NoChannel()
{
    return 0;
}
uint32_t AudioLevel(uint32_t hChannel)
{
    return rvAudio::Get().GetLevel(hChannel);
}
} // namespace

BassLevelSource BassDriver::s_levelSource = {NoChannel, AudioLevel};

void BassDriver::SetLevelSource(const BassLevelSource& source)
{
    s_levelSource.pfnGetChannel = source.pfnGetChannel ? source.pfnGetChannel : NoChannel;
    s_levelSource.pfnGetLevel = source.pfnGetLevel ? source.pfnGetLevel : AudioLevel;
}

const BassLevelSource& BassDriver::GetLevelSource()
{
    return s_levelSource;
}

BassDriver::BassDriver(fxBase* pEffect, AttribDesc* pAttribDesc) : NoneDriver(pEffect, pAttribDesc)
{
    AddBool("_bLeftChan", &_bLeftChan);
    AddBool("_bRightChan", &_bRightChan);
}

float BassDriver::LiveLevel()
{
    uint32_t hChannel = s_levelSource.pfnGetChannel();
    if (hChannel == 0) return 0.0f;
    // Two queries, as the level library reports: left from the first, right from the second.
    uint32_t nFirst = s_levelSource.pfnGetLevel(hChannel);
    uint32_t nSecond = s_levelSource.pfnGetLevel(hChannel);
    float fLeft = float(nFirst & 0xFFFFu) / 32767.0f;
    float fRight = float(nSecond >> 16) / 32767.0f;
    float fLevel = _bLeftChan ? (_bRightChan ? (fRight + fLeft) * 0.5f : fLeft) : fRight;

    size_t nMax = 0;
    if (_pEffect && _pEffect->_nEnd > _pEffect->_nStart) nMax = size_t(int64_t(_pEffect->_nEnd) - _pEffect->_nStart);
    if (nMax > 0 && _aHistory.size() >= nMax)
        _aHistory.erase(_aHistory.begin(), _aHistory.begin() + (_aHistory.size() - nMax + 1));
    else if (nMax == 0)
        _aHistory.clear();
    _aHistory.push_back(fLevel);
    return fLevel;
}

float BassDriver::GetValue(float fTime, bool bHistory)
{
    float fLevel = 0.0f;
    if (bHistory)
    {
        float fFrame = std::round(fTime * 60.0f);
        if (fFrame >= 0.0f && fFrame < float(_aHistory.size())) fLevel = _aHistory[size_t(fFrame)];
    }
    else
    {
        fLevel = LiveLevel();
    }
    return (_fMax - _fMin) * 0.5f * fLevel;
}

void BassDriver::DrawSettings()
{
    rvEditorHook<&BassDriver::DrawSettings>::Call(*this);
}
