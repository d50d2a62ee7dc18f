#pragma once
// Fixture of the vector-effect tests that need no window: a vector display (geometry only) and a
// render buffer without GL objects made current, effects created through their class, frames run
// as the timeline runs them, and the points the display collected.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../Factory/EffectTestSupport.h"
#include "Display/rvBufferDisplay.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace rvTest
{
class VectorEffectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TheFactory();
        vector_display_create(&_pDisplay, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _pDisplay;
        _pBuffer.reset(new rvBufferDisplay());
        _pBuffer->_nWidth = 640;
        _pBuffer->_nHeight = 360;
        rvSceneDisplay::_pCurrentBuffer = _pBuffer.get();
    }
    void TearDown() override
    {
        for (auto& e : _apEffects)
            e->SetState(State_DemoStoped);
        _apEffects.clear();
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        rvSceneDisplay::_pCurrentBuffer = nullptr;
        _pBuffer->_nWidth = _pBuffer->_nHeight = 0; // it holds no GL objects
        _pBuffer.reset();
        vector_display_destroy(_pDisplay);
    }

    // An effect of class T, stopped and deleted with the fixture.
    template <class T> T* New()
    {
        T* e = static_cast<T*>(T::Create(T::RegisterAttributes()));
        _apEffects.emplace_back(e);
        return e;
    }

    // One frame: started when needed (time 0), otherwise advanced by dt; rendered.
    static void Frame(fxBase& e, float dt = 0.0f)
    {
        if (e._eState != State_EffectStarted)
            e.SetState(State_EffectStarted);
        else
            e._fPendingDelta = dt;
        e.Update();
    }

    void ClearPoints()
    {
        _pDisplay->npoints = 0;
        _pDisplay->nlines = 0;
        _pDisplay->ndots = 0;
    }

    std::vector<vector_display_point> Points() const
    {
        return std::vector<vector_display_point>(_pDisplay->points, _pDisplay->points + _pDisplay->npoints);
    }

    // The points of the strips drawn, without the adjacency points, one list per strip; lines
    // added on their own come as two-point strips.
    std::vector<std::vector<vector_display_point>> Strips() const
    {
        std::vector<std::vector<vector_display_point>> strips;
        const std::vector<vector_display_point> pts = Points();
        for (size_t i = 0; i < pts.size(); ++i)
        {
            if (pts[i].flags & PTF_LINE_STRIPSTART)
            {
                strips.emplace_back();
                continue;
            }
            if (pts[i].flags & PTF_LINE_STRIPEND)
            {
                // A one-point strip repeats its end twice.
                if (i + 1 < pts.size() && (pts[i + 1].flags & PTF_LINE_STRIPEND)) ++i;
                continue;
            }
            if (!strips.empty()) strips.back().push_back(pts[i]);
        }
        return strips;
    }

    vector_display* _pDisplay = nullptr;
    std::unique_ptr<rvBufferDisplay> _pBuffer;
    std::vector<std::unique_ptr<fxBase>> _apEffects;
};
} // namespace rvTest
