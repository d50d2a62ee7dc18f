#pragma once
// Numbers read from files meet the program here: a float becomes an int only inside a range
// (a cast of NaN or of a value past INT_MAX is undefined), and a count or size is checked
// before it is trusted.
#include <cmath>
#include <cstddef>
#include <cstdint>

// v rounded towards zero and limited to [lo, hi]; NaN gives fallback.
inline int rvClampToInt(double v, int lo, int hi, int fallback)
{
    if (std::isnan(v)) return fallback;
    if (v <= double(lo)) return lo;
    if (v >= double(hi)) return hi;
    return int(v);
}

// True when every one of the n floats at p is finite.
inline bool rvAllFinite(const float* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(p[i])) return false;
    return true;
}

// v limited to [0, 1]; NaN gives 0.
inline float rvClampUnit(float v)
{
    if (!(v > 0.f)) return 0.f;
    return v < 1.f ? v : 1.f;
}
