#include "shOccludingShader.h"

const char* const shOccludingShader::VertexSource = R"GLSL(SHADER_HEADER
layout (location = 0) in vec2 aPos;
uniform mat4 MVP;
void main()
{
    gl_Position = MVP * vec4(aPos, 1.0, 1.0);
}
)GLSL";

const char* const shOccludingShader::FragmentSource = R"GLSL(SHADER_HEADER
out vec4 fragColor;
void main()
{
    fragColor = vec4(1, 1, 1, 1);
}
)GLSL";

bool shOccludingShader::Build()
{
    if (!_pVertexSource) _pVertexSource = VertexSource;
    if (!_pFragmentSource) _pFragmentSource = FragmentSource;
    return rvProgram3D::Build();
}
