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

// noise() at two points, the corner hashes shared when both lie in the same cell.
vec2 noise2(vec2 p, vec2 r, float f)
{
    vec2 q = p * f;
    vec2 u = r * f;
    vec2 c = floor(q);
    vec2 cu = floor(u);
    vec2 t = 0.5 * (1.0 - cos(3.14 * (q - c)));
    vec2 tu = 0.5 * (1.0 - cos(3.14 * (u - cu)));
    float a = hash(c);
    float b = hash(c + vec2(1.0, 0.0));
    float d = hash(c + vec2(0.0, 1.0));
    float e = hash(c + vec2(1.0, 1.0));
    float first = mix(mix(a, b, t.x), mix(d, e, t.x), t.y);
    if (cu != c)
    {
        a = hash(cu);
        b = hash(cu + vec2(1.0, 0.0));
        d = hash(cu + vec2(0.0, 1.0));
        e = hash(cu + vec2(1.0, 1.0));
    }
    return vec2(first, mix(mix(a, b, tu.x), mix(d, e, tu.x), tu.y));
}

// Wave heights of line i at p and r. A single line (LINE_COUNT 0) takes the factor of the top line.
vec2 heights(vec2 p, vec2 r, float i)
{
    float k = i / max(LINE_COUNT, 1.0);
    vec2 n = (0.28 * noise2(p.yx + 0.5 * iTime, r.yx + 0.5 * iTime, 4.0) +
              noise2(vec2(p.x, i), vec2(r.x, i), 10.0)) * mix(1.5, 1.0, k);
    return WAVES_HEIGHT * pow(max(n, 0.0), vec2(WAVES_POWER)) / pow(1.78, WAVES_POWER);
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

// Line i, at rest at height y, where it passes at x and at x2; outside its window a line lies flat.
vec2 wavesAt(float x, float x2, float y, float i)
{
    vec2 win = vec2(window(x, i), window(x2, i));
    if (win.x <= 0.0 && win.y <= 0.0)
        return vec2(y);
    return y + heights(vec2(x, y) - WAVES_MOTION * iTime, vec2(x2, y) - WAVES_MOTION * iTime, i) * win;
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
    // The lines drawn at this pixel are those from the top one down to the first lying a reach
    // below it, less those lying a reach or more above it. Drawn top to bottom, each line lays its
    // stroke over what is behind it and hides what lies below its wave; summed here from the bottom
    // up, each stroke is weighed by what the lines in front of it let through, and the sum stops
    // where a line hides everything behind it.
    int lines = 0;
    while (float(lines) <= LINE_COUNT && y0 + float(lines) * dy > uv.y - reach)
        lines++;
    float ret = 0.0;
    float through = 1.0;
    for (int n = lines - 1; n >= 0; n--)
    {
        float i = float(n);
        float y = y0 + i * dy;
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
        vec2 ws = wavesAt(uv.x, uv.x + dx, y, i);
        float w = ws.x;
        float slope = ws.y - w;
        float thickness = t0 + 2.5 * abs(slope);
        float stroke = 1.0 - smoothstep(0.0, thickness, abs(w - uv.y));
        float shown = mix(1.0 - WAVES_OCCLUSION, 1.0,
                          smoothstep(w - thickness * 0.5, w + thickness * 0.5, uv.y));
        ret += through * shown * stroke * a;
        through *= shown * (1.0 - stroke);
        if (through <= 0.0)
            break;
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
