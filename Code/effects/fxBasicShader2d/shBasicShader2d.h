#pragma once
// Program of the 2D test shader: a six-armed spiral that turns with "iTime" and grows stronger away
// from the centre, blended from BACK_COLOR (pattern value 0) to FRONT_COLOR (value 1), not clamped.
// A plain fragment source (no stand-alone half); both colours are asserted at Use.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shBasicShader2d : rvProgram2D
{
    shBasicShader2d() = default;
    ~shBasicShader2d() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    static const char* const FragmentSource;

    int _location4f_BACK_COLOR = -1;
    glm::vec4 _vBackColor{0.0f, 0.0f, 0.0f, 0.0f};
    int _location4f_FRONT_COLOR = -1;
    glm::vec4 _vFrontColor{1.0f, 1.0f, 1.0f, 1.0f};
};
