#pragma once
// Program of the 2D test shader: a six-armed spiral that turns with "iTime" and grows stronger away
// from the centre, blended from BACK_COLOR (pattern value 0) to FRONT_COLOR (value 1), not clamped.
// A plain fragment source (its own entry point, no image-shader half); both colours are asserted
// at Use.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_BASICSHADER2D_UNIFORMS(U)                                                                         \
    U(4f, BACK_COLOR, _vBackColor, (0.0f, 0.0f, 0.0f, 0.0f), SH_SAME, SH_ASSERTED)                           \
    U(4f, FRONT_COLOR, _vFrontColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)

struct shBasicShader2d : rvProgram2D
{
    shBasicShader2d() = default;
    ~shBasicShader2d() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_BASICSHADER2D_UNIFORMS)
};
