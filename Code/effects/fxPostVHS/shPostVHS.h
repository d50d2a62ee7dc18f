#pragma once
// Program of the VHS tape post effect: reads a copy of the current render buffer ("iChannel0",
// unit 0) and a 256x256 RGBA noise texture ("iChannel1", unit 1) and draws the worn-tape picture
// back over the buffer. Nine features are compiled in or out by integer switches that follow their
// amounts (on strictly above SWITCH_THRESHOLD), so a feature at 0 costs nothing per pixel.
// "iRegionUV" (x, y, w, h, y from the top) limits the treatment to a rectangle; every pixel outside
// it is passed through. "iRegionUV" is asserted at Use and DrawQuad; every other uniform is
// optional (a switched-off feature's uniforms are dropped by the compiler).
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

class shUniformList;

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

    void ApplySwitches();
    void ListUniforms(shUniformList& list);

    // The noise texture "Data\img\Shadertoy\RGBANoiseMedium256.png", shared by every instance: a
    // holder that is never built as a program, loaded by a Build while it has no image, kept for the
    // life of the process.
    static rvTexColorProgram2D _imgNoise;

    static const char* FragmentSource();

    int _location1i_iChannel0 = -1;
    int _nChannel0 = 0;
    int _location1i_iChannel1 = -1;
    int _nChannel1 = 1;
    int _location4f_iRegionUV = -1;
    glm::vec4 _vRegionUV{0.0f, 0.0f, 1.0f, 1.0f};
    int _location1f_SCREEN_DISTORTION = -1;
    float _fScreenDistortion = 0.2f;
    int _location1f_VIGNETTE = -1;
    float _fVignette = 0.2f;
    int _location1f_VIGNETTE_APERTURE = -1;
    float _fVignetteAperture = 3.0f;
    int _location1f_VIGNETTE_OSCILLATION = -1;
    float _fVignetteOscillation = 0.3f;
    int _location1f_MONOCHROME = -1;
    float _fMonochrome = 0.0f;
    int _location4f_MONOCHROME_COLOR = -1;
    glm::vec4 _vMonochromeColor{1.0f, 1.0f, 1.0f, 1.0f};
    int _location1f_NOISE = -1;
    float _fNoise = 0.5f;
    int _location1f_NOISE_SCALE = -1;
    float _fNoiseScale = 4.0f;
    int _location1f_HBL_LINES = -1;
    float _fHblLines = 0.1f;
    int _location1f_HBL_LINES_HEIGHT = -1;
    float _fHblLinesHeight = 0.5f;
    int _location1f_HBL_LINES_SPEED = -1;
    float _fHblLinesSpeed = 1.0f;
    int _location1f_JUMP_VERTICAL = -1;
    float _fJumpVertical = 0.0f;
    int _location1f_JUMP_VERTICAL_FREQ = -1;
    float _fJumpVerticalFreq = 0.01f;
    int _location1f_JUMP_HORIZONTAL = -1;
    float _fJumpHorizontal = 0.1f;
    int _location1f_JUMP_HORIZONTAL_FREQ = -1;
    float _fJumpHorizontalFreq = 0.01f;
    int _location1f_WHITE_LINES = -1;
    float _fWhiteLines = 0.1f;
    int _location1f_WHITE_LINES_START = -1;
    float _fWhiteLinesStart = 0.2f;
    int _location1f_WHITE_LINES_END = -1;
    float _fWhiteLinesEnd = 0.3f;
    int _location1f_WHITE_LINES_HEIGHT = -1;
    float _fWhiteLinesHeight = 1.0f;
    int _location1f_NOISE_LINES = -1;
    float _fNoiseLines = 1.0f;
    int _location1f_NOISE_LINES_FREQ = -1;
    float _fNoiseLinesFreq = 1.0f;
    int _location1f_WOBBLE = -1;
    float _fWobble = 0.3f;
    int _location1f_WOBBLE_BAND = -1;
    float _fWobbleBand = 0.0f;

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
// DrawQuad of the post programs: the rectangle that rvProgram2D::DrawQuad would cover for these
// arguments becomes "iRegionUV" (left, top, w, h; asserted, then uploaded), and the quad covers the
// whole target so that the fragment source passes the pixels outside the region through.
void DrawRegionQuad(rvProgram2D& program, int nLocation, glm::vec4& vRegion, const char* pszFile, int nLine,
                    int flags, float x, float y, float w, float h);
// GLSL of the region: bool regionUV(vec2 fragCoord, out vec2 uv), after the declarations of
// "iRegionUV" and "iResolution".
extern const char* const RegionSource;
// The copy of the current render buffer, taken before the program is in use.
GLuint CopyCurrentBuffer();
} // namespace shPostEffect
