#pragma once

namespace finbowl {

// Takes out of this process's page tables the file pages it holds only for
// reading (the program's and the libraries' code and constants, fonts), and
// gives freed heap back to the system. Start-up touches far more of them than
// the running aquarium ever reads again, and on the virtual machines measured
// every wake-up of a process costs time in proportion to the pages it has
// mapped: ten frames a second pay for each leftover page ten times a second.
//
// The pages stay in the system's file cache; those still in use come back at
// their next touch, for a minor fault each. A mapping that holds private copies
// (relocated tables, anything ever written) is left alone, so no content is
// ever lost. Returns the number of bytes taken out, or -1 when the process's
// mappings could not be read.
long long ReleaseReadOnlyPages();

}  // namespace finbowl
