#pragma once
// The outline of a flat arrow (a shaft with a triangular head) as one closed strip on the vector
// display, placed by a 3D transform and faded with the effect.
#include "Factory/fxBase.h"
#include "rvMath.h"

#include <glm/glm.hpp>

class fxObjArrow : public fxBase
{
public:
    static constexpr int OUTLINE_POINTS = 8; // the closing point included

    explicit fxObjArrow(fxDescriptor* pDescriptor);
    ~fxObjArrow() override;

    void Render() override;

    // The outline in the arrow's own plane (z = 0), tail left corner first and last.
    void Outline(glm::vec3 (&aPoints)[OUTLINE_POINTS]) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTransform3D _Transform;
    float _fThickness;
    glm::vec3 _vColor;
    float _fLengthX;
    float _fLengthY;
    float _fRatioBaseX;
    float _fRatioHeadY;
};
