#pragma once
// Fixture of the render tests that play a list of effects frame by frame with a fixed step
// through the whole frame path (frame begin, effects updated in list order, present), as the
// timeline plays them, and read "Default" back (pixels through the helpers of RenderHelpers.h).
#include "EffectGLTest.h"
#include "RenderHelpers.h"
#include "TestSupport.h"

#include "Factory/fxBase.h"

#include <memory>
#include <vector>

namespace rvTest
{
template <int W, int H> class EffectListGLTest : public EffectGLTest<W, H>
{
protected:
    using EffectGLTest<W, H>::kW;
    using EffectGLTest<W, H>::kH;

    void Release() override
    {
        for (auto& e : _apEffects)
            e->SetState(State_DemoStoped);
        _apEffects.clear();
    }

    template <class T> T* Add()
    {
        T* e = static_cast<T*>(T::Create(T::RegisterAttributes()));
        _apEffects.emplace_back(e);
        return e;
    }

    // One frame: begin, every effect started and advanced by dt in list order, present.
    void Frame(float dt)
    {
        rvSceneDisplay::BeginFrame(this->_window);
        for (auto& e : _apEffects)
        {
            if (e->_eState != State_EffectStarted)
                e->SetState(State_EffectStarted);
            else
                e->_fPendingDelta = dt;
            e->Update();
        }
        rvSceneDisplay::PresentFrame(false);
    }

    // "Default"'s picture of the frame just presented, also saved under the build directory.
    void Grab(RenderTarget& shot, const std::string& png)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, rvSceneDisplay::_DefaultBuffer._glFrameBuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shot.Framebuffer());
        glBlitFramebuffer(0, 0, kW, kH, 0, 0, kW, kH, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_TRUE(shot.SavePNG(BinaryPath(png)));
    }

    std::vector<std::unique_ptr<fxBase>> _apEffects;
};
} // namespace rvTest
