// The loading bar's progress table ("name;bytes;reader" lines): the total read from any text,
// then bytes counted against it, as the loading pass reports its reads.
#include "FuzzTarget.h"

#include "Loader/rvLoader.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text = rvFuzz::Text(data, size);
    FILE* table = fmemopen(&text[0], text.size() ? text.size() : 1, "rb");
    if (!table) return 0;
    rvLoader::_nTotal = 0;
    rvLoader::_nLoaded = 0;
    rvLoader::AddTable(table);
    std::fclose(table);
    for (int bytes : {0, -1, 1, 4096, 1 << 30, 1 << 30, 2147483647})
    {
        rvLoader::Advance(bytes);
        const float fraction = rvLoader::Fraction();
        if (!(fraction >= 0.f && fraction <= 1.f) && rvLoader::_nTotal > 0) __builtin_trap();
    }
    return 0;
}
