#pragma once
// A flock of boids in a box (the aquarium), each drawn as a glowing trail of its latest
// positions. Boids steer by separation from, alignment with and cohesion towards the neighbours
// they see (within the perception radius, outside a blind cone behind them); the walls push
// back softly once a boid has left the box, and overlapping boids are pushed apart. A spatial
// hash with cells as large as the perception radius limits the search to 27 cells. All
// randomness comes from the effect's seeded generator, so a seed always gives the same flock.
#include "Factory/fxBase.h"

#include <glm/glm.hpp>
#include <cstdint>
#include <unordered_map>
#include <vector>

class fxSwarm : public fxBase
{
public:
    enum DistanceMode
    {
        DISTANCE_LINEAR = 0,
        DISTANCE_INVERSE = 1,
        DISTANCE_SQUARED = 2,
        DISTANCE_INVERSE_SQUARED = 3
    };

    struct Boid
    {
        glm::vec3 _vPos = glm::vec3(0.0f);
        std::vector<glm::vec3> _aTrail; // newest first
        glm::vec3 _vVelocity = glm::vec3(0.0f);
        glm::vec3 _vAcceleration = glm::vec3(0.0f);
        float _fRadius = 1.5f;
    };
    struct SpawnPoint
    {
        glm::vec3 _vPos;
        glm::vec3 _vVelocity;
    };
    struct Neighbour
    {
        Boid* _pBoid;
        glm::vec3 _vDirection;
        float _fDistance;
    };
    // A cell of the spatial hash: three whole numbers held as floats.
    struct CellKey
    {
        float x, y, z;
        bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct CellHasher
    {
        size_t operator()(const CellKey& k) const { return size_t(fxSwarm::HashCell(k)); }
    };

    explicit fxSwarm(fxDescriptor* pDescriptor);
    ~fxSwarm() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    void Step(float dt);
    void UpdateBoidCount();
    void BuildSpatialHash();
    void ComputeAcceleration(Boid& boid);
    void GatherNeighbours(const Boid& boid, const CellKey& key, std::vector<Neighbour>& aNeighbours);
    void Draw() const;
    CellKey CellOf(const glm::vec3& p) const;
    static uint64_t HashCell(const CellKey& key);
    // The weight of a distance under a distance-weight code.
    static float DistanceWeight(int eMode, float d);

    // Bounds on what stored values may ask for: boids, spawn points, trail points, pre-roll steps.
    // Bounds of the stored counts. The pre-roll is also bounded by its work: boids times steps.
    // The neighbour search looks at every boid of 27 cells, at most the whole flock: a frame
    // costs at most kMaxBoids squared distances.
    static constexpr int kMaxBoids = 2000;
    static constexpr int kMaxSpawnPoints = 1000;
    static constexpr int kMaxTrail = 1000;
    static constexpr int kMaxPreRoll = 3000;
    static constexpr int kMaxPreRollBoidSteps = 200000;
    static constexpr float kMaxPerceptionRadius = 10000.0f;
    static constexpr float kMinCellSize = 0.01f;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    int _nRandomSeed = 0;
    uint32_t _nRandomState = 0;
    glm::vec4 _vColorMin = glm::vec4(0.2f, 0.6f, 0.6f, 1.0f);
    glm::vec4 _vColorMax = glm::vec4(0.2f, 0.2f, 0.7f, 1.0f);
    float _fThickness = 0.5f;
    glm::vec3 _vAquariumSize = glm::vec3(70.0f, 50.0f, 50.0f);
    glm::vec3 _vAquariumCenter = glm::vec3(0.0f);
    float _fWallForce = 0.1f;
    int _nBoidCount = 150;
    int _nDrawLength = 15;
    int _nSkipFrames = 0;
    float _fPerceptionRadius = 20.0f;
    float _fSeparationWeight = 3.0f;
    float _fAlignmentWeight = 0.2f;
    float _fCohesionWeight = 1.0f;
    float _fSteeringWeight = 1.0f;
    float _fBlindspotAngleDeg = 40.0f;
    float _fMaxAcceleration = 30.0f;
    float _fMaxVelocity = 20.0f;
    int _nSpawnCount = 10;
    std::vector<SpawnPoint> _aSpawnPoints;
    int _eSeparationMode = DISTANCE_INVERSE_SQUARED;
    std::vector<glm::vec3> _aTargets;
    int _eTargetMode = DISTANCE_LINEAR;
    std::vector<Boid> _aBoids;
    std::unordered_map<CellKey, std::vector<Boid*>, CellHasher> _mapGrid;
    float _fBlindspotCos = 0.0f;
    float _fCellSize = 20.0f; // side of the spatial hash's cells: |PerceptionRadius| bounded
};

// A point on the sphere of the given radius from two draws of the generator.
glm::vec3 RandomPointOnSphere(uint32_t& nState, float fRadius);
