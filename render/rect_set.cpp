#include "render/rect_set.h"

namespace finbowl {

void RectSet::Add(const Rect& rect) {
  if (everything_ || rect.empty()) {
    return;
  }
  for (std::size_t i = 0; i < count_; ++i) {
    const Rect both = rects_[i].United(rect);
    if (both.Pixels() <= rects_[i].Pixels() + rect.Pixels()) {
      rects_[i] = both;
      return;
    }
  }
  if (count_ == kCapacity) {
    everything_ = true;
    return;
  }
  rects_[count_++] = rect;
}

void RectSet::Add(const RectSet& other) {
  if (other.everything_) {
    everything_ = true;
    return;
  }
  for (const Rect& rect : other.Rects()) {
    Add(rect);
  }
}

}  // namespace finbowl
