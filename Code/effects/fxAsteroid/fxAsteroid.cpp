#include "effects/fxAsteroid/fxAsteroid.h"

#include "Factory/AttribDesc.h"
#include "Factory/Drivers/Noise.h"
#include "Factory/fxDescriptor.h"
#include "Font/rvTextBuilder.h"
#include "Loader/rvLoader.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "rvAssert.h"
#include "rvClipper.h"
#include "rvFile.h"
#include "rvMessage.h"
#include "rvRandom.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace
{
const float kStep = 0.016666668f;
// Longest input file used, in steps (about 19 hours at 60 per second).
const size_t kMaxInputBytes = size_t(1) << 22;

// v / |v|, or the fallback when v has no length.
glm::vec2 Normalized(const glm::vec2& v, const glm::vec2& fallback = glm::vec2(0.0f, 1.0f))
{
    const float l = glm::length(v);
    return l > 0.0f ? v / l : fallback;
}

// A colour the vector display accepts (components up to 1).
glm::vec4 Displayable(const glm::vec4& c)
{
    return glm::clamp(c, 0.0f, 1.0f);
}

// Every emitter of the game advances in the game's steps and is drawn once per frame, in Draw.
fxParticleEmitter* NewEmitter()
{
    auto* e = static_cast<fxParticleEmitter*>(fxParticleEmitter::Create(fxParticleEmitter::GetDescriptor()));
    e->_bDrawInRender = false;
    return e;
}

void DeleteEmitter(fxParticleEmitter* e)
{
    if (!e) return;
    e->SetState(State_DemoStoped);
    delete e;
}

// The emitter settings of a burst that no longer emits once started.
void SetBurst(fxParticleEmitter* e, float fFadeIn, float fFadeOut, int nEnd, int nInitial)
{
    e->_fFadeIn = fFadeIn;
    e->_fFadeOut = fFadeOut;
    e->_nEnd = nEnd;
    e->_nInitialCount = nInitial;
    e->_nEmission = 0;
}

void DeleteRock(fxAsteroid::Rock* pRock)
{
    pRock->_VectorScene.Clear();
    delete pRock;
}
} // namespace

// ------------------------------------------------------------------------------- input

fxAsteroid::InputPollFn fxAsteroid::_pfnPollInput = &fxAsteroid::PollDefaultInput;

fxAsteroid::fxAsteroid(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _ScoreTransform._vPosition = glm::vec2(0.0f, 50.0f);
    _ScoreText._fSize = 5.0f;
    _ScoreText._fScale = 1.0f;
    _ScoreText._fDotSize = 0.1f;
    _ScoreText._bRenderOutline = true;
    _ScoreText._fFontScale = 1.0f;
    _pReactor = NewEmitter();
    _pExplosion = NewEmitter();
}

fxAsteroid::~fxAsteroid()
{
    DeleteEmitter(_pReactor);
    DeleteEmitter(_pExplosion);
    for (Rock* pRock : _apRocks)
        DeleteRock(pRock);
    for (Bullet& b : _aBullets)
        DeleteEmitter(b._pTrail);
    for (fxParticleEmitter* e : _apEmitters)
        DeleteEmitter(e);
    _ScoreScene.Clear();
    _ShipScene.Clear();
}

void fxAsteroid::ReadInput()
{
    _nInput = _pfnPollInput ? uint8_t(_pfnPollInput() & 0x1F) : 0;
    if (_nInput != 0)
        _bLiveInput = true;
    else if (!_bLiveInput && _nFrame >= 0 && size_t(_nFrame) < _aInputs.size())
        _nInput = uint8_t(_aInputs[size_t(_nFrame)] & 0x1F);
    if (_bRecordInputs && _nFrame >= 0 && size_t(_nFrame) < kMaxInputBytes)
    {
        if (_aInputs.size() < size_t(_nFrame) + 1) _aInputs.resize(size_t(_nFrame) + 1, 0);
        _aInputs[size_t(_nFrame)] = _nInput;
    }
}

// ------------------------------------------------------------------------------- lifecycle

void fxAsteroid::Init()
{
    _pReactor->SetState(State_DemoStarted);
    std::vector<uint8_t> data;
    const bool read = rvDataPack::GetInstance()->ReadInto(_sRecordFile, data);
    // A recording run makes the file; any other run without it replays nothing.
    if ((!read || data.empty()) && !_bRecordInputs)
        rvReport(rvMessageKind::Warning, "fxAsteroid: \"%s\" is %s; the game runs without its recorded input",
                 _sRecordFile.c_str(), read ? "empty" : "missing");
    if (read)
    {
        if (data.size() > kMaxInputBytes) data.resize(kMaxInputBytes);
        _aInputs.swap(data);
    }
}

