#pragma once
// Program of the stacked waveform lines: a stack of horizontal lines bulging in their middle with a
// noisy moving wave, each line hiding what lies below its wave. Every uniform is asserted at Use
// except "WAVES_SPECTRER", which the source declares but does not read; no switches. The
// stand-alone half of the source shows moving, higher waves in polar form.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_JOYDIVISION_UNIFORMS(U)                                                                           \
    U(1f, FADE, _fFade, (1.0f), SH_SAME, SH_ASSERTED)                                                        \
    U(2f, WAVES_MOTION, _vWavesMotion, (0.0f, 0.0f), (0.2f, 0.0f), SH_ASSERTED)                              \
    U(1f, WAVES_WIDTH, _fWavesWidth, (0.2f), SH_SAME, SH_ASSERTED)                                           \
    U(1f, WAVES_HEIGHT, _fWavesHeight, (0.5f), (1.0f), SH_ASSERTED)                                          \
    U(1f, WAVES_POWER, _fWavesPower, (4.0f), (1.0f), SH_ASSERTED)                                            \
    U(1f, WAVES_ATTENUATION_WIDTH, _fWavesAttenuationWidth, (0.5f), SH_SAME, SH_ASSERTED)                    \
    U(1f, WAVES_OCCLUSION, _fWavesOcclusion, (1.0f), SH_SAME, SH_ASSERTED)                                   \
    U(1f, WAVES_SPECTRER, _fWavesSpectrer, (0.0f), SH_SAME, SH_OPTIONAL)                                     \
    U(1f, LINE_WIDTH, _fLineWidth, (1.0f), SH_SAME, SH_ASSERTED)                                             \
    U(1f, LINE_HEIGHT, _fLineHeight, (0.8f), SH_SAME, SH_ASSERTED)                                           \
    U(1f, LINE_PERSP, _fLinePersp, (0.0f), SH_SAME, SH_ASSERTED)                                             \
    U(1f, LINE_COUNT, _fLineCount, (60.0f), SH_SAME, SH_ASSERTED)                                            \
    U(1f, LINE_BOLD, _fLineBold, (1.0f), SH_SAME, SH_ASSERTED)                                               \
    U(1f, LINE_OFFSETY, _fLineOffsetY, (0.0f), (0.1f), SH_ASSERTED)                                          \
    U(4f, BACK_COLOR, _vBackColor, (0.1f, 0.25f, 0.35f, 1.0f), SH_SAME, SH_ASSERTED)                         \
    U(4f, LINE_COLOR, _vLineColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                           \
    U(1f, LINE_COLOR_VARIATION, _fLineColorVariation, (0.0f), SH_SAME, SH_ASSERTED)                          \
    U(4f, LINE_ALPHAS, _vLineAlphas, (0.2f, 0.4f, 1.0f, 0.0f), SH_SAME, SH_ASSERTED)                         \
    U(1f, POLAR, _fPolar, (0.0f), (0.5f), SH_ASSERTED)                                                       \
    U(1f, POLARX, _fPolarX, (0.5f), SH_SAME, SH_ASSERTED)                                                    \
    U(1f, POLARY, _fPolarY, (0.2f), SH_SAME, SH_ASSERTED)

struct shJoyDivision : rvProgram2D
{
    shJoyDivision() = default;
    ~shJoyDivision() override = default;
    bool Build() override;
    void Use() override;

    void ApplySwitches() override {}

    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_JOYDIVISION_UNIFORMS)
};
