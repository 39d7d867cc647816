#include "support/scripted_random.h"

#include <gtest/gtest.h>

namespace finbowl::testing {

ScriptedRandom::ScriptedRandom(std::initializer_list<double> values) {
  Push(values);
}

ScriptedRandom::ScriptedRandom(const std::vector<double>& values) {
  Push(values);
}

ScriptedRandom::~ScriptedRandom() {
  if (Left() != 0) {
    ADD_FAILURE() << "scripted random values left unused: " << Left()
                  << " of them, after the calls \"" << calls_ << "\"";
  }
}

void ScriptedRandom::Push(std::initializer_list<double> values) {
  Push(std::vector<double>(values));
}

void ScriptedRandom::Push(const std::vector<double>& values) {
  for (const double v : values) {
    if (!(v >= 0.0 && v < 1.0)) {
      ADD_FAILURE() << "scripted random value " << v << " is outside [0, 1)";
    }
    values_.push_back(v);
  }
}

double ScriptedRandom::Uniform() {
  calls_ += 'U';
  if (next_ == values_.size()) {
    ADD_FAILURE() << "scripted random values ran out at the calls \"" << calls_ << "\"";
    return 0.0;
  }
  return values_[next_++];
}

void ScriptedRandom::Reseed() {
  calls_ += 'R';
}

std::string ScriptedRandom::TakeCalls() {
  std::string taken;
  taken.swap(calls_);
  return taken;
}

}  // namespace finbowl::testing
