#pragma once
// The recent path of a moving point as a motion trail: one strip through the positions that the
// point's attribute drivers give at a run of past times, each sample in the colour and width the
// drivers give at that time. The two ends of the trail are published as "StartX" to "EndZ".
#include "Factory/Drivers/rvVariable.h"
#include "Factory/fxBase.h"
#include "rvMath.h"

#include <glm/glm.hpp>

class AttribDesc;
class NoneDriver;

class fxLinePath : public fxBase
{
public:
    // The tracked attributes, in this order: "Pos.x", "Pos.y", "Pos.z", "Color.r", "Color.g",
    // "Color.b", "Thickness".
    static constexpr int TRACK_COUNT = 7;
    // Bound on the samples of one frame (the editor's range stops at 1024).
    static constexpr int MAX_STEPS = 4096;

    struct Sample
    {
        glm::vec3 vPos;
        glm::vec3 vColor; // before the fade
        float fThickness;
    };

    explicit fxLinePath(fxDescriptor* pDescriptor);
    ~fxLinePath() override;

    void OnEffectStart() override;
    void Render() override;

    // Takes the drivers of the tracked attributes from the effect's driver list.
    void RefreshTrackDrivers();
    // The tracked values at local time t; an attribute without a driver (or whose driver gives
    // no value at t) gives its own value.
    Sample SampleAt(float fTime) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTransform3D _Transform;
    glm::vec3 _vPos;
    glm::vec4 _vColor;
    float _fLineLength;
    float _fThickness;
    int _nStepCount;
    rvVariable _StartX, _StartY, _StartZ, _EndX, _EndY, _EndZ;
    NoneDriver* _apTrackDrivers[TRACK_COUNT];
    int _nTrackDriverCount;

private:
    const AttribDesc* _apTrackAttribs[TRACK_COUNT]; // looked up by name at the first Render
};
