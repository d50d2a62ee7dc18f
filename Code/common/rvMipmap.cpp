#include "rvMipmap.h"

#include <algorithm>

template <typename T>
std::vector<T> rvHalveImage(const T* pixels, int w, int h, int channels, int& outW, int& outH)
{
    outW = std::max(1, w / 2);
    outH = std::max(1, h / 2);
    std::vector<T> out(size_t(outW) * size_t(outH) * size_t(channels));
    const size_t stride = size_t(w) * size_t(channels);
    for (int y = 0; y < outH; ++y)
    {
        const T* row0 = pixels + size_t(std::min(2 * y, h - 1)) * stride;
        const T* row1 = pixels + size_t(std::min(2 * y + 1, h - 1)) * stride;
        T* dst = out.data() + size_t(y) * size_t(outW) * size_t(channels);
        for (int x = 0; x < outW; ++x)
        {
            const size_t c0 = size_t(std::min(2 * x, w - 1)) * size_t(channels);
            const size_t c1 = size_t(std::min(2 * x + 1, w - 1)) * size_t(channels);
            for (int c = 0; c < channels; ++c)
            {
                const uint32_t sum = uint32_t(row0[c0 + c]) + row0[c1 + c] + row1[c0 + c] + row1[c1 + c];
                dst[size_t(x) * size_t(channels) + size_t(c)] = T((sum + 2) / 4);
            }
        }
    }
    return out;
}

template std::vector<uint8_t> rvHalveImage(const uint8_t*, int, int, int, int&, int&);
template std::vector<uint16_t> rvHalveImage(const uint16_t*, int, int, int, int&, int&);
