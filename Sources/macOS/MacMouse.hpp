#pragma once

#include "Lumivane/Platform/Mouse.hpp"

#include <memory>

namespace lumivane::mac {

// The Mouse port on NSEvent. Token 0 is never a monitor: a monitor without a handler, or one the
// system refuses, is not installed and answers 0. Destroying the adapter removes the monitors
// still installed.
class MacMouse final : public platform::Mouse {
public:
  MacMouse();
  ~MacMouse() override;
  MacMouse(const MacMouse&) = delete;
  MacMouse& operator=(const MacMouse&) = delete;

  Point location() override;
  uint64_t pressedButtons() override;
  platform::MonitorToken addGlobalMonitor(uint64_t eventMask, Handler handler) override;
  platform::MonitorToken addLocalMonitor(uint64_t eventMask, Handler handler) override;
  // Does nothing for a token that is not installed.
  void removeMonitor(platform::MonitorToken token) override;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace lumivane::mac
