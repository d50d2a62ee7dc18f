#pragma once
// Program of the VHS tape post effect: reads a copy of the current render buffer ("iChannel0",
// unit 0) and a 256x256 RGBA noise texture ("iChannel1", unit 1) and draws the worn-tape picture
// back over the buffer. Nine features are compiled in or out by integer switches that follow their
// amounts (on strictly above SWITCH_THRESHOLD), so a feature at 0 costs nothing per pixel.
// "iRegionUV" (x, y, w, h, y from the top) limits the treatment to a rectangle; every pixel outside
// it is passed through. "iRegionUV" is asserted at Use and DrawQuad; every other uniform is
// optional (a switched-off feature's uniforms are dropped by the compiler).
#include "effects/shEffectProgram.h"
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_POSTVHS_UNIFORMS(U)                                                                               \
    U(1i, iChannel0, _nChannel0, (0), SH_SAME, SH_SAMPLER)                                                   \
    U(1i, iChannel1, _nChannel1, (1), SH_SAME, SH_SAMPLER)                                                   \
    U(4f, iRegionUV, _vRegionUV, (0.0f, 0.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                             \
    U(1f, SCREEN_DISTORTION, _fScreenDistortion, (0.2f), SH_SAME, SH_OPTIONAL)                               \
    U(1f, VIGNETTE, _fVignette, (0.2f), SH_SAME, SH_OPTIONAL)                                                \
    U(1f, VIGNETTE_APERTURE, _fVignetteAperture, (3.0f), SH_SAME, SH_OPTIONAL)                               \
    U(1f, VIGNETTE_OSCILLATION, _fVignetteOscillation, (0.3f), SH_SAME, SH_OPTIONAL)                         \
    U(1f, MONOCHROME, _fMonochrome, (0.0f), SH_SAME, SH_OPTIONAL)                                            \
    U(4f, MONOCHROME_COLOR, _vMonochromeColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_OPTIONAL)               \
    U(1f, NOISE, _fNoise, (0.5f), SH_SAME, SH_OPTIONAL)                                                      \
    U(1f, NOISE_SCALE, _fNoiseScale, (4.0f), SH_SAME, SH_OPTIONAL)                                           \
    U(1f, HBL_LINES, _fHblLines, (0.1f), SH_SAME, SH_OPTIONAL)                                               \
    U(1f, HBL_LINES_HEIGHT, _fHblLinesHeight, (0.5f), SH_SAME, SH_OPTIONAL)                                  \
    U(1f, HBL_LINES_SPEED, _fHblLinesSpeed, (1.0f), SH_SAME, SH_OPTIONAL)                                    \
    U(1f, JUMP_VERTICAL, _fJumpVertical, (0.0f), SH_SAME, SH_OPTIONAL)                                       \
    U(1f, JUMP_VERTICAL_FREQ, _fJumpVerticalFreq, (0.01f), SH_SAME, SH_OPTIONAL)                             \
    U(1f, JUMP_HORIZONTAL, _fJumpHorizontal, (0.1f), SH_SAME, SH_OPTIONAL)                                   \
    U(1f, JUMP_HORIZONTAL_FREQ, _fJumpHorizontalFreq, (0.01f), SH_SAME, SH_OPTIONAL)                         \
    U(1f, WHITE_LINES, _fWhiteLines, (0.1f), SH_SAME, SH_OPTIONAL)                                           \
    U(1f, WHITE_LINES_START, _fWhiteLinesStart, (0.2f), SH_SAME, SH_OPTIONAL)                                \
    U(1f, WHITE_LINES_END, _fWhiteLinesEnd, (0.3f), SH_SAME, SH_OPTIONAL)                                    \
    U(1f, WHITE_LINES_HEIGHT, _fWhiteLinesHeight, (1.0f), SH_SAME, SH_OPTIONAL)                              \
    U(1f, NOISE_LINES, _fNoiseLines, (1.0f), SH_SAME, SH_OPTIONAL)                                           \
    U(1f, NOISE_LINES_FREQ, _fNoiseLinesFreq, (1.0f), SH_SAME, SH_OPTIONAL)                                  \
    U(1f, WOBBLE, _fWobble, (0.3f), SH_SAME, SH_OPTIONAL)                                                    \
    U(1f, WOBBLE_BAND, _fWobbleBand, (0.0f), SH_SAME, SH_OPTIONAL)

struct shPostVHS : rvTexColorProgram2D
{
    shPostVHS();
    ~shPostVHS() override = default;
    bool Build() override;
    void Use() override;
    void DrawQuad(int flags, float x, float y, float w, float h) override;

    static constexpr float SWITCH_THRESHOLD = 0.0001f;
    enum
    {
        SWITCH_SCREEN_DISTORTION,
        SWITCH_VIGNETTE,
        SWITCH_MONOCHROME,
        SWITCH_NOISE,
        SWITCH_HBL_LINES,
        SWITCH_JUMPS,
        SWITCH_WHITE_LINES,
        SWITCH_NOISE_LINES,
        SWITCH_WOBBLE,
        SWITCH_COUNT
    };
    static const char* const SwitchNames[SWITCH_COUNT];
    // The value each switch takes for the current amounts, in the order above.
    void SwitchValues(int (&anValues)[SWITCH_COUNT]) const;

    void ApplySwitches() override;
    // The switch of an amount member (_fMonochrome, ...); SWITCH_COUNT for any other member.
    int SwitchOf(const float* pAmount) const;
    // Switches kept on at an amount at or below the threshold: those of amounts a driver moves,
    // so that the program built in the loading pass is not built again when the amount rises
    // during play. Every feature but the wobble (which sets alpha) draws nothing at an amount of 0.
    unsigned _nHeldSwitches = 0;

    // The noise texture "Data\img\Shadertoy\RGBANoiseMedium256.png", shared by every instance: a
    // holder that is never built as a program, loaded by a Build while it has no image, kept for the
    // life of the process.
    static rvTexColorProgram2D _imgNoise;

    static const char* FragmentSource();

    SH_UNIFORM_TABLE(SH_POSTVHS_UNIFORMS)

    // Cached switch values (SH_SWITCH_UNSET until the first Use writes them).
    int _anSwitchBuilt[SWITCH_COUNT];
};

// What the two post effects (VHS tape, bump distortion) share.
namespace shPostEffect
{
// Render of a post effect: the program's Use (which copies the current buffer and binds the copy),
// colour writes for red, green and blue only (left so on return), blending and depth test off, Draw
// over the whole buffer, Unuse. No fade: a post effect acts at full strength in its whole window.
void Render(rvTexColorProgram2D& program);
// Builds the program and the copy of the buffer it reads, in the loading pass (not by the first frame).
void Prepare(rvTexColorProgram2D& program);
// GLSL of the region: bool regionUV(vec2 fragCoord, out vec2 uv), after the declarations of
// "iRegionUV" and "iResolution".
extern const char* const RegionSource;
} // namespace shPostEffect
