#include "Factory/Drivers/KeyFrameDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxBase.h"
#include "Factory/rvKeyTimeMode.h"
#include "rvAssert.h"
#include "rvPlatform.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace
{
const char* const s_apszInterpolationNames[KeyFrameDriver::INTERPOLATION_MAX] = {
    "None", "Linear", "Spline", "Smoothstep", "Bounce", "EasyIn", "EasyOut", "EasyInOut"};

const float s_fNoValue = std::numeric_limits<float>::infinity();

// Uniform Catmull-Rom coefficient rows, each multiplied by 0.5: u^3, u^2, u, 1.
const float s_afSpline[4][4] = {{-1, 2, -1, 0}, {3, -5, 0, 2}, {-3, 4, 1, 0}, {1, -1, 0, 0}};
} // namespace

KeyFrameDriver::KeyFrameDriver(fxBase* pEffect, AttribDesc* pAttribDesc) : NoneDriver(pEffect, pAttribDesc)
{
    AddInt("_eInterpolation", &_eInterpolation);
    AddList("_aKeys", &_aKeys);
    AddFloat("_fParams", _fParams, 2);
}

void KeyFrameDriver::Load(const Json::Value& json)
{
    NoneDriver::Load(json);
    _eInterpolation = std::min(std::max(_eInterpolation, 0), INTERPOLATION_MAX - 1);
    // A key without a usable time cannot be ordered; drop it.
    _aKeys.erase(
        std::remove_if(_aKeys.begin(), _aKeys.end(), [](const Key& k) { return !std::isfinite(k._fTime); }),
        _aKeys.end());
    // Ids stored as float bits can come back as 0 (NaN bits are written as null) or as
    // duplicates of keys of other drivers: every loaded key gets a fresh one.
    for (Key& k : _aKeys)
        k._nId = NewKeyId();
    SortKeys();
}

int32_t KeyFrameDriver::NewKeyId()
{
    return int32_t(uint32_t(rvPlatform::NextUniqueId()));
}

float KeyFrameDriver::SnapToFrame(float fTime)
{
    const float fFrame = std::round(fTime * 60.0f);  // half away from zero
    const float fLimit = 2147483520.0f;              // largest float below INT_MAX
    if (!(std::fabs(fFrame) < fLimit)) return fTime; // not finite, or beyond any frame count
    return float(int(fFrame)) / 60.0f;
}

const char* KeyFrameDriver::GetInterpolationName(int eInterpolationType)
{
    rvAssert(eInterpolationType >= 0 && eInterpolationType < INTERPOLATION_MAX);
    return s_apszInterpolationNames[eInterpolationType];
}

void KeyFrameDriver::SortKeys()
{
    std::stable_sort(_aKeys.begin(), _aKeys.end(),
                     [](const Key& a, const Key& b) { return a._fTime < b._fTime; });
}

float KeyFrameDriver::GetValue(float t, bool /*bHistory*/)
{
    const int n = int(_aKeys.size());
    if (n == 0) return s_fNoValue;
    if (n == 1 || t <= _aKeys[0]._fTime) return _aKeys[0]._fValue;
    if (t >= _aKeys[n - 1]._fTime) return _aKeys[n - 1]._fValue;
    if (std::isnan(t)) return s_fNoValue;

    int i = 1;
    while (i < n - 1 && t > _aKeys[i]._fTime)
        ++i;
    const Key& k0 = _aKeys[i - 1];
    const Key& k1 = _aKeys[i];
    if (_eInterpolation == INTERPOLATION_NONE) return k0._fValue;

    const float u = (t - k0._fTime) / (k1._fTime - k0._fTime);
    const float a = k0._fValue;
    const float b = k1._fValue;
    const float k = 10.0f * _fParams[0] + 2.0f;
    const float fEaseIn = 1.0f - std::sqrt(1.0f - std::pow(u, k));
    const float fEaseOut = std::sqrt(1.0f - std::pow(1.0f - u, k));
    switch (_eInterpolation)
    {
    case INTERPOLATION_LINEAR:
        return a + (b - a) * u;
    case INTERPOLATION_SMOOTHSTEP:
        return a + (b - a) * ((3.0f - 2.0f * u) * u * u);
    case INTERPOLATION_EASYIN:
        return a + (b - a) * fEaseIn;
    case INTERPOLATION_EASYOUT:
        return a + (b - a) * fEaseOut;
    case INTERPOLATION_EASYINOUT:
        return a + (b - a) * ((i % 2) ? fEaseIn : fEaseOut);
    case INTERPOLATION_BOUNCE:
        return a + (b - a) * u +
               10.0f * _fParams[0] * std::pow(1.0f - _fParams[1], float(i - 1)) * std::sin(3.1415927f * u);
    case INTERPOLATION_SPLINE:
    {
        const float powers[4] = {u * u * u, u * u, u, 1.0f};
        float fSum = 0.0f;
        for (int j = 0; j < 4; ++j)
        {
            const int m = std::min(std::max(i - 2 + j, 0), n - 1);
            float c = 0.0f;
            for (int p = 0; p < 4; ++p)
                c += s_afSpline[j][p] * powers[p];
            fSum += 0.5f * c * _aKeys[m]._fValue;
        }
        return fSum;
    }
    default:
        return s_fNoValue;
    }
}

