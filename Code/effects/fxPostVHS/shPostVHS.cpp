#include "effects/fxPostVHS/shPostVHS.h"

#include "Display/rvBufferDisplay.h"
#include "effects/fxDemoGlobalParams/fxDemoGlobalParams.h"
#include "effects/shEffectProgram.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"

#include <string>
#include <utility>

rvTexColorProgram2D shPostVHS::_imgNoise;

const char* const shPostVHS::SwitchNames[SWITCH_COUNT] = {
    "ENABLE_SCREEN_DISTORTION",
    "ENABLE_VIGNETTE",
    "ENABLE_MONOCHROME",
    "ENABLE_NOISE",
    "ENABLE_HBL_LINES",
    "ENABLE_JUMPS",
    "ENABLE_WHITE_LINES",
    "ENABLE_NOISE_LINES",
    "ENABLE_WOBBLE",
};

namespace
{
const char* const kHead = R"GLSL(SHADER_HEADER
SHADER_FULL_SCREEN
#ifndef MORVANE
const int ENABLE_SCREEN_DISTORTION = 1;
const int ENABLE_VIGNETTE = 1;
const int ENABLE_MONOCHROME = 1;
const int ENABLE_NOISE = 1;
const int ENABLE_HBL_LINES = 1;
const int ENABLE_JUMPS = 1;
const int ENABLE_WHITE_LINES = 1;
const int ENABLE_NOISE_LINES = 1;
const int ENABLE_WOBBLE = 1;
#endif
)GLSL";

const char* const kBody = R"GLSL(
const float PI = 3.14159265;

float rand(vec2 c)
{
    return fract(sin(dot(c, vec2(12.9898, 78.233))) * 43758.5453);
}

// 1 while the wave sin(t + a cos(b t)) is above 1 - 0.99 freq.
float onOff(float a, float b, float freq)
{
    return step(1.0 - 0.99 * freq, sin(iTime + a * cos(b * iTime)));
}

// The copy at region-local coordinates (y downward).
vec4 textureChannel0(vec2 uv)
{
    return texture(iChannel0, vec2(uv.x * iRegionUV.z + iRegionUV.x, 1.0 - uv.y * iRegionUV.w - iRegionUV.y));
}

float noise(vec2 p)
{
    float s = texture(iChannel1, vec2(1.0, 2.0 * cos(iTime)) * iTime * 8.0 + p).r;
    return s * s;
}

// 1 at start falling towards 0 at end on [start, end); negative on [end, start) when end < start.
float ramp(float v, float start, float end)
{
    float inside = step(start, v) - step(end, v);
    // A band of no height is a step with nothing inside it (and no division by 0).
    if (inside == 0.0) return 0.0;
    return (1.0 - (v - start) / (end - start) * inside) * inside;
}

float sample_noise(vec2 c)
{
    return pow(texture(iChannel1, mod(c, 256.0) / iResolution).r, 7.0);
}

