#include "effects/fxJoyDivision/shJoyDivision.h"

#include "effects/shEffectProgram.h"
#include "effects/shUniformList.h"

// clang-format off
const char* const shJoyDivision::FragmentSource =
"SHADER_HEADER\n"
"#ifdef MORVANE\n"
"#define SHADER_MAIN void main()\n"
"in vec2 fragCoord;\n"
"out vec4 fragColor;\n"
"uniform float FADE;\n"
"uniform vec2 WAVES_MOTION;\n"
"uniform float WAVES_WIDTH;\n"
"uniform float WAVES_HEIGHT;\n"
"uniform float WAVES_POWER;\n"
"uniform float WAVES_ATTENUATION_WIDTH;\n"
"uniform float WAVES_OCCLUSION;\n"
"uniform float WAVES_SPECTRER;\n"
"uniform float LINE_WIDTH;\n"
"uniform float LINE_HEIGHT;\n"
"uniform float LINE_PERSP;\n"
"uniform float LINE_COUNT;\n"
"uniform float LINE_BOLD;\n"
"uniform float LINE_OFFSETY;\n"
"uniform vec4 BACK_COLOR;\n"
"uniform vec4 LINE_COLOR;\n"
"uniform float LINE_COLOR_VARIATION;\n"
"uniform vec4 LINE_ALPHAS;\n"
"uniform float POLAR;\n"
"uniform float POLARX;\n"
"uniform float POLARY;\n"
"#else\n"
"#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )\n"
"float FADE = 1.0;\n"
"vec2 WAVES_MOTION = vec2(0.2, 0.0);\n"
"float WAVES_WIDTH = 0.2;\n"
"float WAVES_HEIGHT = 1.0;\n"
"float WAVES_POWER = 1.0;\n"
"float WAVES_ATTENUATION_WIDTH = 0.5;\n"
"float WAVES_OCCLUSION = 1.0;\n"
"float WAVES_SPECTRER = 0.0;\n"
"float LINE_WIDTH = 1.0;\n"
"float LINE_HEIGHT = 0.8;\n"
"float LINE_PERSP = 0.0;\n"
"float LINE_COUNT = 60.0;\n"
"float LINE_BOLD = 1.0;\n"
"float LINE_OFFSETY = 0.1;\n"
"vec4 BACK_COLOR = vec4(0.1, 0.25, 0.35, 1.0);\n"
"vec4 LINE_COLOR = vec4(1.0, 1.0, 1.0, 1.0);\n"
"float LINE_COLOR_VARIATION = 0.0;\n"
"vec4 LINE_ALPHAS = vec4(0.2, 0.4, 1.0, 0.0);\n"
"float POLAR = 0.5;\n"
"float POLARX = 0.5;\n"
"float POLARY = 0.2;\n"
"#endif\n"
"\n"
"float hash(vec2 c)\n"
"{\n"
"    return fract(sin(dot(c, vec2(12.9898, 78.233))) * 43758.5453);\n"
"}\n"
"\n"
"// Value noise on square cells of size 1/f, corners blended with a cosine ease.\n"
"float noise(vec2 p, float f)\n"
"{\n"
"    vec2 q = p * f;\n"
"    vec2 c = floor(q);\n"
"    vec2 t = 0.5 * (1.0 - cos(3.14 * (q - c)));\n"
"    float a = hash(c);\n"
"    float b = hash(c + vec2(1.0, 0.0));\n"
"    float d = hash(c + vec2(0.0, 1.0));\n"
"    float e = hash(c + vec2(1.0, 1.0));\n"
"    return mix(mix(a, b, t.x), mix(d, e, t.x), t.y);\n"
"}\n"
"\n"
"// Wave height of line i at p. A single line (LINE_COUNT 0) takes the factor of the top line.\n"
"float height(vec2 p, float i)\n"
"{\n"
"    float k = i / max(LINE_COUNT, 1.0);\n"
"    float n = (0.28 * noise(p.yx + 0.5 * iTime, 4.0) + noise(vec2(p.x, i), 10.0)) * mix(1.5, 1.0, k);\n"
"    return WAVES_HEIGHT * pow(max(n, 0.0), WAVES_POWER) / pow(1.78, WAVES_POWER);\n"
"}\n"
"\n"
"float persp(float i)\n"
"{\n"
"    return mix(1.0 - LINE_PERSP, 1.0 + LINE_PERSP, i / (LINE_COUNT + 1.0));\n"
"}\n"
"\n"
"float halfLength(float i)\n"
"{\n"
"    return persp(i) * LINE_WIDTH * iResolution.x / iResolution.y;\n"
"}\n"
"\n"
"float window(float x, float i)\n"
"{\n"
"    float m = halfLength(i);\n"
"    float w = WAVES_WIDTH * m * persp(i);\n"
"    float a = WAVES_ATTENUATION_WIDTH * m * persp(i);\n"
"    return smoothstep(-w - a, -w, x) * (1.0 - smoothstep(w, w + a, x));\n"
"}\n"
"\n"
"float waveAt(float x, float y, float i)\n"
"{\n"
"    return y + height(vec2(x, y) - WAVES_MOTION * iTime, i) * window(x, i);\n"
"}\n"
"\n"
"SHADER_MAIN\n"
"{\n"
"    vec2 uv = 2.0 * (fragCoord - 0.5 * iResolution) / iResolution.y;\n"
"    vec2 polar = vec2(abs(POLARX * atan(uv.y, uv.x)), POLARY / max(length(uv), 1e-6));\n"
"    uv = mix(uv, polar, POLAR);\n"
"    // Step of uv.x to the next pixel column, taken in uniform control flow; the slope of each\n"
"    // wave is measured over it.\n"
"    float dx = dFdx(uv.x);\n"
"    float y0 = 2.0 * LINE_HEIGHT - 1.0 + LINE_OFFSETY;\n"
"    float dy = -2.0 * LINE_HEIGHT / (1.0 + LINE_COUNT);\n"
"    float t0 = LINE_BOLD * 5.0 / iResolution.y;\n"
"    float reach = WAVES_HEIGHT + 10.0 * t0;\n"
"    vec4 s = vec4(LINE_ALPHAS.x, LINE_ALPHAS.y - LINE_ALPHAS.x, LINE_ALPHAS.z - LINE_ALPHAS.y,\n"
"                  LINE_ALPHAS.w - LINE_ALPHAS.z);\n"
"    float ret = 0.0;\n"
"    for (int n = 0; float(n) <= LINE_COUNT; n++)\n"
"    {\n"
"        float i = float(n);\n"
"        float y = y0 + i * dy;\n"
"        if (y <= uv.y - reach)\n"
"            break;\n"
"        if (y >= uv.y + reach)\n"
"            continue;\n"
"        float a = s.x;\n"
"        if (n % 5 == 0) a += s.y;\n"
"        if (n % 10 == 0) a += s.z;\n"
"        if (n % 20 == 0) a += s.w;\n"
"        if (a <= 0.0)\n"
"            continue;\n"
"        if (abs(uv.x) >= halfLength(i))\n"
"            continue;\n"
"        float w = waveAt(uv.x, y, i);\n"
"        float slope = waveAt(uv.x + dx, y, i) - w;\n"
"        float thickness = t0 + 2.5 * abs(slope);\n"
"        ret = mix(ret, a, 1.0 - smoothstep(0.0, thickness, abs(w - uv.y)));\n"
"        ret *= mix(1.0 - WAVES_OCCLUSION, 1.0,\n"
"                   smoothstep(w - thickness * 0.5, w + thickness * 0.5, uv.y));\n"
"    }\n"
"    float v = 1.0 - 0.5 * LINE_COLOR_VARIATION * noise(2.0 * uv - WAVES_MOTION * iTime, 30.0);\n"
"    fragColor = vec4(mix(BACK_COLOR.rgb, LINE_COLOR.rgb * v, ret),\n"
"                     mix(BACK_COLOR.a, LINE_COLOR.a, ret) * FADE);\n"
"}\n";
// clang-format on

