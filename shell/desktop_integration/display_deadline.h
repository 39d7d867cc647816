#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace finbowl {

// How long the display may take to answer while the toolkit connects to it.
// A display on a loaded machine answers within a fraction of a second; one
// that has accepted the connection and never answers (a stopped server, a
// socket nobody serves) would keep the toolkit waiting for ever.
inline constexpr std::chrono::seconds kDisplayAnswerLimit{5};

// Watches the toolkit's start, from construction to Stop: if that takes
// longer than the limit, the display is said not to answer, in one line on
// stderr naming it, and the process ends with status 1. Nothing of ours has
// been read or written by then, SET included.
//
// Make one right before the QApplication and call Stop right after it.
class DisplayDeadline {
 public:
  explicit DisplayDeadline(std::chrono::seconds limit = kDisplayAnswerLimit);
  ~DisplayDeadline() { Stop(); }
  DisplayDeadline(const DisplayDeadline&) = delete;
  DisplayDeadline& operator=(const DisplayDeadline&) = delete;

  void Stop();

 private:
  std::mutex lock_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::thread watch_;
};

}  // namespace finbowl
