#pragma once
// Program of the bump distortion post effect: reads a copy of the current render buffer
// ("iChannel0", unit 0) and draws it back scaled about the centre of "iRegionUV" by a factor that
// oscillates at BUMP_SPEED from BUMP_START on and dies away over BUMP_DURATION seconds, more strongly
// away from the centre. The bump is compiled in only while BUMP_ENABLED (height above 0, speed not 0,
// duration above 0); otherwise the pass is a plain copy. "iRegionUV" is asserted at Use and DrawQuad,
// the other uniforms are optional.
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

#include "effects/shEffectProgram.h"

class shUniformList;

struct shPostDistortion : rvTexColorProgram2D
{
    shPostDistortion() = default;
    ~shPostDistortion() override = default;
    bool Build() override;
    void Use() override;
    void DrawQuad(int flags, float x, float y, float w, float h) override;

    // 1 when the bump can move anything: height above 0, speed not 0, duration above 0.
    int BumpEnabled() const;
    void ApplySwitches() { SetConstant("BUMP_ENABLED", _nBumpEnabledBuilt, BumpEnabled()); }
    void ListUniforms(shUniformList& list);

    static const char* FragmentSource();

    int _location1i_iChannel0 = -1;
    int _nChannel0 = 0;
    int _location4f_iRegionUV = -1;
    glm::vec4 _vRegionUV{0.0f, 0.0f, 1.0f, 1.0f};
    int _location1f_BUMP_HEIGHT = -1;
    float _fBumpHeight = 0.25f;
    int _location1f_BUMP_SPEED = -1;
    float _fBumpSpeed = 20.0f;
    int _location1f_BUMP_DURATION = -1;
    float _fBumpDuration = 3.0f;
    int _location1f_BUMP_ATTENUATION = -1;
    float _fBumpAttenuation = 8.0f;
    int _location1f_BUMP_START = -1;
    float _fBumpStart = 0.0f;

    int _nBumpEnabledBuilt = SH_SWITCH_UNSET;
};
