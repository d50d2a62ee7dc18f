#pragma once
// Flat 2D polygons in opaque white through the current camera, every point placed at z = 1. The
// owner binds "aPos" (two floats, location 0) between Use and Unuse; used to fill occluder shapes
// into the stencil buffer.
#include "rvShaderProgram.h"

class shUniformList;

struct shOccludingShader : rvProgram3D
{
    shOccludingShader() = default;
    ~shOccludingShader() override = default;
    bool Build() override;

    void ApplySwitches() override {}
    void ListUniforms(shUniformList&) {}

    static const char* const VertexSource;
    static const char* const FragmentSource;
};
