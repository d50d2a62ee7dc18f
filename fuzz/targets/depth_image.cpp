// Depth images ("./Data/depth.data": int32 width, height, bytes per sample, then 16-bit samples),
// checked against their header and read as the depth line effect reads them.
#include "FuzzTarget.h"

#include "effects/fxDepthLine/fxDepthLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fxDepthLine::DepthImage image;
    if (fxDepthLine::ParseDepthImage(data, size, image, nullptr))
    {
        volatile unsigned sum = 0;
        for (uint16_t s : image.aSamples)
            sum = sum + s;
    }
    return 0;
}
