#include "effects/fxBasicShader3d/fxBasicShader3d.h"

#include "rvAssert.h"
#include "rvSceneDisplay.h"

// clang-format off
const float fxBasicShader3d::CubeVertices[36 * 3] = {
    -10, -10, -10,   -10, -10,  10,   -10,  10,  10,
     10,  10, -10,   -10, -10, -10,   -10,  10, -10,
     10, -10,  10,   -10, -10, -10,    10, -10, -10,
     10,  10, -10,    10, -10, -10,   -10, -10, -10,
    -10, -10, -10,   -10,  10,  10,   -10,  10, -10,
     10, -10,  10,   -10, -10,  10,   -10, -10, -10,
    -10,  10,  10,   -10, -10,  10,    10, -10,  10,
     10,  10,  10,    10, -10, -10,    10,  10, -10,
     10, -10, -10,    10,  10,  10,    10, -10,  10,
     10,  10,  10,    10,  10, -10,   -10,  10, -10,
     10,  10,  10,   -10,  10, -10,   -10,  10,  10,
     10,  10,  10,   -10,  10,  10,    10, -10,  10,
};
// clang-format on
static_assert(sizeof(fxBasicShader3d::CubeVertices) == 432, "36 vertices of three floats");

fxBasicShader3d::fxBasicShader3d(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxBasicShader3d::~fxBasicShader3d()
{
    // Destroyed while still holding its buffer (never killed): give it back here.
    if (_glCubeBuffer) glDeleteBuffers(1, &_glCubeBuffer);
}

void fxBasicShader3d::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
    glGenBuffers(1, &_glCubeBuffer);
}

void fxBasicShader3d::Kill()
{
    glDeleteBuffers(1, &_glCubeBuffer);
    _glCubeBuffer = 0;
}

void fxBasicShader3d::Render()
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    if (!_glCubeBuffer) Init(); // never drawn from client memory
    _shProgram.Use();
    glEnableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, _glCubeBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(CubeVertices), CubeVertices, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLES, 0, 36);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(0);
    _shProgram.Unuse();
}

fxBase* fxBasicShader3d::Create(fxDescriptor* pDescriptor)
{
    return new fxBasicShader3d(pDescriptor);
}