SHADER_MAIN
{
    vec2 uv;
    if (!regionUV(fragCoord, uv))
    {
        fragColor = texture(iChannel0, fragCoord / iResolution);
        return;
    }

    if (ENABLE_SCREEN_DISTORTION == 1)
    {
        vec2 d = uv - vec2(0.5);
        d += d * SCREEN_DISTORTION * 10.0 * abs(d.x * d.x * d.x * d.y * d.y * d.y);
        uv = d + vec2(0.5);
    }
    if (ENABLE_JUMPS == 1)
    {
        float m = mod(iTime / 4.0, 1.0);
        float window = 1.0 / (1.0 + 20.0 * (uv.y - m) * (uv.y - m));
        uv.x += JUMP_HORIZONTAL * sin(10.0 * uv.y + iTime) / 50.0 * onOff(4.0, 4.0, JUMP_HORIZONTAL_FREQ) *
                (1.0 + cos(80.0 * iTime)) * window;
        float shift = 0.4 * onOff(2.0, 3.0, JUMP_VERTICAL_FREQ) *
                      (sin(iTime) * sin(20.0 * iTime) + 0.5 + 0.1 * sin(200.0 * iTime) * cos(iTime));
        uv.y = mod(uv.y + JUMP_VERTICAL * shift, 1.0);
    }

    vec4 colour = textureChannel0(uv);

    if (ENABLE_WOBBLE == 1)
    {
        float wx = 0.01 * WOBBLE * rand(vec2(iTime, fragCoord.y));
        float t = tan(0.15 * iTime + uv.y * PI * 0.67);
        float tx = WOBBLE_BAND * wx * min(0.0, t);
        vec4 c1 = textureChannel0(uv + vec2(wx + tx, 0.0));
        vec4 c2 = textureChannel0((uv + vec2(1.5 * wx + 1.3 * tx, 0.0)) * (1.0 + 0.005 * WOBBLE));
        colour = vec4(c2.r, c2.g, mix(c1.b, pow(c1.b, 0.67), WOBBLE), 1.0);
        colour.rgb = mix(colour.rgb, textureChannel0(uv + vec2(tx, 0.0)).rgb, 0.5);
    }
    if (ENABLE_NOISE_LINES == 1)
    {
        float ival = 450.0 / (1.0 + 9.0 * NOISE_LINES_FREQ);
        float r = rand(vec2(iTime, fragCoord.y));
        float k = mod(floor(fragCoord.y + 1000.0 * r * iTime), floor(ival + 1.0));
        float on = floor(k / ival);
        float add = NOISE_LINES * sample_noise(fragCoord + iTime) * on;
        colour.rgb = min(vec3(1.0), colour.rgb + add);
    }
    if (ENABLE_WHITE_LINES == 1)
    {
        float n = noise(uv * vec2(0.5, 1.0) + vec2(1.0, 3.0));
        // A height of 0 would make the stripe coordinate a modulo by zero.
        float v = mod(4.0 * uv.y + iTime / 2.0 + sin(iTime + sin(0.63 * iTime)), max(WHITE_LINES_HEIGHT, 1e-4));
        colour += WHITE_LINES * ramp(v, WHITE_LINES_START, WHITE_LINES_END) * n;
    }
    if (ENABLE_HBL_LINES == 1)
    {
        float h = mix(1.0, 30.0, HBL_LINES_HEIGHT);
        colour *= mix(1.0, (h + mod(30.0 * uv.y + iTime * HBL_LINES_SPEED, 4.0)) / (h + 1.0), HBL_LINES);
    }
    if (ENABLE_NOISE == 1)
    {
        float g = texture(iChannel1, vec2(1.0, 2.0 * cos(iTime)) * iTime * 8.0 + uv * NOISE_SCALE).r - 0.5;
        colour.rgb += 0.5 * NOISE * g;
    }
    if (ENABLE_VIGNETTE == 1)
    {
        float a = VIGNETTE_APERTURE + VIGNETTE_OSCILLATION * sin(iTime + 5.0 * cos(5.0 * iTime));
        float v = VIGNETTE * (1.0 - (1.0 - a * (uv.y - 0.5) * (uv.y - 0.5)) * (1.0 - a * (uv.x - 0.5) * (uv.x - 0.5)));
        colour.rgb -= v;
    }
    colour = clamp(colour, 0.0, 1.0);
    if (ENABLE_MONOCHROME == 1)
    {
        const vec4 weights = vec4(0.2126, 0.7152, 0.0722, 0.0);
        float Ii = dot(colour, weights);
        // A black tint has no luminance to scale by: it gives black.
        float If = max(dot(MONOCHROME_COLOR, weights), 1e-6);
        vec4 target = Ii <= If ? MONOCHROME_COLOR * (Ii / If)
                               : mix(MONOCHROME_COLOR, vec4(1.0), (Ii - If) / max(1.0 - If, 1e-6));
        colour.rgb += MONOCHROME * (target - colour).rgb;
    }
    fragColor = colour;
}
)GLSL";
} // namespace

const char* shPostVHS::FragmentSource()
{
    static const std::string s_sSource = std::string(kHead) + shPostEffect::RegionSource + kBody;
    return s_sSource.c_str();
}

const char* const shPostEffect::RegionSource = R"GLSL(
// This pixel's position in "iRegionUV" (0 to 1, y downward); false outside the region, where the
// copy shows through unchanged.
bool regionUV(vec2 fragCoord, out vec2 uv)
{
    vec2 uv0 = fragCoord / iResolution;
    uv = vec2((uv0.x - iRegionUV.x) / iRegionUV.z, (1.0 - uv0.y - iRegionUV.y) / iRegionUV.w);
    return uv0.x >= iRegionUV.x && uv0.x <= iRegionUV.x + iRegionUV.z && 1.0 - uv0.y >= iRegionUV.y &&
           1.0 - uv0.y <= iRegionUV.y + iRegionUV.w;
}
)GLSL";

