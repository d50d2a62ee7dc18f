#include "effects/fxBBC/fxBBC.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace
{
constexpr float kTwoPi = 6.2831855f;
constexpr float kFullTurn = 6.282185482f;

// A height in [0, 1] from rand() reduced to 0 ... 32767 whatever the library's RAND_MAX.
float RandomHeight()
{
    return float(std::rand() & 0x7FFF) / 32767.f;
}

glm::vec3 Map(const glm::mat4& m, float x, float y)
{
    return glm::vec3(m * glm::vec4(x, y, 0.f, 1.f));
}

void Segment(vector_display* display, const glm::vec3& a, const glm::vec3& b)
{
    vector_display_strip_begin(display, a.x, a.y, a.z);
    vector_display_strip_to(display, b.x, b.y, b.z);
    vector_display_strip_end(display);
}
} // namespace

fxBBC::fxBBC(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxBBC::~fxBBC() = default;

void fxBBC::Init()
{
    std::srand(unsigned(std::time(nullptr)));
    _fLength = 20.f;
    _fShrink = 0.f;
    _nPhase = 0;
    _nPhaseRequest = 0;
    _fRadius = _fRadiusInit;
    BuildItems(true);
    _Morph._bShowWindow = true;
    _aMorphNodes.clear();
    _aMorphEdges.clear();
    _Morph._paSourceNodes = &_aMorphNodes;
    _Morph._paSourceEdges = &_aMorphEdges;
    _Morph._SVGDest.Release();
    _Morph._SVGDest.Load(_sFile.c_str());
}

void fxBBC::Kill()
{
    _aItems.clear();
    _aMorphNodes.clear();
    _aMorphEdges.clear();
    _Morph._SVGSource.Release();
    _Morph._SVGDest.Release();
}

void fxBBC::BuildItems(bool bCreate)
{
    // "Item Count" bounds the ring at 1 item at least (a count of 0 would space items infinitely).
    const int nItems = rvBoundInt(this, "Item Count", _nItemCount, 1, kMaxItems);
    const float step = kTwoPi / float(nItems);
    if (bCreate)
    {
        _aItems.clear();
        for (int i = 0; i < nItems; ++i)
        {
            const float a = float(i) * step;
            _aItems.emplace_back(std::sin(a) * _fRadius + _vCenter.x, _vCenter.y - std::cos(a) * _fRadius,
                                 RandomHeight());
        }
        return;
    }
    for (size_t i = 0; i < _aItems.size(); ++i)
    {
        const float a = float(i) * step;
        _aItems[i].x = std::sin(a) * _fRadius + _vCenter.x;
        _aItems[i].y = _vCenter.y - std::cos(a) * _fRadius;
    }
}

int fxBBC::SpiralPoints() const
{
    const float k = _fRadius / _fRadiusTarget * 12.f;
    // A radius or target that gives no finite count draws the smallest item.
    const int nK = std::isfinite(k) ? int(std::min(std::max(k, 0.f), 16.f)) : 16;
    return nK < 16 ? 16 - nK : 1;
}

void fxBBC::DrawItemPoint(const glm::vec3& p)
{
    vector_display* display = rvSceneDisplay::_pCurrentDisplay;
    const glm::mat4& M = _Transform._mMatrix;
    const glm::vec3 rel = p - _vCenter;
    const float d = std::sqrt(rel.x * rel.x + rel.y * rel.y + rel.z * rel.z);
    const glm::vec3 u = d > 0.f ? rel / d : glm::vec3(0.f);
    const float L = 5.f * p.z + _fLength - 5.f;
    if (_nPhase == 0)
    {
        Segment(display, Map(M, p.x, p.y), Map(M, L * u.x, L * u.y));
        if (_fRadiusTarget >= _fRadius) _fRadius += _fRadiusSpeed * _fFrameTime;
        if (_fLength >= 0.75f * _fRadiusTarget) _nPhaseRequest = 1;
    }
    else if (_nPhase == 1)
    {
        const glm::vec3 dot = Map(M, p.x, p.y);
        Segment(display, dot, dot);
        const float inner = d - _fShrink;
        Segment(display, Map(M, inner * u.x, inner * u.y), Map(M, L * u.x, L * u.y));
        const float n = float(_aMorphNodes.size());
        _aMorphNodes.push_back(L * u);
        _aMorphNodes.push_back(inner * u);
        _aMorphEdges.emplace_back(n, n + 1.f, 0.f);
        if (_fLength <= 0.25f * _fRadiusTarget) _nPhaseRequest = 2;
    }
    else
    {
        const glm::vec3 dot = Map(M, p.x, p.y);
        Segment(display, dot, dot);
    }
}

void fxBBC::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    // The frame's whole time, so that a slow frame keeps time with the music; the morph's speed
    // grows step by step.
    const rvTimelineClock::SimulationSteps steps = SimulationSteps();
    _fFrameTime = steps.Total();
    _Transform.Update();
    BuildItems(false);
    vector_display_set_rgb(_pCurrentDisplay, 0.4f, 0.4f, 0.9f);
    _aMorphNodes.clear();
    _aMorphEdges.clear();
    for (size_t i = 0; i < _aItems.size(); ++i)
    {
        const glm::vec3 c = _aItems[i];
        const float step = kTwoPi / float(SpiralPoints());
        DrawItemPoint(c);
        for (int j = 1;; ++j)
        {
            const float a = float(j) * step;
            DrawItemPoint(glm::vec3(std::sin(a - _fAngle) * _fItemRadius + c.x,
                                    c.y - std::cos(a - _fAngle) * _fItemRadius, 0.05f * float(j - 1) * step + c.z));
            if (!(a < kFullTurn)) break;
        }
    }
    const float dt = _fFrameTime;
    if (_nPhase == 0)
    {
        _fLength += _fLenghtSpeed * dt;
        if (_nPhaseRequest == 1) _nPhase = 1;
    }
    else if (_nPhase == 1)
    {
        _fLength -= _fLenghtSpeed * dt;
        _fShrink += 2.f * _fLenghtSpeed * dt;
        if (_nPhaseRequest == 2)
        {
            _Morph.Build();
            _nPhase = 2;
        }
    }
    else
    {
        _Morph._Transform = _Transform;
        // The recorded graph has no pivot of its own: it turns about the transform's.
        _Morph._SVGSource._vPivot = _Transform._vPivot;
        _Morph._SVGSource._mFitMatrix = _Transform._mMatrix;
        // A node moves once a frame (its step covers the whole frame: at the morph's speed a
        // step of a tenth of a second already lands it).
        for (int row = 0; row < morphNodeSequence::kRows; ++row)
            _Morph.StepRow(row, dt);
        for (int i = 0; i < steps.nCount; ++i)
            _Morph._fSpeed *= 1.f + steps.fStep;
        _Morph.Render();
    }
    _fAngle += _fRadBySec * dt;
}

