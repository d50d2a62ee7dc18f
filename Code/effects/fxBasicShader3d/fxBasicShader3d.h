#pragma once
// 3D test shader: a cube of 36 vertices (from (-10, -10, -10) to (10, 10, 10)) drawn through the
// shaded wire-frame program, so its twelve faces show split into triangles, diagonals included,
// seen through the camera of the current render buffer. No attributes, no fade.
#include "Factory/fxBase.h"
#include "shBasicShader3d.h"

#include <epoxy/gl.h>

class fxBasicShader3d : public fxBase
{
public:
    explicit fxBasicShader3d(fxDescriptor* pDescriptor);
    ~fxBasicShader3d() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    static fxBase* Create(fxDescriptor* pDescriptor);

    // The twelve triangles, three floats per vertex (432 bytes).
    static const float CubeVertices[36 * 3];

    shBasicShader3d _shProgram;
    GLuint _glCubeBuffer = 0;
};
