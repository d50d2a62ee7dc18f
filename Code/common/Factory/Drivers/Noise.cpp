#include "Noise.h"

#include <cmath>

namespace
{
// The permutation of Ken Perlin's reference implementation of improved noise.
const unsigned char s_aPerm[256] = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103, 30,
    69,  142, 8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,  197, 62,
    94,  252, 219, 203, 117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174, 20,  125, 136,
    171, 168, 68,  175, 74,  165, 71,  134, 139, 48,  27,  166, 77,  146, 158, 231, 83,  111, 229, 122,
    60,  211, 133, 230, 220, 105, 92,  41,  55,  46,  245, 40,  244, 102, 143, 54,  65,  25,  63,  161,
    1,   216, 80,  73,  209, 76,  132, 187, 208, 89,  18,  169, 200, 196, 135, 130, 116, 188, 159, 86,
    164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250, 124, 123, 5,   202, 38,  147, 118, 126,
    255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,  182, 189, 28,  42,  223, 183, 170, 213,
    119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101, 155, 167, 43,  172, 9,   129, 22,  39,  253,
    19,  98,  108, 110, 79,  113, 224, 232, 178, 185, 112, 104, 218, 246, 97,  228, 251, 34,  242, 193,
    238, 210, 144, 12,  191, 179, 162, 241, 81,  51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,
    181, 199, 106, 157, 184, 84,  204, 176, 115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,
    222, 114, 67,  29,  24,  72,  243, 141, 128, 195, 78,  66,  215, 61,  156, 180};

// Gradient of a hash: 1 to 8, negative when bit 3 is set.
inline float Grad(int h)
{
    float g = float((h & 7) + 1);
    return (h & 8) ? -g : g;
}

inline float Falloff(float d)
{
    float a = 1.0f - d * d;
    a *= a;
    return a * a;
}
} // namespace

const unsigned char* noisePermutation()
{
    return s_aPerm;
}

float noise1D(float x, int octaves, float persistence)
{
    if (!std::isfinite(x)) return 0.0f;
    int nPasses = octaves < 0 ? 1 : (octaves >= NOISE_MAX_PASSES ? NOISE_MAX_PASSES : octaves + 1);
    float amplitude = 1.0f;
    float sum = 0.0f;
    for (int pass = 0; pass < nPasses && std::isfinite(x); ++pass)
    {
        float fi = std::floor(x);
        float f = x - fi;
        // The cell's low 8 bits; far from 0, where an int would overflow, without one
        // (the fraction is 0 there anyway and the pass adds nothing).
        int i;
        if (std::fabs(fi) < 1.0e9f)
            i = int(fi) & 255;
        else
        {
            double cell = std::fmod(double(fi), 256.0);
            i = int(cell < 0.0 ? cell + 256.0 : cell) & 255;
        }
        float g0 = Grad(s_aPerm[i]);
        float g1 = Grad(s_aPerm[(i + 1) & 255]);
        float e0 = g0 * f * Falloff(f);
        float e1 = g1 * (f - 1.0f) * Falloff(f - 1.0f);
        sum += (e1 + e0) * 0.45f * amplitude;
        amplitude *= persistence;
        x *= 2.0f;
    }
    return sum;
}
