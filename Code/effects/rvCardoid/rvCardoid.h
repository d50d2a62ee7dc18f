#pragma once
// A closed 3D curve, the sum of two circles turning at speeds 1 and 3 with a depth wave at speed 2,
// drawn as one strip in a blue that follows the depth. It also steers the camera: every frame its
// "Cam" angles go into the camera rotation of the current render buffer. No fade, no transform.
#include "Factory/fxBase.h"

#include <glm/glm.hpp>

class rvCardoid : public fxBase
{
public:
    // Smallest step of the curve parameter that is drawn as given: below it the float sum of
    // the steps could stop growing before 2 pi, and the strip would have millions of points.
    static constexpr float MIN_STEP = 1e-4f;

    explicit rvCardoid(fxDescriptor* pDescriptor);
    ~rvCardoid() override;

    void Init() override;
    void Render() override;

    // The curve point at parameter t (world units).
    glm::vec3 PointAt(float t) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    float _fTotal;
    float _fFactor;
    float _fRadius;
    float _fA;
    float _fB;
    float _fDepthAmplitude; // twice the square root of 16; not an attribute
    float _fStep;
    glm::vec3 _vCam;
};
