#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

namespace finbowl {

// A timer that runs its tick on the user-interface thread every interval, on a
// fixed schedule: a tick that comes late does not shift the ones after it, and
// ticks that fell due while the thread was busy are dropped, not bunched up.
//
// Where the event loop waits through GLib (Qt's own choice on Linux), a timer
// made InWait runs a tick that falls due while the loop waits right there,
// inside the wait, and the loop goes on waiting. An idle tick then costs no
// trip through the toolkit's event dispatch, which measured as most of what
// a tick costs when it does little else. Such a tick still runs between two
// event handlers, never inside one, and in the nested loops of modal windows
// too; but it runs before the loop has looked at what else is due, so it must
// not paint through the toolkit or start its timers (the toolkit would not
// wake for them in time). Posting events is fine: that wakes the loop.
// Anywhere else, and for ticks made ThroughEventLoop, it is a precise QTimer.
class PeriodicTimer {
 public:
  enum class Dispatch { InWait, ThroughEventLoop };

  PeriodicTimer(Dispatch dispatch, std::function<void()> tick);
  ~PeriodicTimer();
  PeriodicTimer(const PeriodicTimer&) = delete;
  PeriodicTimer& operator=(const PeriodicTimer&) = delete;

  // The first tick comes one interval from now. Starting again restarts.
  void Start(int intervalMilliseconds);
  void Stop();
  bool IsActive() const { return active_; }
  int Interval() const { return intervalMs_; }
  // Whether the ticks run inside the event loop's wait.
  bool RunsInWait() const { return inWait_; }
  // Ticks run so far.
  std::uint64_t Ticks() const { return ticks_; }

 private:
  friend struct WaitTicks;
  void Tick();

  std::function<void()> tick_;
  bool inWait_ = false;
  bool active_ = false;
  int intervalMs_ = 0;
  std::uint64_t ticks_ = 0;
  std::int64_t dueNs_ = 0;  // on the monotonic clock, while in the wait
  QTimer timer_;            // otherwise
};

}  // namespace finbowl
