#pragma once
// The texture form of an effect program, small enough to start from: a post effect's program that
// tints the picture already in the current render buffer. Use copies the current buffer
// (rvBufferDisplay::Copy) and binds the copy as "iChannel0" on unit 0; Draw(0) reaches the DrawQuad
// override, which turns the rectangle asked for into "iRegionUV" (left, top, width, height in
// fractions of the target, y from the top) and covers the whole target: pixels inside the region
// become mix(c, c * TINT_COLOR, TINT_AMOUNT) (rgb; alpha kept), pixels outside pass unchanged.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_POSTTINT_UNIFORMS(U)                                                                              \
    U(1i, iChannel0, _nChannel0, (0), SH_SAME, SH_SAMPLER)                                                   \
    U(4f, iRegionUV, _vRegionUV, (0.0f, 0.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                             \
    U(4f, TINT_COLOR, _vTintColor, (1.0f, 0.6f, 0.3f, 1.0f), SH_SAME, SH_ASSERTED)                           \
    U(1f, TINT_AMOUNT, _fTintAmount, (1.0f), SH_SAME, SH_ASSERTED)

struct shPostTint : rvTexColorProgram2D
{
    shPostTint() = default;
    ~shPostTint() override = default;
    bool Build() override;
    void Use() override;
    void DrawQuad(int flags, float x, float y, float width, float height) override;

    void ApplySwitches() override {}

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_POSTTINT_UNIFORMS)
};