void fxAsteroid::OnEffectStart()
{
    _fRockSpawnTimer = 0.0f;
    _fShootTimer = 0.0f;
    _fDeadTimer = 0.0f;
    _nFrame = 0;
    _fStepDelta = 0.0f;
    SetScore(0);
    _nRandomState = uint32_t(_nRandomSeed);
    BuildShip();
    _ShipTransform._vPosition = glm::vec2(_vPosInit.x, _vPosInit.y);
    _ShipTransform._fRotation = 0.0f;
    _vShipVelocity = glm::vec2(0.0f);
    // The first step reads its forward direction from the matrix: a fresh run starts from the
    // same one whatever the previous run left.
    _ShipTransform.Update();
    _ShipScene.CopyMatrix(_ShipTransform, false);
    _pReactor->SetState(State_EffectStarted);
    _aBullets.resize(size_t(_nBulletSlots));
    _bLiveInput = false;
    _bFirstStep = true;
}

void fxAsteroid::OnEffectStop()
{
    if (_bRecordInputs) SaveInputs();
    _pReactor->SetState(State_SequenceStarted);
    for (Rock* pRock : _apRocks)
        DeleteRock(pRock);
    _apRocks.clear();
    for (Bullet& b : _aBullets)
        DeleteEmitter(b._pTrail);
    _aBullets.clear();
    for (fxParticleEmitter* e : _apEmitters)
        DeleteEmitter(e);
    _apEmitters.clear();
}

bool fxAsteroid::SaveInputs() const
{
    return WriteInputFile(_sRecordFile, _aInputs);
}

bool fxAsteroid::WriteInputFile(const std::string& sPath, const std::vector<uint8_t>& aBytes)
{
    // Written beside the file and renamed over it: a failed save keeps the old recording and
    // says why on stderr.
    return rvSaveFile(sPath, std::string(aBytes.begin(), aBytes.end()));
}

// ------------------------------------------------------------------------------- stepping

void fxAsteroid::Render()
{
    Advance();
    Draw();
}

void fxAsteroid::Advance()
{
    const int nTarget = int(std::round(_fTime * 60.0f));
    if (_bFirstStep)
    {
        // Step 0, the zero-length step at effect start, runs whatever local time the first frame
        // brings (the timeline starts an effect up to a frame late): a replay does not depend on
        // where the first frame falls.
        _bFirstStep = false;
        _fStepDelta = 0.0f;
        Step();
        if (nTarget == 0) return;
    }
    const int n = nTarget - _nFrame;
    if (n == 0)
    {
        _fStepDelta = 0.0f;
        Step();
    }
    else if (n < 0)
    {
        _fStepDelta = _fDeltaTime;
        _nFrame = nTarget;
        Step();
    }
    else
    {
        _fStepDelta = kStep;
        for (int i = 0; i < n; ++i)
        {
            _nFrame += 1;
            Step();
        }
    }
    _nFrame = nTarget;
}

void fxAsteroid::Step()
{
    ReadInput();
    UpdateShip();
    UpdateBullets();
    UpdateRocks();
    // The reactor flame, the ship's explosion, the bullet trails and the bursts advance with every
    // step (each with the delta its update set), so they keep the game's time at any frame rate;
    // they are drawn once per frame, in Draw.
    _pReactor->Update();
    if (_fDeadTimer > 0.0f) _pExplosion->Update();
    for (Bullet& b : _aBullets)
        if (b._fTimer >= 0.0f) b._pTrail->Update();
    for (fxParticleEmitter* e : _apEmitters)
    {
        if (e->_eState != State_EffectStarted) continue;
        e->_fPendingDelta = _fStepDelta;
        e->Update();
    }
    ReleaseFinishedEmitters();
}

void fxAsteroid::Wrap(glm::vec2& vPos, float fMargin) const
{
    const float X = _vScreenSize.x + fMargin, Y = _vScreenSize.y + fMargin;
    if (vPos.x < -X) vPos.x += 2.0f * X;
    if (vPos.x > X) vPos.x -= 2.0f * X;
    if (vPos.y < -Y) vPos.y += 2.0f * Y;
    if (vPos.y > Y) vPos.y -= 2.0f * Y;
}

