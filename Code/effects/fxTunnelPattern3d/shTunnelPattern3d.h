#pragma once
// The program of the tunnel of rings: a vertex stage that adds the ring's own shape, the live main
// shape and the periodic main pattern (uniform block "MAIN_PATTERN_BLOCK") into a 3D position; a
// geometry stage that optionally pushes each triangle outwards and gives every corner its screen
// distance to the opposite edge; a fragment stage that turns the smallest distance into a smooth
// line over a fill colour, with depth fog, colour noise and the fade.
//
// Vertex inputs (locations 0 to 9, in the order of `AttributeNames`): main tangent, normal, offset,
// variation; ring tangent, normal, offset, variation; ring position (xyz, explosion in w); and the
// integer triple (point number, strip side, ring number).
#include "effects/shUniformTable.h"
#include "rvShaderProgram.h"

// kind, GLSL name, value member, default, stand-alone value, role
#define SH_TUNNELPATTERN3D_UNIFORMS(U)                                                                       \
    U(1f, FADE, _fFade, (1.0f), SH_SAME, SH_ASSERTED)                                                        \
    U(4f, LINE_INTENSITY, _vLineIntensity, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                   \
    U(1f, LINE_SMOTHNESS, _fLineSmothness, (2.0f), SH_SAME, SH_ASSERTED)                                     \
    U(1f, LINE_THRESHOLD, _fLineThreshold, (0.25f), SH_SAME, SH_ASSERTED)                                    \
    U(1f, LINE_BOLD, _fLineBold, (0.75f), SH_SAME, SH_ASSERTED)                                              \
    U(4f, LINE_COLOR, _vLineColor, (1.0f, 1.0f, 1.0f, 1.0f), SH_SAME, SH_ASSERTED)                           \
    U(4f, FILL_COLOR, _vFillColor, (0.0f, 0.0f, 0.0f, 1.0f), SH_SAME, SH_ASSERTED)                           \
    U(4f, FOG_COLOR, _vFogColor, (0.0f, 0.0f, 0.0f, 1.0f), SH_SAME, SH_ASSERTED)                             \
    U(1f, FOG_POWER, _fFogPower, (2.0f), SH_SAME, SH_ASSERTED)                                               \
    U(1f, FOG_DECAL, _fFogDecal, (0.0f), SH_SAME, SH_ASSERTED)                                               \
    U(1f, DEPTH_MAX, _fDepthMax, (100.0f), SH_SAME, SH_ASSERTED)                                             \
    U(1f, DESIGN_STEPZ, _fDesignStepz, (0.0f), SH_SAME, SH_ASSERTED)                                         \
    U(1f, EXPLOSION_NORMAL, _fExplosionNormal, (0.5f), SH_SAME, SH_ASSERTED)                                 \
    U(4f, COLOR_VARIATION, _vColorVariation, (0.1f, 0.1f, 0.1f, 0.0f), SH_SAME, SH_ASSERTED)                 \
    U(2f, COLOR_VARIATION_SCALE, _vColorVariationScale, (10.0f, 10.0f), SH_SAME, SH_ASSERTED)                \
    U(1f, OFFSET_Z, _fOffsetZ, (0.0f), SH_SAME, SH_ASSERTED)

struct shTunnelPattern3d : rvProgram3D
{
    bool Build() override;
    void Use() override;
    void ApplySwitches() override {}

    // Copies the matrix into "MVP" and uploads it (the program must be in use).
    void SetMVP(const glm::mat4& mMVP);

    static const char* const VertexSource;
    static const char* const GeometrySource;
    static const char* const FragmentSource;

    SH_UNIFORM_TABLE(SH_TUNNELPATTERN3D_UNIFORMS)

    // Binding point of "MAIN_PATTERN_BLOCK" (set by the source's layout qualifier); the effect
    // binds its uniform buffer there.
    int _nMainPatternBinding = 2;
};
