#pragma once

namespace finbowl::testing {

// Counts the calls of operator new made between Start and Stop. Linking this
// replaces the program's operator new; outside a count it only allocates.
class AllocationCount {
 public:
  AllocationCount();  // starts counting
  long Stop();        // stops and returns the count
};

}  // namespace finbowl::testing