void fxAsteroid::UpdateShip()
{
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    const float dt = _fStepDelta;
    const glm::vec2 fwd(_ShipTransform._mMatrix[1][0], _ShipTransform._mMatrix[1][1]);
    if (_fDeadTimer > 0.0f)
    {
        _fDeadTimer -= dt;
        _pExplosion->_fPendingDelta = dt;
    }
    else
    {
        float& fHeading = _ShipTransform._fRotation;
        if (_nInput & INPUT_LEFT) fHeading += dt * _fShipRotSpeed;
        if (_nInput & INPUT_RIGHT) fHeading -= dt * _fShipRotSpeed;

        fxParticleEmitter* r = _pReactor;
        r->_fFadeIn = r->_fFadeOut = 0.0f;
        r->_nEnd = 999999;
        r->_nEmission = 0;
        r->_vColorStart = _vReactorColorStart;
        r->_vColorEnd = _vReactorColorEnd;
        r->_fRadius = 0.5f;
        r->_fSegmentLength = 0.3f;
        r->_fLifeTimeMin = 0.1f;
        r->_fLifeTimeMax = 0.3f;
        r->_fSpread = 40.0f;
        r->_fGravityMin = r->_fGravityMax = 0.0f;
        r->_fTangentialAccelMin = r->_fTangentialAccelMax = 0.0f;

        glm::vec2& vPos = _ShipTransform._vPosition;
        if (_nInput & INPUT_THRUST)
        {
            _vShipVelocity += dt * _fShipAcceleration * fwd;
            const float fSpeed = glm::length(_vShipVelocity);
            if (fSpeed > _fShipMoveSpeedMax) _vShipVelocity *= _fShipMoveSpeedMax / fSpeed;
            r->_nEmission = 150;
        }
        r->SetState(State_EffectStarted);
        const float s = glm::length(_vShipVelocity);
        _vShipVelocity += dt * _fShipFriction * (-_vShipVelocity) * s;
        vPos += dt * _vShipVelocity;
        Wrap(vPos, _fShipRadius);
        r->_vPos = glm::vec3(vPos - _fShipRadiusBot * fwd, 0.0f);
        r->_fDirection = fHeading - 90.0f;
        r->_fPendingDelta = dt;

        _fShootTimer -= dt;
        if ((_nInput & INPUT_FIRE) && _fShootTimer <= 0.0f)
        {
            _fShootTimer = _fShootCooldown;
            // With every slot in flight the shot is refused.
            auto it = std::find_if(_aBullets.begin(), _aBullets.end(),
                                   [](const Bullet& b) { return b._fTimer < 0.0f; });
            if (it != _aBullets.end())
            {
                Bullet& b = *it;
                b._vPos = vPos + _fShipRadius * fwd;
                b._vVelocity = _fBulletSpeed * fwd;
                b._fTimer = 0.0f;
                b._bDying = false;
                if (!b._pTrail) b._pTrail = NewEmitter();
                fxParticleEmitter* t = b._pTrail;
                t->_fFadeIn = t->_fFadeOut = 0.0f;
                t->_nEnd = 999999;
                t->_nEmission = 200;
                t->_vColorStart = _vShipColor * 0.5f;
                t->_vColorEnd = glm::vec4(0.0f);
                t->_fRadius = 0.25f;
                t->_fSegmentLength = 0.25f;
                t->_fLifeTimeMin = 0.15f;
                t->_fLifeTimeMax = 0.3f;
                t->_fSpread = 360.0f;
                t->_fSpeedMin = 1.0f;
                t->_fSpeedMax = 5.0f;
                t->_fGravityMin = t->_fGravityMax = 0.0f;
                t->_fTangentialAccelMin = -10.0f;
                t->_fTangentialAccelMax = 10.0f;
                t->SetState(State_EffectStarted);
            }
        }

        const size_t nRocks = _apRocks.size();
        for (size_t i = 0; i < nRocks; ++i)
        {
            const Rock& rock = *_apRocks[i];
            const glm::vec2 d = vPos - rock._Transform._vPosition;
            const float fReach = _fShipRadius + rock._fRadius;
            if (!(fReach * fReach > glm::dot(d, d))) continue;
            _fDeadTimer = 3.0f;
            fxParticleEmitter* e = _pExplosion;
            e->SetState(State_DemoStoped);
            const glm::vec2 dir = Normalized(d);
            e->_pSourceScene = &_ShipScene;
            SetBurst(e, 0.2f, 0.5f, 120, 150);
            e->_bRadialEmission = true;
            e->_vColorStart = _vShipColor;
            e->_vColorEnd = glm::vec4(0.0f);
            e->_fRadius = 0.0f;
            e->_fSegmentLength = 1.0f;
            e->_fLifeTimeMin = 0.5f;
            e->_fLifeTimeMax = 2.0f;
            e->_fDirection = std::atan2(dir.y, dir.x) * 57.29578f;
            e->_fSpread = 180.0f;
            e->_fSpeedMin = 20.0f;
            e->_fSpeedMax = 40.0f;
            e->_fGravityMin = e->_fGravityMax = 0.0f;
            e->_fTangentialAccelMin = e->_fTangentialAccelMax = 0.0f;
            e->_fRadialAccelMin = e->_fRadialAccelMax = 0.0f;
            e->_fFriction = 0.95f;
            e->_vPos = glm::vec3(vPos, 0.0f);
            e->SetState(State_EffectStarted);
            vPos = glm::vec2(_vPosInit.x, _vPosInit.y);
            fHeading = 0.0f;
            _vShipVelocity = glm::vec2(0.0f);
            r->_nEmission = 0;
            r->SetState(State_SequenceStarted);
        }
    }
    _ShipTransform.Update();
    _ShipScene.CopyMatrix(_ShipTransform, false);
}

