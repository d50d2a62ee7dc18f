#pragma once
// A 16-bit depth texture ("screenTexture", unit 0) over the whole render buffer as grey: each
// sample (0 to 65535) mapped from the window "zNear".."zFar" to black..white, every other
// pixel row darkened by half.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define RV_QUADDEPTH_UNIFORMS(U)                                                                             \
    U(1f, zNear, _fZNear, (0.1f), SH_SAME, SH_ASSERTED)                                                      \
    U(1f, zFar, _fZFar, (50.0f), SH_SAME, SH_ASSERTED)                                                       \
    U(1i, screenTexture, _nScreenTexture, (0), SH_SAME, SH_SAMPLER)

struct rvQuadDepthProgram : rvProgram2D
{
    bool Build() override;
    void Use() override;
    ~rvQuadDepthProgram() override = default;

    void ApplySwitches() override {}

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(RV_QUADDEPTH_UNIFORMS)
};
