#include "effects/fxParticleEmitter/fxParticleEmitter.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Sequencer/rvSequence.h"
#include "rvAssert.h"
#include "rvNumeric.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

fxParticleEmitter::fxParticleEmitter(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxParticleEmitter::~fxParticleEmitter()
{
    _aParticles.clear();
    _VectorScene.Clear();
}

float fxParticleEmitter::RandomRange(float fMin, float fMax)
{
    const uint32_t r1 = uint32_t(std::rand()) % 255u;
    const uint32_t r2 = uint32_t(std::rand()) % 255u;
    const uint32_t r3 = uint32_t(std::rand()) % 255u;
    const uint32_t r4 = uint32_t(std::rand()) % 255u;
    const uint32_t n = r1 + 256u * r2 + 65536u * r3 + 16777216u * r4;
    const float u = float(n) * (1.0f / 4294967296.0f);
    return fMin + u * (fMax - fMin);
}

void fxParticleEmitter::Init()
{
    _bSourceFound = false;
    if (_sSource.empty() || !_pSequence) return;
    if (fxBase* pSource = _pSequence->FindEffect(_sSource))
    {
        _pSourceScene = pSource->EvaluateAt(-1.0f);
        _bSourceFound = true;
    }
    else
        ReportNoEffectNamed("Source", _sSource, nullptr); // the particles start around "Pos"
}

bool fxParticleEmitter::RefreshSource()
{
    // Owners that hand a scene over directly name no source.
    if (_sSource.empty() || !_pSequence) return true;
    fxBase* pSource = _pSequence->FindEffect(_sSource);
    if (pSource)
    {
        _pSourceScene = pSource->EvaluateAt(-1.0f);
        _bSourceFound = true;
        return true;
    }
    // The pointer would dangle: a source that went away stops the emission; one that was never
    // there leaves the particles around "Pos".
    _pSourceScene = nullptr;
    return !_bSourceFound;
}

void fxParticleEmitter::OnEffectStart()
{
    _aParticles.clear();
    _fEmissionRemainder = 0.0f;
    _VectorScene.Clear();
    _vPrevPos = _vPos;
    const int nInitial = rvBoundInt(this, "InitialCount", _nInitialCount, 0, kMaxParticles);
    for (int i = 0; i < nInitial; ++i)
        Emit();
}

void fxParticleEmitter::Render()
{
    if (_bDebug)
    {
        vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
        rvAssert(_pCurrentDisplay);
        vector_display_set_rgb(_pCurrentDisplay, 1.0f, 1.0f, 1.0f);
        vector_display_draw_circle(_pCurrentDisplay, _vPos.x, _vPos.y, 0.0f, _fRadius, 64);
    }
    Advance(_fDeltaTime);
    if (_bDrawInRender) DrawParticles();
}

void fxParticleEmitter::Advance(float dt)
{
    if (dt < 0.0f) dt = 0.0f;
    UpdateParticles(dt);
    const bool bEmit = RefreshSource();
    const float fEmitted = float(_nEmission) * dt + _fEmissionRemainder;
    // Whole particles due, at most a full set (a long step or a huge rate is no int).
    const int nCount = rvClampToInt(double(fEmitted), 0, kMaxParticles, 0);
    _fEmissionRemainder = fEmitted >= 0.0f && nCount < kMaxParticles ? fEmitted - float(nCount) : 0.0f;
    const int nMax = rvBoundInt(this, "Particle Max", _nParticleMax, 0, kMaxParticles);
    for (int i = 0; bEmit && i < nCount && int(_aParticles.size()) < nMax; ++i)
        Emit();
    _vPrevPos = _vPos;
}

void fxParticleEmitter::DrawParticles() const
{
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    _VectorScene.Draw();
}

fxParticleEmitter::Particle& fxParticleEmitter::AddParticle()
{
    _aParticles.push_back(Particle{});
    VectorSceneLine* pLine = _VectorScene.AddLine(2);
    pLine->_vColor = glm::vec4(1.0f);
    pLine->_fWidth = 0.3f;
    return _aParticles.back();
}

void fxParticleEmitter::UpdateParticles(float dt)
{
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    const float f = GetFade();
    // Above 1 the power below has a negative base: every velocity would become NaN.
    const float fFriction = std::min(_fFriction, 1.0f);
    std::vector<VectorSceneLine*>& apLines = _VectorScene._apLines;
    size_t i = 0;
    while (i < _aParticles.size())
    {
        Particle& p = _aParticles[i];
        p._fAge += dt;
        if (p._fAge >= p._fLifeTime)
        {
            delete apLines[i];
            const size_t last = _aParticles.size() - 1;
            if (i != last)
            {
                _aParticles[i] = _aParticles[last];
                apLines[i] = apLines[last];
            }
            _aParticles.pop_back();
            apLines.pop_back();
            continue; // index i now holds the particle moved from the end
        }
        glm::vec3 d = p._vPos - _vPos;
        const float fLen = glm::length(d);
        d = fLen != 0.0f ? d / fLen : glm::vec3(0.0f);
        const float r = p._fRadialAccel, t = p._fTangentialAccel, g = p._fGravity;
        p._vVelocity.x += dt * (d.x * r - d.y * t);
        p._vVelocity.y += dt * (d.y * r + d.x * t) + dt * g;
        p._vVelocity.z += dt * (d.z * r + d.z * t);
        if (fFriction != 0.0f)
        {
            const float k = 1.0f - std::pow(1.0f - fFriction, dt);
            p._vVelocity += (glm::vec3(0.0f) - p._vVelocity) * k;
        }
        p._vPos += p._vVelocity * dt;
        const float s = p._fAge / p._fLifeTime;
        p._vColor = _vColorStart + (_vColorEnd - _vColorStart) * s;

        VectorSceneLine* pLine = apLines[i];
        pLine->_pColor = nullptr;
        // The display accepts colour components up to 1 only.
        pLine->_vColor = glm::clamp(p._vColor * f, 0.0f, 1.0f);
        const float fSpeed = glm::length(p._vVelocity);
        const glm::vec3 vTail = fSpeed != 0.0f ? p._vVelocity / fSpeed * _fSegmentLength : glm::vec3(0.0f);
        pLine->_aPoints.clear();
        pLine->_fLength = 0.0f;
        pLine->_vMin = glm::vec2(1.0f);
        pLine->_vMax = glm::vec2(-1.0f);
        pLine->AddPoint(p._vPos - vTail);
        pLine->AddPoint(p._vPos);
        ++i;
    }
}

void fxParticleEmitter::Emit()
{
    const float u = RandomRange(0.0f, 1.0f);
    glm::vec3 vBase = _vPos + (_vPrevPos - _vPos) * u;
    if (_pSourceScene)
    {
        float fTotal = 0.0f;
        for (const VectorScene* pChild : _pSourceScene->_apChildren)
            fTotal += pChild->GetLength();
        for (const VectorSceneLine* pLine : _pSourceScene->_apLines)
            fTotal += pLine->_fLength;
        const float v = RandomRange(0.0f, 1.0f);
        vBase = _pSourceScene->PointAtLength(fTotal * v)._vPosition;
    }
    const float t = RandomRange(-1.0f, 1.0f);
    const float phi = RandomRange(0.0f, 6.2831855f);
    const float s = std::sqrt(std::max(1.0f - t * t, 0.0f));
    const glm::vec3 vPosition = vBase + _fRadius * glm::vec3(std::cos(phi) * s, std::sin(phi) * s, t);

    Particle& p = AddParticle();
    p._fAge = 0.0f;
    p._fLifeTime = RandomRange(_fLifeTimeMin, _fLifeTimeMax);
    p._vPos = vPosition;
    if (_bRadialEmission)
    {
        const glm::vec3 e = vPosition - _vPos;
        const float fLen2 = glm::dot(e, e);
        p._vVelocity = fLen2 != 0.0f ? e / std::sqrt(fLen2) : glm::vec3(0.0f);
    }
    else
    {
        const float a = (RandomRange(-_fSpread, _fSpread) * 0.5f + _fDirection) * 0.017453292f;
        p._vVelocity = glm::vec3(std::cos(a), std::sin(a), 0.0f);
    }
    p._vVelocity *= RandomRange(_fSpeedMin, _fSpeedMax);
    p._fGravity = RandomRange(_fGravityMin, _fGravityMax);
    p._fRadialAccel = RandomRange(_fRadialAccelMin, _fRadialAccelMax);
    p._fTangentialAccel = RandomRange(_fTangentialAccelMin, _fTangentialAccelMax);
}

fxDescriptor* fxParticleEmitter::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxParticleEmitter", &fxParticleEmitter::Create);
    return s_pDescriptor;
}

