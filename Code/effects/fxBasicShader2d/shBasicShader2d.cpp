#include "effects/fxBasicShader2d/shBasicShader2d.h"

#include "effects/shEffectProgram.h"

const char* const shBasicShader2d::FragmentSource = R"GLSL(SHADER_HEADER
in vec2 fragCoord;
out vec4 fragColor;
SHADER_UNIFORMS
void main()
{
    // Centred, aspect corrected, height from -0.5 to 0.5.
    vec2 uv = (fragCoord / iResolution - 0.5) * vec2(iResolution.x / iResolution.y, 1.0);
    float r = length(uv);
    float c = sin(r * 10.0 + atan(uv.x / uv.y) * 6.0 - iTime) * r * 1.5;
    fragColor = mix(BACK_COLOR, FRONT_COLOR, c);
}
)GLSL";

bool shBasicShader2d::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shBasicShader2d::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
