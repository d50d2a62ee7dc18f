#include "effects/fxPostDistortion/shPostDistortion.h"

#include "effects/fxPostVHS/shPostVHS.h"
#include "effects/shUniformList.h"

#include <string>

namespace
{
const char* const kHead = R"GLSL(SHADER_HEADER
#ifdef MORVANE
#define SHADER_MAIN void main()
in vec2 fragCoord;
out vec4 fragColor;
uniform sampler2D iChannel0;
uniform vec4 iRegionUV;
uniform float BUMP_HEIGHT;
uniform float BUMP_SPEED;
uniform float BUMP_DURATION;
uniform float BUMP_ATTENUATION;
uniform float BUMP_START;
#else
#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )
const int BUMP_ENABLED = 1;
vec4 iRegionUV = vec4(0.0, 0.0, 1.0, 1.0);
float BUMP_HEIGHT = 0.25;
float BUMP_SPEED = 20.0;
float BUMP_DURATION = 3.0;
float BUMP_ATTENUATION = 8.0;
float BUMP_START;
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

void shPostDistortion::ListUniforms(shUniformList& list)
{
    SH_UNIFORM_OPTIONAL(list, 1i, iChannel0, _nChannel0);
    SH_UNIFORM(list, 4f, iRegionUV, _vRegionUV);
    SH_UNIFORM_OPTIONAL(list, 1f, BUMP_HEIGHT, _fBumpHeight);
    SH_UNIFORM_OPTIONAL(list, 1f, BUMP_SPEED, _fBumpSpeed);
    SH_UNIFORM_OPTIONAL(list, 1f, BUMP_DURATION, _fBumpDuration);
    SH_UNIFORM_OPTIONAL(list, 1f, BUMP_ATTENUATION, _fBumpAttenuation);
    SH_UNIFORM_OPTIONAL(list, 1f, BUMP_START, _fBumpStart);
}

bool shPostDistortion::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource());
}

void shPostDistortion::Use()
{
    ApplySwitches();
    UseTexture(shPostEffect::CopyCurrentBuffer());
    _nChannel0 = 0;
    _vRegionUV = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    shEffectProgram::UploadUniforms(*this, __FILE__, __LINE__);
}

void shPostDistortion::DrawQuad(int flags, float x, float y, float w, float h)
{
    shPostEffect::DrawRegionQuad(*this, _location4f_iRegionUV, _vRegionUV, __FILE__, __LINE__, flags, x, y, w, h);
}