void shJoyDivision::ListUniforms(shUniformList& list)
{
    SH_UNIFORM(list, 1f, FADE, _fFade);
    SH_UNIFORM(list, 2f, WAVES_MOTION, _vWavesMotion);
    SH_UNIFORM(list, 1f, WAVES_WIDTH, _fWavesWidth);
    SH_UNIFORM(list, 1f, WAVES_HEIGHT, _fWavesHeight);
    SH_UNIFORM(list, 1f, WAVES_POWER, _fWavesPower);
    SH_UNIFORM(list, 1f, WAVES_ATTENUATION_WIDTH, _fWavesAttenuationWidth);
    SH_UNIFORM(list, 1f, WAVES_OCCLUSION, _fWavesOcclusion);
    SH_UNIFORM_OPTIONAL(list, 1f, WAVES_SPECTRER, _fWavesSpectrer);
    SH_UNIFORM(list, 1f, LINE_WIDTH, _fLineWidth);
    SH_UNIFORM(list, 1f, LINE_HEIGHT, _fLineHeight);
    SH_UNIFORM(list, 1f, LINE_PERSP, _fLinePersp);
    SH_UNIFORM(list, 1f, LINE_COUNT, _fLineCount);
    SH_UNIFORM(list, 1f, LINE_BOLD, _fLineBold);
    SH_UNIFORM(list, 1f, LINE_OFFSETY, _fLineOffsetY);
    SH_UNIFORM(list, 4f, BACK_COLOR, _vBackColor);
    SH_UNIFORM(list, 4f, LINE_COLOR, _vLineColor);
    SH_UNIFORM(list, 1f, LINE_COLOR_VARIATION, _fLineColorVariation);
    SH_UNIFORM(list, 4f, LINE_ALPHAS, _vLineAlphas);
    SH_UNIFORM(list, 1f, POLAR, _fPolar);
    SH_UNIFORM(list, 1f, POLARX, _fPolarX);
    SH_UNIFORM(list, 1f, POLARY, _fPolarY);
}

bool shJoyDivision::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shJoyDivision::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
