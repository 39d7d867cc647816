#pragma once

#include <array>
#include <cstddef>

namespace finbowl {

// A rectangle of a surface, in pixels.
struct Area {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const Area&, const Area&) = default;
  bool empty() const { return w <= 0 || h <= 0; }
  long long Pixels() const { return empty() ? 0 : static_cast<long long>(w) * h; }
  // The smallest area holding both.
  Area Union(const Area& o) const;
  // The part of this area inside the `width` x `height` rectangle at the origin.
  Area ClippedTo(int width, int height) const;
};

// A small set of areas that together cover every area added, gathered without
// allocating. An area that overlaps one already there so much that their union
// is no bigger than the two apart is merged into it: a fish that moved a few
// pixels is then one copy, not two. A set that runs out of room stands for
// everything from then on (`covers everything`), which is always safe.
class AreaSet {
 public:
  // A frame with five fish and their bubbles, and the frame before it, merge
  // into a dozen or so areas.
  static constexpr std::size_t kCapacity = 32;

  void Add(const Area& area);
  void Add(const AreaSet& other);
  void AddEverything() { everything_ = true; }
  void Clear() { *this = AreaSet(); }

  bool CoversEverything() const { return everything_; }
  bool empty() const { return !everything_ && count_ == 0; }
  // The areas; meaningless while the set covers everything.
  const Area* begin() const { return areas_.data(); }
  const Area* end() const { return areas_.data() + count_; }

 private:
  std::array<Area, kCapacity> areas_{};
  std::size_t count_ = 0;
  bool everything_ = false;
};

}  // namespace finbowl
