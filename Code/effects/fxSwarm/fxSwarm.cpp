#include "effects/fxSwarm/fxSwarm.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "rvAssert.h"
#include "rvRandom.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <cmath>
#include <cstring>

glm::vec3 RandomPointOnSphere(uint32_t& nState, float fRadius)
{
    const float u1 = rvRandomNext(nState);
    const float u2 = rvRandomNext(nState);
    const float z = 2.0f * u1 - 1.0f;
    const float phi = 6.2831855f * u2;
    const float s = std::sqrt(std::max(1.0f - z * z, 0.0f));
    return glm::vec3(fRadius * s * std::cos(phi), fRadius * s * std::sin(phi), fRadius * z);
}

fxSwarm::fxSwarm(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxSwarm::~fxSwarm()
{
    _mapGrid.clear();
    _aBoids.clear();
    _aTargets.clear();
    _aSpawnPoints.clear();
}

void fxSwarm::Init()
{
    _nRandomState = uint32_t(_nRandomSeed);
    _aSpawnPoints.clear();
    const int nSpawn = rvBoundInt(this, "SpawnCount", _nSpawnCount, 0, kMaxSpawnPoints);
    for (int i = 0; i < nSpawn; ++i)
    {
        const glm::vec3 p = RandomPointOnSphere(_nRandomState, 1.0f);
        const glm::vec3 v = RandomPointOnSphere(_nRandomState, 10.0f);
        _aSpawnPoints.push_back({_vAquariumSize * p, v});
    }
    UpdateBoidCount();
    const int nBoids = std::max(int(_aBoids.size()), 1);
    const int nPreRoll = std::min(rvBoundInt(this, "SkipFrames", _nSkipFrames, 0, 2 * kMaxPreRoll + 1) >> 1,
                                  kMaxPreRollBoidSteps / nBoids);
    for (int i = 0; i < nPreRoll; ++i)
        Step(0.033333335f);
}

void fxSwarm::Kill()
{
    _mapGrid.clear();
    _aBoids.clear();
}

void fxSwarm::Render()
{
    const rvTimelineClock::SimulationSteps steps = SimulationSteps();
    for (int i = 0; i < steps.nCount; ++i)
        Step(steps.fStep);
    Draw();
}

void fxSwarm::UpdateBoidCount()
{
    const size_t nWanted = size_t(rvBoundInt(this, "BoidCount", _nBoidCount, 0, kMaxBoids));
    // Without a spawn point there is nowhere to spawn from: no boid is added.
    const int nPoints = int(_aSpawnPoints.size());
    while (_aBoids.size() < nWanted && nPoints > 0)
    {
        const float u = rvRandomNext(_nRandomState);
        // The spawn count of the last Init, or the list's own size once "SpawnCount" has changed
        // since, so that the index stays inside the list.
        const int nCount = _nSpawnCount == nPoints ? _nSpawnCount : nPoints;
        const int index = std::min(int(u * float(nCount - 1)), nPoints - 1);
        const glm::vec3 a = RandomPointOnSphere(_nRandomState, 5.0f);
        const glm::vec3 b = RandomPointOnSphere(_nRandomState, 5.0f);
        Boid boid;
        boid._vPos = _aSpawnPoints[size_t(index)]._vPos + a;
        boid._vVelocity = _aSpawnPoints[size_t(index)]._vVelocity + b;
        _aBoids.push_back(std::move(boid));
    }
    while (_aBoids.size() > nWanted)
        _aBoids.pop_back();
}

void fxSwarm::Step(float dt)
{
    UpdateBoidCount();
    _fBlindspotCos = std::cos(_fBlindspotAngleDeg * 6.2831855f / 360.0f);
    BuildSpatialHash();
    const size_t nTrail = size_t(rvBoundInt(this, "DrawLength", _nDrawLength, 0, kMaxTrail));
    for (Boid& b : _aBoids)
    {
        b._vVelocity += dt * b._vAcceleration;
        const float fSpeed = glm::length(b._vVelocity);
        if (fSpeed > _fMaxVelocity) b._vVelocity = b._vVelocity * (1.0f / fSpeed) * _fMaxVelocity;
        b._vPos += dt * b._vVelocity;
        for (int axis = 0; axis < 3; ++axis)
        {
            const float p = b._vPos[axis];
            const float fOver = std::fabs(p) - _vAquariumSize[axis];
            if (fOver > 0.0f)
            {
                const float fSign = p > 0.0f ? 1.0f : (p < 0.0f ? -1.0f : 0.0f);
                b._vVelocity[axis] -= fSign * fOver * fOver * _fWallForce * dt;
            }
        }
        b._aTrail.insert(b._aTrail.begin(), b._vPos);
        if (b._aTrail.size() > nTrail) b._aTrail.resize(nTrail);
    }
}

fxSwarm::CellKey fxSwarm::CellOf(const glm::vec3& p) const
{
    const float c = _fCellSize;
    return CellKey{std::round(p.x / c), std::round(p.y / c), std::round(p.z / c)};
}

void fxSwarm::BuildSpatialHash()
{
    if (_fPerceptionRadius == 0.0f) _fPerceptionRadius = 1.0f;
    const float fRadius = rvBoundFloat(this, "PerceptionRadius", _fPerceptionRadius, -kMaxPerceptionRadius,
                                       kMaxPerceptionRadius, 1.0f);
    _fCellSize = std::max(std::fabs(fRadius), kMinCellSize);
    _mapGrid.clear();
    _mapGrid.reserve(_aBoids.size());
    for (Boid& b : _aBoids)
        _mapGrid[CellOf(b._vPos)].push_back(&b);
    for (Boid& b : _aBoids)
        ComputeAcceleration(b);
}

void fxSwarm::GatherNeighbours(const Boid& boid, const CellKey& key, std::vector<Neighbour>& aNeighbours)
{
    auto it = _mapGrid.find(key);
    if (it == _mapGrid.end()) return;
    for (Boid* o : it->second)
    {
        const glm::vec3 d = o->_vPos - boid._vPos;
        const float fDist = glm::length(d);
        const float fSpeed = glm::length(boid._vVelocity);
        const float fBehind =
            fDist != 0.0f && fSpeed != 0.0f ? -glm::dot(d, boid._vVelocity) / (fSpeed * fDist) : 0.0f;
        if (o == &boid || fDist > _fPerceptionRadius) continue;
        if (fSpeed != 0.0f && fBehind >= _fBlindspotCos) continue;
        // Two boids on the same point have no direction between them; the separation gives them one.
        const glm::vec3 vDir = fDist != 0.0f ? d * (1.0f / fDist) : glm::vec3(0.0f);
        aNeighbours.push_back({o, vDir, fDist});
    }
}

float fxSwarm::DistanceWeight(int eMode, float d)
{
    switch (eMode)
    {
    case DISTANCE_INVERSE:
        return d != 0.0f ? 1.0f / d : 0.0f;
    case DISTANCE_SQUARED:
        return d * d;
    case DISTANCE_INVERSE_SQUARED:
        return d * d != 0.0f ? 1.0f / (d * d) : 0.0f;
    default:
        return d;
    }
}

void fxSwarm::ComputeAcceleration(Boid& boid)
{
    std::vector<Neighbour> aNeighbours;
    aNeighbours.reserve(_aBoids.size());
    const CellKey c = CellOf(boid._vPos);
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j)
            for (int k = -1; k <= 1; ++k)
                GatherNeighbours(boid, CellKey{c.x + float(i), c.y + float(j), c.z + float(k)}, aNeighbours);

    glm::vec3 vSeparation(0.0f), vVelocitySum(0.0f), vPositionSum(0.0f);
    for (Neighbour& n : aNeighbours)
    {
        Boid& o = *n._pBoid;
        glm::vec3 vDir = n._vDirection;
        if (n._fDistance != 0.0f)
            vSeparation -= DistanceWeight(_eSeparationMode, n._fDistance) * n._vDirection;
        else
        {
            const float theta = 6.2831855f * rvRandomNext(_nRandomState);
            const float a = rvRandomNext(_nRandomState);
            const float fZ = std::sqrt(1.0f - a) * (rvRandomNext(_nRandomState) > 0.5f ? -1.0f : 1.0f);
            vDir = glm::vec3(std::cos(theta) * std::sqrt(a), std::sin(theta) * std::sqrt(a), fZ);
            vSeparation += 1000.0f * vDir;
        }
        vVelocitySum += o._vVelocity;
        vPositionSum += o._vPos;
        const float fReach = o._fRadius + boid._fRadius;
        if (n._fDistance < fReach)
        {
            const float k = (fReach - n._fDistance) * 0.5f * 1.5f;
            o._vPos += k * vDir;
            boid._vPos -= k * vDir;
        }
    }

    glm::vec3 t = boid._vPos;
    float h = -1.0f;
    for (const glm::vec3& q : _aTargets)
    {
        const float w = DistanceWeight(_eTargetMode, glm::length(boid._vPos - q));
        if (h < 0.0f || h > w)
        {
            t = q;
            h = w;
        }
    }
    const glm::vec3 vToTarget = t - boid._vPos;
    const float fToTarget = glm::length(vToTarget);
    const glm::vec3 vSteering = fToTarget != 0.0f ? vToTarget / fToTarget * h : glm::vec3(0.0f);

    glm::vec3 vAlignment(0.0f), vCohesion(0.0f);
    if (!aNeighbours.empty())
    {
        const float fN = float(aNeighbours.size());
        vSeparation /= fN;
        vAlignment = vVelocitySum / fN;
        vCohesion = vPositionSum / fN - boid._vPos;
    }
    else
        vSeparation = glm::vec3(0.0f);
    glm::vec3 vAcc = _fSeparationWeight * vSeparation + _fAlignmentWeight * vAlignment +
                     _fCohesionWeight * vCohesion + _fSteeringWeight * vSteering;
    const float fLen = glm::length(vAcc);
    if (fLen > _fMaxAcceleration) vAcc = vAcc / fLen * _fMaxAcceleration;
    boid._vAcceleration = vAcc;
}

