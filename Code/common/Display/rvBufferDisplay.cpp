#include "rvBufferDisplay.h"
#include "rvMessage.h"

#include <cmath>
#include <cstdio>

#include <glm/gtc/matrix_transform.hpp>

#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"
#include "vector_display/vector_display.h"

rvTexColorProgram2D rvBufferDisplay::_CopyProgram;

namespace
{
const float kPi = 3.14159265358979f;

} // namespace

rvBufferDisplay::rvBufferDisplay() = default;

rvBufferDisplay::~rvBufferDisplay()
{
    Release(true);
    _sName.clear();
}

int rvBufferDisplay::MaxSide()
{
    GLint maxTexture = 0, maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    int side = maxTexture;
    if (maxViewport[0] > 0 && maxViewport[0] < side) side = maxViewport[0];
    if (maxViewport[1] > 0 && maxViewport[1] < side) side = maxViewport[1];
    return side > 0 ? side : 1;
}

void rvBufferDisplay::LimitSize(const char* name, int& w, int& h)
{
    // A size asked for by data (an effect's attributes, a file) stays within what the driver can
    // make: past it, a driver may abort instead of failing the call.
    const int maxSide = MaxSide();
    if (w > maxSide || h > maxSide)
    {
        rvReport(rvMessageKind::Warning, "render buffer \"%s\": %dx%d limited to %d per side\n",
                 name ? name : "", w, h, maxSide);
        if (w > maxSide) w = maxSide;
        if (h > maxSide) h = maxSide;
    }
}

void rvBufferDisplay::Create(const char* name, int w, int h, int flags)
{
    rvAssert(w > 0 && h > 0);
    if (!(w > 0 && h > 0)) return;
    LimitSize(name, w, h);
    if (w == _nWidth && h == _nHeight && flags == _nFlags) return;

    // "Default" resized while current stays current (Release lets go of it meanwhile).
    const bool remainCurrent = rvSceneDisplay::_pCurrentBuffer == this;
    Release(false);

    // Creating a buffer must not change what is being drawn into: a twin made by the first Copy
    // is created while another buffer is current, whose pending lines are flushed right after.
    struct BindingGuard
    {
        GLint draw = 0, read = 0, viewport[4] = {0, 0, 0, 0};
        BindingGuard()
        {
            glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
            glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
            glGetIntegerv(GL_VIEWPORT, viewport);
        }
        ~BindingGuard()
        {
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(draw));
            glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
            glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        }
    } restoreBindings;

    _sName = name ? name : "";
    _nWidth = w;
    _nHeight = h;
    _nFlags = flags;

    glGenFramebuffers(1, &_glFrameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, _glFrameBuffer);

    if (flags & BUFFER_COLOR)
    {
        const GLint filter = (flags & BUFFER_LINEAR) ? GL_LINEAR : GL_NEAREST;
        const GLint wrap = (flags & BUFFER_REPEAT) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        glGenTextures(1, &_glColorTexture);
        glBindTexture(GL_TEXTURE_2D, _glColorTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, _glColorTexture, 0);
    }
    if (flags & (BUFFER_DEPTH | BUFFER_DEPTH_STENCIL))
    {
        const bool stencil = (flags & BUFFER_DEPTH_STENCIL) != 0;
        glGenTextures(1, &_glDepthTexture);
        glBindTexture(GL_TEXTURE_2D, _glDepthTexture);
        if (stencil)
            glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, w, h, 0, GL_DEPTH_STENCIL,
                         GL_UNSIGNED_INT_24_8, nullptr);
        else
            glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, w, h, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                         nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glFramebufferTexture2D(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                               GL_TEXTURE_2D, _glDepthTexture, 0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) rvAssert(false);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    if (flags & BUFFER_VECTOR)
    {
        rvAssert(!_pVectorBuffer);
        _pVectorBuffer = new rvBufferDisplay();
        _pVectorBuffer->Create("Vector", w, h, BUFFER_COLOR | BUFFER_DEPTH | BUFFER_DEPTH_STENCIL);
        if (_pVectorDisplay)
        {
            // A resize: new size and glow targets, history dropped at the next flush, nothing pending.
            int rc = vector_display_resize(_pVectorDisplay, w, h, _pVectorBuffer->_glFrameBuffer,
                                           _pVectorBuffer->_glColorTexture);
            if (rc != 0)
            {
                rvReport(rvMessageKind::Error, "Failed to setup vector display: rc=%d\n", rc);
                return;
            }
        }
        else
        {
            int rc = vector_display_create(&_pVectorDisplay, w, h);
            if (rc != 0)
            {
                rvReport(rvMessageKind::Error, "Failed to create vector display: rc=%d\n", rc);
                return;
            }
            rc = vector_display_setup(_pVectorDisplay, _pVectorBuffer->_glFrameBuffer,
                                      _pVectorBuffer->_glColorTexture);
            if (rc != 0)
            {
                rvReport(rvMessageKind::Error, "Failed to setup vector display: rc=%d\n", rc);
                return;
            }
        }
    }

    UpdateMatrices(glm::mat4(1.f));
    _bCreated = true;

    if (remainCurrent && rvSceneDisplay::_pCurrentBuffer == nullptr)
    {
        rvSceneDisplay::_pCurrentBuffer = this;
        rvSceneDisplay::_pCurrentDisplay = _pVectorDisplay;
        restoreBindings.draw = restoreBindings.read = GLint(_glFrameBuffer);
        restoreBindings.viewport[0] = restoreBindings.viewport[1] = 0;
        restoreBindings.viewport[2] = w;
        restoreBindings.viewport[3] = h;
    }
}