bool KeyFrameDriver::HasKeyAt(float fTime)
{
    return GetKeyIndex(fTime) >= 0;
}

int KeyFrameDriver::GetKeyIndex(float fTime) const
{
    for (int i = 0; i < int(_aKeys.size()); ++i)
    {
        if (_aKeys[i]._fTime == fTime) return i;
    }
    return -1;
}

int KeyFrameDriver::AddKeyAtCurrentTime()
{
    rvAssert(_eType == NoneDriver::DRIVER_KEYFRAME);
    float fValue = 0.0f;
    if (_pAttribDesc->IsFloat())
        fValue = _pAttribDesc->GetFloat(_pEffect);
    else if (_pAttribDesc->IsBool())
        fValue = _pAttribDesc->GetBool(_pEffect) ? 1.0f : 0.0f;
    else if (_pAttribDesc->IsInt())
        fValue = float(_pAttribDesc->GetInt(_pEffect));
    else
        rvAssert(false);

    const float t = SnapToFrame(_pEffect->_fTime);
    const int iExisting = GetKeyIndex(t);
    if (iExisting >= 0)
    {
        _aKeys[iExisting]._fValue = fValue;
        return iExisting;
    }
    _aKeys.push_back(Key{t, fValue, NewKeyId()});
    SortKeys();
    return GetKeyIndex(t);
}

void KeyFrameDriver::AddKey(float fTime, float fValue)
{
    if (!std::isfinite(fTime)) return; // a key must have a place in time
    const float t = SnapToFrame(fTime);
    const int iExisting = GetKeyIndex(t);
    if (iExisting >= 0)
    {
        _aKeys[iExisting]._fValue = fValue;
        return;
    }
    _aKeys.push_back(Key{t, fValue, NewKeyId()});
    SortKeys();
}

int KeyFrameDriver::EditKey(int iKey, float fTime, float fValue)
{
    rvAssert(iKey >= 0 && iKey < GetKeyCount());
    if (!std::isfinite(fTime)) return iKey;
    const int32_t nId = _aKeys[iKey]._nId;
    const float t = SnapToFrame(fTime);
    for (int i = 0; i < GetKeyCount(); ++i)
    {
        if (i != iKey && _aKeys[i]._fTime == t)
        {
            _aKeys.erase(_aKeys.begin() + i);
            break;
        }
    }
    int iEdited = -1;
    for (int i = 0; i < GetKeyCount(); ++i)
    {
        if (_aKeys[i]._nId == nId)
        {
            iEdited = i;
            break;
        }
    }
    rvAssert(iEdited >= 0);
    _aKeys[iEdited]._fTime = t;
    _aKeys[iEdited]._fValue = fValue;
    SortKeys();
    // The edited key's place after sorting: the first with its id (ids can repeat only
    // through hand-edited files).
    for (int i = 0; i < GetKeyCount(); ++i)
    {
        if (_aKeys[i]._nId == nId && _aKeys[i]._fTime == t) return i;
    }
    return -1;
}

int KeyFrameDriver::MoveKey(int iKey, float fTime, float fValue)
{
    rvAssert(iKey >= 0 && iKey < GetKeyCount());
    if (!std::isfinite(fTime)) return iKey;
    Key key = _aKeys[size_t(iKey)];
    key._fTime = SnapToFrame(fTime);
    key._fValue = fValue;
    _aKeys.erase(_aKeys.begin() + iKey);
    // Where a stable sort would put it: among keys of the same time, after those that were
    // before it and before those that were after it.
    auto byTime = [](const Key& a, const Key& b) { return a._fTime < b._fTime; };
    const int nFirst = int(std::lower_bound(_aKeys.begin(), _aKeys.end(), key, byTime) - _aKeys.begin());
    const int nLast = int(std::upper_bound(_aKeys.begin(), _aKeys.end(), key, byTime) - _aKeys.begin());
    const int nAt = std::min(std::max(iKey, nFirst), nLast);
    _aKeys.insert(_aKeys.begin() + nAt, key);
    return nAt;
}

void KeyFrameDriver::DrawSettings()
{
    rvEditorHook<&KeyFrameDriver::DrawSettings>::Call(*this);
}
