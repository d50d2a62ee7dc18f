#pragma once
// Program of the stacked waveform lines: a stack of horizontal lines bulging in their middle with a
// noisy moving wave, each line hiding what lies below its wave. Every uniform is asserted at Use
// except "WAVES_SPECTRER", which the source declares but does not read; no switches.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

struct shJoyDivision : rvProgram2D
{
    shJoyDivision() = default;
    ~shJoyDivision() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() {}
    void ListUniforms(shUniformList& list);

    static const char* const FragmentSource;

    int _location1f_FADE = -1;
    float _fFade = 1.0f;
    int _location2f_WAVES_MOTION = -1;
    glm::vec2 _vWavesMotion{0.0f, 0.0f};
    int _location1f_WAVES_WIDTH = -1;
    float _fWavesWidth = 0.2f;
    int _location1f_WAVES_HEIGHT = -1;
    float _fWavesHeight = 0.5f;
    int _location1f_WAVES_POWER = -1;
    float _fWavesPower = 4.0f;
    int _location1f_WAVES_ATTENUATION_WIDTH = -1;
    float _fWavesAttenuationWidth = 0.5f;
    int _location1f_WAVES_OCCLUSION = -1;
    float _fWavesOcclusion = 1.0f;
    int _location1f_WAVES_SPECTRER = -1;
    float _fWavesSpectrer = 0.0f;
    int _location1f_LINE_WIDTH = -1;
    float _fLineWidth = 1.0f;
    int _location1f_LINE_HEIGHT = -1;
    float _fLineHeight = 0.8f;
    int _location1f_LINE_PERSP = -1;
    float _fLinePersp = 0.0f;
    int _location1f_LINE_COUNT = -1;
    float _fLineCount = 60.0f;
    int _location1f_LINE_BOLD = -1;
    float _fLineBold = 1.0f;
    int _location1f_LINE_OFFSETY = -1;
    float _fLineOffsetY = 0.0f;
    int _location4f_BACK_COLOR = -1;
    glm::vec4 _vBackColor{0.1f, 0.25f, 0.35f, 1.0f};
    int _location4f_LINE_COLOR = -1;
    glm::vec4 _vLineColor{1.0f, 1.0f, 1.0f, 1.0f};
    int _location1f_LINE_COLOR_VARIATION = -1;
    float _fLineColorVariation = 0.0f;
    int _location4f_LINE_ALPHAS = -1;
    glm::vec4 _vLineAlphas{0.2f, 0.4f, 1.0f, 0.0f};
    int _location1f_POLAR = -1;
    float _fPolar = 0.0f;
    int _location1f_POLARX = -1;
    float _fPolarX = 0.5f;
    int _location1f_POLARY = -1;
    float _fPolarY = 0.2f;
};
