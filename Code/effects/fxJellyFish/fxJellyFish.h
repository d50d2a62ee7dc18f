#pragma once
// A ring of tentacles hanging from an anchor ("Pos"). Each tentacle is a chain of segments of
// shrinking length that follows the anchor like a rope: every frame each point is pulled back
// to its segment length from the point before it, with the bend between neighbouring segments
// limited and relaxed towards straight. The anchor is published as "JellyFish.x/y/z".
#include "Factory/Drivers/rvVariable.h"
#include "Factory/fxBase.h"

#include <glm/glm.hpp>
#include <vector>

class fxJellyFish : public fxBase
{
public:
    // Bounds on what a stored file or a driver may ask (the editor stops at 20 and 50).
    static constexpr int MAX_TENTACLES = 256;
    static constexpr int MAX_SEGMENTS = 1024;

    explicit fxJellyFish(fxDescriptor* pDescriptor);
    ~fxJellyFish() override;

    void Init() override;
    void Render() override;

    // The rest pose: every tentacle a straight ray from the anchor in its rest direction.
    void BuildTentacles();
    // One rope step (per frame, no time step).
    void Simulate();
    // Rest angle of tentacle i, radians.
    float RestAngle(int i) const;
    // The counts in use, within the bounds above ("Tentacles" below 1 gives 0).
    int TentacleCount() const;
    int SegmentCount() const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    glm::vec3 _vPos;
    rvVariable _VarX, _VarY, _VarZ;
    glm::vec4 _vColor0Start;
    glm::vec4 _vColor1Start;
    glm::vec4 _vColor0End;
    glm::vec4 _vColor1End;
    int _nTentacles;
    int _nSegments;
    float _fAngleBase;
    float _fLengthBase;
    float _fLengthAttenuation;
    float _fAngleFreedom;
    float _fAngleForce;
    std::vector<std::vector<glm::vec3>> _aTentacles;
};
