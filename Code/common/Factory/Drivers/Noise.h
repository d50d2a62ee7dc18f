#pragma once
// One-dimensional octave noise, shared by the noise driver and the effects.

// Gradient noise in the simplex form summed over octaves + 1 passes; each pass doubles
// the frequency and multiplies the amplitude by the persistence. One pass stays roughly
// within -1 ... 1 (it can slightly exceed it). Octave counts below 0 count as 0 and very
// large ones are capped; a non-finite x gives 0.
float noise1D(float x, int octaves, float persistence);

// The most passes noise1D runs, whatever the caller asks (octaves + 1 is capped to this).
constexpr int NOISE_MAX_PASSES = 32;

// The 256-entry permutation the noise hashes cells with.
const unsigned char* noisePermutation();
