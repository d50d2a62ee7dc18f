#include "effects/fxDepthLine/rvQuadDepthProgram.h"

#include "effects/shEffectProgram.h"

const char* const rvQuadDepthProgram::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN
SHADER_MAIN
{
    vec2 uv = fragCoord / iResolution;
    // The texture holds the 16-bit samples as fractions of 65535; the window is in samples and
    // maps to black..white (a window of no width is a step at its edge).
    float depth = texture(screenTexture, uv).r * 65535.0;
    float span = zFar - zNear;
    float grey = span > 0.0 ? clamp((depth - zNear) / span, 0.0, 1.0) : step(zNear, depth);
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
