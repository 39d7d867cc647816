#pragma once

#include <cstdint>

namespace finbowl::art {

// SplitMix64 with a fixed seed: the library's engines and distributions may
// change between versions, and the committed pictures must not.
class Prng {
 public:
  explicit Prng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1), from the top 53 bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  double Range(double low, double high) { return low + (high - low) * Uniform(); }

  // Uniform in [0, n).
  int Below(int n) { return static_cast<int>(Uniform() * n); }

 private:
  std::uint64_t state_;
};

}  // namespace finbowl::art
