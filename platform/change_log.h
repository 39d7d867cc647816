#pragma once

#include <array>
#include <cstdint>

#include "platform/blit_rect.h"

namespace finbowl {

// A rectangle of a surface, in pixels.
struct Area {
  int x = 0, y = 0, w = 0, h = 0;
  friend bool operator==(const Area&, const Area&) = default;
  long long Pixels() const { return static_cast<long long>(w) * h; }
  // The smallest area holding both.
  Area Union(const Area& o) const {
    const int left = x < o.x ? x : o.x, top = y < o.y ? y : o.y;
    const int right = x + w > o.x + o.w ? x + w : o.x + o.w;
    const int bottom = y + h > o.y + o.h ? y + h : o.y + o.h;
    return {left, top, right - left, bottom - top};
  }
};

// Where a surface has been written, as a numbered list of rectangles that
// remembers the latest few dozen writes. A copy of one whole surface onto
// another that was a copy of it before needs to move only what either of the
// two has had written since; the log tells which parts those are, or that it
// no longer knows.
class ChangeLog {
 public:
  // Enough for the writes of two frames: one writes at most about twenty-five
  // (the parts the last frame changed, five fish and five bubbles of two
  // cells). The log is read on every frame, so it is kept to a page or less.
  static constexpr std::size_t kRemembered = 64;

  std::uint64_t Generation() const { return generation_; }

  void Record(const Area& area) {
    ++generation_;
    areas_[generation_ % kRemembered] = area;
  }
  // The whole surface changed (it was rebuilt, or overwritten in one go):
  // nothing from before can be brought up to date piece by piece.
  void RecordEverything() {
    ++generation_;
    everythingAt_ = generation_;
  }

  // Calls `visit` for each area written after generation `since` and returns
  // true; or returns false, visiting nothing, when those writes are no longer
  // all known.
  template <typename Visit>
  bool ForEachSince(std::uint64_t since, Visit&& visit) const {
    if (since > generation_ || everythingAt_ > since || generation_ - since > kRemembered) {
      return false;
    }
    for (std::uint64_t g = since + 1; g <= generation_; ++g) {
      visit(areas_[g % kRemembered]);
    }
    return true;
  }

 private:
  std::uint64_t generation_ = 1;
  std::uint64_t everythingAt_ = 1;
  std::array<Area, kRemembered> areas_{};
};

// A small set of areas that together cover every area added, gathered without
// allocating. An area that overlaps one already there so much that their union
// is no bigger than the two apart is merged into it: a fish that moved a few
// pixels is then one copy, not two. When the set overflows it stops taking
// areas and says so.
class AreaSet {
 public:
  // A frame's changes merge into a dozen or so; the set lives on the stack of
  // every whole-surface copy, so it is kept small.
  static constexpr std::size_t kCapacity = 32;

  bool Add(const Area& area) {
    if (area.w <= 0 || area.h <= 0) {
      return true;
    }
    for (std::size_t i = 0; i < count_; ++i) {
      const Area both = areas_[i].Union(area);
      if (both.Pixels() <= areas_[i].Pixels() + area.Pixels()) {
        areas_[i] = both;
        return true;
      }
    }
    if (count_ == kCapacity) {
      overflowed_ = true;
      return false;
    }
    areas_[count_++] = area;
    return true;
  }
  bool overflowed() const { return overflowed_; }
  std::size_t size() const { return count_; }
  const Area* begin() const { return areas_.data(); }
  const Area* end() const { return areas_.data() + count_; }
  long long TotalPixels() const {
    long long total = 0;
    for (std::size_t i = 0; i < count_; ++i) {
      total += areas_[i].Pixels();
    }
    return total;
  }

 private:
  std::array<Area, kCapacity> areas_{};
  std::size_t count_ = 0;
  bool overflowed_ = false;
};

}  // namespace finbowl
