#pragma once
// A 16-bit depth texture over the whole render buffer as grey: each sample (scaled by 32765) mapped
// from the window "zNear".."zFar" to black..white, every other pixel row darkened by half.
#include "rvShaderProgram.h"

struct rvQuadDepthProgram : rvProgram2D
{
    bool Build() override;
    void Use() override;
    ~rvQuadDepthProgram() override = default;

    static const char* const VertexSource;
    static const char* const FragmentSource;

    int _location1f_zNear = -1;
    int _location1f_zFar = -1;
    float _fZNear = 0.1f;
    float _fZFar = 50.0f;
};
