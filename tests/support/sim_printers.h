#pragma once

#include <ostream>

#include "sim/fish_table.h"

namespace finbowl {

// Readable records in test failures; found by GoogleTest through the namespace.
inline void PrintTo(const Fish& f, std::ostream* os) {
  *os << "Fish{x " << f.x << ", y " << f.y << ", dir " << f.dir << ", frameX " << f.frameX
      << ", sheet " << f.sheet << ", rising " << f.rising << "}";
}

inline void PrintTo(const Bubble& b, std::ostream* os) {
  *os << "Bubble{active " << b.active << ", x " << b.x << ", y " << b.y << "}";
}

}  // namespace finbowl
