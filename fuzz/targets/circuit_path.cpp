// The circuit board's path picture: decoded with its size limit, its entry points found and
// electrons spawned and walked for a few steps along its traces, at a fixed step.
#include "FuzzTarget.h"

#include "effects/fxBackCircuit/fxBackCircuit.h"

#include <climits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > size_t(INT_MAX)) return 0;
    static fxBackCircuit* s_pEffect =
        static_cast<fxBackCircuit*>(fxBackCircuit::Create(fxBackCircuit::RegisterAttributes()));
    fxBackCircuit& fx = *s_pEffect;
    fx._vElectrons.clear();
    fx._vEntryPoints.clear();
    if (!fx.LoadPath(data, int(size))) return 0;
    // The walk is bounded by the picture's area: a large picture is decoded, not walked.
    if (size_t(fx._imgWidth) * size_t(fx._imgHeight) > (1u << 20)) return 0;
    fx.FindEntryPoints();
    fx._fDeltaTime = 1.f / 30.f;
    for (int i = 0; i < 50; ++i)
    {
        fxBackCircuit::ELECTRON e;
        fx.SpawnElectron(e, i % 3 == 2 ? -1 : 2);
        fx._vElectrons.push_back(e);
    }
    for (int step = 0; step < 20; ++step)
        for (fxBackCircuit::ELECTRON& e : fx._vElectrons)
            fx.MoveElectron(e, fx._fDeltaTime);
    return 0;
}
