#pragma once
// What the effect programs ("sh" classes) and the shader effects that own them share.
//
// An sh class derives from rvProgram2D, rvTexColorProgram2D or rvProgram3D and adds one
// (location, value) pair per uniform of its own sources, named `_location<n><f|i|m>_<NAME>`, plus
// two ints per compile-time switch (requested value, cached copy starting at SH_SWITCH_UNSET).
// It overrides Build, Use and the destructor:
//
//   Build (2D):  vertex source = shEffectProgram::FullScreenVertexSource where none is set,
//                fragment source = its own where none is set; base Build; ListUniforms + Lookup.
//   Use:         ApplySwitches() (SetConstant per switch, before any program is in use);
//                base Use (rebuilds when needed); ListUniforms + Upload(__FILE__, __LINE__).
//
// and provides the two plain members that the build check of every program reads
// (shRegistry): `void ApplySwitches()` and `void ListUniforms(shUniformList&)`.
//
// Fragment sources of the 2D classes begin with "SHADER_HEADER", then two halves chosen by
// "#ifdef MORVANE": the program's half (SHADER_MAIN is "void main()", "in vec2 fragCoord;",
// "out vec4 fragColor;", one "uniform" per uniform) and a stand-alone half (SHADER_MAIN is the
// image-shader entry "mainImage", every uniform a plain global with a value) so that the text
// also runs in an image-shader host. Constants, functions and SHADER_MAIN with the body follow.
//
// The Render of a shader effect, in this order: fade into the program's fade value; other
// per-frame values; Use; timeline "iTime" (UploadTimelineTime) for backgrounds that run on
// timeline time; colour mask and blending (SetFadeBlend); Draw(0); Unuse.

#include "effects/shUniformList.h"
#include "rvShaderProgram.h"

// The cached copy of a switch before the first Use: no switch takes this value, so the first
// Use always writes the constant.
constexpr int SH_SWITCH_UNSET = -12845;

class shEffectProgram
{
public:
    shEffectProgram() = delete;

    // Inputs "aPos" (0) and "aTexCoords" (1); output "fragCoord", the fragment's position in
    // pixels of the current render buffer (texture coordinate times "iResolution").
    static const char* const FullScreenVertexSource;

    // Uploads "iTime" once more with the timeline time (the time of the timeline one level up,
    // as rvProgram2D's TIME_PARENT_SEQUENCE, without the time offset), for backgrounds that keep
    // their phase when cut or restarted on the timeline. For the program in use.
    static void UploadTimelineTime(rvProgram2D& program);

    // Colour writes for red, green and blue on. Below 1: alpha writes on and alpha blending
    // (src alpha, one minus src alpha, add); otherwise alpha writes and blending off.
    static void SetFadeBlend(float fFade);

    // Loads an image of the data archive into a texture holder (no mipmaps). An image that cannot
    // be read or decoded is named once per process on stderr; the caller draws without it.
    static bool LoadDataImage(rvTexColorProgram2D& holder, const char* pszPath);
    // A 1x1 mid-grey texture (0.5 in every channel) that stands in for a missing noise picture;
    // made on first use, kept for the life of the process.
    static GLuint NeutralNoiseTexture();

    // The Build and Use steps above, for the full-screen 2D classes. pszFile and nLine name the
    // caller in the message of an asserted uniform that the compiler dropped.
    template <class Program> static bool BuildFullScreen(Program& program, const char* pszFragmentSource)
    {
        if (!program._pVertexSource) program._pVertexSource = FullScreenVertexSource;
        if (!program._pFragmentSource) program._pFragmentSource = pszFragmentSource;
        const bool bOk = program.rvProgram2D::Build();
        shUniformList list;
        program.ListUniforms(list);
        list.Lookup(program.programID);
        return bOk;
    }
    template <class Program> static void UploadUniforms(Program& program, const char* pszFile, int nLine)
    {
        shUniformList list;
        program.ListUniforms(list);
        list.Upload(pszFile, nLine);
    }
    template <class Program> static void UseFullScreen(Program& program, const char* pszFile, int nLine)
    {
        program.ApplySwitches();
        program.rvProgram2D::Use();
        UploadUniforms(program, pszFile, nLine);
    }
};
