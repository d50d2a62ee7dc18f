#include "effects/fxStencilTest/fxStencilTest.h"

#include "Factory/fxDescriptor.h"
#include "Factory/rvEditorHook.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "rvMessage.h"

#include <GLFW/glfw3.h>

#include <cstdio>

const char* const fxStencilTest::MeshFile = "./Data/meshes/RunningMan.glb";

fxStencilTest::fxStencilTest(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _bOcclusion(false), _fScale(1.0f), _vColor(1.0f, 0.0f, 1.0f)
{
    // Built at once where a context exists (an effect made by a tool without one builds at its
    // first Use).
    if (glfwGetCurrentContext()) _shProgram.Build();
}

fxStencilTest::~fxStencilTest() = default;

void fxStencilTest::Init()
{
    _Model._nPositionLocation = 0;
    if (!_Model.Load(MeshFile))
        rvReport(rvMessageKind::Warning, "fxStencilTest: cannot read \"%s\"", MeshFile);
}

void fxStencilTest::Render()
{
    DrawSettings();
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);

    if (_bOcclusion)
    {
        // The unscaled figure marks the stencil with 2 and leaves colour and depth alone.
        rvSceneDisplay::SetupOccluderStencil();
        _shProgram._vLineColor = glm::vec3(0.0f, 0.0f, 1.0f);
        _shProgram._vFillColor = glm::vec3(0.0f, 0.0f, 1.0f);
        _shProgram.Use();
        _Model.Draw();
        _shProgram.Unuse();
        glStencilFunc(GL_NOTEQUAL, 2, 0xFF);
        glStencilMask(0);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
    }

    _shProgram._vLineColor = _vColor;
    _shProgram._vFillColor = _vColor;
    _pCurrentBuffer->UpdateMatrices(
        glm::mat4(glm::vec4(_fScale, 0.0f, 0.0f, 0.0f), glm::vec4(0.0f, _fScale, 0.0f, 0.0f),
                  glm::vec4(0.0f, 0.0f, _fScale, 0.0f), glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)));
    _shProgram.Use();
    _Model.Draw();
    _shProgram.Unuse();
    // Later effects see the buffer's usual matrices.
    _pCurrentBuffer->UpdateMatrices(glm::mat4(1.0f));

    if (_bOcclusion)
    {
        glStencilMask(0xFF);
        glStencilFunc(GL_ALWAYS, 1, 0xFF);
        glDisable(GL_STENCIL_TEST);
        glEnable(GL_DEPTH_TEST);
    }
}

fxDescriptor* fxStencilTest::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxStencilTest", &fxStencilTest::Create);
    return s_pDescriptor;
}

fxBase* fxStencilTest::Create(fxDescriptor* pDescriptor)
{
    return new fxStencilTest(pDescriptor);
}

// The editor window (fxStencilTestEditor.cpp); nothing without the editor.
void fxStencilTest::DrawSettings()
{
    rvEditorHook<&fxStencilTest::DrawSettings>::Call(*this);
}