void fxAsteroid::UpdateBullets()
{
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    const float dt = _fStepDelta;
    for (Bullet& b : _aBullets)
    {
        if (b._fTimer < 0.0f) continue;
        b._vPos += dt * b._vVelocity;
        fxParticleEmitter* t = b._pTrail;
        t->_vPos = glm::vec3(b._vPos, 0.0f);
        t->_fDirection = 0.0f;
        t->_fPendingDelta = dt;
        if (b._bDying)
        {
            b._fTimer -= dt;
            if (b._fTimer < 0.0f) t->SetState(State_SequenceStarted);
            continue;
        }
        bool bHit = false;
        if (std::fabs(b._vPos.x) <= _vScreenSize.x && std::fabs(b._vPos.y) <= _vScreenSize.y)
        {
            const size_t nRocks = _apRocks.size();
            for (size_t i = 0; i < nRocks; ++i)
            {
                const Rock& rock = *_apRocks[i];
                const glm::vec2 d = b._vPos - rock._Transform._vPosition;
                if (rock._fRadius * rock._fRadius > glm::dot(d, d))
                {
                    SplitRock(int(i), b, Normalized(b._vVelocity));
                    bHit = true;
                    break;
                }
            }
        }
        else
            bHit = true; // left the field
        if (bHit)
        {
            b._bDying = true;
            b._vVelocity = glm::vec2(0.0f);
            b._fTimer = 2.0f;
            t->_nEmission = 0;
        }
    }
}

// ------------------------------------------------------------------------------- rocks

float fxAsteroid::NextRandom()
{
    return rvRandomNext(_nRandomState);
}

void fxAsteroid::UpdateRocks()
{
    const float dt = _fStepDelta;
    _fRockSpawnTimer -= dt;
    if (_apRocks.size() <= 10 && _fRockSpawnTimer <= 0.0f)
    {
        SpawnRock();
        _fRockSpawnTimer = 3.0f;
    }
    for (Rock* pRock : _apRocks)
    {
        glm::vec2& p = pRock->_Transform._vPosition;
        if (_bDebug)
        {
            vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
            rvAssert(_pCurrentDisplay);
            vector_display_set_rgb(_pCurrentDisplay, 0.9f, 0.1f, 0.1f);
            vector_display_draw_circle(_pCurrentDisplay, p.x, p.y, 0.0f, pRock->_fRadius, 64);
        }
        if (pRock->_bEntered)
            Wrap(p, pRock->_fRadius);
        else if (std::fabs(p.x) <= _vScreenSize.x && std::fabs(p.y) <= _vScreenSize.y)
            pRock->_bEntered = true;
    }
    const size_t n = _apRocks.size();
    for (size_t j = 0; j < n; ++j)
    {
        for (size_t k = 0; k < n; ++k)
        {
            if (j == k) continue;
            Rock& p = *_apRocks[j];
            Rock& q = *_apRocks[k];
            const glm::vec2 delta = p._Transform._vPosition - q._Transform._vPosition;
            const float fDist2 = glm::dot(delta, delta);
            const float fReach = p._fRadius + q._fRadius;
            // Rocks on one point have no normal between them: they pass through each other.
            if (!(fReach * fReach > fDist2) || fDist2 == 0.0f) continue;
            const glm::vec2 sep = (p._Transform._vPosition + 0.01f * p._vVelocity) -
                                  (q._Transform._vPosition + 0.01f * q._vVelocity);
            if (glm::dot(sep, sep) > fDist2) continue;
            const glm::vec2 nrm = delta / std::sqrt(fDist2);
            const glm::vec2 tan(-nrm.y, nrm.x);
            const float mp = p._fRadius * p._fRadius, mq = q._fRadius * q._fRadius;
            const float np = glm::dot(p._vVelocity, nrm), tp = glm::dot(p._vVelocity, tan);
            const float nq = glm::dot(q._vVelocity, nrm), tq = glm::dot(q._vVelocity, tan);
            const float np2 = 0.8f * ((mp - mq) * np + 2.0f * mq * nq) / (mp + mq);
            const float nq2 = 0.8f * ((mq - mp) * nq + 2.0f * mp * np) / (mp + mq);
            p._vVelocity = tp * tan + np2 * nrm;
            q._vVelocity = tq * tan + nq2 * nrm;
        }
    }
    for (Rock* pRock : _apRocks)
    {
        pRock->_Transform._vPosition += dt * pRock->_vVelocity;
        pRock->_Transform._fRotation += dt * pRock->_fRotSpeed;
        pRock->_Transform.Update();
        pRock->_VectorScene.CopyMatrix(pRock->_Transform, false);
    }
}

