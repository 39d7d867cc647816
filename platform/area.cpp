#include "platform/area.h"

#include <algorithm>

namespace finbowl {

Area Area::Union(const Area& o) const {
  if (o.empty()) {
    return *this;
  }
  if (empty()) {
    return o;
  }
  const int left = std::min(x, o.x), top = std::min(y, o.y);
  const int right = std::max(x + w, o.x + o.w), bottom = std::max(y + h, o.y + o.h);
  return {left, top, right - left, bottom - top};
}

Area Area::ClippedTo(int width, int height) const {
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = std::min(x + w, width), bottom = std::min(y + h, height);
  if (right <= left || bottom <= top) {
    return {};
  }
  return {left, top, right - left, bottom - top};
}

void AreaSet::Add(const Area& area) {
  if (everything_ || area.empty()) {
    return;
  }
  for (std::size_t i = 0; i < count_; ++i) {
    const Area both = areas_[i].Union(area);
    if (both.Pixels() <= areas_[i].Pixels() + area.Pixels()) {
      areas_[i] = both;
      return;
    }
  }
  if (count_ == kCapacity) {
    everything_ = true;
    return;
  }
  areas_[count_++] = area;
}

void AreaSet::Add(const AreaSet& other) {
  if (other.everything_) {
    everything_ = true;
    return;
  }
  for (const Area& area : other) {
    Add(area);
  }
}

}  // namespace finbowl
