#include "Sequencer/rvCurveEdit.h"

#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/fxBase.h"
#include "rvAssert.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace
{
KeyFrameDriver* AsKeyFrame(NoneDriver* d)
{
    return d && d->_eType == NoneDriver::DRIVER_KEYFRAME ? static_cast<KeyFrameDriver*>(d) : nullptr;
}
} // namespace

NoneDriver* rvCurveEdit::Driver(int curve) const
{
    if (!_pEffect || curve < 0 || curve >= int(_pEffect->_apAttribDrivers.size())) return nullptr;
    return _pEffect->_apAttribDrivers[curve];
}

size_t rvCurveEdit::CurveCount()
{
    return _pEffect ? _pEffect->_apAttribDrivers.size() : 0;
}

bool rvCurveEdit::CurveShown(int curve)
{
    NoneDriver* d = Driver(curve);
    return d && d->_bVisible;
}

size_t rvCurveEdit::PointCount(int curve)
{
    KeyFrameDriver* k = AsKeyFrame(Driver(curve));
    return k ? k->_aKeys.size() : 0;
}

uint32_t rvCurveEdit::DriverColor(int eType)
{
    static const uint32_t s_aColors[NoneDriver::DRIVER_MAX] = {
        0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFF00FFFF, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF, 0xFF808080};
    return eType >= 0 && eType < NoneDriver::DRIVER_MAX ? s_aColors[eType] : 0;
}

uint32_t rvCurveEdit::CurveColor(int curve)
{
    NoneDriver* d = Driver(curve);
    return d ? DriverColor(d->_eType) : 0;
}

ImVec2 rvCurveEdit::PointAt(int curve, int point)
{
    KeyFrameDriver* k = AsKeyFrame(Driver(curve));
    rvAssert(k && point >= 0 && point < int(k->_aKeys.size()));
    const KeyFrameDriver::Key& key = k->_aKeys[point];
    return ImVec2(std::round((_pEffect->_nStart / 60.f + key._fTime) * 60.f), key._fValue);
}

float rvCurveEdit::ValueAt(int curve, float frame)
{
    NoneDriver* d = Driver(curve);
    rvAssert(d);
    return d->GetValue(float(int(frame)) / 60.f - _pEffect->_nStart / 60.f, true);
}

float rvCurveEdit::StartFrame()
{
    return _pEffect ? float(_pEffect->_nStart) : 0.f;
}
float rvCurveEdit::EndFrame()
{
    return _pEffect ? float(_pEffect->_nEnd) : 0.f;
}

int rvCurveEdit::MovePoint(int curve, int point, ImVec2 value)
{
    KeyFrameDriver* k = AsKeyFrame(Driver(curve));
    rvAssert(k);
    // A stale index (a selection left from other keys) names no point to move.
    if (point < 0 || point >= int(k->_aKeys.size())) return point;
    // A dragged key passes over the others and may rest on a frame beside one: it never
    // replaces it, so a selection moved across its neighbours keeps every key.
    return k->MoveKey(point, float(int(std::round(value.x))) / 60.f - _pEffect->_nStart / 60.f, value.y);
}

void rvCurveEdit::InsertPoint(int curve, ImVec2 value)
{
    KeyFrameDriver* k = AsKeyFrame(Driver(curve));
    if (k) k->AddKey(float(int(std::round(value.x))) / 60.f - _pEffect->_nStart / 60.f, value.y);
}

void rvCurveEdit::ComputeValueRange()
{
    if (!_pEffect || CurveCount() == 0) return;
    float lo = FLT_MAX, hi = -FLT_MAX;
    const float duration = (_pEffect->_nEnd - _pEffect->_nStart) / 60.f;
    // An effect that does not end after its start is sampled once, at its local time 0.
    const int n = std::max(std::min(int(std::round(duration * 60.f)), 100), 0);
    for (int i = 0; i < int(CurveCount()); ++i)
    {
        NoneDriver* d = Driver(i);
        if (!d || !d->_bVisible) continue;
        for (int j = 0; j <= n; ++j)
        {
            const float v = d->GetValue(n > 0 ? float(j) / float(n) * duration : 0.f, true);
            if (!std::isfinite(v)) continue; // no value: the attribute keeps its own
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (lo > hi) return; // nothing visible, or no curve gave a value
    if (hi - lo <= FLT_EPSILON)
    {
        _vRangeMin.y = lo - 0.1f;
        _vRangeMax.y = lo + 0.1f;
    }
    else
    {
        const float margin = (hi - lo) * 0.05f;
        _vRangeMin.y = lo - margin;
        _vRangeMax.y = hi + margin;
    }
}
