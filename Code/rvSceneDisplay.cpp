#include "rvSceneDisplay.h"

#include <GLFW/glfw3.h>

#include "vector_display/vector_display.h"

rvBufferDisplay rvSceneDisplay::_DefaultBuffer;
rvBufferDisplay* rvSceneDisplay::_pCurrentBuffer = nullptr;
vector_display* rvSceneDisplay::_pCurrentDisplay = nullptr;
GLFWwindow* rvSceneDisplay::_pWindow = nullptr;

namespace
{
// A flush draws with the camera and background of the buffer current at that time.
void CurrentBufferCamera(vector_display_camera* out)
{
    const rvBufferDisplay* b = rvSceneDisplay::_pCurrentBuffer;
    if (!b) b = &rvSceneDisplay::_DefaultBuffer;
    out->fov = b->_fFov;
    out->view_projection = b->_mViewProjection;
    out->back_color = b->_vBackColor;
}
} // namespace

void rvSceneDisplay::ResizeDefaultBuffer(int w, int h)
{
    rvAssert(w > 0 && h > 0);
    if (!(w > 0 && h > 0)) return;
    _DefaultBuffer.Create("Default", w, h,
                          BUFFER_COLOR | BUFFER_DEPTH | BUFFER_DEPTH_STENCIL | BUFFER_VECTOR);
}

rvBufferDisplay* rvSceneDisplay::SetCurrentBuffer(rvBufferDisplay* buffer, bool force)
{
    rvBufferDisplay* newbuf = buffer ? buffer : &_DefaultBuffer;
    if (newbuf == _pCurrentBuffer && !force) return nullptr;
    rvAssert(newbuf->IsValid());
    vector_display_set_camera_source(&CurrentBufferCamera);

    // Lines always land in the buffer that was current when they were added.
    if (_pCurrentDisplay) vector_display_draw(_pCurrentDisplay, nullptr, true);

    glViewport(0, 0, newbuf->_nWidth, newbuf->_nHeight);
    glBindFramebuffer(GL_FRAMEBUFFER, newbuf->_glFrameBuffer);

    rvBufferDisplay* previous = _pCurrentBuffer;
    _pCurrentBuffer = newbuf;
    _pCurrentDisplay = newbuf->_pVectorDisplay;
    return previous;
}

void rvSceneDisplay::BeginFrame(GLFWwindow* window)
{
    _pWindow = window;
    SetCurrentBuffer(nullptr, true);
    glDisable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE); // an occluder pass may have left depth writes off: the clear must reach depth
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g_frame_dots = 0;
    g_frame_lines = 0;
    g_frame_triangles = 0;
    _DefaultBuffer.TakeNextFov();
    _DefaultBuffer.UpdateMatrices(glm::mat4(1.f));
}

void rvSceneDisplay::PresentFrame(bool paused)
{
    SetCurrentBuffer(nullptr, true);
    if (!paused) g_step = (g_step + 1) % VECTOR_DISPLAY_MAX_DECAY_STEPS;
    // "Default" goes to the window as it is (same size, from the lower left): a framebuffer copy,
    // no drawing pass.
    const int w = _DefaultBuffer._nWidth, h = _DefaultBuffer._nHeight;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, _DefaultBuffer._glFrameBuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glFlush();
}

void rvSceneDisplay::SetupOccluderStencil()
{
    glEnable(GL_STENCIL_TEST);
    glClearStencil(1);
    glStencilMask(255);
    glStencilFunc(GL_ALWAYS, 1, 255);
    glClear(GL_STENCIL_BUFFER_BIT);
    glStencilFunc(GL_ALWAYS, 2, 255);
    glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
}

void rvSceneDisplay::Shutdown()
{
    if (rvProgram::_currentProgramUsed) rvProgram::_currentProgramUsed->Unuse();
    _pCurrentBuffer = nullptr;
    _pCurrentDisplay = nullptr;
    _DefaultBuffer.Release(true);
    rvBufferDisplay::_CopyProgram.Release();
}