void fxAsteroid::SpawnRock()
{
    Rock* pRock = new Rock();
    const float R = _fAstroRadius;
    // A stored resolution below 3 has no outline, a huge one no end.
    const int N = std::min(std::max(_nAstroResol, 3), 4096);
    const float a = NextRandom() * 6.2831855f - 3.1415927f;
    pRock->_Transform._vPosition = _fAstroSpawnRadius * glm::vec2(std::cos(a), std::sin(a));
    pRock->_Transform._fRotation = 75.0f;
    const float k = 10.0f * float(_apRocks.size());
    VectorSceneLine outline(N + 1);
    pRock->_Transform.Update();
    const glm::mat4& M = pRock->_Transform._mMatrix;
    for (int i = 0; i <= N; ++i)
    {
        const float m = float(i) / float(N);
        const float theta = m * 6.2831855f;
        const float r1 = 0.7f * R + 0.3f * R * noise1D((10.0f * m + k) * 0.5f + 5.5f, 3, 0.5f);
        const float r2 = 0.7f * R + 0.3f * R * noise1D((10.0f * m + k - 10.0f) * 0.5f + 5.5f, 3, 0.5f);
        const float r = r1 + (r2 - r1) * m;
        const glm::vec4 w = M * glm::vec4(r * std::cos(theta), r * std::sin(theta), 0.0f, 1.0f);
        outline.AddPoint(w.x, w.y, w.z);
    }
    BuildRockFromOutline(outline, *pRock);
    const float t = (2.0f * NextRandom() - 1.0f) * 0.52359879f + a;
    const float s = NextRandom() * 5.0f + 15.0f;
    pRock->_vVelocity = glm::vec2(-s * std::cos(t), -s * std::sin(t));
    pRock->_fRotSpeed = NextRandom() * 100.0f - 50.0f;
    pRock->_bEntered = false;
    pRock->_nGeneration = 0;
    _apRocks.push_back(pRock);
}

void fxAsteroid::BuildRockFromOutline(const VectorSceneLine& outline, Rock& rock)
{
    rock._Transform.Update();
    const glm::mat4 M = rock._Transform._mMatrix;
    const glm::mat4 Minv = glm::inverse(M);
    rock._VectorScene.Clear();
    VectorSceneLine* pLine = rock._VectorScene.AddLine(int(outline._aPoints.size()));
    pLine->_fWidth = _fThickness;
    pLine->_pWidth = nullptr;
    const bool bEmpty = outline.HasEmptyBox();
    const glm::vec2 c = bEmpty ? glm::vec2(0.0f) : (outline._vMin + outline._vMax) * 0.5f;
    const glm::vec4 lc = Minv * glm::vec4(c, 0.0f, 1.0f);
    for (const glm::vec3& P : outline._aPoints)
    {
        const glm::vec4 l = Minv * glm::vec4(P, 1.0f) - lc;
        pLine->AddPoint(l.x, l.y, l.z);
    }
    const glm::vec4 shift = M * glm::vec4(lc.x, lc.y, lc.z, 0.0f);
    rock._Transform._vPosition += glm::vec2(shift.x, shift.y);
    const glm::vec2 size = bEmpty ? glm::vec2(0.0f) : outline._vMax - outline._vMin;
    rock._fRadius = 0.5f * std::max(size.x, size.y);
}

