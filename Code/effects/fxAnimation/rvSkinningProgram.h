#pragma once
// Linear-blend skinning in one colour: every vertex moved by the sum of four joint poses of the
// uniform block "animation" (65 matrices) weighted by its "weights", then by "MVP".
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

struct rvSkinningProgram : rvProgram3D
{
    static constexpr int JOINT_COUNT = 65;

    rvSkinningProgram() = default;
    ~rvSkinningProgram() override;
    bool Build() override;
    void Use() override;

    static const char* const VertexSource;
    static const char* const FragmentSource;

    int _nLocMVP = -1;
    int _nLocVPos = -1;
    int _nBlockAnimation = -1;
    int _nLocWeights = -1;
    int _nLocJoints = -1;
    int _nLocVNormal = -1;
    int _nLocVTexCoord = -1;
    int _location4f_uColor = -1;
    int _nBlockBinding = 0;
    GLuint _glJointBuffer = 0;
    glm::vec4 _vColor{1.0f};
};
