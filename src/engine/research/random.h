#pragma once

#include <cstdint>

namespace tav {

// A small seeded generator whose sequence is fixed by its definition
// (SplitMix64), so a seed gives the same draws on every platform and library.
class SplitMix64 {
  public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in 0 ... n - 1 (n > 0), without the bias of a plain modulo.
    uint64_t below(uint64_t n) {
        const uint64_t limit = UINT64_MAX - UINT64_MAX % n;
        for (;;) {
            const uint64_t x = next();
            if (x < limit) return x % n;
        }
    }

  private:
    uint64_t state_;
};

}  // namespace tav