void fxAsteroid::SplitRock(int nRock, const Bullet& bullet, const glm::vec2& vDir)
{
    Rock* pRock = _apRocks[size_t(nRock)];
    static const std::vector<glm::vec3> s_aNone;
    const std::vector<glm::vec3>& pts =
        pRock->_VectorScene._apLines.empty() ? s_aNone : pRock->_VectorScene._apLines[0]->_aPoints;
    const size_t n = pts.size();
    float fArea = 0.0f;
    if (n >= 3)
    {
        float fSum = 0.0f;
        for (size_t j = 0; j < n; ++j)
        {
            const glm::vec3& a = pts[j == 0 ? n - 1 : j - 1];
            const glm::vec3& b = pts[j];
            fSum += (a.y - b.y) * (b.x + a.x);
        }
        fArea = -0.5f * fSum;
    }
    if (n < 3 || fArea <= 60.0f)
    {
        ExplodeRock(pRock->_VectorScene, pRock->_Transform._vPosition, pRock->_fRadius);
        SetScore(_nScore + 10 * (int(4.0f * fArea) / 10));
    }
    else
    {
        rvClipper::Path subject;
        glm::vec2 C(0.0f);
        for (size_t j = 1; j < n; ++j)
        {
            subject.push_back(rvClipper::ToPoint(pts[j].x, pts[j].y));
            C += glm::vec2(pts[j].x, pts[j].y);
        }
        C /= float(n);

        const glm::mat4 M = pRock->_Transform._mMatrix;
        const glm::mat4 Minv = glm::inverse(M);
        const float R = pRock->_fRadius;
        const glm::vec2 h = bullet._vPos;
        const glm::vec2 a = h + R * vDir;
        const glm::vec2 hl = glm::vec2(Minv * glm::vec4(h, 0.0f, 1.0f));
        const glm::vec2 al = glm::vec2(Minv * glm::vec4(a, 0.0f, 1.0f));
        const glm::vec2 D = Normalized(Normalized(C - hl) + Normalized(al - hl), Normalized(al - hl));
        const glm::vec2 S = hl - R * D, E = hl + 3.0f * R * D;
        SpawnSparks(h, a);
        glm::vec2 P[20];
        for (int q = 0; q < 20; ++q)
        {
            const float w = 2.0f * NextRandom() - 1.0f;
            P[q] = S + (E - S) * (float(q) / 20.0f) + w * glm::vec2(D.y, -D.x);
        }
        rvClipper::Path clip;
        for (int q = 0; q < 20; ++q)
            clip.push_back(rvClipper::Point(rvClipper::Round(100.0 * P[q].x + D.y),
                                            rvClipper::Round(100.0 * P[q].y - D.x)));
        for (int q = 19; q >= 0; --q)
            clip.push_back(rvClipper::Point(rvClipper::Round(100.0 * P[q].x - D.y),
                                            rvClipper::Round(100.0 * P[q].y + D.x)));

        for (const rvClipper::Path& poly : rvClipper::Difference(subject, clip))
        {
            if (rvClipper::Area(poly) / 10000.0 < 20.0 || poly.empty()) continue;
            Rock* pPiece = new Rock();
            VectorSceneLine outline(int(poly.size()) + 1);
            pPiece->_Transform = pRock->_Transform;
            pPiece->_Transform.Update();
            glm::vec2 sum(0.0f);
            for (const rvClipper::Point& pt : poly)
            {
                const glm::vec4 w = M * glm::vec4(float(pt.X) / 100.0f, float(pt.Y) / 100.0f, 0.0f, 1.0f);
                outline.AddPoint(w.x, w.y, w.z);
                sum += glm::vec2(w);
            }
            outline.AddPoint(outline._aPoints[0]);
            BuildRockFromOutline(outline, *pPiece);
            const glm::vec2 f = sum / float(poly.size());
            const glm::vec2 Cw = glm::vec2(M * glm::vec4(C, 0.0f, 1.0f));
            const glm::vec2 e = Normalized(f - Cw, glm::vec2(0.0f));
            pPiece->_vVelocity = pRock->_vVelocity + 4.0f * glm::vec2(Minv * glm::vec4(e, 0.0f, 0.0f));
            pPiece->_fRotSpeed = pRock->_fRotSpeed + NextRandom() * 20.0f - 10.0f;
            pPiece->_nGeneration = pRock->_nGeneration + 1;
            if (pPiece->_fRadius < 5.0f)
            {
                ExplodeRock(pRock->_VectorScene, pRock->_Transform._vPosition, pRock->_fRadius);
                DeleteRock(pPiece);
                break;
            }
            _apRocks.push_back(pPiece);
        }
        SetScore(_nScore + 10 * (int(fArea) / 10));
    }
    // The rock hit leaves the list: the last entry takes its index.
    const size_t nLast = _apRocks.size() - 1;
    _apRocks[size_t(nRock)] = _apRocks[nLast];
    _apRocks.pop_back();
    DeleteRock(pRock);
}

fxParticleEmitter* fxAsteroid::AcquireEmitter()
{
    if (int(_apEmitters.size()) >= kMaxEmitters) return nullptr;
    fxParticleEmitter* e = NewEmitter();
    _apEmitters.push_back(e);
    return e;
}

void fxAsteroid::ReleaseFinishedEmitters()
{
    auto finished = [](fxParticleEmitter* e)
    { return e->_eState == State_EffectStarted && e->_fTime >= e->GetDuration() && e->_aParticles.empty(); };
    auto it = std::stable_partition(_apEmitters.begin(), _apEmitters.end(),
                                    [&](fxParticleEmitter* e) { return !finished(e); });
    for (auto j = it; j != _apEmitters.end(); ++j)
        DeleteEmitter(*j);
    _apEmitters.erase(it, _apEmitters.end());
}

