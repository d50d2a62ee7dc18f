#include "effects/fxAnimation/rvSkinningProgram.h"

#include <vector>

const char* const rvSkinningProgram::VertexSource = R"(SHADER_HEADER
layout (location = 0) in vec3 vPos;
layout (location = 2) in vec2 vTexCoord;
in uvec4 joints;
in vec4 weights;
uniform mat4 MVP;
uniform vec4 uColor;
layout (std140) uniform animation
{
    mat4 joint_poses[65];
};
out vec4 frag_colour;
void main()
{
    mat4 skin = weights.x * joint_poses[joints.x] + weights.y * joint_poses[joints.y]
              + weights.z * joint_poses[joints.z] + weights.w * joint_poses[joints.w];
    gl_Position = MVP * skin * vec4(vPos, 1.0);
    frag_colour = uColor;
}
)";

const char* const rvSkinningProgram::FragmentSource = R"(SHADER_HEADER
in vec4 frag_colour;
out vec4 fragColor;
void main()
{
    fragColor = frag_colour;
}
)";

rvSkinningProgram::~rvSkinningProgram()
{
    if (_glJointBuffer) glDeleteBuffers(1, &_glJointBuffer);
}

bool rvSkinningProgram::Build()
{
    if (!_pVertexSource) _pVertexSource = DefaultVertexSource();
    const bool bOk = CompileAndLink(_pVertexSource, _pFragmentSource, _pGeometrySource);
    _bRebuild = false;
    _locationm4_MVP = UniformLocation("MVP");
    if (programID && _locationm4_MVP >= 0)
        glProgramUniformMatrix4fv(programID, _locationm4_MVP, 1, GL_FALSE, &_mMVP[0][0]);
    _nLocMVP = UniformLocation("MVP");
    _location4f_uColor = UniformLocation("uColor");
    _nLocVPos = programID ? glGetAttribLocation(programID, "vPos") : -1;
    _nLocVNormal = programID ? glGetAttribLocation(programID, "vNormal") : -1;
    _nLocWeights = programID ? glGetAttribLocation(programID, "weights") : -1;
    _nLocVTexCoord = programID ? glGetAttribLocation(programID, "vTexCoord") : -1;
    _nLocJoints = programID ? glGetAttribLocation(programID, "joints") : -1;
    const GLuint block = programID ? glGetUniformBlockIndex(programID, "animation") : GL_INVALID_INDEX;
    _nBlockAnimation = block == GL_INVALID_INDEX ? -1 : int(block);
    if (_nBlockAnimation >= 0)
    {
        _nBlockBinding = 0;
        glUniformBlockBinding(programID, block, GLuint(_nBlockBinding));
        if (_glJointBuffer) glDeleteBuffers(1, &_glJointBuffer);
        const std::vector<glm::mat4> identities(JOINT_COUNT, glm::mat4(1.0f));
        glGenBuffers(1, &_glJointBuffer);
        glBindBuffer(GL_UNIFORM_BUFFER, _glJointBuffer);
        glBufferData(GL_UNIFORM_BUFFER, GLsizeiptr(JOINT_COUNT * sizeof(glm::mat4)), identities.data(),
                     GL_DYNAMIC_DRAW);
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
        glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(_nBlockBinding), _glJointBuffer);
    }
    return bOk;
}

void rvSkinningProgram::Use()
{
    rvProgram3D::Use();
    // Another program may have taken the binding point since the build.
    if (_glJointBuffer) glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(_nBlockBinding), _glJointBuffer);
    glUniform4fv(_location4f_uColor, 1, &_vColor[0]);
}
