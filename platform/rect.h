#pragma once

namespace finbowl {

// A rectangle of pixels: its top-left corner and its size.
struct Rect {
  int x = 0, y = 0, w = 0, h = 0;

  friend bool operator==(const Rect&, const Rect&) = default;
  bool empty() const { return w <= 0 || h <= 0; }
  long long Pixels() const { return empty() ? 0 : static_cast<long long>(w) * h; }
  // The part inside both; worked out without overflow for any coordinates.
  Rect Intersected(const Rect& other) const;
  // The smallest rectangle holding both; an empty one adds nothing.
  Rect United(const Rect& other) const;
};

// A copy of the rectangle `to` of a destination from the same-sized one at
// (sx, sy) of a source, cut down to what lies inside `destBounds` and whose
// source lies inside `sourceBounds`. Everything else is simply not copied.
// Any int arguments are safe: nothing overflows, and a copy that leaves
// nothing has an empty `to`.
struct Copy {
  Rect to;
  int sx = 0, sy = 0;
};
Copy ClipCopy(const Rect& destBounds, const Rect& to, const Rect& sourceBounds, int sx, int sy);

}  // namespace finbowl
