#pragma once

#include "Lumivane/DockObserver.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/SettingsManager.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lumivane {

// The plain-text report of `--diagnose`, for a bug report: the system, both permissions, the
// displays, the Dock's process and edge, the Dock's items exactly as the Dock observer reads
// them (and the application each resolves to, or why none), then a hit test of the pointer once
// a second. It reads through the services' own code and decides nothing; it writes nothing to
// the user defaults. Besides, it reports what public sources leave open: the Accessibility
// answer AXIsProcessTrusted gives beside whether an active tap can be made now, and for the item
// under the pointer whether the pointer lies inside its frame and whether its frame has grown
// with the Dock's magnification. Main thread; `print` receives one line at a time.
class Diagnostics : public std::enable_shared_from_this<Diagnostics> {
public:
  static constexpr int hitTests = 10;
  static constexpr double hitTestInterval = 1.0;

  // What the report says of the system that the ports do not read.
  struct System {
    std::string version;
    // The Dock's own magnification setting; absent when it cannot be read.
    std::optional<bool> dockMagnification;
  };

  Diagnostics(platform::Platform& platform, System system,
              std::function<void(std::string_view line)> print);

  // Prints the report at once, then one hit test a second; `done` runs after the last.
  void run(std::function<void()> done);

private:
  void report();
  void hitTest();
  // Where the pointer lies against the item's frame, and whether that frame has grown beyond the
  // Dock's smallest item across the edge.
  std::string measure(Point pointer, const DockObserver::ItemReading& item);

  platform::Platform& platform_;
  System system_;
  std::function<void(std::string_view)> print_;
  SettingsManager settings_;
  DockObserver observer_;
  std::unique_ptr<platform::Timer> timer_;
  int hitTestsDone_ = 0;
  std::function<void()> done_;
};

} // namespace lumivane
