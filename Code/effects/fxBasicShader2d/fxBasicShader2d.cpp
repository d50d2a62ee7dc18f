#include "effects/fxBasicShader2d/fxBasicShader2d.h"

#include "rvAssert.h"
#include "rvSceneDisplay.h"

fxBasicShader2d::fxBasicShader2d(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

// The program member deletes its GL program, then the fxBase part runs.
fxBasicShader2d::~fxBasicShader2d() = default;

void fxBasicShader2d::Init()
{
    _shProgram.Prepare(); // compiled in the loading pass, not by the first frame
}

void fxBasicShader2d::Render()
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    _shProgram.Use();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    _shProgram.Draw(0);
    _shProgram.Unuse();
}

fxBase* fxBasicShader2d::Create(fxDescriptor* pDescriptor)
{
    return new fxBasicShader2d(pDescriptor);
}
