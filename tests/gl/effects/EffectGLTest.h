#pragma once
// Fixture of the effect render tests: the hidden window's context and a "Default" render buffer of
// the given size, made current; the scene display is shut down after the test.
#include "GLTestContext.h"

#include "rvSceneDisplay.h"

namespace rvTest
{
template <int W, int H> class EffectGLTest : public GLTest
{
protected:
    static constexpr int kW = W, kH = H;

    void SetUp() override
    {
        GLTest::SetUp();
        if (!_window) return;
        rvSceneDisplay::ResizeDefaultBuffer(kW, kH);
        rvSceneDisplay::SetCurrentBuffer(nullptr, true);
    }
    void TearDown() override
    {
        if (_window)
        {
            Release();
            rvSceneDisplay::Shutdown();
        }
        GLTest::TearDown();
    }
    // What a test holds on the context, released before the scene display goes.
    virtual void Release() {}
};
} // namespace rvTest