fxBase* fxParticleEmitter::Create(fxDescriptor* pDescriptor)
{
    return new fxParticleEmitter(pDescriptor);
}

fxDescriptor* fxParticleEmitter::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using E = fxParticleEmitter;
    d->Add(TYPE_STRING, "Source", rvOffsetOf<E>(&E::_sSource));
    d->Add(TYPE_VEC3, "Pos", rvOffsetOf<E>(&E::_vPos))->SetRange(-50.0f, 50.0f);
    d->Add(TYPE_FLOAT, "Radius", rvOffsetOf<E>(&E::_fRadius))->SetRange(0.0f, 20.0f);
    d->Add(TYPE_COLOR4, "ColorStart", rvOffsetOf<E>(&E::_vColorStart));
    d->Add(TYPE_COLOR4, "ColorEnd", rvOffsetOf<E>(&E::_vColorEnd));
    d->Add(TYPE_INT, "InitialCount", rvOffsetOf<E>(&E::_nInitialCount))->SetIntRange(0, 1000);
    d->Add(TYPE_INT, "Emission", rvOffsetOf<E>(&E::_nEmission))->SetIntRange(0, 1000);
    d->Add(TYPE_INT, "Particle Max", rvOffsetOf<E>(&E::_nParticleMax))->SetIntRange(0, 10000);
    d->Add(TYPE_FLOAT, "LifeTime Min", rvOffsetOf<E>(&E::_fLifeTimeMin))->SetRange(0.01f, 5.0f);
    d->Add(TYPE_FLOAT, "LifeTime Max", rvOffsetOf<E>(&E::_fLifeTimeMax))->SetRange(0.01f, 5.0f);
    d->Add(TYPE_BOOL, "RadialEmission", rvOffsetOf<E>(&E::_bRadialEmission));
    d->Add(TYPE_FLOAT, "Segment Length", rvOffsetOf<E>(&E::_fSegmentLength))->SetRange(0.01f, 10.0f);
    d->Add(TYPE_FLOAT, "Direction", rvOffsetOf<E>(&E::_fDirection))->SetRange(-180.0f, 180.0f);
    d->Add(TYPE_FLOAT, "Spread", rvOffsetOf<E>(&E::_fSpread))->SetRange(0.0f, 360.0f);
    d->Add(TYPE_FLOAT, "Speed Min", rvOffsetOf<E>(&E::_fSpeedMin))->SetRange(0.0f, 50.0f);
    d->Add(TYPE_FLOAT, "Speed Max", rvOffsetOf<E>(&E::_fSpeedMax))->SetRange(0.0f, 50.0f);
    d->Add(TYPE_FLOAT, "Gravity Min", rvOffsetOf<E>(&E::_fGravityMin))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Gravity Max", rvOffsetOf<E>(&E::_fGravityMax))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Radial Accel Min", rvOffsetOf<E>(&E::_fRadialAccelMin))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Radial Accel Max", rvOffsetOf<E>(&E::_fRadialAccelMax))->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Tangential Accel Min", rvOffsetOf<E>(&E::_fTangentialAccelMin))
        ->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Tangential Accel Max", rvOffsetOf<E>(&E::_fTangentialAccelMax))
        ->SetRange(-10.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Friction", rvOffsetOf<E>(&E::_fFriction))->SetRange(0.0f, 1.0f);
    return d;
}
