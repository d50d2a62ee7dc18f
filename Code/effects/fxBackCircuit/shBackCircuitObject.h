#pragma once
// The two 3D programs the circuit background holds for objects laid on the board: one maps the
// board picture onto a mesh, the other draws a mesh's edges as lines. A mesh is scaled by
// "OBJ_SIZE" and moved by "OBJ_POS", both scaled by "OBJ_SHIFT" (x scales the position, y the
// size, z shifts the depth). The effect releases them but never builds or uses them; their Use
// stops on an assertion.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_BACKCIRCUIT_OBJECT_UNIFORMS(U)                                                                    \
    U(4f, OBJ_SIZE, _vObjSize, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                               \
    U(4f, OBJ_POS, _vObjPos, (0.0f, 0.0f, 0.0f, 0.0f), SH_SAME, SH_ASSERTED)                                 \
    U(4f, OBJ_SHIFT, _vObjShift, (0.0f, 0.0f, 0.0f, 0.0f), SH_SAME, SH_ASSERTED)

#define SH_BACKCIRCUIT_MAPPING_UNIFORMS(U)                                                                   \
    SH_BACKCIRCUIT_OBJECT_UNIFORMS(U)                                                                        \
    U(2f, TEXTURE_SIZE, _vTextureSize, (256.0f, 256.0f), SH_SAME, SH_ASSERTED)                               \
    U(1i, TEXTURE, _nTexture, (0), SH_SAME, SH_SAMPLER)

#define SH_BACKCIRCUIT_WIREFRAME_UNIFORMS(U)                                                                 \
    U(3f, LINE_INTENSITY, _vLineIntensity, (1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                         \
    U(1f, LINE_BOLD, _fLineBold, (5.0f), SH_SAME, SH_ASSERTED)                                               \
    U(3f, LINE_COLOR, _vLineColor, (1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                                 \
    U(3f, FILL_COLOR, _vFillColor, (0.0f, 0.0f, 0.0f), SH_SAME, SH_ASSERTED)                                 \
    SH_BACKCIRCUIT_OBJECT_UNIFORMS(U)

// The parts the two programs share: the object buffer, Release, Unuse and the refusing Use.
struct rvBackCircuitObjectProgram : rvProgram3D
{
    ~rvBackCircuitObjectProgram() override;
    void Use() override;
    void Unuse() override;
    void Release() override;
    void ApplySwitches() override {}
    GLuint _glBuffer = 0;
};

struct shBackCircuitObjectMapping : rvBackCircuitObjectProgram
{
    bool Build() override;
    static const char* const VertexSource;
    static const char* const FragmentSource;
    SH_UNIFORM_TABLE(SH_BACKCIRCUIT_MAPPING_UNIFORMS)
};

struct shBackCircuitObjectWireframe : rvBackCircuitObjectProgram
{
    bool Build() override;
    static const char* const VertexSource;
    static const char* const GeometrySource;
    static const char* const FragmentSource;
    SH_UNIFORM_TABLE(SH_BACKCIRCUIT_WIREFRAME_UNIFORMS)
};
