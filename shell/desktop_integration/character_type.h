#pragma once

namespace finbowl {

// Makes the character type that Qt will take from the environment a UTF-8
// one, leaving every other part of the user's locale as the C library reads
// it now. Qt depends on UTF-8 text; handed a locale that is not (LANG unset,
// C, POSIX, a legacy encoding), recent versions switch the character type to
// C.UTF-8 themselves, but only after four lines of warning on stderr. Call
// first thing in main, while the process has one thread.
void ChooseUtf8CharacterType();

}  // namespace finbowl
