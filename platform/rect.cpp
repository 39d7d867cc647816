#include "platform/rect.h"

#include <algorithm>
#include <cstdint>

namespace finbowl {
namespace {

// [left, right) x [top, bottom), wide enough for any sum of two ints.
struct Span {
  std::int64_t left, top, right, bottom;

  explicit Span(const Rect& r, std::int64_t dx = 0, std::int64_t dy = 0)
      : left(r.x + dx), top(r.y + dy), right(left + r.w), bottom(top + r.h) {}
  Span& Meet(const Span& o) {
    left = std::max(left, o.left);
    top = std::max(top, o.top);
    right = std::min(right, o.right);
    bottom = std::min(bottom, o.bottom);
    return *this;
  }
  // Only once met with a rectangle of ints, whose range it then has.
  Rect ToRect() const {
    if (right <= left || bottom <= top) {
      return {};
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
  }
};

}  // namespace

Rect Rect::Intersected(const Rect& other) const {
  return empty() || other.empty() ? Rect{} : Span(*this).Meet(Span(other)).ToRect();
}

Copy ClipCopy(const Rect& destBounds, const Rect& to, const Rect& sourceBounds, int sx, int sy) {
  if (to.empty() || sourceBounds.empty()) {
    return {};
  }
  // The source's bounds where they fall in the destination.
  const std::int64_t dx = std::int64_t{to.x} - sx, dy = std::int64_t{to.y} - sy;
  const Rect cut = Span(to).Meet(Span(destBounds)).Meet(Span(sourceBounds, dx, dy)).ToRect();
  if (cut.empty()) {
    return {};
  }
  return {cut, static_cast<int>(cut.x - dx), static_cast<int>(cut.y - dy)};
}

}  // namespace finbowl
