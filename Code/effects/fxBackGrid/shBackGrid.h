#pragma once
// Program of the grid background: a flat colour under three square grids of thin anti-aliased
// lines (fine, medium, coarse). Every uniform is asserted at Use; no switches. The stand-alone half
// of the source draws slightly wider lines (2.1 pixel pitches) than the program's default 2.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_BACKGRID_UNIFORMS(U)                                                                              \
    U(2f, UV_POS, _vUvPos, (0.0f, 0.0f), SH_SAME, SH_ASSERTED)                                               \
    U(2f, UV_SCALE, _vUvScale, (1.0f, 1.0f), SH_SAME, SH_ASSERTED)                                           \
    U(4f, BACK_COLOR, _vBackColor, (0.1f, 0.25f, 0.35f, 1.0f), SH_SAME, SH_ASSERTED)                         \
    U(4f, GRID_COLOR1, _vGridColor1, (1.0f, 1.0f, 1.0f, 0.1f), SH_SAME, SH_ASSERTED)                         \
    U(4f, GRID_COLOR2, _vGridColor2, (1.0f, 1.0f, 1.0f, 0.1f), SH_SAME, SH_ASSERTED)                         \
    U(4f, GRID_COLOR3, _vGridColor3, (1.0f, 1.0f, 1.0f, 0.4f), SH_SAME, SH_ASSERTED)                         \
    U(2f, GRID_WIDTH1, _vGridWidth1, (2.0f, 2.0f), (2.1f, 2.1f), SH_ASSERTED)                                \
    U(2f, GRID_WIDTH2, _vGridWidth2, (2.0f, 2.0f), (2.1f, 2.1f), SH_ASSERTED)                                \
    U(2f, GRID_WIDTH3, _vGridWidth3, (2.0f, 2.0f), (2.1f, 2.1f), SH_ASSERTED)                                \
    U(2f, GRID_SIZE, _vGridSize, (1.0f, 1.0f), SH_SAME, SH_ASSERTED)

struct shBackGrid : rvProgram2D
{
    shBackGrid() = default;
    ~shBackGrid() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_BACKGRID_UNIFORMS)
};