void fxSwarm::Draw() const
{
    vector_display* _pCurrentDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(_pCurrentDisplay);
    if (_fThickness > 0.0f) _pCurrentDisplay->current_thickness = _fThickness;
    const float fFade = GetFade();
    const glm::vec3 c0(_vColorMin), c1(_vColorMax), o(_vAquariumCenter);
    for (size_t i = 0; i < _aBoids.size(); ++i)
    {
        const float t = _nBoidCount > 0 ? float(i) / float(_nBoidCount) : 0.0f;
        vector_display_set_rgb(_pCurrentDisplay, (c0 + (c1 - c0) * t) * fFade);
        const Boid& b = _aBoids[i];
        const glm::vec3 p = b._vPos + o;
        vector_display_strip_begin(_pCurrentDisplay, p.x, p.y, p.z);
        for (const glm::vec3& q : b._aTrail)
            vector_display_strip_to(_pCurrentDisplay, q.x + o.x, q.y + o.y, q.z + o.z);
        vector_display_strip_end(_pCurrentDisplay);
    }
}

uint64_t fxSwarm::HashCell(const CellKey& key)
{
    auto H = [](float f)
    {
        if (f == 0.0f) f = 0.0f; // -0 hashes as +0
        unsigned char bytes[4];
        std::memcpy(bytes, &f, 4);
        uint64_t h = 14695981039346656037ull;
        for (unsigned char c : bytes)
        {
            h ^= c;
            h *= 1099511628211ull;
        }
        return h;
    };
    return 961ull * H(key.x) + 31ull * H(key.y) + H(key.z);
}

