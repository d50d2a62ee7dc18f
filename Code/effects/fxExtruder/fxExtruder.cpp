#include "effects/fxExtruder/fxExtruder.h"

#include "Factory/fxDescriptor.h"
#include "Loader/rvLoader.h"
#include "rvAssert.h"
#include "rvFile.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"
#include "rvMessage.h"

#include <glm/gtx/euler_angles.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

const char* const fxExtruder::GeneratedClipFile = "./Data/pointclouds/generated.clip.data";

namespace
{
bool EndsWith(const std::string& s, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int32_t ReadInt32(const uint8_t* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

glm::vec3 ReadVec3(const float* p)
{
    glm::vec3 v;
    std::memcpy(&v[0], p, sizeof(v));
    return v;
}

// Floored remainder and quotient: a negative frame number counts back from the end.
int FloorMod(int a, int b)
{
    const int r = a % b;
    return r < 0 ? r + b : r;
}
int FloorDiv(int a, int b)
{
    return (a - FloorMod(a, b)) / b;
}
} // namespace

fxExtruder::fxExtruder(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _fScale(1.0f), _fSpeed(1.0f), _fTimeStart(0.0f), _vPosition(0.0f),
      _vRotations(0.0f), _sFile("./Data/filtered.data"), _bLoop(false), _bPingPong(false), _vColor(1.0f),
      _fThickness(0.5f), _vZoneRangeX(-100.0f, 100.0f), _vZoneRangeY(-100.0f, 100.0f),
      _vZoneRangeZ(-100.0f, 100.0f), _vTimeRange(0.0f, 0.0f), _fCompressionError(0.03f), _bZoneDraw(false),
      _pfnGenerateClip(&fxExtruder::GenerateClip), _pfnCompressClip(&fxExtruder::CompressClip)
{
}

fxExtruder::~fxExtruder() = default;

bool fxExtruder::ParseFrames(std::vector<uint8_t>& data, bool bClip, std::vector<Frame>& frames,
                             const char** ppszWhy)
{
    frames.clear();
    const char* pszWhy = nullptr;
    const size_t size = data.size();
    const size_t pointBytes = bClip ? sizeof(ClipPoint) : 8 * sizeof(float);
    int32_t nFrames = size >= 4 ? ReadInt32(data.data()) : -1;
    // Every frame takes at least its 4-byte count.
    if (nFrames < 0 || size_t(nFrames) > (size - 4) / 4) pszWhy = "its frame count does not fit the file";
    glm::vec3 vMin(99999.0f), vMax(-99999.0f);
    size_t at = 4;
    if (!pszWhy) frames.resize(size_t(nFrames));
    for (int32_t f = 0; !pszWhy && f < nFrames; ++f)
    {
        const int32_t n = size - at >= 4 ? ReadInt32(&data[at]) : -1;
        at += 4;
        if (n < 0 || size_t(n) > (size - std::min(at, size)) / pointBytes)
        {
            pszWhy = "a point count announces more points than the file holds";
            break;
        }
        Frame& frame = frames[size_t(f)];
        frame.nPointCount = n;
        if (bClip)
            frame._pPackedPoints = reinterpret_cast<const ClipPoint*>(&data[at]);
        else
        {
            frame._pFloatPoints = reinterpret_cast<float*>(&data[at]);
            for (int32_t j = 0; j < n; ++j)
            {
                const glm::vec3 p = ReadVec3(frame._pFloatPoints + 8 * j);
                if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                {
                    pszWhy = "a point is not a finite number";
                    break;
                }
                vMin = glm::min(vMin, p);
                vMax = glm::max(vMax, p);
            }
        }
        at += size_t(n) * pointBytes;
    }
    if (ppszWhy) *ppszWhy = pszWhy;
    if (pszWhy)
    {
        frames.clear();
        return false;
    }
    if (!bClip)
    {
        const glm::vec3 c = (vMin + vMax) * 0.5f;
        const float extent = std::max(vMax.x - vMin.x, std::max(vMax.y - vMin.y, vMax.z - vMin.z));
        // A cloud whose points all coincide has no extent: it is centred and keeps its scale.
        const float s = extent > 0.0f ? 200.0f / extent : 1.0f;
        for (Frame& frame : frames)
        {
            for (int32_t j = 0; j < frame.nPointCount; ++j)
            {
                const glm::vec3 p = (ReadVec3(frame._pFloatPoints + 8 * j) - c) * s;
                std::memcpy(frame._pFloatPoints + 8 * j, &p[0], sizeof(p));
            }
        }
    }
    return true;
}

void fxExtruder::Init()
{
    _aFrames.clear();
    _aData.clear();
    rvDataPack::GetInstance()->ReadInto(_sFile, _aData, true);
    if (_aData.empty())
    {
        rvReport(rvMessageKind::Warning, "fxExtruder: \"%s\" is missing or empty", _sFile.c_str());
        return;
    }
    const bool bClip = EndsWith(_sFile, ".clip.data");
    if (!bClip && !EndsWith(_sFile, ".data")) return;
    const char* pszWhy = nullptr;
    if (!ParseFrames(_aData, bClip, _aFrames, &pszWhy))
        rvReport(rvMessageKind::Warning, "fxExtruder: \"%s\" cannot be used: %s", _sFile.c_str(), pszWhy);
}

int fxExtruder::FrameIndex(float t, float fSpeed, float fTimeStart, int count, bool bLoop, bool bPingPong)
{
    const int f = int(t * fSpeed * FRAME_RATE) - int(fSpeed * fTimeStart * -FRAME_RATE);
    if (!bLoop && !bPingPong) return std::min(std::max(f, 0), count - 1);
    const int r = FloorMod(f, count);
    if (bPingPong && (FloorDiv(f, count) & 1)) return count - 1 - r;
    return r;
}

void fxExtruder::FrameWindow(int& first, int& windowEnd) const
{
    const int count = int(_aFrames.size());
    first = std::min(std::max(int(_vTimeRange.x * 1000.0f / 30.0f), 0), std::max(count - 1, 0));
    const int last = std::min(std::max(int(_vTimeRange.y * 1000.0f / 30.0f), 0), count);
    windowEnd = last > first ? last : count;
}

glm::vec3 fxExtruder::FramePoint(int f, int j) const
{
    const Frame& frame = _aFrames[size_t(f)];
    if (frame._pPackedPoints)
    {
        const ClipPoint& p = frame._pPackedPoints[j];
        return glm::vec3(p.x, p.y, p.z) * 0.003051851f;
    }
    rvAssert(frame._pFloatPoints);
    return ReadVec3(frame._pFloatPoints + 8 * j);
}

glm::vec3 fxExtruder::Place(const glm::vec3& p) const
{
    const glm::vec3 a = _vRotations * (3.1415927f / 180.0f);
    const glm::mat3 R(glm::eulerAngleYXZ(a.y, a.x, a.z));
    return R * (_fScale * p) + _vPosition;
}

void fxExtruder::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    const int count = int(_aFrames.size());
    if (count == 0) return;

    int first = 0, windowEnd = 0;
    FrameWindow(first, windowEnd);
    const int index = FrameIndex(_fTime, _fSpeed, _fTimeStart, count, _bLoop, _bPingPong);
    const float fade = GetFade();
    const glm::vec3 color =
        index >= first && index < windowEnd ? _vColor * fade : glm::vec3(1.0f, 0.0f, 0.0f);

    const Frame& frame = _aFrames[size_t(index)];
    for (int j = 0; j < frame.nPointCount; ++j)
    {
        const glm::vec3 p = Place(FramePoint(index, j));
        const vector_display_point dot(p.x, p.y, p.z, color.r, color.g, color.b, 0, _fThickness);
        vector_display_add_dot(_pCurrentDisplay, &dot);
    }

    if (_bZoneDraw)
    {
        const float x0 = _vZoneRangeX.x, x1 = _vZoneRangeX.y, z0 = _vZoneRangeZ.x, z1 = _vZoneRangeZ.y;
        const glm::vec2 corners[4] = {{x1, z0}, {x0, z0}, {x0, z1}, {x1, z1}};
        auto edge = [&](glm::vec2 p, float py, glm::vec2 q, float qy)
        {
            const vector_display_point a(p.x, py, p.y, 1.0f, 1.0f, 1.0f, 0, 0.5f);
            const vector_display_point b(q.x, qy, q.y, 1.0f, 1.0f, 1.0f, 0, 0.5f);
            vector_display_add_line(_pCurrentDisplay, &a, &b);
        };
        for (float y : {_vZoneRangeY.x, _vZoneRangeY.y})
            for (int k = 0; k < 4; ++k)
                edge(corners[k], y, corners[(k + 1) % 4], y);
        for (int k = 0; k < 4; ++k)
            edge(corners[k], _vZoneRangeY.x, corners[k], _vZoneRangeY.y);
    }
}

std::vector<uint8_t> fxExtruder::BuildClip()
{
    int first = 0, windowEnd = 0;
    FrameWindow(first, windowEnd);
    for (glm::vec2* r : {&_vZoneRangeX, &_vZoneRangeY, &_vZoneRangeZ})
        *r = glm::vec2(std::fmin(r->x, r->y), std::fmax(r->x, r->y));

    std::vector<uint8_t> out;
    auto put = [&out](const void* p, size_t n)
    { out.insert(out.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n); };
    const int32_t nFrames = std::max(windowEnd - first, 0);
    put(&nFrames, 4);
    std::vector<ClipPoint> kept;
    for (int f = first; f < windowEnd; ++f)
    {
        rvAssert(f >= 0 && f < (int)_aFrames.size());
        kept.clear();
        for (int n = 0; n < _aFrames[size_t(f)].nPointCount; ++n)
        {
            rvAssert(n >= 0 && n < _aFrames[f].nPointCount);
            const glm::vec3 q = Place(FramePoint(f, n));
            if (q.x < _vZoneRangeX.x || q.x > _vZoneRangeX.y || q.y < _vZoneRangeY.x ||
                q.y > _vZoneRangeY.y || q.z < _vZoneRangeZ.x || q.z > _vZoneRangeZ.y)
                continue;
            // A zone wider than the clip's range keeps its points at the range's edge rather
            // than wrapping them to the other side.
            auto pack = [](float v)
            { return int16_t(std::min(std::max(std::trunc(v * 327.67f), -32767.0f), 32767.0f)); };
            kept.push_back(ClipPoint{pack(q.x), pack(q.y), pack(q.z)});
        }
        const int32_t n = int32_t(kept.size());
        put(&n, 4);
        if (n) put(kept.data(), kept.size() * sizeof(ClipPoint));
    }
    return out;
}

void fxExtruder::GenerateClip(fxBase* pEffect)
{
    fxExtruder* self = static_cast<fxExtruder*>(pEffect);
    const std::vector<uint8_t> bytes = self->BuildClip();
    // Through a temporary file: a failed write keeps the previous clip (and is reported).
    rvSaveFile(GeneratedClipFile, std::string(bytes.begin(), bytes.end()));
}

void fxExtruder::CompressClip(fxBase*) {}

fxDescriptor* fxExtruder::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxExtruder", &fxExtruder::Create);
    return s_pDescriptor;
}

fxBase* fxExtruder::Create(fxDescriptor* pDescriptor)
{
    return new fxExtruder(pDescriptor);
}

fxDescriptor* fxExtruder::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    typedef fxExtruder E;
    d->Add(TYPE_FILE, "Data", rvOffsetOf<E>(&E::_sFile))->_sFilter = ".data";
    d->Add(TYPE_FLOAT, "Speed", rvOffsetOf<E>(&E::_fSpeed));
    d->Add(TYPE_BOOL, "Loop", rvOffsetOf<E>(&E::_bLoop));
    d->Add(TYPE_BOOL, "PingPong", rvOffsetOf<E>(&E::_bPingPong));
    d->Add(TYPE_FLOAT, "TimeStart", rvOffsetOf<E>(&E::_fTimeStart))->SetRange(0.0f, 20.0f);
    d->Add(TYPE_VEC3, "Position", rvOffsetOf<E>(&E::_vPosition))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_VEC3, "Rotations", rvOffsetOf<E>(&E::_vRotations))->SetRange(-180.0f, 180.0f);
    d->Add(TYPE_FLOAT, "Scale", rvOffsetOf<E>(&E::_fScale))->SetRange(0.1f, 2.0f);
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<E>(&E::_fThickness))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_COLOR3, "Color", rvOffsetOf<E>(&E::_vColor));
    d->Add(TYPE_VEC2, "ClipGeneration/TimeRange", rvOffsetOf<E>(&E::_vTimeRange))->SetRange(0.0f, 20.0f);
    d->Add(TYPE_VEC2, "ClipGeneration/ZoneRangeX", rvOffsetOf<E>(&E::_vZoneRangeX))
        ->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_VEC2, "ClipGeneration/ZoneRangeY", rvOffsetOf<E>(&E::_vZoneRangeY))
        ->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_VEC2, "ClipGeneration/ZoneRangeZ", rvOffsetOf<E>(&E::_vZoneRangeZ))
        ->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_BOOL, "ClipGeneration/ZoneDraw", rvOffsetOf<E>(&E::_bZoneDraw));
    d->Add(TYPE_FLOAT, "ClipGeneration/CompressionError", rvOffsetOf<E>(&E::_fCompressionError));
    d->Add(TYPE_BUTTON, "GenerateClip", rvOffsetOf<E>(&E::_pfnGenerateClip))->_sTooltip =
        "Generate \"generated.clip.data\" file";
    d->Add(TYPE_BUTTON, "CompressClip", rvOffsetOf<E>(&E::_pfnCompressClip))->_sTooltip =
        "Compress \"generated.clipak.data\" file";
    return d;
}
