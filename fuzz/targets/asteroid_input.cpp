// Recorded game input ("Data/input/Asteroid.input"): any bytes replayed by the asteroid game,
// headless on a display that only collects geometry, for as many steps as there are bytes (at
// most 20 s of game).
#include "FuzzTarget.h"

#include "effects/fxAsteroid/fxAsteroid.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>

namespace
{
uint8_t NoKeys()
{
    return 0;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vector_display* display = nullptr;
    vector_display_create(&display, 64, 64);
    rvSceneDisplay::_pCurrentDisplay = display;
    fxAsteroid::_pfnPollInput = &NoKeys;
    auto* game = static_cast<fxAsteroid*>(fxAsteroid::Create(fxAsteroid::GetDescriptor()));
    game->_sRecordFile.clear();
    const size_t steps = std::min<size_t>(size, 1200);
    game->_nEnd = int(steps) + 60;
    game->SetState(State_DemoStarted);
    game->_aInputs.assign(data, data + size);
    game->SetState(State_EffectStarted);
    game->_fPendingDelta = 0.0f;
    for (size_t i = 0; i <= steps; ++i)
    {
        display->npoints = 0;
        display->ntriangles = 0;
        game->Update();
        game->_fPendingDelta = 1.0f / 60.0f;
    }
    game->SetState(State_DemoStoped);
    delete game;
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    vector_display_destroy(display);
    return 0;
}
