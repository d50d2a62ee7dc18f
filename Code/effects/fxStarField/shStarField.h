#pragma once
// Program of the star field: a ray marched per pixel through a folded 3D field of coloured stars,
// with an optional swirl, rotation, central hole and glowing logarithmic spiral. Every uniform is
// asserted at Use; no switches. "MAIN_TRANSFORM" is position x, position y and roll in degrees;
// a "HOLE_OPACITY" of 2 or more shows the hole white at full strength. The stand-alone half of
// the source keeps its own colour ramp and a flatter spiral.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_STARFIELD_UNIFORMS(U)                                                                             \
    U(1f, MAIN_FADE, _fFade, (1.0f), SH_SAME, SH_ASSERTED)                                                   \
    U(1f, MAIN_SPEED, _fMainSpeed, (60.0f), SH_SAME, SH_ASSERTED)                                            \
    U(1f, MAIN_DENSITY, _fMainDensity, (0.9f), SH_SAME, SH_ASSERTED)                                         \
    U(1f, MAIN_SPIRAL, _fMainSpiral, (0.0f), SH_SAME, SH_ASSERTED)                                           \
    U(1f, MAIN_ROTATION, _fMainRotation, (0.0f), SH_SAME, SH_ASSERTED)                                       \
    U(3f, MAIN_TRANSFORM, _vMainTransform, (0.0f, 0.0f, 0.0f), SH_SAME, SH_ASSERTED)                         \
    U(1f, HOLE_SIZE, _fHoleSize, (0.0f), SH_SAME, SH_ASSERTED)                                               \
    U(1f, HOLE_OPACITY, _fHoleOpacity, (0.0f), SH_SAME, SH_ASSERTED)                                         \
    U(1i, FRACTAL_ITER1, _nFractalIter1, (100), SH_SAME, SH_ASSERTED)                                        \
    U(1i, FRACTAL_ITER2, _nFractalIter2, (7), SH_SAME, SH_ASSERTED)                                          \
    U(1f, FRACTAL_MOD, _fFractalMod, (2.0f), SH_SAME, SH_ASSERTED)                                           \
    U(1f, FRACTAL_MUL, _fFractalMul, (2.04f), SH_SAME, SH_ASSERTED)                                          \
    U(1f, FRACTAL_ADD, _fFractalAdd, (-0.75f), SH_SAME, SH_ASSERTED)                                         \
    U(1f, COLOR_LUMINOSITY, _fColorLuminosity, (0.2f), SH_SAME, SH_ASSERTED)                                 \
    U(3f, COLOR_MUL, _vColorMul, (0.8f, -0.4f, 0.5f), (0.8f, -0.5f, 0.5f), SH_ASSERTED)                      \
    U(3f, COLOR_ADD, _vColorAdd, (0.0f, 1.0f, 0.7f), (0.0f, 1.1f, 0.7f), SH_ASSERTED)                        \
    U(1f, SPIRAL, _fSpiral, (0.0f), SH_SAME, SH_ASSERTED)                                                    \
    U(2f, SPIRAL_SIZE, _vSpiralSize, (1.5f, 1.5f), (1.5f, 1.1f), SH_ASSERTED)                                \
    U(1f, SPIRAL_SPEED, _fSpiralSpeed, (1.0f), SH_SAME, SH_ASSERTED)                                         \
    U(1f, SPIRAL_DENSITY, _fSpiralDensity, (4.0f), SH_SAME, SH_ASSERTED)                                     \
    U(1f, SPIRAL_VARIATION, _fSpiralVariation, (0.3f), SH_SAME, SH_ASSERTED)                                 \
    U(1f, SPIRAL_THICKNESS, _fSpiralThickness, (0.4f), SH_SAME, SH_ASSERTED)                                 \
    U(1f, SPIRAL_FLATNESS, _fSpiralFlatness, (0.0f), SH_SAME, SH_ASSERTED)                                   \
    U(4f, SPIRAL_COLOR, _vSpiralColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)

struct shStarField : rvProgram2D
{
    shStarField() = default;
    ~shStarField() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_STARFIELD_UNIFORMS)
};
