#pragma once
// Program of the star field: a ray marched per pixel through a folded 3D field of coloured stars,
// with an optional swirl, rotation, central hole and glowing logarithmic spiral. Every uniform is
// asserted at Use; no switches.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shStarField : rvProgram2D
{
    shStarField() = default;
    ~shStarField() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    static const char* const FragmentSource;

    int _location1f_MAIN_FADE = -1;
    float _fFade = 1.0f;
    int _location1f_MAIN_SPEED = -1;
    float _fMainSpeed = 60.0f;
    int _location1f_MAIN_DENSITY = -1;
    float _fMainDensity = 0.9f;
    int _location1f_MAIN_SPIRAL = -1;
    float _fMainSpiral = 0.0f;
    int _location1f_MAIN_ROTATION = -1;
    float _fMainRotation = 0.0f;
    // Position x, position y, roll in degrees.
    int _location3f_MAIN_TRANSFORM = -1;
    glm::vec3 _vMainTransform{0.0f, 0.0f, 0.0f};
    int _location1f_HOLE_SIZE = -1;
    float _fHoleSize = 0.0f;
    // 2 or more: the hole shows white at full strength.
    int _location1f_HOLE_OPACITY = -1;
    float _fHoleOpacity = 0.0f;
    int _location1i_FRACTAL_ITER1 = -1;
    int _nFractalIter1 = 100;
    int _location1i_FRACTAL_ITER2 = -1;
    int _nFractalIter2 = 7;
    int _location1f_FRACTAL_MOD = -1;
    float _fFractalMod = 2.0f;
    int _location1f_FRACTAL_MUL = -1;
    float _fFractalMul = 2.04f;
    int _location1f_FRACTAL_ADD = -1;
    float _fFractalAdd = -0.75f;
    int _location1f_COLOR_LUMINOSITY = -1;
    float _fColorLuminosity = 0.2f;
    int _location3f_COLOR_MUL = -1;
    glm::vec3 _vColorMul{0.8f, -0.4f, 0.5f};
    int _location3f_COLOR_ADD = -1;
    glm::vec3 _vColorAdd{0.0f, 1.0f, 0.7f};
    int _location1f_SPIRAL = -1;
    float _fSpiral = 0.0f;
    int _location2f_SPIRAL_SIZE = -1;
    glm::vec2 _vSpiralSize{1.5f, 1.5f};
    int _location1f_SPIRAL_SPEED = -1;
    float _fSpiralSpeed = 1.0f;
    int _location1f_SPIRAL_DENSITY = -1;
    float _fSpiralDensity = 4.0f;
    int _location1f_SPIRAL_VARIATION = -1;
    float _fSpiralVariation = 0.3f;
    int _location1f_SPIRAL_THICKNESS = -1;
    float _fSpiralThickness = 0.4f;
    int _location1f_SPIRAL_FLATNESS = -1;
    float _fSpiralFlatness = 0.0f;
    int _location4f_SPIRAL_COLOR = -1;
    glm::vec4 _vSpiralColor{1.0f, 1.0f, 1.0f, 1.0f};
};
