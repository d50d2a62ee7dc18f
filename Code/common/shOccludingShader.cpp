#include "shOccludingShader.h"

// clang-format off
const char* const shOccludingShader::VertexSource =
    "SHADER_HEADER\n"
    "layout (location = 0) in vec2 aPos;\n"
    "uniform mat4 MVP;\n"
    "void main()\n"
    "{\n"
    "    gl_Position = MVP * vec4(aPos, 1.0, 1.0);\n"
    "\n"
    "};\n";

const char* const shOccludingShader::FragmentSource =
    "SHADER_HEADER\n"
    "out vec4 fragColor;\n"
    "void main()\n"
    "{\n"
    "    fragColor = vec4(1, 1, 1, 1);\n"
    "};\n";
// clang-format on

bool shOccludingShader::Build()
{
    if (!_pVertexSource) _pVertexSource = VertexSource;
    if (!_pFragmentSource) _pFragmentSource = FragmentSource;
    return rvProgram3D::Build();
}