shPostVHS::shPostVHS()
{
    for (int& n : _anSwitchBuilt)
        n = SH_SWITCH_UNSET;
}

void shPostVHS::SwitchValues(int (&anValues)[SWITCH_COUNT]) const
{
    auto on = [](float f) { return f > SWITCH_THRESHOLD ? 1 : 0; };
    anValues[SWITCH_SCREEN_DISTORTION] = on(_fScreenDistortion);
    anValues[SWITCH_VIGNETTE] = on(_fVignette);
    anValues[SWITCH_MONOCHROME] = on(_fMonochrome);
    anValues[SWITCH_NOISE] = on(_fNoise);
    anValues[SWITCH_HBL_LINES] = on(_fHblLines);
    anValues[SWITCH_JUMPS] = on(_fJumpHorizontal) | on(_fJumpVertical);
    anValues[SWITCH_WHITE_LINES] = on(_fWhiteLines);
    anValues[SWITCH_NOISE_LINES] = on(_fNoiseLines);
    anValues[SWITCH_WOBBLE] = on(_fWobble);
    for (int i = 0; i < SWITCH_COUNT; ++i)
        if (_nHeldSwitches & (1u << i)) anValues[i] = 1;
}

int shPostVHS::SwitchOf(const float* pAmount) const
{
    const std::pair<const float*, int> aAmounts[] = {
        {&_fScreenDistortion, SWITCH_SCREEN_DISTORTION}, {&_fVignette, SWITCH_VIGNETTE},
        {&_fMonochrome, SWITCH_MONOCHROME},   {&_fNoise, SWITCH_NOISE},
        {&_fHblLines, SWITCH_HBL_LINES},      {&_fJumpHorizontal, SWITCH_JUMPS},
        {&_fJumpVertical, SWITCH_JUMPS},      {&_fWhiteLines, SWITCH_WHITE_LINES},
        {&_fNoiseLines, SWITCH_NOISE_LINES},  {&_fWobble, SWITCH_WOBBLE},
    };
    for (const auto& a : aAmounts)
        if (a.first == pAmount) return a.second;
    return SWITCH_COUNT;
}

void shPostVHS::ApplySwitches()
{
    int anValues[SWITCH_COUNT];
    SwitchValues(anValues);
    for (int i = 0; i < SWITCH_COUNT; ++i)
        SetConstant(SwitchNames[i], _anSwitchBuilt[i], anValues[i]);
}

bool shPostVHS::Build()
{
    if (!_imgNoise.IsImageLoaded())
        shEffectProgram::LoadDataImage(_imgNoise, "Data\\img\\Shadertoy\\RGBANoiseMedium256.png");
    return shEffectProgram::BuildFullScreen(*this, FragmentSource());
}

void shPostVHS::Use()
{
    ApplySwitches();
    UseTexture(shEffectProgram::CopyOfCurrentBuffer());
    // Without its noise picture the tape is drawn over a flat mid-grey: no grain, faint lines.
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, _imgNoise.IsImageLoaded() ? _imgNoise._glTextureBuffer
                                                           : shEffectProgram::NeutralNoiseTexture());
    glActiveTexture(GL_TEXTURE0);
    _nChannel0 = 0;
    _nChannel1 = 1;
    _vRegionUV = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
    _vMonochromeColor = fxDemoGlobalParams::_pCurrent->_vMonochromeColor;
    shEffectProgram::UploadUniforms(*this, __FILE__, __LINE__);
}

void shPostVHS::DrawQuad(int flags, float x, float y, float w, float h)
{
    shEffectProgram::DrawRegionQuad(*this, flags, x, y, w, h);
}

// ---------------------------------------------------------------------------------------------
// What the post effects share

void shPostEffect::Prepare(rvTexColorProgram2D& program)
{
    program.Prepare();
    rvBufferDisplay::_CopyProgram.Prepare();
}

void shPostEffect::Render(rvTexColorProgram2D& program)
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    program.Use();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    program.Draw(0);
    program.Unuse();
}
