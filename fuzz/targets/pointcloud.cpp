// Point clouds (".data": frames of 8-float points, normalised in place) and clips (".clip.data":
// frames of three int16 per point), read as the point-cloud extruder reads them; every point of
// every frame is then visited.
#include "FuzzTarget.h"

#include "effects/fxExtruder/fxExtruder.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (bool bClip : {false, true})
    {
        std::vector<uint8_t> bytes(data, data + size);
        std::vector<fxExtruder::Frame> frames;
        if (!fxExtruder::ParseFrames(bytes, bClip, frames, nullptr)) continue;
        volatile float sum = 0.0f;
        for (const fxExtruder::Frame& f : frames)
            for (int32_t j = 0; j < f.nPointCount; ++j)
            {
                if (f._pPackedPoints)
                    sum = sum + float(f._pPackedPoints[j].x + f._pPackedPoints[j].y + f._pPackedPoints[j].z);
                else
                {
                    float p[3];
                    std::memcpy(p, f._pFloatPoints + 8 * j, sizeof(p));
                    sum = sum + p[0] + p[1] + p[2];
                }
            }
    }
    return 0;
}
