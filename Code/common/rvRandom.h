#pragma once
// The seeded generator of the simulations that must replay identically: a 32-bit linear
// congruential state (state * 1664525 + 1013904223) turned into a float in [0, 1) by taking
// 23 bits of the new state in reverse byte order (bits 24-31 low, 16-23 middle, 8-14 high).
#include <cstdint>

inline float rvRandomNext(uint32_t& nState)
{
    nState = nState * 1664525u + 1013904223u;
    const uint32_t s = nState;
    const uint32_t m = ((s >> 24) & 0xFFu) | (((s >> 16) & 0xFFu) << 8) | (((s >> 8) & 0x7Fu) << 16);
    return float(m) * (1.0f / 8388608.0f);
}
