#pragma once

#include "Lumivane/DockObserver.hpp"
#include "Lumivane/DockReport.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/SettingsManager.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

// The plain-text report of `--diagnose` and of the diagnostics window, for a bug report: the
// system, the Accessibility permission (as the Dock reading and the middle-click tap each see
// it), the displays, the Dock's process and edge, the Dock's items exactly as the Dock observer
// reads them (and the application each resolves to, or why none), then a hit test of the
// pointer once a second. It reads through the services' own code and decides nothing; it writes
// nothing to the user defaults. Besides, it reports what public sources leave open: the
// Accessibility answer AXIsProcessTrusted gives beside whether an active tap can be made now,
// and for the item under the pointer whether the pointer lies inside its frame and whether its
// frame has grown with the Dock's magnification. Main thread; `print` receives one line at a
// time.
class Diagnostics : public std::enable_shared_from_this<Diagnostics> {
public:
  static constexpr int hitTests = 10;
  static constexpr double hitTestInterval = 1.0;

  Diagnostics(platform::Platform& platform, std::function<void(std::string_view line)> print);

  // `--diagnose`: prints the report at once, then one hit test a second; `done` runs after the
  // last of hitTests.
  void run(std::function<void()> done);
  // The diagnostics window: prints the report at once, then one hit test a second for as long as
  // this object lives; `tested` runs after each hit test's lines.
  void watch(std::function<void()> tested);

private:
  // The report, then the hit tests' timer; absent: no end to them.
  void begin(std::optional<int> hitTestLimit);
  void report();
  void hitTest();
  // Where the pointer lies against the item's frame, and whether that frame has grown beyond the
  // Dock's smallest item across the edge.
  std::string measure(Point pointer, const ItemReading& item);

  platform::Platform& platform_;
  std::function<void(std::string_view)> print_;
  SettingsManager settings_;
  DockObserver observer_;
  std::unique_ptr<platform::Timer> timer_;
  int hitTestsDone_ = 0;
  std::optional<int> hitTestLimit_;
  std::function<void()> done_;
  std::function<void()> tested_;
};

} // namespace lumivane
