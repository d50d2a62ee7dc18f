#pragma once
// Cartridge card model: a flat card with a notch, 16 vertices and 14 quads on the vector display,
// outlined or with the cartridge picture mapped on every face (the back shows it mirrored). Built
// like the console model, without a screen; colour and thickness are taken at Init.
#include "Factory/fxBase.h"
#include "rvMath.h"
#include "rvShaderProgram.h"
#include "vector_display/vector_display.h"

#include <glm/glm.hpp>

#include <vector>

class fxObjVectrexCard : public fxBase
{
public:
    explicit fxObjVectrexCard(fxDescriptor* pDescriptor);
    ~fxObjVectrexCard() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    rvTransform3D _Transform;
    float _fThickness = 0.3f;
    glm::vec3 _vColor = glm::vec3(1.0f);
    bool _bTextured = true;

    rvTexColorProgram2D _imgCard;
    std::vector<glm::vec4> _aVertices;
    std::vector<vector_display_point> _aPoints;
};