void fxAsteroid::ExplodeRock(VectorScene& scene, const glm::vec2& vPos, float fRadius)
{
    fxParticleEmitter* e = AcquireEmitter();
    if (!e) return;
    e->_pSourceScene = &scene;
    SetBurst(e, 0.2f, 0.5f, 60, 20);
    e->_bRadialEmission = true;
    e->_vColorStart = _vSparkColor;
    e->_vColorEnd = glm::vec4(0.5f);
    e->_fSegmentLength = 1.5f;
    e->_fLifeTimeMin = 0.5f;
    e->_fLifeTimeMax = 1.0f;
    e->_vPos = glm::vec3(vPos, 0.0f);
    e->_fRadius = fRadius * 0.25f;
    e->_fSpread = 360.0f;
    e->_fSpeedMin = e->_fSpeedMax = 20.0f;
    e->_fGravityMin = e->_fGravityMax = 0.0f;
    e->_fTangentialAccelMin = e->_fTangentialAccelMax = 0.0f;
    e->_fRadialAccelMin = e->_fRadialAccelMax = -20.0f;
    e->SetState(State_EffectStarted);
    e->_pSourceScene = nullptr;
}

void fxAsteroid::SpawnSparks(const glm::vec2& vHit, const glm::vec2& vInner)
{
    fxParticleEmitter* e = AcquireEmitter();
    if (!e) return;
    VectorScene segment;
    VectorSceneLine* pLine = segment.AddLine(2);
    pLine->AddPoint(vHit.x, vHit.y, 0.0f);
    pLine->AddPoint(vInner.x, vInner.y, 0.0f);
    e->_pSourceScene = &segment;
    SetBurst(e, 0.25f, 0.25f, 30, 10);
    e->_bRadialEmission = false;
    e->_vColorStart = _vSparkColor;
    e->_vColorEnd = glm::vec4(0.0f);
    e->_fRadius = 0.5f;
    e->_fSegmentLength = 0.5f;
    e->_fLifeTimeMin = e->_fLifeTimeMax = 0.5f;
    e->_fSpread = 360.0f;
    e->_fSpeedMin = 2.0f;
    e->_fSpeedMax = 5.0f;
    e->_fGravityMin = e->_fGravityMax = 0.0f;
    e->_fTangentialAccelMin = -1.0f;
    e->_fTangentialAccelMax = 1.0f;
    e->_vPos = glm::vec3(vHit, 0.0f);
    e->SetState(State_EffectStarted);
    e->_pSourceScene = nullptr;
}

// ------------------------------------------------------------------------------- drawing

void fxAsteroid::BuildShip()
{
    _ShipScene.Clear();
    VectorSceneLine* pLine = _ShipScene.AddLine(6);
    const float R = _fShipRadius, B = _fShipRadiusBot;
    const float a1 = _fShipAngle1 * 0.0174532924f, a2 = _fShipAngle2 * 0.0174532924f;
    pLine->AddPoint(0.0f, R, 0.0f);
    pLine->AddPoint(R * std::sin(a1), -R * std::cos(a1), 0.0f);
    pLine->AddPoint(B * std::sin(a2), -B * std::cos(a2), 0.0f);
    pLine->AddPoint(-B * std::sin(a2), -B * std::cos(a2), 0.0f);
    pLine->AddPoint(-R * std::sin(a1), -R * std::cos(a1), 0.0f);
    pLine->AddPoint(0.0f, R, 0.0f);
    pLine->_fWidth = _fThickness;
    pLine->_vColor = Displayable(_vShipColor);
}

void fxAsteroid::OnBuildShipButton(fxBase* pEffect)
{
    static_cast<fxAsteroid*>(pEffect)->BuildShip();
}

void fxAsteroid::SetScore(int nScore)
{
    _nScore = nScore;
    _ScoreText._sText = std::to_string(nScore);
    _ScoreScene.Clear();
    BuildTextSimplex(_ScoreText, &_ScoreScene, Displayable(_vScoreColor));
    _ScoreScene.SetWidthPointer(&_fThickness);
}

void fxAsteroid::Draw()
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    _pReactor->DrawParticles();
    if (_fDeadTimer <= 0.0f)
        _ShipScene.Draw();
    else
        _pExplosion->DrawParticles();
    for (const Rock* pRock : _apRocks)
        pRock->_VectorScene.Draw();
    for (Bullet& b : _aBullets)
    {
        if (b._fTimer < 0.0f) continue;
        if (!b._bDying)
        {
            const glm::vec4 c = Displayable(_vBulletColor);
            vector_display_set_rgb(_pCurrentDisplay, c.r, c.g, c.b);
            vector_display_draw_circle(_pCurrentDisplay, b._vPos.x, b._vPos.y, 0.0f, _fBulletRadius, 32);
        }
        b._pTrail->DrawParticles();
    }
    for (const fxParticleEmitter* e : _apEmitters)
        if (e->_eState == State_EffectStarted) e->DrawParticles();
    _ScoreTransform.Update();
    _ScoreScene.CopyMatrix(_ScoreTransform, false);
    _ScoreScene.Draw();
    if (_bDebug)
    {
        vector_display_set_rgb(_pCurrentDisplay, 1.0f, 0.0f, 0.0f);
        vector_display_draw_rect(_pCurrentDisplay, -_vScreenSize.x, -_vScreenSize.y, 2.0f * _vScreenSize.x,
                                 2.0f * _vScreenSize.y);
    }
}

