#include "effects/fxDepthLine/rvQuadDepthProgram.h"

#include "effects/shEffectProgram.h"

const char* const rvQuadDepthProgram::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN
SHADER_MAIN
{
    vec2 uv = fragCoord / iResolution;
    float r = texture(screenTexture, uv).r;
    float grey = (r * 32765.0 - zNear) / (zFar - zNear);
    fragColor = vec4(grey, grey, grey, 1.0);
    if (mod(fragCoord.y, 2.0) < 1.0) fragColor.rgb -= vec3(0.5);
}
)GLSL";

bool rvQuadDepthProgram::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void rvQuadDepthProgram::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
