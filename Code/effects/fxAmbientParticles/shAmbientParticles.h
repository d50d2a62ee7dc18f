#pragma once
// Program of the ambient particles: several layers of motes at increasing depth, one per grid cell
// and layer, each circling inside its cell, coloured between COLOR0 and COLOR1, dimmer with depth,
// optionally lit only inside a spotlight cone. The particle shape is the switch
// "CONST_PARTICLE_SHAPE" (0 Sphere, 1 Square, 2 Bubble, 3 Diamond, 4 Cross, 5 Circle); every uniform
// is asserted at Use. A shape outside that list draws nothing: it is built as a sphere with the
// particles switched off, so that no uniform is dropped by the compiler.
#include "effects/shEffectProgram.h"
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_AMBIENTPARTICLES_UNIFORMS(U)                                                                      \
    U(1i, SEED, _nSeed, (0), SH_SAME, SH_ASSERTED)                                                           \
    U(1f, FADE, _fFade, (0.0f), (1.0f), SH_ASSERTED)                                                         \
    U(4f, COLOR0, _vColor0, (0.0f, 0.0f, 0.0f, 1.0f), SH_SAME, SH_ASSERTED)                                  \
    U(4f, COLOR1, _vColor1, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                                  \
    U(3f, GLOBAL_MOTION, _vGlobalMotion, (0.0f), SH_SAME, SH_ASSERTED)                                       \
    U(3f, CAMERA_POSITION, _vCameraPosition, (0.0f), SH_SAME, SH_ASSERTED)                                   \
    U(3f, CAMERA_ROTATION, _vCameraRotation, (0.0f), SH_SAME, SH_ASSERTED)                                   \
    U(1i, ENABLED, _nEnabled, (1), SH_SAME, SH_ASSERTED)                                                     \
    U(1f, BLUR, _fBlur, (0.75f), SH_SAME, SH_ASSERTED)                                                       \
    U(1f, NOISE_MOTION, _fNoiseMotion, (1.0f), SH_SAME, SH_ASSERTED)                                         \
    U(1i, DENSITY, _nDensity, (10), SH_SAME, SH_ASSERTED)                                                    \
    U(1f, SCALE, _fScale, (0.5f), SH_SAME, SH_ASSERTED)                                                      \
    U(1f, DEPTH_SCALE, _fDepthScale, (0.8f), SH_SAME, SH_ASSERTED)                                           \
    U(1f, SIZE, _fSize, (0.25f), SH_SAME, SH_ASSERTED)                                                       \
    U(1f, DEPTH_ALPHA, _fDepthAlpha, (0.8f), SH_SAME, SH_ASSERTED)                                           \
    U(1f, SPOTLIGHT, _fSpotlight, (0.0f), SH_SAME, SH_ASSERTED)                                              \
    U(2f, LIGHT_POSXY, _vLightPosXY, (1.5f, 0.8f), SH_SAME, SH_ASSERTED)                                     \
    U(1f, LIGHT_ROTZ, _fLightRotZ, (0.7f), SH_SAME, SH_ASSERTED)                                             \
    U(1f, LIGHT_APERTURE, _fLightAperture, (0.15f), SH_SAME, SH_ASSERTED)                                    \
    U(1f, LIGHT_FALLBACK, _fLightFallback, (0.15f), SH_SAME, SH_ASSERTED)                                    \
    U(1f, LIGHT_DISTANCE, _fLightDistance, (0.25f), SH_SAME, SH_ASSERTED)                                    \
    U(1i, DEBUG_GRID, _nDebugGrid, (0), SH_SAME, SH_ASSERTED)                                                \
    U(1i, DEBUG_SPOTLIGHT, _nDebugSpotlight, (0), SH_SAME, SH_ASSERTED)

struct shAmbientParticles : rvProgram2D
{
    shAmbientParticles() = default;
    ~shAmbientParticles() override = default;
    bool Build() override;
    void Use() override;

    static const int SHAPE_COUNT = 6;
    bool HasShape() const { return _nShape >= 0 && _nShape < SHAPE_COUNT; }
    void ApplySwitches() override
    {
        SetConstant("CONST_PARTICLE_SHAPE", _nShapeBuilt, HasShape() ? _nShape : 0);
    }

    static const char* const FragmentSource;

    int _nShape = 0;
    int _nShapeBuilt = SH_SWITCH_UNSET;
    bool _bEnabled = true;
    bool _bDebugLight = false;
    bool _bDebugGrid = false;

    SH_UNIFORM_TABLE(SH_AMBIENTPARTICLES_UNIFORMS)
};
