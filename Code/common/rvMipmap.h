#pragma once
// Mipmap levels made on the processor. A software GL renders each level of glGenerateMipmap
// through a blit of its own, about 60 ms per texture on llvmpipe, where halving the pixels here
// takes well under a millisecond.
#include <cstdint>
#include <vector>

// The level below a w x h image of `channels` interleaved values per pixel: max(1, w/2) x max(1, h/2),
// each value the mean of the 2x2 block at twice its position (rounded to nearest). On an odd
// side the block's second row or column is the last one of the image, so no value is read
// past the edge. T is uint8_t or uint16_t.
template <typename T>
std::vector<T> rvHalveImage(const T* pixels, int w, int h, int channels, int& outW, int& outH);

extern template std::vector<uint8_t> rvHalveImage(const uint8_t*, int, int, int, int&, int&);
extern template std::vector<uint16_t> rvHalveImage(const uint16_t*, int, int, int, int&, int&);
