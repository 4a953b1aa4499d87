#pragma once

#include "Lumivane/Platform/RunLoop.hpp"

namespace lumivane::mac {

// The RunLoop port on Foundation's main run loop, block timers and the main dispatch queue.
// A timer made without an action is invalid from the start; an empty async action is dropped.
class MacRunLoop final : public platform::RunLoop {
public:
  double uptime() override;
  std::unique_ptr<platform::Timer> scheduleRepeating(double interval, double tolerance,
                                                     std::function<void()> action) override;
  void async(std::function<void()> action) override;
};

} // namespace lumivane::mac
