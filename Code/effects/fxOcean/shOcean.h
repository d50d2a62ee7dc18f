#pragma once
// Program of the ocean: for every pixel a ray from the current buffer's camera is marched against
// a height field of six octaves of value noise; the hit is shaded as water seen from above or from
// below, the deep when the eye is under water, or sky with sun and clouds when nothing is hit. The
// depth of every hit is written. Its own texture ("Data\img\Shadertoy\Pebbles512.png", unit 0) is
// declared as "iChannel0" but not sampled: a player without the image draws the sea all the same.
// "MAIN_FADE" and the three matrices are optional; every other uniform is asserted at Use.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shOcean : rvTexColorProgram2D
{
    shOcean() = default;
    ~shOcean() override = default;
    bool Build() override;
    void Use() override;
    // The whole target, whether or not the image is loaded.
    void Draw(int flags) override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    static const char* const FragmentSource;
    static const char* const ImagePath;

    int _location1f_MAIN_FADE = -1;
    float _fFade = 1.0f;
    int _location1f_MAIN_WEATHER = -1;
    float _fWeather = 0.1f;
    int _location1f_MAIN_HEIGHT = -1;
    float _fHeight = 0.0f;
    int _location1f_MAIN_WAVES = -1;
    float _fWaves = 1.0f;
    int _location1f_MAIN_SCALE = -1;
    float _fScale = 25.0f;
    int _location4f_MAIN_TIMEPERIOD1 = -1;
    glm::vec4 _vTimePeriod1{0.0f};
    int _location4f_MAIN_TIMEPERIOD2 = -1;
    glm::vec4 _vTimePeriod2{0.0f};
    int _locationm4_MAT_MVP = -1;
    glm::mat4 _mMVP{1.0f};
    int _locationm4_MAT_VIEWINV = -1;
    glm::mat4 _mViewInv{1.0f};
    int _locationm4_MAT_PROJINV = -1;
    glm::mat4 _mProjInv{1.0f};
    int _location1f_MAIN_NEARCLIP = -1;
    float _fNearClip = 0.01f;
    int _location1f_MAIN_FARCLIP = -1;
    float _fFarClip = 1800.0f;
    int _location1f_MAIN_MAXSTEPS = -1;
    float _fMaxSteps = 200.0f;
    int _location2f_MAIN_WINDXZ = -1;
    glm::vec2 _vWindXZ{0.01f, 0.01f};
    int _location3f_COLOR_SKY = -1;
    glm::vec3 _vColorSky{108.0f / 255.0f, 155.0f / 255.0f, 1.0f};
    int _location3f_COLOR_SUN = -1;
    glm::vec3 _vColorSun{1.0f, 1.0f, 1.0f};
    int _location3f_COLOR_FOG = -1;
    glm::vec3 _vColorFog{0.6f, 0.8f, 0.8f};
    int _location3f_COLOR_DEEP = -1;
    glm::vec3 _vColorDeep{0.0f, 0.1f, 0.2f};
    int _location3f_SPOT_POSITION = -1;
    glm::vec3 _vSpotPosition{0.0f};
    int _location4f_SPOT_RADIUSCOLOR = -1;
    glm::vec4 _vSpotRadiusColor{0.0f, 1.0f, 1.0f, 1.0f};
    int _location4f_SPOT_RADIUSVECTOR = -1;
    glm::vec4 _vSpotRadiusVector{0.0f, 5.0f, 0.5f, 1.0f};
};
