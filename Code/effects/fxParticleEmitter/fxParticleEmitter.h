#pragma once
// Particles drawn as short glowing segments trailing along their velocity. They start on a small
// sphere around a point of the path the emitter moved along since the previous frame, or of the
// outline of another effect's vector scene (named by "Source"), and move under gravity, a radial
// and a tangential acceleration about the emitter and a friction, fading from a start colour to
// an end colour. Other effects (the asteroid game) own emitters of their own, write their
// members directly and drive them with SetState and Update.
#include "Factory/fxBase.h"
#include "VectorScene/VectorScene.h"

#include <glm/glm.hpp>
#include <string>
#include <vector>

class fxParticleEmitter : public fxBase
{
public:
    struct Particle
    {
        glm::vec4 _vColor;
        glm::vec3 _vPos;
        glm::vec3 _vVelocity;
        float _fGravity;
        float _fRadialAccel;
        float _fTangentialAccel;
        float _fAge;
        float _fLifeTime;
    };
    static_assert(sizeof(Particle) == 15 * sizeof(float), "a particle is 15 contiguous floats");

    explicit fxParticleEmitter(fxDescriptor* pDescriptor);
    ~fxParticleEmitter() override;

    void Init() override;
    void OnEffectStart() override;
    void Render() override;

    // A value between min and max (either order) from four draws of the C runtime's rand.
    static float RandomRange(float fMin, float fMax);
    void Emit();
    Particle& AddParticle();
    void UpdateParticles(float dt);

    // One simulation step: ages, moves and emits (no drawing).
    void Advance(float dt);
    // Draws the live particles on the current vector display.
    void DrawParticles() const;

    // Live particles at most, whatever "InitialCount", "Emission" and "Particle Max" ask.
    static constexpr int kMaxParticles = 100000;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    std::string _sSource;
    VectorScene* _pSourceScene = nullptr; // not owned
    VectorScene _VectorScene;             // one line per live particle, in the order of _aParticles
    glm::vec3 _vPos = glm::vec3(0.0f);
    glm::vec3 _vPrevPos = glm::vec3(0.0f);
    int _nParticleMax = 1000;
    int _nInitialCount = 0;
    int _nEmission = 250;
    bool _bRadialEmission = false;
    float _fRadius = 0.5f;
    float _fLifeTimeMin = 0.1f;
    float _fLifeTimeMax = 3.0f;
    float _fDirection = 90.0f;
    float _fSegmentLength = 1.0f;
    float _fSpread = 30.0f;
    float _fSpeedMin = 10.0f;
    float _fSpeedMax = 20.0f;
    float _fGravityMin = -1.0f;
    float _fGravityMax = -20.0f;
    float _fRadialAccelMin = 0.0f;
    float _fRadialAccelMax = 0.0f;
    float _fTangentialAccelMin = -10.0f;
    float _fTangentialAccelMax = 10.0f;
    float _fFriction = 0.0f;
    glm::vec4 _vColorStart = glm::vec4(0.9f, 0.5f, 0.1f, 1.0f);
    glm::vec4 _vColorEnd = glm::vec4(0.3f, 0.1f, 0.1f, 1.0f);
    float _fEmissionRemainder = 0.0f;
    std::vector<Particle> _aParticles;

    // Render draws the particles (an owner that advances several steps per frame clears it and
    // calls DrawParticles once per frame itself).
    bool _bDrawInRender = true;
    // The named source was found once: when it is gone later, emission stops.
    bool _bSourceFound = false;

private:
    // Follows the named source while the effect runs (it may be deleted or re-created).
    bool RefreshSource();
};
