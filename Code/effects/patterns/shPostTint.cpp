#include "effects/patterns/shPostTint.h"

#include "effects/shEffectProgram.h"

const char* const shPostTint::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN

SHADER_MAIN
{
    vec2 uv0 = fragCoord / iResolution;
    vec4 c = texture(iChannel0, uv0);
    float top = 1.0 - uv0.y;
    if (uv0.x < iRegionUV.x || uv0.x > iRegionUV.x + iRegionUV.z || top < iRegionUV.y ||
        top > iRegionUV.y + iRegionUV.w)
    {
        fragColor = c;
        return;
    }
    fragColor = vec4(mix(c.rgb, c.rgb * TINT_COLOR.rgb, TINT_AMOUNT), c.a);
}
)GLSL";

bool shPostTint::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shPostTint::Use()
{
    shEffectProgram::UsePostCopy(*this, __FILE__, __LINE__);
}

void shPostTint::DrawQuad(int flags, float x, float y, float width, float height)
{
    shEffectProgram::DrawRegionQuad(*this, flags, x, y, width, height);
}
