#pragma once
// Pixel reads of buffers, and the fixture for tests that draw through the scene display:
// "Default" sized w x h and current. Tests move Default's camera; TearDown puts back the camera
// it had, so the next test of the same process starts from it.
#include "GLTestContext.h"

#include "Display/rvBufferDisplay.h"
#include "rvSceneDisplay.h"

#include <glm/glm.hpp>

#include <algorithm>

namespace rvTest
{
// One pixel of a buffer's colour target, y counted from the bottom row; the read binding is kept.
inline RGBA ReadPixel(const rvBufferDisplay& b, int x, int y)
{
    RGBA p{};
    GLint previous = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, b._glFrameBuffer);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, previous);
    return p;
}

// The largest red value of a column of a buffer.
inline int BrightestInColumn(const rvBufferDisplay& b, int x)
{
    int best = 0;
    for (int y = 0; y < b._nHeight; ++y)
        best = std::max(best, int(ReadPixel(b, x, y).r));
    return best;
}

class DefaultBufferTest : public GLTest
{
protected:
    DefaultBufferTest(int w, int h) : _nW(w), _nH(h) {}

    void SetUp() override
    {
        GLTest::SetUp();
        if (!_window) return;
        _camera.Save(rvSceneDisplay::_DefaultBuffer);
        rvSceneDisplay::ResizeDefaultBuffer(_nW, _nH);
        rvSceneDisplay::SetCurrentBuffer(nullptr);
    }
    void TearDown() override
    {
        if (_window)
        {
            rvSceneDisplay::Shutdown();
            _camera.Restore(rvSceneDisplay::_DefaultBuffer);
        }
        GLTest::TearDown();
    }

private:
    struct Camera
    {
        float fDist, fYaw, fPitch, fPanX, fPanY, fFov, fNear, fFar;
        glm::vec3 vPosition, vRotation, vScale, vBackColor;
        bool bFreeCam;
        void Save(const rvBufferDisplay& d)
        {
            fDist = d._fDist, fYaw = d._fYaw, fPitch = d._fPitch, fPanX = d._fPanX, fPanY = d._fPanY;
            fFov = d._fFov, fNear = d._fNear, fFar = d._fFar;
            vPosition = d._vPosition, vRotation = d._vRotation, vScale = d._vScale;
            vBackColor = d._vBackColor, bFreeCam = d._bFreeCam;
        }
        void Restore(rvBufferDisplay& d) const
        {
            d._fDist = fDist, d._fYaw = fYaw, d._fPitch = fPitch, d._fPanX = fPanX, d._fPanY = fPanY;
            d._fFov = fFov, d._fNear = fNear, d._fFar = fFar;
            d._vPosition = vPosition, d._vRotation = vRotation, d._vScale = vScale;
            d._vBackColor = vBackColor, d._bFreeCam = bFreeCam;
        }
    };
    int _nW, _nH;
    Camera _camera{};
};
} // namespace rvTest
