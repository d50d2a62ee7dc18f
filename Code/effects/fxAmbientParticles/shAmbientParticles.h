#pragma once
// Program of the ambient particles: several layers of motes at increasing depth, one per grid cell
// and layer, each circling inside its cell, coloured between COLOR0 and COLOR1, dimmer with depth,
// optionally lit only inside a spotlight cone. The particle shape is the switch
// "CONST_PARTICLE_SHAPE" (0 Sphere, 1 Square, 2 Bubble, 3 Diamond, 4 Cross, 5 Circle); every uniform
// is asserted at Use. A shape outside that list draws nothing: it is built as a sphere with the
// particles switched off, so that no uniform is dropped by the compiler.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

#include "effects/shEffectProgram.h"

class shUniformList;

struct shAmbientParticles : rvProgram2D
{
    shAmbientParticles() = default;
    ~shAmbientParticles() override = default;
    bool Build() override;
    void Use() override;

    static const int SHAPE_COUNT = 6;
    bool HasShape() const { return _nShape >= 0 && _nShape < SHAPE_COUNT; }
    void ApplySwitches() { SetConstant("CONST_PARTICLE_SHAPE", _nShapeBuilt, HasShape() ? _nShape : 0); }
    void ListUniforms(shUniformList& list);

    static const char* const FragmentSource;

    int _nShape = 0;
    int _nShapeBuilt = SH_SWITCH_UNSET;
    bool _bEnabled = true;
    bool _bDebugLight = false;
    bool _bDebugGrid = false;

    int _location1i_SEED = -1;
    int _nSeed = 0;
    int _location1f_FADE = -1;
    float _fFade = 0.0f;
    int _location4f_COLOR0 = -1;
    glm::vec4 _vColor0{0.0f, 0.0f, 0.0f, 1.0f};
    int _location4f_COLOR1 = -1;
    glm::vec4 _vColor1{1.0f, 1.0f, 1.0f, 1.0f};
    int _location3f_GLOBAL_MOTION = -1;
    glm::vec3 _vGlobalMotion{0.0f};
    int _location3f_CAMERA_POSITION = -1;
    glm::vec3 _vCameraPosition{0.0f};
    int _location3f_CAMERA_ROTATION = -1;
    glm::vec3 _vCameraRotation{0.0f};
    int _location1i_ENABLED = -1;
    int _nEnabled = 1;
    int _location1f_BLUR = -1;
    float _fBlur = 0.75f;
    int _location1f_NOISE_MOTION = -1;
    float _fNoiseMotion = 1.0f;
    int _location1i_DENSITY = -1;
    int _nDensity = 10;
    int _location1f_SCALE = -1;
    float _fScale = 0.5f;
    int _location1f_DEPTH_SCALE = -1;
    float _fDepthScale = 0.8f;
    int _location1f_SIZE = -1;
    float _fSize = 0.25f;
    int _location1f_DEPTH_ALPHA = -1;
    float _fDepthAlpha = 0.8f;
    int _location1f_SPOTLIGHT = -1;
    float _fSpotlight = 0.0f;
    int _location2f_LIGHT_POSXY = -1;
    glm::vec2 _vLightPosXY{1.5f, 0.8f};
    int _location1f_LIGHT_ROTZ = -1;
    float _fLightRotZ = 0.7f;
    int _location1f_LIGHT_APERTURE = -1;
    float _fLightAperture = 0.15f;
    int _location1f_LIGHT_FALLBACK = -1;
    float _fLightFallback = 0.15f;
    int _location1f_LIGHT_DISTANCE = -1;
    float _fLightDistance = 0.25f;
    int _location1i_DEBUG_GRID = -1;
    int _nDebugGrid = 0;
    int _location1i_DEBUG_SPOTLIGHT = -1;
    int _nDebugSpotlight = 0;
};
