#include "effects/fxPostDistortion/shPostDistortion.h"

#include "effects/fxPostVHS/shPostVHS.h"

#include <string>

namespace
{
const char* const kHead = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN
#ifndef MORVANE
const int BUMP_ENABLED = 1;
#endif
)GLSL";

const char* const kBody = R"GLSL(
SHADER_MAIN
{
    vec2 uv;
    if (!regionUV(fragCoord, uv))
    {
        fragColor = texture(iChannel0, fragCoord / iResolution);
        return;
    }
    // Centred: -1 .. 1, y downward.
    uv = 2.0 * uv - 1.0;
    if (BUMP_ENABLED > 0)
    {
        float r = length(uv);
        float deform = 1.0 + sqrt(r) * cos(r);
        float fact = iTime < BUMP_START ? 0.0 : 1.0 - min((iTime - BUMP_START) / BUMP_DURATION, 1.0);
        // Outside the bump's window nothing moves, whatever the attenuation (0 to the power 0 included).
        float decay = fact > 0.0 ? pow(fact, BUMP_ATTENUATION) : 0.0;
        uv *= 1.0 + BUMP_HEIGHT * sin((BUMP_START - iTime) * BUMP_SPEED) * deform * decay;
    }
    uv = 0.5 * (uv + 1.0);
    uv = vec2(uv.x * iRegionUV.z + iRegionUV.x, uv.y * iRegionUV.w + iRegionUV.y);
    uv.y = 1.0 - uv.y;
    fragColor = texture(iChannel0, uv);
}
)GLSL";
} // namespace

const char* shPostDistortion::FragmentSource()
{
    static const std::string s_sSource = std::string(kHead) + shPostEffect::RegionSource + kBody;
    return s_sSource.c_str();
}

int shPostDistortion::BumpEnabled() const
{
    return _fBumpHeight > 0.0f && _fBumpSpeed != 0.0f && _fBumpDuration > 0.0f ? 1 : 0;
}

bool shPostDistortion::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource());
}

void shPostDistortion::Use()
{
    ApplySwitches();
    UseTexture(shEffectProgram::CopyOfCurrentBuffer());
    _nChannel0 = 0;
    _vRegionUV = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    shEffectProgram::UploadUniforms(*this, __FILE__, __LINE__);
}

void shPostDistortion::DrawQuad(int flags, float x, float y, float w, float h)
{
    shEffectProgram::DrawRegionQuad(*this, flags, x, y, w, h);
}
