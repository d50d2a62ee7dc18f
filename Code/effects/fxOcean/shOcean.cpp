#include "effects/fxOcean/shOcean.h"

#include "Display/rvBufferDisplay.h"
#include "effects/shEffectProgram.h"
#include "rvSceneDisplay.h"

const char* const shOcean::ImagePath = "Data\\img\\Shadertoy\\Pebbles512.png";

const char* const shOcean::FragmentSource = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN
#ifndef MORVANE
// In an image-shader host: the wave times run on the clock, and the camera is the mouse's.
#define MAIN_TIMEPERIOD1 (iTime * 10.0 * vec4(1.0, 0.471, 0.221841, 0.104487))
#define MAIN_TIMEPERIOD2 (iTime * 10.0 * vec4(0.0492134, 0.0231795, 0.0, 0.0))
mat4 mouseCamera()
{
    vec2 m = iMouse.xy / iResolution.xy - 0.5;
    float a = m.x * 3.0, b = m.y * 1.5;
    mat4 yaw = mat4(cos(a), 0.0, -sin(a), 0.0, 0.0, 1.0, 0.0, 0.0, sin(a), 0.0, cos(a), 0.0, 0.0, 0.0, 0.0, 1.0);
    mat4 pitch = mat4(1.0, 0.0, 0.0, 0.0, 0.0, cos(b), sin(b), 0.0, 0.0, -sin(b), cos(b), 0.0, 0.0, 0.0, 0.0, 1.0);
    return yaw * pitch * mat4(-1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, -1.0, 0.0, 0.0, 10.0, 0.0, 1.0);
}
#define MAT_VIEWINV mouseCamera()
#endif

// Points down and away: the sun lies in direction -L.
const vec3 L = normalize(vec3(0.0, -0.2, -0.6));

float luminance(vec3 c)
{
    return dot(c, vec3(0.2126, 0.7152, 0.0722));
}

float hash(vec2 k)
{
    return fract(sin(dot(k, vec2(12.0, 77.0))) * 43758.0);
}

// Value noise on square cells of size s.
float valueNoise(vec2 q, float s)
{
    vec2 p = q / s;
    vec2 i = floor(p);
    vec2 w = smoothstep(0.0, 1.0, fract(p));
    float a = hash(i), b = hash(i + vec2(1.0, 0.0));
    float c = hash(i + vec2(0.0, 1.0)), d = hash(i + vec2(1.0, 1.0));
    return mix(mix(a, b, w.x), mix(c, d, w.x), w.y);
}

// Height of the water at (x, z): six octaves, each moving diagonally with its own wave time.
float waveHeight(vec2 xz)
{
    float h = MAIN_HEIGHT;
    float a = mix(3.0, 12.0, MAIN_WEATHER) * MAIN_WAVES;
    float s = MAIN_SCALE;
    float T[6] = float[6](MAIN_TIMEPERIOD1.x, MAIN_TIMEPERIOD1.y, MAIN_TIMEPERIOD1.z, MAIN_TIMEPERIOD1.w,
                          MAIN_TIMEPERIOD2.x, MAIN_TIMEPERIOD2.y);
    for (int k = 0; k < 6; ++k)
    {
        h += (valueNoise(xz + T[k], s) - 0.5) * a;
        a *= 0.273;
        s *= 0.273;
    }
    return h;
}

float greyOfSky()
{
    return luminance((COLOR_SKY + COLOR_SUN) * 0.5);
}

vec3 skyColour(vec3 D, bool quick)
{
    float sun = max(dot(D, -L), 0.0);
    float haze = pow(1.0 - clamp(D.y + 0.03, 0.0, 1.0), 4.0);
    vec3 sky = mix(COLOR_SKY, vec3(greyOfSky()), MAIN_WEATHER);
    sky = mix(sky, COLOR_FOG, haze);
    sky = mix(sky, COLOR_SUN, sun * sun * 0.25);
    if (quick)
        return sky;
    vec3 g = normalize(D - L);
    float a = clamp(0.5 + acos(clamp(g.x, -1.0, 1.0)) / 6.2832, 0.0, 1.0);
    float k = valueNoise(vec2(a * 200.0, iTime), 4.0);
    vec3 disc = (1.0 - MAIN_WEATHER) * COLOR_SUN * pow(sun, 510.0 + 80.0 * k);
    // Clouds on a plane above: only where the ray rises.
    float up = max(D.y, 0.0);
    vec2 q = D.xz / max(D.y, 0.01) + MAIN_WINDXZ * iTime;
    float v = valueNoise(q, 2.0) * 0.7 + valueNoise(q * 2.0, 2.0) * 0.42 + valueNoise(q * 4.0, 2.0) * 0.252;
    return clamp(mix(sky + disc, COLOR_SUN, v * v * up), 0.0, 1.0);
}

