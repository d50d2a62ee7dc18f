#pragma once
// Program of the aurora horizon: a band of aurora light over a flat horizon, its outline wavering
// with two scrolling noise images (texture units 0 and 1), stars above the band's centre line.
// "HORIZON_OFFSET" and "HORIZON_SCALE" are asserted at Use; "MAIN_FADE" and "MVP" (the current
// buffer's view matrix, copied by Use) are declared but not read, so optional.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_HORIZONBOREALIS_UNIFORMS(U)                                                                       \
    U(1f, MAIN_FADE, _fFade, (1.0f), SH_SAME, SH_OPTIONAL)                                                   \
    U(1f, HORIZON_OFFSET, _fHorizonOffset, (100.0f), SH_SAME, SH_ASSERTED)                                   \
    U(1f, HORIZON_SCALE, _fHorizonScale, (0.5f), SH_SAME, SH_ASSERTED)                                       \
    U(m4, MVP, _mMVP, (1.0f), SH_SAME, SH_OPTIONAL)                                                          \
    U(1i, iChannel0, _nChannel0, (0), SH_SAME, SH_SAMPLER)                                                   \
    U(1i, iChannel1, _nChannel1, (1), SH_SAME, SH_SAMPLER)

struct shHorizonBorealis : rvProgram2D
{
    shHorizonBorealis() = default;
    ~shHorizonBorealis() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    // Noise images shared by every instance; texture holders only (their programs are never built).
    // Loaded by a Build while not loaded, kept for the life of the process.
    static rvTexColorProgram2D _imgPebbles;
    static rvTexColorProgram2D _imgAbstract;
    static void LoadImages();

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_HORIZONBOREALIS_UNIFORMS)
};
