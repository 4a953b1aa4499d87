#pragma once

#include "Simulator/AccessibilityTree.hpp"
#include "Simulator/Desktop.hpp"
#include "Simulator/DockModel.hpp"
#include "Simulator/Paths.hpp"
#include "Simulator/SimulatedDefaults.hpp"
#include "Simulator/SimulatedInput.hpp"
#include "Simulator/SimulatedSystem.hpp"
#include "Simulator/SimulatedWindows.hpp"
#include "Simulator/SimulatedWorkspace.hpp"

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

// What a Desktop is made of: every simulated port, wired together. Private to the Desktop's
// sources (Desktop*.cpp), which each implement one part of its interface.

namespace lumivane::sim {

struct Desktop::State {
  VirtualRunLoop runLoop;
  FileSystem files;
  DockModel dock{runLoop};
  Displays displays{dock};
  SimulatedNotifications notifications{runLoop};
  SimulatedLogger logger{runLoop};
  SimulatedProcess process;
  SimulatedWorkspace workspace{runLoop, notifications, files};
  SimulatedWindows windows{runLoop, displays};
  AccessibilityTree accessibility{runLoop, dock, displays, workspace, windows, process};
  SimulatedInput input{dock, displays, windows, accessibility};
  SimulatedDefaults defaults;
  SimulatedLoginItems loginItems{workspace};
  platform::Platform platform{accessibility, workspace, input,      runLoop, notifications, input,
                              displays,      defaults,  loginItems, logger,  process};
  uint64_t glide = 0;          // the glide in progress; bumped to end it
  uint64_t restarts = 0;       // Dock restarts; a later one cancels an earlier one's pending start
  std::set<uint64_t> unpinned; // ids of the application items that come and go with their app

  const DockLayout* layout() const { return dock.layout(displays.topLeftFrames()); }
  void startDock();

  // The processes running from an application item's bundle, as the Dock knows them: by their
  // bundle, whatever their bundle URL says.
  std::vector<platform::ApplicationInfo> processesOf(const DockItem& item);
  // Whether processes run from an application item's bundle, and whether one is launching.
  std::pair<bool, bool> activityOf(const DockItem& item);
  // The Dock follows the process table: indicators, launch bounces, unpinned tiles.
  void syncDock();
  void screensChanged() { notifications.post(platform::Notification::screenParametersDidChange); }
};

} // namespace lumivane::sim
