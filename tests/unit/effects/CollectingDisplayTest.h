#pragma once
// Fixture of the effect tests that need no window: a vector display that only collects geometry,
// made current for the test, and effects that are driven down before they are deleted.
#include <gtest/gtest.h>

#include <memory>

#include "../Factory/EffectTestSupport.h"
#include "EffectPtr.h"
#include "RenderHelpers.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

namespace rvTest
{
class CollectingDisplayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TheFactory();
        vector_display_create(&_pDisplay, 640, 360);
        rvSceneDisplay::_pCurrentDisplay = _pDisplay;
    }
    void TearDown() override
    {
        rvSceneDisplay::_pCurrentDisplay = nullptr;
        vector_display_destroy(_pDisplay);
    }
    // One frame of dt seconds on an emptied display (the effect is started first when needed).
    void Frame(fxBase& e, float dt)
    {
        _pDisplay->npoints = 0;
        _pDisplay->ndots = 0;
        e.SetState(State_EffectStarted);
        e._fPendingDelta = dt;
        e.Update();
    }
    // Number of strips drawn since the display was emptied.
    int Strips() const { return int(rvTest::Strips(_pDisplay).size()); }
    vector_display* _pDisplay = nullptr;
};
} // namespace rvTest
