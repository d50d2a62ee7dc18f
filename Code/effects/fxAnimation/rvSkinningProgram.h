#pragma once
// Linear-blend skinning in one colour: every vertex moved by the sum of four joint poses of the
// std140 uniform block "animation" (65 matrices, binding point 0) weighted by its "weights", then
// by "MVP". The program owns the block's buffer (65 identities until written).
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

// kind, GLSL name, value member, default, stand-alone value, role
#define RV_SKINNING_UNIFORMS(U) U(4f, uColor, _vColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)

struct rvSkinningProgram : rvProgram3D
{
    static constexpr int JOINT_COUNT = 65;

    rvSkinningProgram() = default;
    ~rvSkinningProgram() override;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    static const char* const VertexSource;
    static const char* const FragmentSource;

    int _nLocMVP = -1;
    int _nLocVPos = -1;
    int _nBlockAnimation = -1;
    int _nLocWeights = -1;
    int _nLocJoints = -1;
    int _nLocVNormal = -1;
    int _nLocVTexCoord = -1;
    SH_UNIFORM_TABLE(RV_SKINNING_UNIFORMS)
    int _nBlockBinding = 0;
    GLuint _glJointBuffer = 0;
};
