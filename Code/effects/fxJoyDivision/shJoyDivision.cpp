#include "effects/fxJoyDivision/shJoyDivision.h"

#include "effects/shEffectProgram.h"

const char* const shJoyDivision::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN

float hash(vec2 c)
{
    return fract(sin(dot(c, vec2(12.9898, 78.233))) * 43758.5453);
}

// Value noise on square cells of size 1/f, corners blended with a cosine ease.
float noise(vec2 p, float f)
{
    vec2 q = p * f;
    vec2 c = floor(q);
    vec2 t = 0.5 * (1.0 - cos(3.14 * (q - c)));
    float a = hash(c);
    float b = hash(c + vec2(1.0, 0.0));
    float d = hash(c + vec2(0.0, 1.0));
    float e = hash(c + vec2(1.0, 1.0));
    return mix(mix(a, b, t.x), mix(d, e, t.x), t.y);
}

// Wave height of line i at p. A single line (LINE_COUNT 0) takes the factor of the top line.
float height(vec2 p, float i)
{
    float k = i / max(LINE_COUNT, 1.0);
    float n = (0.28 * noise(p.yx + 0.5 * iTime, 4.0) + noise(vec2(p.x, i), 10.0)) * mix(1.5, 1.0, k);
    return WAVES_HEIGHT * pow(max(n, 0.0), WAVES_POWER) / pow(1.78, WAVES_POWER);
}

float persp(float i)
{
    return mix(1.0 - LINE_PERSP, 1.0 + LINE_PERSP, i / (LINE_COUNT + 1.0));
}

float halfLength(float i)
{
    return persp(i) * LINE_WIDTH * iResolution.x / iResolution.y;
}

float window(float x, float i)
{
    float m = halfLength(i);
    float w = WAVES_WIDTH * m * persp(i);
    float a = WAVES_ATTENUATION_WIDTH * m * persp(i);
    return smoothstep(-w - a, -w, x) * (1.0 - smoothstep(w, w + a, x));
}

float waveAt(float x, float y, float i)
{
    return y + height(vec2(x, y) - WAVES_MOTION * iTime, i) * window(x, i);
}

SHADER_MAIN
{
    vec2 uv = 2.0 * (fragCoord - 0.5 * iResolution) / iResolution.y;
    vec2 polar = vec2(abs(POLARX * atan(uv.y, uv.x)), POLARY / max(length(uv), 1e-6));
    uv = mix(uv, polar, POLAR);
    // Step of uv.x to the next pixel column, taken in uniform control flow; the slope of each
    // wave is measured over it.
    float dx = dFdx(uv.x);
    float y0 = 2.0 * LINE_HEIGHT - 1.0 + LINE_OFFSETY;
    float dy = -2.0 * LINE_HEIGHT / (1.0 + LINE_COUNT);
    float t0 = LINE_BOLD * 5.0 / iResolution.y;
    float reach = WAVES_HEIGHT + 10.0 * t0;
    vec4 s = vec4(LINE_ALPHAS.x, LINE_ALPHAS.y - LINE_ALPHAS.x, LINE_ALPHAS.z - LINE_ALPHAS.y,
                  LINE_ALPHAS.w - LINE_ALPHAS.z);
    float ret = 0.0;
    for (int n = 0; float(n) <= LINE_COUNT; n++)
    {
        float i = float(n);
        float y = y0 + i * dy;
        if (y <= uv.y - reach)
            break;
        if (y >= uv.y + reach)
            continue;
        float a = s.x;
        if (n % 5 == 0) a += s.y;
        if (n % 10 == 0) a += s.z;
        if (n % 20 == 0) a += s.w;
        if (a <= 0.0)
            continue;
        if (abs(uv.x) >= halfLength(i))
            continue;
        float w = waveAt(uv.x, y, i);
        float slope = waveAt(uv.x + dx, y, i) - w;
        float thickness = t0 + 2.5 * abs(slope);
        ret = mix(ret, a, 1.0 - smoothstep(0.0, thickness, abs(w - uv.y)));
        ret *= mix(1.0 - WAVES_OCCLUSION, 1.0,
                   smoothstep(w - thickness * 0.5, w + thickness * 0.5, uv.y));
    }
    float v = 1.0 - 0.5 * LINE_COLOR_VARIATION * noise(2.0 * uv - WAVES_MOTION * iTime, 30.0);
    fragColor = vec4(mix(BACK_COLOR.rgb, LINE_COLOR.rgb * v, ret),
                     mix(BACK_COLOR.a, LINE_COLOR.a, ret) * FADE);
}
)GLSL";

bool shJoyDivision::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shJoyDivision::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