fxDescriptor* fxBBC::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxBBC", &fxBBC::Create);
    return s_pDescriptor;
}

fxBase* fxBBC::Create(fxDescriptor* pDescriptor)
{
    return new fxBBC(pDescriptor);
}

fxDescriptor* fxBBC::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    d->Add(TYPE_INT, "Item Count", rvOffsetOf<fxBBC>(&fxBBC::_nItemCount))->SetIntRange(1, 16);
    d->Add(TYPE_FLOAT, "Item Radius", rvOffsetOf<fxBBC>(&fxBBC::_fItemRadius))->SetRange(1.f, 10.f);
    d->Add(TYPE_FLOAT, "Radius Init", rvOffsetOf<fxBBC>(&fxBBC::_fRadiusInit))->SetRange(5.f, 1000.f);
    d->Add(TYPE_FLOAT, "Radius Target", rvOffsetOf<fxBBC>(&fxBBC::_fRadiusTarget))->SetRange(5.f, 1000.f);
    d->Add(TYPE_FLOAT, "Radius Speed", rvOffsetOf<fxBBC>(&fxBBC::_fRadiusSpeed))->SetRange(0.f, 6.5f);
    d->Add(TYPE_FLOAT, "Lenght Speed", rvOffsetOf<fxBBC>(&fxBBC::_fLenghtSpeed))->SetRange(0.f, 50.f);
    d->Add(TYPE_FLOAT, "RadBySec", rvOffsetOf<fxBBC>(&fxBBC::_fRadBySec))->SetRange(0.f, 1.f);
    d->Add(TYPE_VEC3, "Center", rvOffsetOf<fxBBC>(&fxBBC::_vCenter))->SetRange(-100.f, 100.f);
    d->Add(TYPE_TRANSFORM_3D, "Transform", rvOffsetOf<fxBBC>(&fxBBC::_Transform));
    return d;
}
