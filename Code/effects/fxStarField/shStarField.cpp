#include "effects/fxStarField/shStarField.h"

#include "effects/shEffectProgram.h"
#include "effects/shUniformList.h"

// clang-format off
const char* const shStarField::FragmentSource =
"SHADER_HEADER\n"
"#ifdef MORVANE\n"
"#define SHADER_MAIN void main()\n"
"in vec2 fragCoord;\n"
"out vec4 fragColor;\n"
"uniform float MAIN_FADE;\n"
"uniform float MAIN_SPEED;\n"
"uniform float MAIN_DENSITY;\n"
"uniform float MAIN_SPIRAL;\n"
"uniform float MAIN_ROTATION;\n"
"uniform vec3 MAIN_TRANSFORM;\n"
"uniform float HOLE_SIZE;\n"
"uniform float HOLE_OPACITY;\n"
"uniform int FRACTAL_ITER1;\n"
"uniform int FRACTAL_ITER2;\n"
"uniform float FRACTAL_MOD;\n"
"uniform float FRACTAL_MUL;\n"
"uniform float FRACTAL_ADD;\n"
"uniform float COLOR_LUMINOSITY;\n"
"uniform vec3 COLOR_MUL;\n"
"uniform vec3 COLOR_ADD;\n"
"uniform float SPIRAL;\n"
"uniform vec2 SPIRAL_SIZE;\n"
"uniform float SPIRAL_SPEED;\n"
"uniform float SPIRAL_DENSITY;\n"
"uniform float SPIRAL_VARIATION;\n"
"uniform float SPIRAL_THICKNESS;\n"
"uniform float SPIRAL_FLATNESS;\n"
"uniform vec4 SPIRAL_COLOR;\n"
"#else\n"
"#define SHADER_MAIN void mainImage( out vec4 fragColor, in vec2 fragCoord )\n"
"float MAIN_FADE = 1.0;\n"
"float MAIN_SPEED = 60.0;\n"
"float MAIN_DENSITY = 0.9;\n"
"float MAIN_SPIRAL = 0.0;\n"
"float MAIN_ROTATION = 0.0;\n"
"vec3 MAIN_TRANSFORM = vec3(0.0, 0.0, 0.0);\n"
"float HOLE_SIZE = 0.0;\n"
"float HOLE_OPACITY = 0.0;\n"
"int FRACTAL_ITER1 = 100;\n"
"int FRACTAL_ITER2 = 7;\n"
"float FRACTAL_MOD = 2.0;\n"
"float FRACTAL_MUL = 2.04;\n"
"float FRACTAL_ADD = -0.75;\n"
"float COLOR_LUMINOSITY = 0.2;\n"
"vec3 COLOR_MUL = vec3(0.8, -0.5, 0.5);\n"
"vec3 COLOR_ADD = vec3(0.0, 1.1, 0.7);\n"
"float SPIRAL = 0.0;\n"
"vec2 SPIRAL_SIZE = vec2(1.5, 1.1);\n"
"float SPIRAL_SPEED = 1.0;\n"
"float SPIRAL_DENSITY = 4.0;\n"
"float SPIRAL_VARIATION = 0.3;\n"
"float SPIRAL_THICKNESS = 0.4;\n"
"float SPIRAL_FLATNESS = 0.0;\n"
"vec4 SPIRAL_COLOR = vec4(1.0, 1.0, 1.0, 1.0);\n"
"#endif\n"
"\n"
"vec2 rotate(vec2 v, float a)\n"
"{\n"
"    float c = cos(a), s = sin(a);\n"
"    return vec2(v.x * c + v.y * s, -v.x * s + v.y * c);\n"
"}\n"
"\n"
"// Smooth step from a to b, also falling when a is above b. Equal edges give a hard edge: 1 below\n"
"// it, 0 from it on.\n"
"float S(float a, float b, float x)\n"
"{\n"
"    if (a == b)\n"
"        return x < a ? 1.0 : 0.0;\n"
"    float t = clamp((x - a) / (b - a), 0.0, 1.0);\n"
"    return t * t * (3.0 - 2.0 * t);\n"
"}\n"
"\n"
"SHADER_MAIN\n"
"{\n"
"    float time = (iTime + 29.0) * MAIN_SPEED;\n"
"    vec2 o = vec2(0.25, -0.25 + 0.4 * sin(time * 0.001));\n"
"    vec2 uv = (2.0 * fragCoord - iResolution) / iResolution.y;\n"
"    uv -= MAIN_TRANSFORM.xy;\n"
"    uv = rotate(uv, MAIN_TRANSFORM.z * 3.14159 / 180.0);\n"
"    if (MAIN_SPIRAL != 0.0)\n"
"        uv = rotate(uv, length(uv) * MAIN_SPIRAL);\n"
"\n"
"    // A hole of size 0 has no inside: the picture shows in full.\n"
"    float inside = HOLE_SIZE > 0.0 ? S(HOLE_SIZE, 4.0 * HOLE_SIZE, length(uv)) : 1.0;\n"
"    float colf = mix(1.0, inside, min(1.0, HOLE_OPACITY));\n"
"\n"
"    vec3 c = vec3(0.0);\n"
"    if (colf > 0.0)\n"
"    {\n"
"        float s = 0.01;\n"
"        float v = 0.0;\n"
"        vec3 origin = vec3(o, time * 0.0008);\n"
"        float n = float(FRACTAL_ITER1);\n"
"        for (int r = 0; r < FRACTAL_ITER1; r++)\n"
"        {\n"
"            vec3 p = origin + s * vec3(uv, 0.143);\n"
"            if (MAIN_ROTATION != 0.0)\n"
"                p.xy = rotate(p.xy, length(p.xy) + MAIN_ROTATION * iTime);\n"
"            p.z = mod(p.z, FRACTAL_MOD);\n"
"            for (int i = 0; i < FRACTAL_ITER2; i++)\n"
"                p = abs(p * FRACTAL_MUL) / dot(p, p) + FRACTAL_ADD;\n"
"            v += length(p * p) * smoothstep(0.0, 0.5, MAIN_DENSITY - s) * COLOR_LUMINOSITY / n;\n"
"            c += (COLOR_ADD + COLOR_MUL * s) * v / n;\n"
"            s += 0.01;\n"
"        }\n"
"    }\n"
"\n"
"    vec2 q = uv / SPIRAL_SIZE;\n"
"    float z = length(q);\n"
"    if (z > 0.0 && z < SPIRAL && SPIRAL_COLOR.a > 0.0)\n"
"    {\n"
"        float a = SPIRAL_DENSITY * log(z);\n"
"        vec2 d = vec2(cos(a), sin(a));\n"
"        float k = SPIRAL_COLOR.a * S(SPIRAL_THICKNESS, SPIRAL_THICKNESS * SPIRAL_FLATNESS, abs(dot(uv / z, d)));\n"
"        float dist = SPIRAL / z;\n"
"        float t = dist + iTime * SPIRAL_SPEED;\n"
"        k *= S(SPIRAL_VARIATION, 0.0, abs(fract(t) - 0.5)) / dist;\n"
"        c += k * SPIRAL_COLOR.rgb;\n"
"    }\n"
"\n"
"    vec3 h = HOLE_OPACITY >= 2.0 ? vec3(1.0) : vec3(0.0);\n"
"    fragColor = vec4(mix(h, clamp(c, 0.0, 1.0), colf), MAIN_FADE);\n"
"}\n";
// clang-format on

