#include "effects/fxLorenz/fxLorenz.h"

#include "Factory/rvEditorHook.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Sequencer/rvSequence.h"
#include "VectorScene/VectorScene.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

fxLorenz::Input::Input()
    : _fTransfer(0.0f), _nPoints(1000), _fAccelerationMin(0.3f), _fAccelerationRnd(0.3f),
      _fThicknessFactori(1.0f), _fThicknessFactorf(1.0f), _pDots(nullptr), _nNext(0), _nPrepared(0)
{
}

fxLorenz::fxLorenz(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _nCountStart(100), _nCountMax(20000), _nSpawnPerSec(2000), _fSpawnRange(175.0f),
      _vDotColor(1.0f), _fDotThickness(0.2f), _vPos(0.0f), _fDefaultZ(-200.0f), _vSize(1.0f), _fSigma(10.0f),
      _fRho(28.0f), _fBeta(8.0f / 3.0f), _fSpeed(0.2f), _nSpawned(0), _fSpawnCarry(0.0f), _nSeed(0)
{
}

fxLorenz::~fxLorenz()
{
    for (Input& input : _aInputs)
        FreeInput(input);
}

int fxLorenz::Rand15()
{
    return int((_Random() >> 8) & 0x7FFF);
}

void fxLorenz::FreeInput(Input& input)
{
    delete[] input._pDots;
    input._pDots = nullptr;
    input._nNext = 0;
    input._nPrepared = 0;
}

void fxLorenz::SpawnDot(float fTargetThickness)
{
    const float u1 = Rand15() / 16383.0f - 1.0f;
    const float u2 = Rand15() / 16383.0f - 1.0f;
    const float u3 = Rand15() / 16383.0f - 1.0f;
    if (_aDots.size() >= _aDots.capacity()) return; // no room: dropped
    Dot d;
    d._Point = vector_display_point(_fSpawnRange * u3, _fSpawnRange * u2, _fSpawnRange * u1, _vDotColor.r,
                                    _vDotColor.g, _vDotColor.b, 0, _fDotThickness);
    d._fThicknessBlend = 1.0f;
    d._fFadeIn = 0.0f;
    d._fSpeed = _fSpeed;
    d._fAcceleration = 0.0f;
    d._fTargetThickness = fTargetThickness;
    _aDots.push_back(d);
}

void fxLorenz::Init()
{
    _Random.seed(_nSeed != 0 ? _nSeed : unsigned(std::time(nullptr)));
    _aDots.clear();
    const int nCountMax = rvBoundInt(this, "Dot/CountMax", _nCountMax, 0, kMaxDots);
    const int nCountStart = rvBoundInt(this, "Dot/CountStart", _nCountStart, 0, nCountMax);
    _aDots.reserve(size_t(nCountMax));
    _fSpawnCarry = 0.0f;
    _nSpawned = nCountStart;
    for (int i = 0; i < nCountStart; ++i)
        SpawnDot(1.0f);
    for (Input& input : _aInputs)
        PrepareInput(input);
}

void fxLorenz::PrepareInput(Input& input)
{
    FreeInput(input);
    if (!_pSequence) return;
    fxBase* pOther = _pSequence->FindEffect(input._sFxName);
    if (!pOther) return;
    VectorScene* pScene = pOther->EvaluateAt(pOther->GetDuration());
    static const char* const s_apszPoints[] = {"Input0/Points", "Input1/Points", "Input2/Points"};
    static_assert(sizeof(s_apszPoints) / sizeof(*s_apszPoints) == INPUT_COUNT, "one name per input");
    const int n = rvBoundInt(this, s_apszPoints[&input - _aInputs], input._nPoints, 0, kMaxInputPoints);
    if (!pScene || n <= 0) return;
    const float fStep = pScene->GetLength() / float(n);
    input._pDots = new Dot[size_t(n)];
    input._nPrepared = n;
    float fDist = 0.0f;
    for (int j = 0; j < n; ++j, fDist += fStep)
    {
        const VectorScenePoint s = pScene->PointAtLength(fDist);
        Dot& d = input._pDots[j];
        d._Point = vector_display_point(s._vPosition.x, s._vPosition.y, s._vPosition.z, s._vColor.r,
                                        s._vColor.g, s._vColor.b, 0, s._fWidth * input._fThicknessFactori);
        d._fThicknessBlend = 0.0f;
        d._fFadeIn = 1.0f;
        d._fSpeed = 0.0f;
        d._fAcceleration = (Rand15() * input._fAccelerationRnd / 32767.0f + input._fAccelerationMin) * 0.1f;
        d._fTargetThickness = input._fThicknessFactorf * _fDotThickness;
    }
    _aDots.reserve(_aDots.capacity() + size_t(n));
    input._nNext = 0;
}

void fxLorenz::Kill()
{
    _aDots.clear();
    for (Input& input : _aInputs)
        FreeInput(input);
}

void fxLorenz::AddDot(const Dot& dot)
{
    // A zero size has no inverse: the dot would have no position, so it is not released.
    if (_vSize.x == 0.0f || _vSize.y == 0.0f) return;
    if (_aDots.size() >= _aDots.capacity()) return;
    Dot d = dot;
    const float X = dot._Point.x, Y = dot._Point.y, Z = dot._Point.z;
    d._Point.x = Y / _vSize.y - _vPos.y;
    d._Point.y = _vPos.x - X / _vSize.x;
    d._Point.z = Z - _fDefaultZ;
    _aDots.push_back(d);
}

void fxLorenz::Render()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);

    // The dot count goes into the editor's current window when a frame is being built
    // (fxLorenzEditor.cpp).
    rvEditorHook<&fxLorenz::Render>::Call(*this);

    const float fFade = GetFade();
    const float fSpan = GetDuration();
    const bool bFadingOut = _fFadeOut != 0.0f && _fTime > fSpan - _fFadeOut;
    // A slow frame runs several steps, so the flock keeps time with the music; the fade-out's
    // spread is a per-frame push, made in the first step only.
    const rvTimelineClock::SimulationSteps steps = SimulationSteps();
    for (int nStep = 0; nStep < steps.nCount; ++nStep)
    {
        const float dt = steps.fStep;
        const bool bFirst = nStep == 0, bDraw = nStep + 1 == steps.nCount;
        if (dt > 0.0f)
        {
            for (Input& input : _aInputs)
            {
                if (!bFirst || !input._pDots || input._fTransfer == 0.0f) continue;
                const int nEnd = std::min(input._nPoints, input._nPrepared);
                for (int j = input._nNext; j < nEnd; ++j)
                    AddDot(input._pDots[j]);
                input._nNext = std::max(input._nNext, nEnd);
            }
            const int nCountMax = rvBoundInt(this, "Dot/CountMax", _nCountMax, 0, kMaxDots);
            if (_nSpawned < nCountMax)
            {
                const int nPerSec = rvBoundInt(this, "Dot/SpawnPerSec", _nSpawnPerSec, 0, kMaxSpawnPerSec);
                const float h = float(nPerSec) * dt + _fSpawnCarry;
                const int nWhole = int(h);
                _fSpawnCarry = h - float(nWhole);
                const int nCount = std::min(nWhole, nCountMax - _nSpawned);
                for (int i = 0; i < nCount; ++i)
                    SpawnDot(_fDotThickness);
                _nSpawned += nCount;
            }
        }

        // A backward seek does not run the flock backwards: the system is unstable in reverse.
        const float fStep = std::max(dt, 0.0f);
        for (Dot& d : _aDots)
        {
            float x = d._Point.x, y = d._Point.y;
            const float z = d._Point.z;
            if (bFadingOut && bFirst)
            {
                x *= 2.0f - fFade;
                y *= 2.0f - fFade;
            }
            const float fThickness = d._Point.thickness;
            if (d._fThicknessBlend < 1.0f)
            {
                d._fThicknessBlend = std::min(d._fThicknessBlend + fStep * 0.1f, 1.0f);
                d._Point.thickness += (d._fTargetThickness - d._Point.thickness) * d._fThicknessBlend;
            }
            float fColor = 1.0f;
            if (d._fFadeIn < 1.0f)
            {
                d._fFadeIn = std::min(d._fFadeIn + fStep, 1.0f);
                fColor = d._fFadeIn;
            }
            if (d._fSpeed < _fSpeed) d._fSpeed = std::min(d._fSpeed + d._fAcceleration * fStep, _fSpeed);

            const float h = d._fSpeed * fStep * 0.01f;
            const float nx = x + h * _fSigma * (y - x);
            const float ny = y + h * ((_fRho - z) * x - y);
            const float nz = z + h * (x * y - _fBeta * z);
            d._Point.x = nx;
            d._Point.y = ny;
            d._Point.z = nz;

            if (!bDraw) continue;
            vector_display_point p((_vPos.x - ny) * _vSize.x, (nx + _vPos.y) * _vSize.y, nz + _fDefaultZ,
                                   d._Point.r * fColor, d._Point.g * fColor, d._Point.b * fColor, 0, fThickness);
            vector_display_add_dot(_pCurrentDisplay, &p);
        }
    }
}

