#include "effects/fxStarField/shStarField.h"

#include "effects/shEffectProgram.h"

const char* const shStarField::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN

vec2 rotate(vec2 v, float a)
{
    float c = cos(a), s = sin(a);
    return vec2(v.x * c + v.y * s, -v.x * s + v.y * c);
}

// Smooth step from a to b, also falling when a is above b. Equal edges give a hard edge: 1 below
// it, 0 from it on.
float S(float a, float b, float x)
{
    if (a == b)
        return x < a ? 1.0 : 0.0;
    float t = clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

SHADER_MAIN
{
    float time = (iTime + 29.0) * MAIN_SPEED;
    vec2 o = vec2(0.25, -0.25 + 0.4 * sin(time * 0.001));
    vec2 uv = (2.0 * fragCoord - iResolution) / iResolution.y;
    uv -= MAIN_TRANSFORM.xy;
    uv = rotate(uv, MAIN_TRANSFORM.z * 3.14159 / 180.0);
    if (MAIN_SPIRAL != 0.0)
        uv = rotate(uv, length(uv) * MAIN_SPIRAL);

    // A hole of size 0 has no inside: the picture shows in full.
    float inside = HOLE_SIZE > 0.0 ? S(HOLE_SIZE, 4.0 * HOLE_SIZE, length(uv)) : 1.0;
    float colf = mix(1.0, inside, min(1.0, HOLE_OPACITY));

    vec3 c = vec3(0.0);
    if (colf > 0.0)
    {
        float s = 0.01;
        float v = 0.0;
        vec3 origin = vec3(o, time * 0.0008);
        float n = float(FRACTAL_ITER1);
        for (int r = 0; r < FRACTAL_ITER1; r++)
        {
            vec3 p = origin + s * vec3(uv, 0.143);
            if (MAIN_ROTATION != 0.0)
                p.xy = rotate(p.xy, length(p.xy) + MAIN_ROTATION * iTime);
            p.z = mod(p.z, FRACTAL_MOD);
            for (int i = 0; i < FRACTAL_ITER2; i++)
                p = abs(p * FRACTAL_MUL) / dot(p, p) + FRACTAL_ADD;
            v += length(p * p) * smoothstep(0.0, 0.5, MAIN_DENSITY - s) * COLOR_LUMINOSITY / n;
            c += (COLOR_ADD + COLOR_MUL * s) * v / n;
            s += 0.01;
        }
    }

    vec2 q = uv / SPIRAL_SIZE;
    float z = length(q);
    if (z > 0.0 && z < SPIRAL && SPIRAL_COLOR.a > 0.0)
    {
        float a = SPIRAL_DENSITY * log(z);
        vec2 d = vec2(cos(a), sin(a));
        float k = SPIRAL_COLOR.a * S(SPIRAL_THICKNESS, SPIRAL_THICKNESS * SPIRAL_FLATNESS, abs(dot(uv / z, d)));
        float dist = SPIRAL / z;
        float t = dist + iTime * SPIRAL_SPEED;
        k *= S(SPIRAL_VARIATION, 0.0, abs(fract(t) - 0.5)) / dist;
        c += k * SPIRAL_COLOR.rgb;
    }

    vec3 h = HOLE_OPACITY >= 2.0 ? vec3(1.0) : vec3(0.0);
    fragColor = vec4(mix(h, clamp(c, 0.0, 1.0), colf), MAIN_FADE);
}
)GLSL";

bool shStarField::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shStarField::Use()
{
    shEffectProgram::UseFullScreen(*this, __FILE__, __LINE__);
}
