#pragma once
// Program of the ocean: for every pixel a ray from the current buffer's camera is marched against
// a height field of six octaves of value noise; the hit is shaded as water seen from above or from
// below, the deep when the eye is under water, or sky with sun and clouds when nothing is hit. The
// depth of every hit is written. Its own texture ("Data\img\Shadertoy\Pebbles512.png", unit 0) is
// declared as "iChannel0" but not sampled: a player without the image draws the sea all the same.
// "MAIN_FADE" and the three matrices are optional; every other uniform is asserted at Use.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_OCEAN_UNIFORMS(U)                                                                                 \
    U(1f, MAIN_FADE, _fFade, (1.0f), SH_SAME, SH_OPTIONAL)                                                   \
    U(1f, MAIN_WEATHER, _fWeather, (0.1f), (0.6f), SH_ASSERTED)                                              \
    U(1f, MAIN_HEIGHT, _fHeight, (0.0f), SH_SAME, SH_ASSERTED)                                               \
    U(1f, MAIN_WAVES, _fWaves, (1.0f), SH_SAME, SH_ASSERTED)                                                 \
    U(1f, MAIN_SCALE, _fScale, (25.0f), (50.0f), SH_ASSERTED)                                                \
    U(4f, MAIN_TIMEPERIOD1, _vTimePeriod1, (0.0f), SH_SAME, SH_ASSERTED)                                     \
    U(4f, MAIN_TIMEPERIOD2, _vTimePeriod2, (0.0f), SH_SAME, SH_ASSERTED)                                     \
    U(m4, MAT_MVP, _mMVP, (1.0f), SH_SAME, SH_OPTIONAL)                                                      \
    U(m4, MAT_VIEWINV, _mViewInv, (1.0f), SH_SAME, SH_OPTIONAL)                                              \
    U(m4, MAT_PROJINV, _mProjInv, (1.0f), SH_SAME, SH_OPTIONAL)                                              \
    U(1f, MAIN_NEARCLIP, _fNearClip, (0.01f), SH_SAME, SH_ASSERTED)                                          \
    U(1f, MAIN_FARCLIP, _fFarClip, (1800.0f), SH_SAME, SH_ASSERTED)                                          \
    U(1f, MAIN_MAXSTEPS, _fMaxSteps, (200.0f), SH_SAME, SH_ASSERTED)                                         \
    U(2f, MAIN_WINDXZ, _vWindXZ, (0.01f, 0.01f), SH_SAME, SH_ASSERTED)                                       \
    U(3f, COLOR_SKY, _vColorSky, (108.0f / 255.0f, 155.0f / 255.0f, 1.0f), SH_SAME, SH_ASSERTED)             \
    U(3f, COLOR_SUN, _vColorSun, (1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                                   \
    U(3f, COLOR_FOG, _vColorFog, (0.6f, 0.8f, 0.8f), (5.0f / 255.0f, 44.0f / 255.0f, 44.0f / 255.0f),        \
      SH_ASSERTED)                                                                                           \
    U(3f, COLOR_DEEP, _vColorDeep, (0.0f, 0.1f, 0.2f), SH_SAME, SH_ASSERTED)                                 \
    U(3f, SPOT_POSITION, _vSpotPosition, (0.0f), SH_SAME, SH_ASSERTED)                                       \
    U(4f, SPOT_RADIUSCOLOR, _vSpotRadiusColor, (0.0f, 1.0f, 1.0f, 1.0f), (0.0f, 0.0f, 0.2f, 0.5f),           \
      SH_ASSERTED)                                                                                           \
    U(4f, SPOT_RADIUSVECTOR, _vSpotRadiusVector, (0.0f, 5.0f, 0.5f, 1.0f), (0.0f, 5.0f, 0.05f, 2.0f),        \
      SH_ASSERTED)                                                                                           \
    U(1i, iChannel0, _nChannel0, (0), SH_SAME, SH_SAMPLER)

struct shOcean : rvTexColorProgram2D
{
    shOcean() = default;
    ~shOcean() override = default;
    bool Build() override;
    void Use() override;
    // The whole target, whether or not the image is loaded.
    void Draw(int flags) override;

    void ApplySwitches() override {}

    static const char* const FragmentSource;
    static const char* const ImagePath;

    SH_UNIFORM_TABLE(SH_OCEAN_UNIFORMS)
};
