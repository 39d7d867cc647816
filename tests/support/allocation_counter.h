#pragma once

namespace finbowl::testing {

// Counts the calls of operator new made between Start and Stop. Linking this
// replaces the program's operator new; outside a count it only allocates.
class AllocationCount {
 public:
  AllocationCount();  // starts counting
  long Stop();        // stops and returns the count
};

// The bytes held at this moment by blocks from operator new that have not
// been deleted, whoever made them (the program or the toolkit), for tests of
// memory that must not grow.
long LiveBytes();

}  // namespace finbowl::testing
