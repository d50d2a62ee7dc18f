#include "effects/fxDepthLine/rvQuadDepthProgram.h"

const char* const rvQuadDepthProgram::VertexSource = R"(SHADER_HEADER
layout (location = 0) in vec2 aPos;
layout (location = 1) in vec2 aTexCoords;
out vec2 fragCoord;
void main()
{
    fragCoord = aTexCoords * iResolution;
    gl_Position = vec4(aPos, 0.0, 1.0);
}
)";

const char* const rvQuadDepthProgram::FragmentSource = R"(SHADER_HEADER
uniform float zNear;
uniform float zFar;
uniform sampler2D screenTexture;
in vec2 fragCoord;
out vec4 fragColor;
void main()
{
    vec2 uv = fragCoord / iResolution;
    float r = texture(screenTexture, uv).r;
    float grey = (r * 32765.0 - zNear) / (zFar - zNear);
    fragColor = vec4(grey, grey, grey, 1.0);
    if (mod(fragCoord.y, 2.0) < 1.0) fragColor.rgb -= vec3(0.5);
}
)";

bool rvQuadDepthProgram::Build()
{
    const bool bOk = rvProgram2D::Build();
    _location1f_zNear = UniformLocation("zNear");
    _location1f_zFar = UniformLocation("zFar");
    return bOk;
}

void rvQuadDepthProgram::Use()
{
    rvProgram2D::Use();
    glUniform1f(_location1f_zNear, _fZNear);
    glUniform1f(_location1f_zFar, _fZFar);
}