void shStarField::ListUniforms(shUniformList& list)
{
    SH_UNIFORM(list, 1f, MAIN_FADE, _fFade);
    SH_UNIFORM(list, 1f, MAIN_SPEED, _fMainSpeed);
    SH_UNIFORM(list, 1f, MAIN_DENSITY, _fMainDensity);
    SH_UNIFORM(list, 1f, MAIN_SPIRAL, _fMainSpiral);
    SH_UNIFORM(list, 1f, MAIN_ROTATION, _fMainRotation);
    SH_UNIFORM(list, 3f, MAIN_TRANSFORM, _vMainTransform);
    SH_UNIFORM(list, 1f, HOLE_SIZE, _fHoleSize);
    SH_UNIFORM(list, 1f, HOLE_OPACITY, _fHoleOpacity);
    SH_UNIFORM(list, 1i, FRACTAL_ITER1, _nFractalIter1);
    SH_UNIFORM(list, 1i, FRACTAL_ITER2, _nFractalIter2);
    SH_UNIFORM(list, 1f, FRACTAL_MOD, _fFractalMod);
    SH_UNIFORM(list, 1f, FRACTAL_MUL, _fFractalMul);
    SH_UNIFORM(list, 1f, FRACTAL_ADD, _fFractalAdd);
    SH_UNIFORM(list, 1f, COLOR_LUMINOSITY, _fColorLuminosity);
    SH_UNIFORM(list, 3f, COLOR_MUL, _vColorMul);
    SH_UNIFORM(list, 3f, COLOR_ADD, _vColorAdd);
    SH_UNIFORM(list, 1f, SPIRAL, _fSpiral);
    SH_UNIFORM(list, 2f, SPIRAL_SIZE, _vSpiralSize);
    SH_UNIFORM(list, 1f, SPIRAL_SPEED, _fSpiralSpeed);
    SH_UNIFORM(list, 1f, SPIRAL_DENSITY, _fSpiralDensity);
    SH_UNIFORM(list, 1f, SPIRAL_VARIATION, _fSpiralVariation);
    SH_UNIFORM(list, 1f, SPIRAL_THICKNESS, _fSpiralThickness);
    SH_UNIFORM(list, 1f, SPIRAL_FLATNESS, _fSpiralFlatness);
    SH_UNIFORM(list, 4f, SPIRAL_COLOR, _vSpiralColor);
}

bool shStarField::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shStarField::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
