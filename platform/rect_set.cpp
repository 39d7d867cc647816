#include "platform/rect_set.h"

#include <algorithm>

namespace finbowl {
namespace {

// The smallest rectangle holding both; an empty one adds nothing.
Rect United(const Rect& a, const Rect& b) {
  if (a.empty() || b.empty()) {
    return a.empty() ? b : a;
  }
  const int left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  return {left, top, std::max(a.x + a.w, b.x + b.w) - left, std::max(a.y + a.h, b.y + b.h) - top};
}

long long Pixels(const Rect& r) {
  return r.empty() ? 0 : static_cast<long long>(r.w) * r.h;
}

}  // namespace

void RectSet::Add(const Rect& rect) {
  if (everything_ || rect.empty()) {
    return;
  }
  for (std::size_t i = 0; i < count_; ++i) {
    const Rect both = United(rects_[i], rect);
    if (Pixels(both) <= Pixels(rects_[i]) + Pixels(rect)) {
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
