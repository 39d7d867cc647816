#include "platform/periodic_timer.h"

#include <glib.h>
#include <pthread.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <climits>
#include <vector>

#include "sim/random_source.h"

namespace finbowl {
namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kNever = INT64_MAX;

// The schedule runs on the monotonic clock the fish's randomness reads too.
std::int64_t NowNs() {
  return static_cast<std::int64_t>(SteadyClockNanoseconds());
}

// Qt's GLib dispatcher waits in GLib's default context on the main thread.
bool LoopWaitsInGlib() {
  const QCoreApplication* app = QCoreApplication::instance();
  const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  return app && dispatcher && QThread::currentThread() == app->thread() &&
         dispatcher->inherits("QEventDispatcherGlib");
}

}  // namespace

// GLib's hook for the wait carries no data of its own, so the timers it serves
// are kept here. Only the user-interface thread touches them.
struct WaitTicks {
  static void Add(PeriodicTimer* timer) {
    if (std::find(timers.begin(), timers.end(), timer) != timers.end()) {
      return;
    }
    if (timers.empty()) {
      previous = g_main_context_get_poll_func(g_main_context_default());
      g_main_context_set_poll_func(g_main_context_default(), &Poll);
      owner = pthread_self();
    }
    timers.push_back(timer);
  }

  static void Remove(PeriodicTimer* timer) {
    const auto it = std::find(timers.begin(), timers.end(), timer);
    if (it == timers.end()) {
      return;
    }
    timers.erase(it);
    if (timers.empty()) {
      g_main_context_set_poll_func(g_main_context_default(), previous);
    }
  }

  // Stands in for poll(): waits like it for GLib's descriptors and timeout,
  // and runs the ticks that fall due meanwhile without returning to GLib.
  static gint Poll(GPollFD* fds, guint count, gint timeoutMs) {
    const GPollFunc wait = previous;
    // Should another thread ever wait in the default context, it waits plainly:
    // ticks belong to the user-interface thread.
    if (!pthread_equal(pthread_self(), owner)) {
      return wait(fds, count, timeoutMs);
    }
    const std::int64_t loopDue =
        timeoutMs < 0 ? kNever : NowNs() + std::int64_t{timeoutMs} * kNsPerMs;
    for (;;) {
      // A tick that spun a loop of its own would come back here; it gets a
      // plain wait, and no tick runs inside another.
      const std::int64_t tickDue = ticking ? kNever : RunDueTicks();
      const bool loopFirst = loopDue <= tickDue;
      const std::int64_t until = loopFirst ? loopDue : tickDue;
      // GLib waits in whole milliseconds: rounding up makes a tick at most a
      // millisecond late, never early.
      const gint ms = until == kNever
                          ? -1
                          : static_cast<gint>(std::clamp<std::int64_t>(
                                (until - NowNs() + kNsPerMs - 1) / kNsPerMs, 0, INT_MAX));
      const gint ready = wait(fds, count, ms);
      if (ready != 0 || loopFirst) {
        return ready;
      }
    }
  }

  // Runs every tick that is due, earliest first, and returns when the next one
  // falls due. A timer is rescheduled before its tick runs, so the tick may
  // stop or restart it.
  static std::int64_t RunDueTicks() {
    for (;;) {
      const std::int64_t now = NowNs();
      PeriodicTimer* next = nullptr;
      for (PeriodicTimer* timer : timers) {
        if (!next || timer->dueNs_ < next->dueNs_) {
          next = timer;
        }
      }
      if (!next) {
        return kNever;
      }
      if (next->dueNs_ > now) {
        return next->dueNs_;
      }
      const std::int64_t interval = std::int64_t{next->intervalMs_} * kNsPerMs;
      next->dueNs_ += (now - next->dueNs_) / interval * interval + interval;
      ticking = true;
      next->Tick();
      ticking = false;
    }
  }

  static inline std::vector<PeriodicTimer*> timers;
  static inline GPollFunc previous = nullptr;
  static inline bool ticking = false;
  static inline pthread_t owner{};
};

PeriodicTimer::PeriodicTimer(Dispatch dispatch, std::function<void()> tick)
    : tick_(std::move(tick)), inWait_(dispatch == Dispatch::InWait && LoopWaitsInGlib()) {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

PeriodicTimer::~PeriodicTimer() {
  Stop();
}

void PeriodicTimer::Start(int intervalMilliseconds) {
  intervalMs_ = std::max(intervalMilliseconds, 1);
  active_ = true;
  if (inWait_) {
    dueNs_ = NowNs() + std::int64_t{intervalMs_} * kNsPerMs;
    WaitTicks::Add(this);
  } else {
    timer_.start(intervalMs_);
  }
}

void PeriodicTimer::Stop() {
  active_ = false;
  if (inWait_) {
    WaitTicks::Remove(this);
  } else {
    timer_.stop();
  }
}

void PeriodicTimer::Tick() {
  ++ticks_;
  tick_();
}

}  // namespace finbowl
