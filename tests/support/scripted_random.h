#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/random_source.h"

namespace finbowl::testing {

// A random source that hands out scripted uniform values in order and records
// every call: 'R' for a reseed, 'U' for a draw. A test checks the order of
// reseeds and draws with Calls() as well as the outcome. Running out of values,
// scripting a value outside [0, 1), or leaving values unused when the source
// goes away fails the current test.
class ScriptedRandom final : public RandomSource {
 public:
  ScriptedRandom() = default;
  ScriptedRandom(std::initializer_list<double> values);
  explicit ScriptedRandom(const std::vector<double>& values);
  ~ScriptedRandom() override;
  ScriptedRandom(const ScriptedRandom&) = delete;
  ScriptedRandom& operator=(const ScriptedRandom&) = delete;

  // Appends values to the script.
  void Push(std::initializer_list<double> values);
  void Push(const std::vector<double>& values);

  double Uniform() override;
  void Reseed() override;

  // The calls so far, e.g. "RUURU".
  const std::string& Calls() const { return calls_; }
  // The calls so far, and forgets them, for checking one step at a time.
  std::string TakeCalls();
  // Scripted values not yet drawn.
  std::size_t Left() const { return values_.size() - next_; }

 private:
  std::vector<double> values_;
  std::size_t next_ = 0;
  std::string calls_;
};

}  // namespace finbowl::testing
