#pragma once

#include "Lumivane/Platform/RunLoop.hpp"

#include <QElapsedTimer>
#include <QObject>

namespace lumivane::shell {

// The main run loop as Qt's event loop. Uptime is the monotonic clock Qt's elapsed timer reads
// (seconds since boot on Linux and macOS); timers are precise repeating QTimers, since Qt has
// no tolerance to give; async blocks run on a later turn of the event loop.
class QtRunLoop final : public platform::RunLoop {
public:
  QtRunLoop();

  double uptime() override;
  std::unique_ptr<platform::Timer> scheduleRepeating(double interval, double tolerance,
                                                     std::function<void()> action) override;
  void async(std::function<void()> action) override;

private:
  QElapsedTimer clock_;
  double start_;
  // Owns the queued blocks: those still queued when the run loop goes are dropped.
  QObject context_;
};

} // namespace lumivane::shell