fxDescriptor* fxLorenz::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxLorenz", &fxLorenz::Create);
    return s_pDescriptor;
}

fxBase* fxLorenz::Create(fxDescriptor* pDescriptor)
{
    return new fxLorenz(pDescriptor);
}

fxDescriptor* fxLorenz::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_INT, "Dot/CountStart", rvOffsetOf<fxLorenz>(&fxLorenz::_nCountStart))->SetIntRange(0, 500);
    d->Add(TYPE_INT, "Dot/CountMax", rvOffsetOf<fxLorenz>(&fxLorenz::_nCountMax))->SetIntRange(10000, 30000);
    d->Add(TYPE_INT, "Dot/SpawnPerSec", rvOffsetOf<fxLorenz>(&fxLorenz::_nSpawnPerSec))->SetIntRange(0, 500);
    d->Add(TYPE_FLOAT, "Dot/SpawnRange", rvOffsetOf<fxLorenz>(&fxLorenz::_fSpawnRange))
        ->SetRange(0.0f, 500.0f);
    d->Add(TYPE_COLOR4, "Dot/Color", rvOffsetOf<fxLorenz>(&fxLorenz::_vDotColor));
    d->Add(TYPE_FLOAT, "Dot/Thickness", rvOffsetOf<fxLorenz>(&fxLorenz::_fDotThickness))
        ->SetRange(0.0f, 1.0f);
    d->Add(TYPE_VEC2, "Lorentz/Pos", rvOffsetOf<fxLorenz>(&fxLorenz::_vPos))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_VEC2, "Lorentz/Size", rvOffsetOf<fxLorenz>(&fxLorenz::_vSize))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Lorentz/Speed", rvOffsetOf<fxLorenz>(&fxLorenz::_fSpeed))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Lorentz/Sigma", rvOffsetOf<fxLorenz>(&fxLorenz::_fSigma))->SetRange(0.0f, 20.0f);
    d->Add(TYPE_FLOAT, "Lorentz/Rho", rvOffsetOf<fxLorenz>(&fxLorenz::_fRho))->SetRange(0.0f, 40.0f);
    d->Add(TYPE_FLOAT, "Lorentz/Beta", rvOffsetOf<fxLorenz>(&fxLorenz::_fBeta))->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Lorentz/DefaultZ", rvOffsetOf<fxLorenz>(&fxLorenz::_fDefaultZ))
        ->SetRange(-300.0f, 0.0f);

    const int nInputs = rvOffsetOf<fxLorenz>(&fxLorenz::_aInputs);
    for (int n = 0; n < INPUT_COUNT; ++n)
    {
        char prefix[16];
        std::snprintf(prefix, sizeof(prefix), "Input%d", n);
        const std::string p = prefix;
        const int base = nInputs + n * int(sizeof(Input));
        d->Add(TYPE_STRING, p + "/FxName", base + rvOffsetOf<Input, Input>(&Input::_sFxName));
        d->Add(TYPE_FLOAT, p + "/Transfer", base + rvOffsetOf<Input, Input>(&Input::_fTransfer))
            ->SetRange(0, 1);
        d->Add(TYPE_INT, p + "/Points", base + rvOffsetOf<Input, Input>(&Input::_nPoints))
            ->SetIntRange(0, 10000);
        d->Add(TYPE_FLOAT, p + "/AccelerationMin", base + rvOffsetOf<Input, Input>(&Input::_fAccelerationMin))
            ->SetRange(0.0f, 1.0f);
        d->Add(TYPE_FLOAT, p + "/AccelerationRnd", base + rvOffsetOf<Input, Input>(&Input::_fAccelerationRnd))
            ->SetRange(0.0f, 1.0f);
        d->Add(TYPE_FLOAT, p + "/ThicknessFactori",
               base + rvOffsetOf<Input, Input>(&Input::_fThicknessFactori))
            ->SetRange(0.0f, 2.0f);
        d->Add(TYPE_FLOAT, p + "/ThicknessFactorf",
               base + rvOffsetOf<Input, Input>(&Input::_fThicknessFactorf))
            ->SetRange(0.0f, 2.0f);
    }
    return d;
}
