#pragma once
// What the effect programs ("sh" classes) and the shader effects that own them share.
//
// An sh class derives from rvProgram2D, rvTexColorProgram2D or rvProgram3D. Its uniform table
// (shUniformTable.h) gives one (location, value) pair per uniform of its own sources, named
// `_location<n><f|i|m>_<NAME>`, ListUniforms and the GLSL declarations; each compile-time switch
// adds two ints (requested value, cached copy starting at SH_SWITCH_UNSET). It overrides Build
// and Use with the steps below and `void ApplySwitches()`, which the build check of every
// program (shRegistry) calls with ListUniforms:
//
//   Build (2D):  BuildFullScreen: vertex source = FullScreenVertexSource where none is set,
//                fragment source = its own where none is set, table declarations written in;
//                base Build; ListUniforms + Lookup.
//   Build (3D):  Build3D with the three sources and the attribute names, then BindUniformBlock.
//   Use:         ApplySwitches() (SetConstant per switch, before any program is in use);
//                base Use (rebuilds when needed); ListUniforms + Upload(__FILE__, __LINE__).
//
// Fragment sources of the 2D classes begin with "SHADER_HEADER" and the line SHADER_FULL_SCREEN,
// which becomes two halves chosen by "#ifdef MORVANE": the program's half (SHADER_MAIN is
// "void main()", "in vec2 fragCoord;", "out vec4 fragColor;", one "uniform" per table line) and
// a stand-alone half (SHADER_MAIN is the image-shader entry "mainImage", every uniform a plain
// global with its stand-alone value) so that the text also runs in an image-shader host.
// Constants, functions and SHADER_MAIN with the body follow. Other sources (3D stages, a class
// with halves of its own) take the declarations alone with the line SHADER_UNIFORMS.
//
// The Render of a shader effect, in this order: fade into the program's fade value; other
// per-frame values; Use; timeline "iTime" (UploadTimelineTime) for backgrounds that run on
// timeline time; colour mask and blending (SetFadeBlend); Draw(0); Unuse.

#include <initializer_list>

#include "effects/shUniformList.h"
#include "effects/shUniformTable.h"
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
    // be read or decoded is named once per process as a warning; the caller draws without it.
    static bool LoadDataImage(rvTexColorProgram2D& holder, const char* pszPath);
    // A 1x1 mid-grey texture (0.5 in every channel) that stands in for a missing noise picture;
    // made on first use, kept for the life of the process.
    static GLuint NeutralNoiseTexture();

    // The source with its line SHADER_UNIFORMS replaced by the declarations of Program's uniform
    // table (shUniformTable.h), SHADER_FULL_SCREEN by the same with the entry points; a source
    // without either comes back as it is. Each text is made once per source text and class and
    // kept for the life of the process.
    template <class Program> static const char* WithUniforms(const char* pszSource)
    {
        return ExpandUniforms(pszSource, &Program::DeclareUniforms);
    }
    static const char* ExpandUniforms(const char* pszSource, void (*pfnDeclare)(shUniformDeclarations&));

    // The Build and Use steps above, for the full-screen 2D classes (and the texture classes, whose
    // Build is the same). pszFile and nLine name the caller in the message of an asserted uniform
    // that the compiler dropped.
    template <class Program> static bool BuildFullScreen(Program& program, const char* pszFragmentSource)
    {
        if (!program._pVertexSource) program._pVertexSource = FullScreenVertexSource;
        if (!program._pFragmentSource) program._pFragmentSource = pszFragmentSource;
        program._pFragmentSource = WithUniforms<Program>(program._pFragmentSource);
        const bool bOk = program.rvProgram2D::Build();
        LookupUniforms(program);
        return bOk;
    }
    template <class Program> static void LookupUniforms(Program& program)
    {
        shUniformList list;
        program.ListUniforms(list);
        list.Lookup(program.programID);
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

    // Build of a 3D class: each stage's source where none is set (a null geometry source: no
    // geometry stage), the vertex attribute names bound to their indices 0, 1, ... before linking
    // (once: a rebuild keeps them), rvProgram3D::Build, the own uniforms looked up. Uniform blocks
    // are bound after it (BindUniformBlock).
    template <class Program>
    static bool Build3D(Program& program, const char* pszVertex, const char* pszGeometry,
                        const char* pszFragment, std::initializer_list<const char*> attributes)
    {
        if (!program._pVertexSource) program._pVertexSource = pszVertex;
        if (!program._pGeometrySource) program._pGeometrySource = pszGeometry;
        if (!program._pFragmentSource) program._pFragmentSource = pszFragment;
        program._pVertexSource = WithUniforms<Program>(program._pVertexSource);
        program._pGeometrySource = WithUniforms<Program>(program._pGeometrySource);
        program._pFragmentSource = WithUniforms<Program>(program._pFragmentSource);
        if (program._attriblocation.empty())
        {
            unsigned nIndex = 0;
            for (const char* pszName : attributes)
                program.AddAttribLocation(pszName, nIndex++);
        }
        const bool bOk = program.rvProgram3D::Build();
        LookupUniforms(program);
        return bOk;
    }
    template <class Program> static void Use3D(Program& program, const char* pszFile, int nLine)
    {
        program.ApplySwitches();
        program.rvProgram3D::Use();
        UploadUniforms(program, pszFile, nLine);
    }
    // Binds the uniform block pszBlock of the program to binding point nBinding. False when the
    // program has no such active block (or is not built).
    static bool BindUniformBlock(GLuint program, const char* pszBlock, GLuint nBinding);

    // Use of a post-effect class (a texture class over a copy of the current buffer): switches,
    // rvTexColorProgram2D::UseTexture with the copy that rvBufferDisplay::Copy makes of the current
    // buffer (on unit 0, depth test off), the region set to the whole target, then the upload.
    template <class Program> static void UsePostCopy(Program& program, const char* pszFile, int nLine)
    {
        program.ApplySwitches();
        program.UseTexture(CopyOfCurrentBuffer());
        program._vRegionUV = glm::vec4(0.0f, 0.0f, 1.0f, 1.0f);
        UploadUniforms(program, pszFile, nLine);
    }
    // The DrawQuad of a post-effect class: the rectangle that rvProgram2D::DrawQuad would cover for
    // these arguments becomes "iRegionUV" (left, top, width, height, y from the top; asserted), and
    // the quad covers the whole target, the fragment source passing the pixels outside the region
    // through unchanged.
    template <class Program>
    static void DrawRegionQuad(Program& program, int flags, float x, float y, float w, float h)
    {
        program._vRegionUV = RegionOf(flags, x, y, w, h);
        // clang-format off
        rvAssert(program._location4f_iRegionUV>=0);
        // clang-format on
        glUniform4fv(program._location4f_iRegionUV, 1, &program._vRegionUV[0]);
        program.rvProgram2D::DrawQuad(QUAD_LEFT | QUAD_TOP, 0.0f, 0.0f, 1.0f, 1.0f);
    }
    // (left, top, w, h) of the quad that rvProgram2D::DrawQuad draws for these arguments.
    static glm::vec4 RegionOf(int flags, float x, float y, float w, float h);
    // The copy of the current render buffer (asserted) as a texture.
    static GLuint CopyOfCurrentBuffer();
};
