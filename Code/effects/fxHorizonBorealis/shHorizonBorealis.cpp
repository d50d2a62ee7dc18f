#include "effects/fxHorizonBorealis/shHorizonBorealis.h"

#include "effects/shEffectProgram.h"
#include "effects/shUniformList.h"
#include "rvSceneDisplay.h"

rvTexColorProgram2D shHorizonBorealis::_imgPebbles;
rvTexColorProgram2D shHorizonBorealis::_imgAbstract;

// clang-format off
const char* const shHorizonBorealis::FragmentSource =
"SHADER_HEADER\n"
"#ifdef MORVANE\n"
"#define SHADER_MAIN void main()\n"
"in vec2 fragCoord;\n"
"out vec4 fragColor;\n"
"uniform float MAIN_FADE;\n"
"uniform float HORIZON_OFFSET;\n"
"uniform float HORIZON_SCALE;\n"
"uniform mat4 MVP;\n"
"uniform sampler2D iChannel0;\n"
"uniform sampler2D iChannel1;\n"
"#else\n"
"#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )\n"
"float MAIN_FADE = 1.0;\n"
"float HORIZON_OFFSET = 100.0;\n"
"float HORIZON_SCALE = 0.5;\n"
"#endif\n"
"\n"
"const float TAU = 6.2831853071;\n"
"\n"
"float hash(vec2 p, vec2 k)\n"
"{\n"
"    return fract(sin(p.x * k.x + p.y * k.y) * 43758.5453);\n"
"}\n"
"\n"
"SHADER_MAIN\n"
"{\n"
"    // A camera at height 10 looking at a flat horizon; the ray's height 1000 units away.\n"
"    float t = 2.0 * (fragCoord.y - iResolution.y * 0.5) / iResolution.y - 1.0;\n"
"    vec3 ray = normalize(vec3(0.0, t, 1.0));\n"
"    float h = 10.0 + 1000.0 * ray.y;\n"
"    vec2 p = vec2(fragCoord.x, HORIZON_OFFSET + h * HORIZON_SCALE);\n"
"    vec2 uv = p / iResolution;\n"
"\n"
"    float o = texture(iChannel1, uv * 0.25 + vec2(0.0, iTime * 0.025)).r;\n"
"    float d = texture(iChannel0, uv * 0.25 - vec2(0.0, iTime * 0.02 + o * 0.02)).r * 2.0 - 1.0;\n"
"\n"
"    float v = uv.y + d * 0.1;\n"
"    float sv = 2.0 * v - 1.0;\n"
"    v = 1.0 - abs(sv);\n"
"    v = pow(max(v, 0.0), 2.0 + 0.5 * sin((iTime * 0.2 + d * 0.25) * TAU));\n"
"    if (sv < 0.0)\n"
"        v = min(max(h * 0.005, 0.0), v);\n"
"\n"
"    float x = 1.0 - 0.75 * uv.x;\n"
"    float y = 1.0 - abs(2.0 * uv.y - 1.0);\n"
"    vec3 col = vec3(0.5 * x, y, x) * v;\n"
"\n"
"    if (sv > 0.0)\n"
"    {\n"
"        float r1 = hash(p, vec2(12.9898, 78.2330));\n"
"        float r2 = hash(p, vec2(53.7842, 47.5134));\n"
"        float s = mix(r1, r2, 0.04);\n"
"        col += pow(s, 70.0) * (1.0 - v);\n"
"    }\n"
"    fragColor = vec4(col, 1.0);\n"
"}\n";
// clang-format on

void shHorizonBorealis::ListUniforms(shUniformList& list)
{
    SH_UNIFORM_OPTIONAL(list, 1f, MAIN_FADE, _fFade);
    SH_UNIFORM(list, 1f, HORIZON_OFFSET, _fHorizonOffset);
    SH_UNIFORM(list, 1f, HORIZON_SCALE, _fHorizonScale);
    SH_UNIFORM_OPTIONAL(list, m4, MVP, _mMVP);
}

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
    const bool bOk = shEffectProgram::BuildFullScreen(*this, FragmentSource);
    if (programID)
    {
        const GLint channel0 = glGetUniformLocation(programID, "iChannel0");
        const GLint channel1 = glGetUniformLocation(programID, "iChannel1");
        if (channel0 >= 0) glProgramUniform1i(programID, channel0, 0);
        if (channel1 >= 0) glProgramUniform1i(programID, channel1, 1);
    }
    return bOk;
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
