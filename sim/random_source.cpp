#include "sim/random_source.h"

#include <time.h>

#include <cmath>

namespace finbowl {
namespace {

std::uint64_t Mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ull;

}  // namespace

std::uint64_t SteadyClockNanoseconds() {
  // Read straight from the C library (the vDSO): std::chrono's clock is a call
  // into the C++ runtime, and a frame reads the clock for every fish.
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
         static_cast<std::uint64_t>(now.tv_nsec);
}

ClockRandom::ClockRandom(Clock clock, std::uint64_t seed) : clock_(clock), state_(Mix(seed)) {}

std::uint64_t ClockRandom::Next() {
  state_ += kGolden;
  return Mix(state_);
}

double ClockRandom::Uniform() {
  // The top 53 bits give every double of the form k / 2^53 in [0, 1).
  return static_cast<double>(Next() >> 11) * 0x1.0p-53;
}

void ClockRandom::Reseed() {
  state_ = Mix(state_ ^ Mix(clock_())) + kGolden;
}

namespace {

// A whole number into 16 bits, wrapping round past the ends of the range as
// 16-bit sums do (two's complement), where a bare conversion would be
// undefined. Only a damaged table brings a fish that far.
std::int16_t WrapTo16(double whole) {
  if (!std::isfinite(whole)) {
    return 0;
  }
  // fmod is exact, and leaves a value a 32-bit integer holds.
  return static_cast<std::int16_t>(static_cast<std::int32_t>(std::fmod(whole, 65536.0)));
}

}  // namespace

std::int16_t RoundHalfEven(double v) {
  return WrapTo16(std::nearbyint(v));
}

std::int16_t FloorTo16(double v) {
  return WrapTo16(std::floor(v));
}

}  // namespace finbowl
