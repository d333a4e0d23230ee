#pragma once
// A small seeded random source (splitmix64): the same seed gives the same
// stored tests, drift and noise on every machine and library version.

#include <cstdint>

class Random {
public:
    explicit Random(uint64_t seed) : state(seed) {}

    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * double(next() >> 11) * 0x1.0p-53; }

    // Uniform in [lo, hi], both included.
    int between(int lo, int hi) { return lo + int(next() % uint64_t(hi - lo + 1)); }

private:
    uint64_t state;
};
