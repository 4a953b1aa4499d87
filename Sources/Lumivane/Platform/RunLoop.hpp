#pragma once

#include <functional>
#include <memory>

namespace lumivane::platform {

// A repeating timer on the main run loop. Invalidating it, or destroying the handle, stops it.
class Timer {
public:
  virtual ~Timer() = default;
  virtual void invalidate() = 0;
  virtual bool isValid() const = 0;
};

// The main run loop and the system clock.
class RunLoop {
public:
  virtual ~RunLoop() = default;
  // Seconds of system uptime: monotonic, never going backwards.
  virtual double uptime() = 0;
  // A repeating timer in the common modes; the first fire comes one interval from now.
  virtual std::unique_ptr<Timer> scheduleRepeating(double interval, double tolerance,
                                                   std::function<void()> action) = 0;
  // Runs `action` on a later turn of the main queue, never inside the current call.
  virtual void async(std::function<void()> action) = 0;
};

} // namespace lumivane::platform
