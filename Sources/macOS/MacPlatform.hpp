#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "macOS/MacAccessibility.hpp"
#include "macOS/MacDefaults.hpp"
#include "macOS/MacEventTaps.hpp"
#include "macOS/MacLogger.hpp"
#include "macOS/MacLoginItems.hpp"
#include "macOS/MacMouse.hpp"
#include "macOS/MacNotifications.hpp"
#include "macOS/MacProcess.hpp"
#include "macOS/MacRunLoop.hpp"
#include "macOS/MacScreens.hpp"
#include "macOS/MacWorkspace.hpp"

namespace lumivane::mac {

// The macOS adapter of every port, built once and owned together: the one place that says which
// adapter stands for which port. Main thread; make it after NSApplication exists and keep it
// until every service built on platform() is gone. Neither copyable nor movable: the bundle
// refers to the adapters inside this object.
class MacPlatform {
public:
  MacPlatform();
  MacPlatform(const MacPlatform&) = delete;
  MacPlatform& operator=(const MacPlatform&) = delete;

  platform::Platform& platform() { return ports_; }

private:
  MacAccessibility accessibility_;
  MacWorkspace workspace_;
  MacEventTaps eventTaps_;
  MacRunLoop runLoop_;
  MacNotifications notifications_;
  MacMouse mouse_;
  MacScreens screens_;
  MacDefaults defaults_;
  MacLoginItems loginItems_;
  MacLogger logger_;
  MacProcess process_;
  // Declared after the adapters it refers to, so it is built after and destroyed before them.
  platform::Platform ports_;
};

} // namespace lumivane::mac
