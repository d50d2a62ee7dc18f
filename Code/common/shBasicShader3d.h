#pragma once
// Shaded wire frame in one pass: a geometry stage gives every fragment its screen distance to the
// edges of its triangle, and the fragment stage mixes the line colour near an edge into the fill
// colour inside. The owner binds "position" (three floats, location 0) and draws GL_TRIANGLES
// between Use and Unuse.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_BASICSHADER3D_UNIFORMS(U)                                                                         \
    U(1f, LINE_BOLD, _fLineBold, (5.0f), SH_SAME, SH_ASSERTED)                                               \
    U(3f, LINE_COLOR, _vLineColor, (1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                                 \
    U(3f, FILL_COLOR, _vFillColor, (0.0f, 0.0f, 0.0f), SH_SAME, SH_ASSERTED)

struct shBasicShader3d : rvProgram3D
{
    shBasicShader3d() = default;
    ~shBasicShader3d() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    static const char* const VertexSource;
    static const char* const GeometrySource;
    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_BASICSHADER3D_UNIFORMS)
};
