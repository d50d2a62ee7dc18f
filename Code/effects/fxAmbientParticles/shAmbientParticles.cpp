#include "effects/fxAmbientParticles/shAmbientParticles.h"

#include "effects/shEffectProgram.h"

const char* const shAmbientParticles::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN
#ifndef MORVANE
const int CONST_PARTICLE_SHAPE = 0;
#endif

float hash12(vec2 x)
{
    vec2 y = fract(x * vec2(451.45, 231.95));
    y += dot(y, y + 78.78);
    return fract(y.x * y.y);
}

vec2 hash21(float x)
{
    return fract(sin(x * vec2(24.0181, 52.1984)) * 5081.4972);
}

vec2 rot(vec2 v, float a)
{
    return vec2(v.x * sin(a) + v.y * cos(a), -v.x * cos(a) + v.y * sin(a));
}

// Divides, keeping clear of a zero denominator (with its sign).
float safeDiv(float a, float b)
{
    return a / (abs(b) < 1e-6 ? (b < 0.0 ? -1e-6 : 1e-6) : b);
}

float linearstep(float x, float lo, float hi)
{
    return safeDiv(clamp(x, lo, hi) - lo, hi - lo);
}

// Smooth step that falls when e0 > e1.
float S(float e0, float e1, float x)
{
    float t = clamp(safeDiv(x - e0, e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Coverage of a particle at offset g from the pixel.
float shape(vec2 g)
{
    float s = SIZE;
    float b = 0.999 - BLUR;
    float r = length(g);
    if (CONST_PARTICLE_SHAPE == 0)
        return S(s, s * b, r);
    if (CONST_PARTICLE_SHAPE == 1)
    {
        float m = max(abs(g.x), abs(g.y));
        return S(s, s * b, m) - S(0.9 * s, (0.9 * s - 0.01) * b, m);
    }
    if (CONST_PARTICLE_SHAPE == 2)
        return S(s, s * b, r) - S(0.98 * s, (0.98 * s - 0.02) * b, r) + S(0.637 * s, 0.0, length(g + LIGHT_POSXY * 0.196 * s));
    if (CONST_PARTICLE_SHAPE == 3)
        return S(s, s * b, abs(g.x) + abs(g.y));
    if (CONST_PARTICLE_SHAPE == 4)
        return S(s, s * b, min(abs(g.x), abs(g.y)) < 0.1 * s ? r : s);
    if (CONST_PARTICLE_SHAPE == 5)
        return S(s, s * b, r) - S(0.98 * s, (0.98 * s - 0.02) * b, r);
    return 0.0;
}

SHADER_MAIN
{
    vec2 u = (2.0 * fragCoord - iResolution) / iResolution.x;
    float T = iTime;
    vec3 P = CAMERA_POSITION + GLOBAL_MOTION * T;

    vec2 v = u - LIGHT_POSXY;
    float lv = max(length(v), 1e-6);
    vec2 axis = rot(vec2(0.0, -1.0), LIGHT_ROTZ);
    float angle = acos(clamp(dot(v / lv, axis), -1.0, 1.0));
    float raw = (1.0 - linearstep(angle, LIGHT_APERTURE, LIGHT_APERTURE + LIGHT_FALLBACK)) *
                (1.0 - min(1.0, safeDiv(lv, LIGHT_DISTANCE)));
    float spot = 1.0 - (1.0 - raw) * SPOTLIGHT;

    vec4 col = vec4(0.0);
    if (ENABLED != 0)
    {
        float alpha = 1.0;
        float previous = 0.0;
        float k = safeDiv(1.0, SCALE);
        float seed = floor(P.z) + float(SEED * DENSITY);
        float f = fract(P.z);
        for (int d = 1; d <= DENSITY; ++d)
        {
            float t = k * (float(d - 1) * DEPTH_SCALE + 1.0);
            float scale = mix(t, previous, f);
            vec2 c = (u + CAMERA_ROTATION.xy) * scale + P.xy + 10.0 * hash21(seed + float(d));
            float blend = 1.0;
            if (f != 0.0 && (d == 1 || d == DENSITY))
            {
                float z = float(d) - f;
                blend = smoothstep(0.0, 1.0, z) * (1.0 - smoothstep(float(DENSITY - 1), float(DENSITY), z));
            }
            float weight = mix(alpha * DEPTH_ALPHA, alpha, f) * blend;
            vec2 r = floor(c);
            float h = hash12(r);
            vec2 centre = r + 0.5 + rot(vec2(0.0, 1.0), NOISE_MOTION * T * 3.0 * (h - 0.5)) * (0.5 - SIZE);
            col += shape(centre - c) * mix(COLOR0, COLOR1, h) * spot * weight;
            alpha *= DEPTH_ALPHA;
            previous = t;
            if (DEBUG_GRID != 0 && min(fract(c.x), fract(c.y)) < 0.01)
                col.g += float(DENSITY + 1 - d) / float(DENSITY + 1);
        }
    }
    fragColor = col * FADE;
    if (DEBUG_SPOTLIGHT != 0)
        fragColor.r = raw;
}
)GLSL";

bool shAmbientParticles::Build()
{
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shAmbientParticles::Use()
{
    ApplySwitches();
    rvProgram2D::Use();
    _nEnabled = _bEnabled && HasShape() ? 1 : 0;
    _nDebugGrid = _bDebugGrid ? 1 : 0;
    _nDebugSpotlight = _bDebugLight ? 1 : 0;
    shEffectProgram::UploadUniforms(*this, __FILE__, __LINE__);
}