float foam(vec3 P, vec3 N, float scale)
{
    float f = valueNoise(vec2(P.y) * scale, 1.0) * 8.0 * max(1.0 - N.y, 0.0);
    return clamp(f * f, 0.0, 1.0);
}

// Light patterns of the surface on the depths, along the ray; none in rough weather.
float caustics(vec3 E, vec3 R)
{
    if (MAIN_WEATHER >= 0.5)
        return 0.0;
    float facing = dot(R, -L) * 0.5 + 0.5;
    float sum = 0.0;
    for (int i = 0; i < 100; ++i)
    {
        vec3 v = E + R * float(i);
        vec3 p = v - L * (v.y / L.y);
        sum += valueNoise(p.xz + iTime * (1.0 + 10.0 * MAIN_WEATHER), 2.0) * pow(facing / (1.0 + float(i) * 0.0008), 12.0);
    }
    float c = sum / 35.0;
    return (1.0 - min(1.0, 2.0 * MAIN_WEATHER)) * c * c;
}

vec3 waterFromAbove(vec3 R, vec3 P, vec3 N, float d)
{
    vec3 r = reflect(R, N);
    float fresnel = pow(1.0 - max(dot(N, -R), 0.0), 4.0) * 0.55;
    float amb = dot(N, -L) * 0.9 + 0.1;
    float specular = (1.0 - MAIN_WEATHER) * pow(max(0.0, dot(-L, r)), 20000.0 / (d + 100.0));
    vec3 col = mix(vec3(0.0, 0.05, 0.1) + amb * vec3(0.3, 0.4, 0.6 - 0.1 * MAIN_WEATHER) * 0.1, skyColour(r, true),
                   fresnel) + specular;
    // Crests tinted green; below the mean height there is no tint.
    float h = pow(max(P.y - MAIN_HEIGHT, 0.0), 1.5) * 0.006;
    float c = valueNoise(vec2(P.y), 1.0) * amb * 0.1;
    col += vec3(0.0, clamp(0.25 * c + h, 0.0, 1.0), 0.25 * c);
    col += foam(P, N, 0.4);
    if (SPOT_RADIUSVECTOR.x > 0.0)
    {
        float k = 1.0 - smoothstep(0.0, 1.0, length(SPOT_POSITION - P) / SPOT_RADIUSVECTOR.x);
        float w = SPOT_RADIUSVECTOR.y;
        float blur = clamp(SPOT_RADIUSVECTOR.z, 0.0, 1.0) * w;
        float alpha = SPOT_RADIUSVECTOR.w;
        vec2 m = mod(P.xz, w);
        float e = min(min(m.x, w - m.x), min(m.y, w - m.y));
        float g = (1.0 - smoothstep(0.0, blur, e)) * max(1.0, alpha);
        col *= mix(1.0, g, min(1.0, alpha) * k);
    }
    if (SPOT_RADIUSCOLOR.x > 0.0)
    {
        float k = smoothstep(0.0, 1.0, length(SPOT_POSITION.xz - P.xz) / SPOT_RADIUSCOLOR.x);
        col = mix(col, SPOT_RADIUSCOLOR.yzw, k);
    }
    float F = min(2000.0, mix(5000.0, 100.0, MAIN_WEATHER));
    col = mix(col, mix(COLOR_SKY, COLOR_FOG, MAIN_WEATHER), max(0.0, 1.0 - min(1.0, F / d)));
    return clamp(col, 0.0, 1.0);
}

