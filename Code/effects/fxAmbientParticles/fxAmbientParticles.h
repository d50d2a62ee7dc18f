#pragma once
// Ambient particles: drifting motes in front of the camera of the current render buffer, drawn by
// the program `_shProgram` and combined with the buffer by one of four blend modes. When the camera
// moves, the field moves against it (parallax) and the camera's forward motion carries it through
// the layers; "GlobalMotion" makes the particles drift by themselves. Both motions are integrated on
// the CPU into `_vParticleOffset`, which lives as long as the effect object. Changing "Shape"
// rebuilds the program once.
#include "Factory/fxBase.h"
#include "effects/fxAmbientParticles/shAmbientParticles.h"

#include <glm/glm.hpp>

class fxAmbientParticles : public fxBase
{
public:
    explicit fxAmbientParticles(fxDescriptor* pDescriptor);
    ~fxAmbientParticles() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    // Adds the attributes only while the descriptor has none; always returns the descriptor.
    static fxDescriptor* RegisterAttributes();

    enum
    {
        BLEND_NONE = 0,
        BLEND_ALPHA = 1,
        BLEND_ADD = 2,
        BLEND_MAX = 3
    };

    // The tracked point of a view matrix V before the first frame: V's translation column minus
    // "CameraMotionScale".w times the third row of V's rotation part.
    void AnchorCamera(const glm::mat4& mView);
    // One frame of tracking with the inverse view matrix (columns: right, up, backward axes and the
    // camera position) and the frame's time step: the tracked point's motion, scaled per axis, and
    // the global drift move `_vParticleOffset`, in particle space.
    void TrackCamera(const glm::mat4& mInvView, float fDeltaTime);

    glm::vec3 _vGlobalMotion{0.0f};
    glm::vec4 _vCameraMotionScale{1.0f, 1.0f, 1.0f, 1.0f};
    glm::vec3 _vCameraAnchor{0.0f};
    glm::vec3 _vParticleOffset{0.0f};
    int _eBlendMode = BLEND_ALPHA;
    shAmbientParticles _shProgram;
};
