#pragma once

namespace finbowl {

// Qt's messages while the QApplication is being made. When the display that
// is named does not answer (a server gone, a socket that is not there), Qt
// explains over several lines, tells the user to reinstall, and aborts with
// a core dump. Held back here, the reasons become one line of ours, and the
// program ends with status 1. Once the platform is up, the held messages go
// out in their order, as Qt would have written them.
//
// Make one right before the QApplication and call Release right after it.
class HeldStartMessages {
 public:
  HeldStartMessages();
  ~HeldStartMessages() { Release(); }
  HeldStartMessages(const HeldStartMessages&) = delete;
  HeldStartMessages& operator=(const HeldStartMessages&) = delete;

  void Release();

 private:
  bool holding_ = true;
};

}  // namespace finbowl
