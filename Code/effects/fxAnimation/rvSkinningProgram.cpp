#include "effects/fxAnimation/rvSkinningProgram.h"

#include "effects/shEffectProgram.h"

#include <vector>

const char* const rvSkinningProgram::VertexSource = R"GLSL(SHADER_HEADER
layout (location = 0) in vec3 vPos;
layout (location = 2) in vec2 vTexCoord;
in uvec4 joints;
in vec4 weights;
uniform mat4 MVP;
SHADER_UNIFORMS
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
)GLSL";

const char* const rvSkinningProgram::FragmentSource = R"GLSL(SHADER_HEADER
in vec4 frag_colour;
out vec4 fragColor;
void main()
{
    fragColor = frag_colour;
}
)GLSL";

rvSkinningProgram::~rvSkinningProgram()
{
    if (_glJointBuffer) glDeleteBuffers(1, &_glJointBuffer);
}

bool rvSkinningProgram::Build()
{
    const bool bOk = shEffectProgram::Build3D(*this, VertexSource, nullptr, FragmentSource, {"vPos"});
    if (programID && _locationm4_MVP >= 0)
        glProgramUniformMatrix4fv(programID, _locationm4_MVP, 1, GL_FALSE, &_mMVP[0][0]);
    _nLocMVP = UniformLocation("MVP");
    auto attribute = [this](const char* pszName)
    { return programID ? glGetAttribLocation(programID, pszName) : -1; };
    _nLocVPos = attribute("vPos");
    _nLocVNormal = attribute("vNormal");
    _nLocWeights = attribute("weights");
    _nLocVTexCoord = attribute("vTexCoord");
    _nLocJoints = attribute("joints");
    _nBlockBinding = 0;
    _nBlockAnimation = -1;
    if (shEffectProgram::BindUniformBlock(programID, "animation", GLuint(_nBlockBinding)))
    {
        _nBlockAnimation = int(glGetUniformBlockIndex(programID, "animation"));
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
    shEffectProgram::Use3D(*this, __FILE__, __LINE__);
    // Another program may have taken the binding point since the build.
    if (_glJointBuffer) glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(_nBlockBinding), _glJointBuffer);
}
