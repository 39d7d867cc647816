#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "platform/rect.h"

namespace finbowl {

// A small set of rectangles that together cover every rectangle added,
// gathered without allocating. A rectangle that overlaps one already there so
// much that their union is no bigger than the two apart is merged into it: a
// fish that moved a few pixels is then one copy, not two. A set that runs out
// of room stands for everything from then on, which is always safe.
class RectSet {
 public:
  // A frame with five fish and their bubbles, and the frame before it, merge
  // into a dozen or so rectangles.
  static constexpr std::size_t kCapacity = 32;

  void Add(const Rect& rect);
  void Add(const RectSet& other);
  void AddEverything() { everything_ = true; }
  void Clear() { *this = RectSet(); }

  bool CoversEverything() const { return everything_; }
  // The rectangles; meaningless while the set covers everything.
  std::span<const Rect> Rects() const { return {rects_.data(), count_}; }

 private:
  std::array<Rect, kCapacity> rects_{};
  std::size_t count_ = 0;
  bool everything_ = false;
};

}  // namespace finbowl
