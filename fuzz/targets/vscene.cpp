// ".vscene" files: a tree of polylines read from any bytes, then written back.
#include "FuzzTarget.h"

#include "VectorScene/VectorScene.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* cursor = reinterpret_cast<const char*>(data);
    VectorScene scene;
    if (!scene.LoadBinary(cursor, cursor + size)) return 0;
    if (FILE* sink = std::fopen("/dev/null", "wb"))
    {
        scene.SaveBinary(sink);
        std::fclose(sink);
    }
    return 0;
}