// ------------------------------------------------------------------------------- registration

fxDescriptor* fxAsteroid::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxAsteroid", &fxAsteroid::Create);
    return s_pDescriptor;
}

fxBase* fxAsteroid::Create(fxDescriptor* pDescriptor)
{
    return new fxAsteroid(pDescriptor);
}

fxDescriptor* fxAsteroid::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    using A = fxAsteroid;
    d->Add(TYPE_INT, "RandomSeed", rvOffsetOf<A>(&A::_nRandomSeed));
    d->Add(TYPE_VEC3, "PosInit", rvOffsetOf<A>(&A::_vPosInit))->SetRange(-60.0f, 60.0f);
    d->Add(TYPE_VEC2, "ScreenSize", rvOffsetOf<A>(&A::_vScreenSize))->SetRange(0.0f, 200.0f);
    d->Add(TYPE_BOOL, "RecordInputs", rvOffsetOf<A>(&A::_bRecordInputs));
    d->Add(TYPE_FILE, "RecordFile", rvOffsetOf<A>(&A::_sRecordFile))->_sFilter = ".input";
    d->Add(TYPE_FLOAT, "Ship/Rot Speed", rvOffsetOf<A>(&A::_fShipRotSpeed))->SetRange(0.0f, 180.0f);
    d->Add(TYPE_FLOAT, "Ship/Move Speed Max", rvOffsetOf<A>(&A::_fShipMoveSpeedMax))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Ship/Acceleration", rvOffsetOf<A>(&A::_fShipAcceleration))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Ship/Friction", rvOffsetOf<A>(&A::_fShipFriction))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_FLOAT, "Ship/ShootCooldown", rvOffsetOf<A>(&A::_fShootCooldown))->SetRange(0.0f, 1.0f);
    d->Add(TYPE_FLOAT, "Ship/BulletSpeed", rvOffsetOf<A>(&A::_fBulletSpeed))->SetRange(10.0f, 200.0f);
    d->Add(TYPE_FLOAT, "Ship/BulletRadius", rvOffsetOf<A>(&A::_fBulletRadius))->SetRange(10.0f, 200.0f);
    d->Add(TYPE_FLOAT, "Draw/Ship Radius", rvOffsetOf<A>(&A::_fShipRadius))->SetRange(0.0f, 50.0f);
    d->Add(TYPE_FLOAT, "Draw/Ship RadiusBot", rvOffsetOf<A>(&A::_fShipRadiusBot))->SetRange(0.0f, 50.0f);
    d->Add(TYPE_FLOAT, "Draw/Ship Angle1", rvOffsetOf<A>(&A::_fShipAngle1))->SetRange(0.0f, 90.0f);
    d->Add(TYPE_FLOAT, "Draw/Ship Angle2", rvOffsetOf<A>(&A::_fShipAngle2))->SetRange(0.0f, 90.0f);
    d->Add(TYPE_FLOAT, "Draw/Thickness", rvOffsetOf<A>(&A::_fThickness))->SetRange(0.0f, 5.0f);
    d->Add(TYPE_COLOR4, "Draw/Ship Color", rvOffsetOf<A>(&A::_vShipColor));
    d->Add(TYPE_COLOR4, "Draw/Reactor Color Start", rvOffsetOf<A>(&A::_vReactorColorStart));
    d->Add(TYPE_COLOR4, "Draw/Reactor Color End", rvOffsetOf<A>(&A::_vReactorColorEnd));
    d->Add(TYPE_COLOR4, "Draw/Bullet Color", rvOffsetOf<A>(&A::_vBulletColor));
    d->Add(TYPE_TRANSFORM_2D, "Score/Transform", rvOffsetOf<A>(&A::_ScoreTransform));
    d->Add(TYPE_COLOR4, "Score/Color", rvOffsetOf<A>(&A::_vScoreColor));
    d->Add(TYPE_FLOAT, "Score/Size",
           rvOffsetOf<A>(&A::_ScoreText) + rvOffsetOf<rvTextParams, rvTextParams>(&rvTextParams::_fSize))
        ->SetRange(0.0f, 10.0f);
    d->Add(TYPE_FLOAT, "Astro/Radius", rvOffsetOf<A>(&A::_fAstroRadius))->SetRange(0.0f, 5.0f);
    d->Add(TYPE_INT, "Astro/Resol", rvOffsetOf<A>(&A::_nAstroResol))->SetIntRange(4, 128);
    d->Add(TYPE_FLOAT, "Astro/Spawn Radius", rvOffsetOf<A>(&A::_fAstroSpawnRadius))->SetRange(0.0f, 150.0f);
    d->Add(TYPE_BUTTON, "BuildShip", rvOffsetOf<A>(&A::_pfnBuildShip));
    return d;
}
