#pragma once
// One circle outline on the current vector display: a 64-segment closed strip around "Pos" in the
// plane z = "Pos".z, coloured by "Color" times the fade factor. It also carries "Array", an
// editable list of up to ten 3D transforms that is stored and saved with the effect and plays no
// part in the drawing.
#include "Factory/fxBase.h"
#include "rvMath.h"

#include <glm/glm.hpp>

class fxCircle : public fxBase
{
public:
    static const int ARRAY_MAX = 10;
    static const int SEGMENTS = 64;

    explicit fxCircle(fxDescriptor* pDescriptor);
    ~fxCircle() override;

    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    glm::vec3 _vPos;
    float _fRadius;
    glm::vec4 _vColor;
    int _nArraySize;
    rvTransform3D _aArray[ARRAY_MAX];
};
