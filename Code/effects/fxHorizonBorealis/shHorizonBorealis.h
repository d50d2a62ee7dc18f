#pragma once
// Program of the aurora horizon: a band of aurora light over a flat horizon, its outline wavering
// with two scrolling noise images (texture units 0 and 1), stars above the band's centre line.
// "HORIZON_OFFSET" and "HORIZON_SCALE" are asserted at Use; "MAIN_FADE" and "MVP" are optional.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shHorizonBorealis : rvProgram2D
{
    shHorizonBorealis() = default;
    ~shHorizonBorealis() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    // Noise images shared by every instance; texture holders only (their programs are never built).
    // Loaded by a Build while not loaded, kept for the life of the process.
    static rvTexColorProgram2D _imgPebbles;
    static rvTexColorProgram2D _imgAbstract;
    static void LoadImages();

    static const char* const FragmentSource;

    int _location1f_MAIN_FADE = -1;
    float _fFade = 1.0f;
    int _location1f_HORIZON_OFFSET = -1;
    float _fHorizonOffset = 100.0f;
    int _location1f_HORIZON_SCALE = -1;
    float _fHorizonScale = 0.5f;
    int _locationm4_MVP = -1;
    glm::mat4 _mMVP{1.0f};
};
