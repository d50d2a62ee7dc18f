#include "effects/fxHorizonBorealis/shHorizonBorealis.h"

#include "effects/shEffectProgram.h"
#include "rvSceneDisplay.h"

rvTexColorProgram2D shHorizonBorealis::_imgPebbles;
rvTexColorProgram2D shHorizonBorealis::_imgAbstract;

const char* const shHorizonBorealis::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN

const float TAU = 6.2831853071;

float hash(vec2 p, vec2 k)
{
    return fract(sin(p.x * k.x + p.y * k.y) * 43758.5453);
}

SHADER_MAIN
{
    // A camera at height 10 looking at a flat horizon; the ray's height 1000 units away.
    float t = 2.0 * (fragCoord.y - iResolution.y * 0.5) / iResolution.y - 1.0;
    vec3 ray = normalize(vec3(0.0, t, 1.0));
    float h = 10.0 + 1000.0 * ray.y;
    vec2 p = vec2(fragCoord.x, HORIZON_OFFSET + h * HORIZON_SCALE);
    vec2 uv = p / iResolution;

    float o = texture(iChannel1, uv * 0.25 + vec2(0.0, iTime * 0.025)).r;
    float d = texture(iChannel0, uv * 0.25 - vec2(0.0, iTime * 0.02 + o * 0.02)).r * 2.0 - 1.0;

    float v = uv.y + d * 0.1;
    float sv = 2.0 * v - 1.0;
    v = 1.0 - abs(sv);
    v = pow(max(v, 0.0), 2.0 + 0.5 * sin((iTime * 0.2 + d * 0.25) * TAU));
    if (sv < 0.0)
        v = min(max(h * 0.005, 0.0), v);

    float x = 1.0 - 0.75 * uv.x;
    float y = 1.0 - abs(2.0 * uv.y - 1.0);
    vec3 col = vec3(0.5 * x, y, x) * v;

    if (sv > 0.0)
    {
        float r1 = hash(p, vec2(12.9898, 78.2330));
        float r2 = hash(p, vec2(53.7842, 47.5134));
        float s = mix(r1, r2, 0.04);
        col += pow(s, 70.0) * (1.0 - v);
    }
    fragColor = vec4(col, 1.0);
}
)GLSL";

void shHorizonBorealis::LoadImages()
{
    // A holder whose image failed to load is tried again at the next build.
    if (!_imgPebbles.IsImageLoaded())
        shEffectProgram::LoadDataImage(_imgPebbles, "Data\\img\\Shadertoy\\Pebbles512.png");
    if (!_imgAbstract.IsImageLoaded())
        shEffectProgram::LoadDataImage(_imgAbstract, "Data\\img\\Shadertoy\\Abstract1024.jpg");
}

bool shHorizonBorealis::Build()
{
    LoadImages();
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shHorizonBorealis::Use()
{
    ApplySwitches();
    rvProgram2D::Use();
    if (rvSceneDisplay::_pCurrentBuffer) _mMVP = rvSceneDisplay::_pCurrentBuffer->_mView;
    shEffectProgram::UploadUniforms(*this, __FILE__, __LINE__);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, _imgPebbles._glTextureBuffer);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, _imgAbstract._glTextureBuffer);
}