vec3 waterFromBelow(vec3 E, vec3 R, vec3 P, vec3 N, float d)
{
    float glow = pow(max(0.0, dot(-L, R)), 40.0) * (1.0 - MAIN_WEATHER);
    // Without glow the exponent 10 / glow is infinite: no highlight.
    float specular = glow > 0.0 ? (1.0 - MAIN_WEATHER) * pow(max(0.0, dot(-L, N)) + glow, 10.0 / glow) : 0.0;
    float amb = dot(-L, N) * (0.4 + glow) + 0.2;
    float grey = greyOfSky();
    vec3 skyTone = mix(COLOR_SKY, vec3(grey), MAIN_WEATHER);
    float a2 = 2.0 * amb;
    return (COLOR_DEEP + vec3(0.0, 0.05, 0.0) * MAIN_WEATHER) * grey + specular * COLOR_SUN +
           a2 * a2 * a2 * vec3(0.6, 0.8, 1.0) * min(1.0, 5.0 / d) * skyTone + foam(P, N, 1.0) * 0.5 * skyTone +
           caustics(E, R) * COLOR_SUN;
}

vec3 insideWater(vec3 E, vec3 R)
{
    vec3 deep = mix(0.85 * COLOR_DEEP, COLOR_DEEP, 1.0 + R.y) + vec3(0.0, 0.05, 0.0) * MAIN_WEATHER;
    return clamp(deep * greyOfSky() + caustics(E, R) * COLOR_SUN, 0.0, 1.0);
}

SHADER_MAIN
{
    vec2 u = 2.0 * fragCoord / iResolution - 1.0;
    vec3 E = (MAT_VIEWINV * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    vec4 c = MAT_PROJINV * vec4(u, 0.7, 1.0);
    vec3 R = normalize(mat3(MAT_VIEWINV) * (c.xyz / c.w));

    float side = E.y - waveHeight(E.xz) >= 0.0 ? 1.0 : -1.0;
    float d = MAIN_NEARCLIP;
    bool hit = false;
    int steps = int(MAIN_MAXSTEPS);
    for (int i = 0; i < steps; ++i)
    {
        vec3 P = E + R * d;
        float f = P.y - waveHeight(P.xz);
        if ((f >= 0.0 ? 1.0 : -1.0) != side || abs(f) < 0.002 * d)
        {
            hit = true;
            break;
        }
        if (d > MAIN_FARCLIP)
            break;
        d += abs(f);
    }
    if (!hit)
        d = MAIN_FARCLIP;

    vec3 P = E + R * d;
    vec3 col;
    if (hit)
    {
        float e = side >= 0.0 ? 0.002 * pow(d, 1.1) : 0.002 * pow(d, 1.8);
        vec3 N = normalize(vec3(waveHeight(P.xz - vec2(e, 0.0)) - waveHeight(P.xz + vec2(e, 0.0)), 2.0 * e,
                                waveHeight(P.xz - vec2(0.0, e)) - waveHeight(P.xz + vec2(0.0, e))));
        col = side >= 0.0 ? waterFromAbove(R, P, N, d) : waterFromBelow(E, R, P, N, d);
    }
    else
    {
        col = side >= 0.0 ? skyColour(R, false) : insideWater(E, R);
    }

    vec4 clip = MAT_MVP * vec4(P, 1.0);
    gl_FragDepth = clamp((clip.z / clip.w + 1.0) * 0.5, 0.0, 0.99999);
    fragColor = vec4(clamp(col * MAIN_FADE, 0.0, 1.0), 1.0);
}
)GLSL";

bool shOcean::Build()
{
    if (!IsImageLoaded()) shEffectProgram::LoadDataImage(*this, ImagePath);
    return shEffectProgram::BuildFullScreen(*this, FragmentSource);
}

void shOcean::Use()
{
    ApplySwitches();
    rvProgram2D::Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, _glTextureBuffer);
    if (const rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer)
    {
        _mMVP = pBuffer->_mViewProjection;
        _mViewInv = pBuffer->_mInvView;
        _mProjInv = pBuffer->_mInvProjection;
    }
    shEffectProgram::UploadUniforms(*this, __FILE__, __LINE__);
}

void shOcean::Draw(int flags)
{
    rvProgram2D::Draw(flags);
}
