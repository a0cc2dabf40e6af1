// Deterministic integer hash and 2-D value noise behind stroke roughness and
// particle jitter: the same input gives the same value on every thread.
#pragma once

#include <cstdint>

// A float in [-1, 1] for lattice index (or seed) n.
float LatticeHash(int32_t n);

// Smoothly interpolated lattice noise in [-1, 1]; at integer points it equals
// LatticeHash of that lattice index (y * 57 + x).
float ValueNoise2D(float x, float y);
