#pragma once
// The 3D form of an effect program, small enough to start from: triangles placed by a std140
// uniform block and drawn as a wire frame with a geometry stage.
//
// Vertex inputs, bound to their locations before linking: "inVec3Pos" (three floats, location 0)
// and "inIntSlot" (one int, location 1, fed with glVertexAttribIPointer). The block "WIRE_BLOCK"
// (binding point `_nWireBlockBinding`) holds "WIRE_PLACE", eight vec4: a vertex of slot k lands at
// inVec3Pos * WIRE_PLACE[k].w + WIRE_PLACE[k].xyz before "MVP". The geometry stage gives each
// fragment its distance in pixels to the edges of its triangle; pixels nearer than "LINE_WIDTH"
// take "LINE_COLOR", the others "FILL_COLOR" (one pixel of anti-aliasing between them); alpha
// is multiplied by "FADE". Use writes the block from `_aWirePlace` into a uniform buffer the
// program owns and binds it; "VIEWPORT_SIZE" is the viewport read at Use.
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_WIREBLOCK3D_UNIFORMS(U)                                                                           \
    U(1f, FADE, _fFade, (1.0f), SH_SAME, SH_ASSERTED)                                                        \
    U(1f, LINE_WIDTH, _fLineWidth, (1.5f), SH_SAME, SH_ASSERTED)                                             \
    U(4f, LINE_COLOR, _vLineColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                           \
    U(4f, FILL_COLOR, _vFillColor, (0.0f, 0.0f, 0.0f, 1.0f), SH_SAME, SH_ASSERTED)                           \
    U(2f, VIEWPORT_SIZE, _vViewportSize, (1.0f, 1.0f), SH_SAME, SH_ASSERTED)

struct shWireBlock3d : rvProgram3D
{
    static const int PLACE_COUNT = 8;

    shWireBlock3d() = default;
    ~shWireBlock3d() override;
    bool Build() override;
    void Use() override;
    void Release() override;

    void ApplySwitches() override {}

    static const char* const VertexSource;
    static const char* const GeometrySource;
    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_WIREBLOCK3D_UNIFORMS)

    // The block's contents (std140: eight vec4, 128 bytes) and where it is bound.
    glm::vec4 _aWirePlace[PLACE_COUNT] = {
        glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f),
        glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f),
        glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f),
        glm::vec4(0.0f, 0.0f, 0.0f, 1.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)};
    int _nWireBlockBinding = 1;
    GLuint _glWireBuffer = 0;
};