void rvBufferDisplay::Release(bool deleteDisplayObjects)
{
    if (rvSceneDisplay::_pCurrentBuffer == this)
    {
        if (this == &rvSceneDisplay::_DefaultBuffer)
        {
            // "Default" itself goes: nothing stays current.
            rvSceneDisplay::_pCurrentBuffer = nullptr;
            rvSceneDisplay::_pCurrentDisplay = nullptr;
        }
        else
            rvSceneDisplay::SetCurrentBuffer(nullptr);
    }

    if (_nWidth != 0 && _nHeight != 0)
    {
        if (_glFrameBuffer) glDeleteFramebuffers(1, &_glFrameBuffer);
        if (_glColorTexture) glDeleteTextures(1, &_glColorTexture);
        if (_glDepthTexture) glDeleteTextures(1, &_glDepthTexture);
        _glFrameBuffer = _glColorTexture = _glDepthTexture = 0;
        _nWidth = _nHeight = 0;
        _sName.clear();
        delete _pVectorBuffer;
        _pVectorBuffer = nullptr;
        delete _pCopyBuffer;
        _pCopyBuffer = nullptr;
    }
    // The display goes with the last release too, even when the GL objects went earlier.
    if (deleteDisplayObjects && _pVectorDisplay)
    {
        vector_display_destroy(_pVectorDisplay);
        _pVectorDisplay = nullptr;
    }
}

bool rvBufferDisplay::IsValid() const
{
    if (_nWidth == 0 || _nHeight == 0) return false;
    if ((_nFlags & BUFFER_COLOR) && !_glColorTexture) return false;
    if ((_nFlags & BUFFER_DEPTH) && !_glDepthTexture) return false;
    if (_nFlags & BUFFER_VECTOR) return _pVectorBuffer && _pVectorDisplay && _pVectorDisplay->setup_done;
    return true;
}

void rvBufferDisplay::Bind()
{
    rvAssert(_pBufferPeviousBinded == nullptr);
    rvAssert(IsValid());
    _pBufferPeviousBinded = rvSceneDisplay::SetCurrentBuffer(this);
    if (TakeNextFov()) UpdateMatrices(glm::mat4(1.f));
}

bool rvBufferDisplay::TakeNextFov()
{
    if (!(_fNextFov > 0.f)) return false;
    _fFov = _fNextFov;
    _fNextFov = 0.f;
    return true;
}

void rvBufferDisplay::Unbind()
{
    rvAssert(rvSceneDisplay::BindedBuffer() == this);
    rvSceneDisplay::SetCurrentBuffer(_pBufferPeviousBinded);
    _pBufferPeviousBinded = nullptr;
}

GLuint rvBufferDisplay::Copy()
{
    if (!_pCopyBuffer)
    {
        _pCopyBuffer = new rvBufferDisplay();
        _pCopyBuffer->Create((_sName + "Copy").c_str(), _nWidth, _nHeight, _nFlags);
    }
    _pCopyBuffer->Bind();
    _CopyProgram.UseTexture(_glColorTexture, _nWidth, _nHeight);
    _CopyProgram.DrawQuad(0, 0.5f, 0.5f, 1.0f, 1.0f);
    _CopyProgram.Unuse();
    _pCopyBuffer->Unbind();
    return _pCopyBuffer->_glColorTexture;
}

void rvBufferDisplay::UpdateMatrices(const glm::mat4& model)
{
    const float W = float(_nWidth), H = float(_nHeight);
    if (_bFreeCam)
    {
        const glm::vec3 E(std::cos(_fPitch) * std::sin(_fYaw), std::cos(_fYaw),
                          std::sin(_fPitch) * std::sin(_fYaw));
        const glm::vec3 R(std::cos(_fPitch - kPi / 2.f), 0.f, std::sin(_fPitch - kPi / 2.f));
        const glm::vec3 U = glm::cross(E, R);
        const glm::vec3 O = -R * _fPanX + U * _fPanY;
        const glm::vec3 eye = _fDist * E + O;
        const glm::vec3 target = glm::vec3(0.f, 1.f, 0.f) + O;
        _mView = glm::lookAt(eye, target, U);
        _mProjection = glm::perspective(kPi / 3.f, W / H, _fNear, _fFar);
    }
    else
    {
        _mProjection = glm::perspectiveFov(_fFov, W, H, _fNear, _fFar);
        const glm::mat4 I(1.f);
        _mView = glm::scale(I, _vScale) * glm::translate(I, _vPosition) *
                 glm::rotate(I, _vRotation.z, glm::vec3(0.f, 0.f, 1.f)) *
                 glm::rotate(I, _vRotation.x, glm::vec3(1.f, 0.f, 0.f)) *
                 glm::rotate(I, _vRotation.y, glm::vec3(0.f, 1.f, 0.f));
    }
    _mViewProjection = _mProjection * _mView * model;
    _mInvProjection = glm::inverse(_mProjection);
    _mInvView = glm::inverse(_mView);
    _mInvViewProjection = glm::inverse(_mViewProjection);
}