fxDescriptor* fxSwarm::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxSwarm", &fxSwarm::Create);
    return s_pDescriptor;
}

fxBase* fxSwarm::Create(fxDescriptor* pDescriptor)
{
    return new fxSwarm(pDescriptor);
}

fxDescriptor* fxSwarm::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_INT, "RandomSeed", rvOffsetOf<fxSwarm>(&fxSwarm::_nRandomSeed));
    d->Add(TYPE_INT, "SkipFrames", rvOffsetOf<fxSwarm>(&fxSwarm::_nSkipFrames))->SetIntRange(0, 600);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_VEC3, "AquariumSize", rvOffsetOf<fxSwarm>(&fxSwarm::_vAquariumSize))->SetRange(0.0f, 100.0f);
    d->Add(TYPE_VEC3, "AquariumCenter", rvOffsetOf<fxSwarm>(&fxSwarm::_vAquariumCenter));
    d->Add(TYPE_INT, "BoidCount", rvOffsetOf<fxSwarm>(&fxSwarm::_nBoidCount))->SetIntRange(0, 300);
    d->Add(TYPE_INT, "SpawnCount", rvOffsetOf<fxSwarm>(&fxSwarm::_nSpawnCount))->SetIntRange(0, 20);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_COLOR4, "ColorMin", rvOffsetOf<fxSwarm>(&fxSwarm::_vColorMin));
    d->Add(TYPE_COLOR4, "ColorMax", rvOffsetOf<fxSwarm>(&fxSwarm::_vColorMax));
    d->Add(TYPE_FLOAT, "Thickness", rvOffsetOf<fxSwarm>(&fxSwarm::_fThickness))->SetRange(0.0f, 1.5f);
    d->Add(TYPE_INT, "DrawLength", rvOffsetOf<fxSwarm>(&fxSwarm::_nDrawLength))->SetIntRange(0, 60);
    d->Add(TYPE_SEPARATOR, "_Separator_", 0);
    d->Add(TYPE_FLOAT, "WallForce", rvOffsetOf<fxSwarm>(&fxSwarm::_fWallForce))->SetRange(0.0f, 0.5f);
    d->Add(TYPE_FLOAT, "PerceptionRadius", rvOffsetOf<fxSwarm>(&fxSwarm::_fPerceptionRadius))
        ->SetRange(0.0f, 50.0f);
    d->Add(TYPE_FLOAT, "SeparationWeight", rvOffsetOf<fxSwarm>(&fxSwarm::_fSeparationWeight))
        ->SetRange(0.0f, 5.0f);
    d->Add(TYPE_FLOAT, "AlignmentWeight", rvOffsetOf<fxSwarm>(&fxSwarm::_fAlignmentWeight))
        ->SetRange(0.0f, 5.0f);
    d->Add(TYPE_FLOAT, "CohesionWeight", rvOffsetOf<fxSwarm>(&fxSwarm::_fCohesionWeight))
        ->SetRange(0.0f, 5.0f);
    d->Add(TYPE_FLOAT, "SteeringWeight", rvOffsetOf<fxSwarm>(&fxSwarm::_fSteeringWeight))
        ->SetRange(0.0f, 5.0f);
    d->Add(TYPE_FLOAT, "BlindspotAngleDeg", rvOffsetOf<fxSwarm>(&fxSwarm::_fBlindspotAngleDeg))
        ->SetRange(0.0f, 180.0f);
    d->Add(TYPE_FLOAT, "MaxAcceleration", rvOffsetOf<fxSwarm>(&fxSwarm::_fMaxAcceleration))
        ->SetRange(0.0f, 30.0f);
    d->Add(TYPE_FLOAT, "MaxVelocity", rvOffsetOf<fxSwarm>(&fxSwarm::_fMaxVelocity))->SetRange(0.0f, 30.0f);
    return d;
}
