#include "Sequencer/rvTimelineClock.h"

#include <algorithm>
#include <cmath>

namespace rvTimelineClock
{
float ClampFrameDelta(float fRawDelta)
{
    return fRawDelta < MaxFrameDelta ? fRawDelta : MaxFrameDelta;
}

float BoundedStep(float fDelta)
{
    return std::min(std::max(fDelta, -MaxFrameDelta), MaxFrameDelta);
}

SimulationSteps SplitSimulationStep(float fDelta)
{
    SimulationSteps steps;
    if (fDelta < 0.0f) steps.fStep = std::max(fDelta, -MaxFrameDelta);
    if (!(fDelta > 0.0f)) return steps;
    const float fTotal = std::min(fDelta, float(MaxSimulationSteps) * MaxFrameDelta);
    // A whole number of steps within a rounding error needs no extra step.
    const float fCount = std::ceil(fTotal / MaxFrameDelta - 1e-4f);
    steps.nCount = std::min(std::max(int(fCount), 1), MaxSimulationSteps);
    steps.fStep = fTotal / float(steps.nCount);
    return steps;
}

float Step(float fTimeline, float fRawDelta, const Music& music)
{
    const bool bFollow = music.bPlaying && std::isfinite(music.fTime) && std::isfinite(fTimeline) &&
                         std::isfinite(fRawDelta) && fRawDelta > 0.f;
    if (!bFollow) return ClampFrameDelta(fRawDelta);

    const double fRaw = fRawDelta;
    const double fGap = music.fTime - (double(fTimeline) + fRaw); // left after the frame's own time
    if (fGap > JumpDistance) return float(music.fTime - double(fTimeline));
    if (fGap < -JumpDistance) return ClampFrameDelta(fRawDelta);

    const double fPull = std::min(1.0, fRaw / FollowTime);
    const double fStep = std::max(fRaw + fGap * fPull, fRaw * SlowestRate);
    return float(fStep);
}
} // namespace rvTimelineClock
