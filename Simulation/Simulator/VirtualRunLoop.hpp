#pragma once

#include "Lumivane/Platform/RunLoop.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumivane::sim {

// A deterministic main run loop on a virtual clock. Nothing runs by itself: timers and async
// blocks run, in time order (ties in the order they were scheduled), when a caller advances
// time. Nothing ever sleeps.
class VirtualRunLoop final : public platform::RunLoop {
public:
  VirtualRunLoop();
  ~VirtualRunLoop() override;

  double uptime() override;
  // Fires every `interval` seconds from now; the tolerance is recorded, not applied.
  std::unique_ptr<platform::Timer> scheduleRepeating(double interval, double tolerance,
                                                     std::function<void()> action) override;
  void async(std::function<void()> action) override;
  // A one-shot event of the simulated system itself (an application ending after a delay, a
  // sample of a pointer glide, the end of an animation): runs `delay` seconds from now, in time
  // order with timers and blocks. It is not a timer: timers() and activeTimerCount() leave it out.
  void schedule(double delay, std::function<void()> action);

  // Runs every async block and timer due within the next `seconds`, in order, then leaves the
  // clock at now + seconds. Blocks queued while running (with no delay) run in the same call.
  void advance(double seconds);
  // Runs the async blocks queued now (one main-queue turn and any they queue), no timers.
  void drain();
  // Moves the clock forward without running anything: the main thread was blocked (a slow
  // Accessibility message). What fell due runs at the next advance or drain.
  void block(double seconds);
  // The Mac sleeps this long: the wall clock moves on, uptime (and everything on it) does not.
  void sleep(double seconds);
  // Seconds of the wall clock since boot: uptime plus the time asleep.
  double wallClock() const;

  // Main-thread stalls: the time block() moved the clock, summed per main-thread call. A call
  // begins with each timer, async block or system event the loop runs, and at beginCall() (an
  // input event or another entry from outside the loop).
  void beginCall();
  // The longest stall of one call so far, in seconds.
  double longestStall() const;

  std::size_t activeTimerCount() const;
  // Timers ever scheduled, with their interval and tolerance, for inspection.
  struct TimerRecord {
    double interval;
    double tolerance;
    double scheduledAt;
    bool active;
  };
  std::vector<TimerRecord> timers() const;

private:
  struct State;
  class TimerHandle;
  std::shared_ptr<State> state_;
};

} // namespace lumivane::sim
