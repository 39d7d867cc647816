#pragma once

#include <cstdint>

namespace finbowl {

// Where the aquarium's randomness comes from: uniform values in [0, 1), and a
// reseed from the clock at the points the behaviour asks for. Tests substitute
// a source that returns scripted values.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual double Uniform() = 0;
  virtual void Reseed() = 0;
};

// Nanoseconds of a monotonic clock.
std::uint64_t SteadyClockNanoseconds();

// A small generator (splitmix64) whose reseed folds the clock reading into the
// current state instead of restarting from the clock alone. Several reseeds fall
// within one frame, often within one clock reading; restarting would make every
// fish of the frame draw the same values and swim in step.
class ClockRandom final : public RandomSource {
 public:
  using Clock = std::uint64_t (*)();
  explicit ClockRandom(Clock clock = SteadyClockNanoseconds, std::uint64_t seed = 0);

  double Uniform() override;
  void Reseed() override;

 private:
  std::uint64_t Next();

  Clock clock_;
  std::uint64_t state_;
};

// round(v) with halves going to the even neighbour, and floor(v), both stored
// into a 16-bit field. The values the aquarium forms stay far inside its
// range; past its ends they wrap round, as 16-bit sums do.
std::int16_t RoundHalfEven(double v);
std::int16_t FloorTo16(double v);

}  // namespace finbowl
