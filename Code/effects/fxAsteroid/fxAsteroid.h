#pragma once
// An asteroid-shooting game in vector lines: a ship that turns, thrusts and fires, rocks that
// drift into the field, bounce off each other and crack into fragments when hit (the crack is
// cut with Clipper), particle flames, trails, sparks and explosions, and a score in the stroke
// font. The game runs in fixed steps of 1/60 s of local time with catch-up, so its course
// depends only on the attributes, the seed, the input bytes and the steps run: a recorded input
// file replays exactly. Live keys or gamepad take over for the rest of a run.
#include "Factory/fxBase.h"
#include "Font/rvTextParams.h"
#include "VectorScene/VectorScene.h"
#include "rvMath.h"

#include <glm/glm.hpp>
#include <cstdint>
#include <string>
#include <vector>

class fxParticleEmitter;

class fxAsteroid : public fxBase
{
public:
    // Input bits of one game step.
    enum InputBits : uint8_t
    {
        INPUT_THRUST = 1,
        INPUT_DOWN = 2,
        INPUT_LEFT = 4,
        INPUT_RIGHT = 8,
        INPUT_FIRE = 16
    };

    struct Bullet
    {
        glm::vec2 _vPos = glm::vec2(0.0f);
        glm::vec2 _vVelocity = glm::vec2(0.0f);
        fxParticleEmitter* _pTrail = nullptr; // owned, made on the slot's first shot
        float _fTimer = -1.0f;                // below 0: the slot is free
        bool _bDying = true;
    };

    struct Rock
    {
        bool _bEntered = false;
        VectorScene _VectorScene; // one closed outline in the rock's frame
        rvTransform2D _Transform;
        glm::vec2 _vVelocity = glm::vec2(0.0f);
        float _fRotSpeed = 0.0f;
        int _nGeneration = 0;
        float _fRadius = 0.0f;
    };

    // Where the game's live input comes from (keyboard and gamepads by default). Returns the
    // input bits pressed now.
    typedef uint8_t (*InputPollFn)();
    static InputPollFn _pfnPollInput;
    static uint8_t PollDefaultInput();

    explicit fxAsteroid(fxDescriptor* pDescriptor);
    ~fxAsteroid() override;

    void Init() override;
    void OnEffectStart() override;
    void OnEffectStop() override;
    void Render() override;

    void BuildShip();
    static void OnBuildShipButton(fxBase* pEffect);
    // Runs the game steps that bring it to local time _fTime (no drawing).
    void Advance();
    void Step();
    void ReadInput();
    void UpdateShip();
    void UpdateBullets();
    void UpdateRocks();
    void Draw();
    void Wrap(glm::vec2& vPos, float fMargin) const;
    void SetScore(int nScore);

    // Rocks.
    float NextRandom();
    void SpawnRock();
    void BuildRockFromOutline(const VectorSceneLine& outline, Rock& rock);
    void SplitRock(int nRock, const Bullet& bullet, const glm::vec2& vDir);
    void ExplodeRock(VectorScene& scene, const glm::vec2& vPos, float fRadius);
    void SpawnSparks(const glm::vec2& vHit, const glm::vec2& vInner);
    // A new emitter for a burst, or null when the bursts in flight are at their limit.
    fxParticleEmitter* AcquireEmitter();
    float GetShipHeading() const { return _ShipTransform._fRotation; }
    const glm::vec2& GetShipPos() const { return _ShipTransform._vPosition; }

    // Writes the recorded input bytes to the file (through a temporary file); false, with a
    // message on stderr, when it cannot be written.
    bool SaveInputs() const;
    static bool WriteInputFile(const std::string& sPath, const std::vector<uint8_t>& aBytes);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    static constexpr int kBulletSlots = 64;
    // Bursts (sparks, rock explosions) alive at once; a burst past the limit is not shown.
    static constexpr int kMaxEmitters = 96;

    glm::vec3 _vPosInit = glm::vec3(0.0f);
    float _fShipRotSpeed = 200.0f;
    float _fShipMoveSpeedMax = 100.0f;
    float _fShipAcceleration = 50.0f;
    float _fShipFriction = 0.03f;
    float _fShipRadius = 4.0f;
    float _fShipRadiusBot = 2.0f;
    float _fShipAngle1 = 30.0f;
    float _fShipAngle2 = 20.0f;
    float _fBulletSpeed = 80.0f;
    float _fBulletRadius = 0.3f;
    float _fAstroRadius = 8.0f;
    int _nAstroResol = 64;
    float _fAstroSpawnRadius = 120.0f;
    glm::vec2 _vScreenSize = glm::vec2(100.0f, 60.0f);
    float _fRockSpawnTimer = 0.0f;
    float _fThickness = 0.3f;
    glm::vec4 _vShipColor = glm::vec4(0.26f, 0.38f, 0.75f, 1.0f);
    glm::vec4 _vScoreColor = glm::vec4(0.26f, 0.38f, 0.75f, 1.0f);
    glm::vec4 _vReactorColorStart = glm::vec4(0.78f, 0.71f, 0.23f, 1.0f);
    glm::vec4 _vReactorColorEnd = glm::vec4(0.13f, 0.06f, 0.04f, 1.0f);
    glm::vec4 _vBulletColor = glm::vec4(0.0f, 0.66f, 0.98f, 1.0f);
    glm::vec4 _vSparkColor = glm::vec4(1.0f);
    int _nFrame = 0;
    float _fStepDelta = 0.0f;
    int _nBulletSlots = kBulletSlots;
    float _fShootCooldown = 0.25f;
    float _fShootTimer = 0.0f;
    std::string _sRecordFile = "Data/input/Asteroid.input";
    bool _bRecordInputs = false;
    bool _bLiveInput = false;
    uint8_t _nInput = 0;
    std::vector<uint8_t> _aInputs;
    glm::vec2 _vShipVelocity = glm::vec2(0.0f);
    void (*_pfnBuildShip)(fxBase*) = &fxAsteroid::OnBuildShipButton;
    rvTransform2D _ShipTransform;
    VectorScene _ShipScene;
    float _fDeadTimer = 0.0f;
    fxParticleEmitter* _pExplosion = nullptr;
    fxParticleEmitter* _pReactor = nullptr;
    int _nScore = 0;
    VectorScene _ScoreScene;
    rvTransform2D _ScoreTransform;
    rvTextParams _ScoreText;
    std::vector<Bullet> _aBullets;
    std::vector<Rock*> _apRocks;
    std::vector<fxParticleEmitter*> _apEmitters;
    int _nRandomSeed = 0;
    uint32_t _nRandomState = 0;
    // Step 0 has not run yet in this run.
    bool _bFirstStep = false;

private:
    void DestroyEmitter(fxParticleEmitter* pEmitter);
    // Emitters of _apEmitters that have faded out with no particle left are released.
    void ReleaseFinishedEmitters();
};
