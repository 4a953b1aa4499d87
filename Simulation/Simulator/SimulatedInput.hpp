#pragma once

#include "Lumivane/Platform/EventTaps.hpp"
#include "Lumivane/Platform/Mouse.hpp"
#include "Simulator/AccessibilityTree.hpp"
#include "Simulator/Desktop.hpp"
#include "Simulator/DockModel.hpp"
#include "Simulator/SimulatedSystem.hpp"
#include "Simulator/SimulatedWindows.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumivane::sim {

// The mouse and the event taps: where the pointer is, which buttons are down, and where each
// mouse event goes.
//
// Routing: an other-mouse event (press 25, drag 27, release 26) first passes the session taps,
// newest first; a tap sees it while it is valid, enabled, on the run loop and asks for that type
// in its mask. Such a tap is served only while its process holds post-event access (an active
// tap's permission, granted in the Accessibility list; Input Monitoring plays no part): once that
// grant is gone (switched off, or the row removed), the tap keeps its event types from everything
// — the Dock, the monitors, other applications — until it is disabled, invalidated or taken off
// the run loop (mac-mouse-fix #346, #443; linearmouse #667, #669; MiddleClick #63;
// Karabiner-Elements pull request #4414). The system then sends a disabled-by-time-out notice
// only now and then, at no known rate; here only when disableTaps() says so. A swallowed or held
// event goes nowhere else. One that passes reaches the Dock when the pointer is over it (or the
// Dock received that button's press), and then the mouse monitors. Monitors get an event when its
// type's bit (1 << type) is in their mask: the local ones while the pointer is over Lumivane's
// visible × panel (or a left press began there), the global ones otherwise.
class SimulatedInput final : public platform::Mouse, public platform::EventTaps {
public:
  static constexpr int buttonCount = 32;

  SimulatedInput(DockModel& dock, const Displays& displays, SimulatedWindows& windows,
                 const AccessibilityTree& scene);
  ~SimulatedInput() override;

  Point location() override;
  uint64_t pressedButtons() override { return pressed_; }
  platform::MonitorToken addGlobalMonitor(uint64_t eventMask, Handler handler) override;
  platform::MonitorToken addLocalMonitor(uint64_t eventMask, Handler handler) override;
  void removeMonitor(platform::MonitorToken token) override;

  // Null without post-event access.
  std::unique_ptr<platform::EventTap> createSessionTap(uint64_t eventMask,
                                                       Callback callback) override;
  // Whether createSessionTap would make a tap now, counted: the live grant, whatever
  // isProcessTrusted answers.
  bool canCreateActiveTap() override;
  bool preflightListenEventAccess() override { return listenAccess_; }
  bool preflightPostEventAccess() override { return postAccess_; }
  // Shows (counts) the system's prompt when the access is missing, as CGRequestPostEventAccess
  // does; the user answers in the settings (setPostAccess).
  bool requestPostEventAccess() override;

  // Top-left space.
  Point pointer() const { return pointer_; }
  void movePointer(Point to);
  void press(int button);
  void release(int button);
  void scroll();

  void setListenAccess(bool granted) { listenAccess_ = granted; }
  void setPostAccess(bool granted) { postAccess_ = granted; }
  std::size_t postRequests() const { return postRequests_; }
  std::size_t activeTapProbes() const { return activeTapProbes_; }
  void disableTaps(bool byTimeout);
  void setReenableFails(bool fails);
  bool tapInstalled() const;
  bool tapEnabled() const;
  std::size_t tapsCreated() const;
  // Taps invalidated, taken off the run loop or destroyed from inside their own callback.
  std::size_t teardownsInCallback() const;
  std::size_t monitorCount() const { return monitors_.size(); }
  const std::vector<Desktop::DockEvent>& dockEvents() const { return dockEvents_; }
  const std::vector<OtherMouseRecord>& otherMouseEvents() const { return otherMouseEvents_; }

  // The processes running from a Dock application item's bundle, for the record of a press.
  std::function<std::vector<platform::ApplicationInfo>(std::size_t item)> processesOfItem;

  struct TapRegistry;

private:
  struct Monitor {
    platform::MonitorToken token;
    bool local;
    uint64_t mask;
    std::shared_ptr<Handler> handler;
  };

  void deliverToMonitors(int type, bool local);
  // Runs a tap's callback, remembering which tap it belongs to.
  bool call(std::size_t tap, const Callback& callback, const platform::TapEvent& event);
  // Passes an other-mouse event through the taps and on; the pointer is the event's location.
  void otherMouse(uint32_t type, int button);
  bool overPanel() const;
  bool overDock() const;

  DockModel& dock_;
  const Displays& displays_;
  SimulatedWindows& windows_;
  const AccessibilityTree& scene_;
  Point pointer_;
  uint64_t pressed_ = 0;
  // Each press numbered as macOS numbers mouse events: its drags and release carry its number
  // (kCGMouseEventNumber, CGEventTypes.h).
  std::array<int64_t, buttonCount> pressNumbers_{};
  int64_t lastPressNumber_ = 0;
  uint64_t dockButtons_ = 0; // buttons whose press the Dock received
  bool leftPressOnPanel_ = false;
  std::vector<Monitor> monitors_;
  platform::MonitorToken nextToken_ = 1;
  std::shared_ptr<TapRegistry> taps_;
  bool listenAccess_ = false;
  bool postAccess_ = false;
  std::size_t postRequests_ = 0;
  std::size_t activeTapProbes_ = 0;
  std::vector<Desktop::DockEvent> dockEvents_;
  std::vector<OtherMouseRecord> otherMouseEvents_;
};

} // namespace lumivane::sim
