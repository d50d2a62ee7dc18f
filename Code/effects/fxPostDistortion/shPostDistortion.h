#pragma once
// Program of the bump distortion post effect: reads a copy of the current render buffer
// ("iChannel0", unit 0) and draws it back scaled about the centre of "iRegionUV" by a factor that
// oscillates at BUMP_SPEED from BUMP_START on and dies away over BUMP_DURATION seconds, more strongly
// away from the centre. The bump is compiled in only while BUMP_ENABLED (height above 0, speed not 0,
// duration above 0); otherwise the pass is a plain copy. "iRegionUV" is asserted at Use and DrawQuad,
// the other uniforms are optional.
#include "effects/shEffectProgram.h"
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_POSTDISTORTION_UNIFORMS(U)                                                                        \
    U(1i, iChannel0, _nChannel0, (0), SH_SAME, SH_SAMPLER)                                                   \
    U(4f, iRegionUV, _vRegionUV, (0.0f, 0.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                             \
    U(1f, BUMP_HEIGHT, _fBumpHeight, (0.25f), SH_SAME, SH_OPTIONAL)                                          \
    U(1f, BUMP_SPEED, _fBumpSpeed, (20.0f), SH_SAME, SH_OPTIONAL)                                            \
    U(1f, BUMP_DURATION, _fBumpDuration, (3.0f), SH_SAME, SH_OPTIONAL)                                       \
    U(1f, BUMP_ATTENUATION, _fBumpAttenuation, (8.0f), SH_SAME, SH_OPTIONAL)                                 \
    U(1f, BUMP_START, _fBumpStart, (0.0f), SH_SAME, SH_OPTIONAL)

struct shPostDistortion : rvTexColorProgram2D
{
    shPostDistortion() = default;
    ~shPostDistortion() override = default;
    bool Build() override;
    void Use() override;
    void DrawQuad(int flags, float x, float y, float w, float h) override;

    // 1 when the bump can move anything: height above 0, speed not 0, duration above 0.
    int BumpEnabled() const;
    void ApplySwitches() override { SetConstant("BUMP_ENABLED", _nBumpEnabledBuilt, BumpEnabled()); }

    static const char* FragmentSource();

    SH_UNIFORM_TABLE(SH_POSTDISTORTION_UNIFORMS)

    int _nBumpEnabledBuilt = SH_SWITCH_UNSET;
};
