#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A simulated macOS desktop that implements every platform port: displays, a Dock with the
// Accessibility tree a real Dock exposes, running applications, permissions, an event tap,
// mouse monitors, notifications, user defaults, login items, a log and windows, all on a
// virtual clock. Deterministic: the same calls give the same timeline.
//
// Points and frames given to or read from the Desktop API are in the top-left space (origin at
// the primary display's top-left corner, y downward), like the Dock's Accessibility tree; the
// ports report the window system's bottom-left space where macOS does.

namespace lumivane::sim {

enum class QuitBehaviour {
  immediately, // ends as soon as the quit request arrives
  afterDelay,  // ends `quitDelay` seconds later
  never,       // shows a save prompt and keeps running
  refuse,      // the request cannot be delivered: terminate answers false
};

struct AppSpec {
  std::string name; // localized name; empty for none
  std::string bundleIdentifier;
  // The bundle path as launched; may run through symbolic links or be in NFD. Empty: none.
  std::string bundlePath;
  QuitBehaviour quit = QuitBehaviour::immediately;
  double quitDelay = 0;
  platform::ActivationPolicy policy = platform::ActivationPolicy::regular;
  bool finishedLaunching = true;
  bool hasLaunchDate = true;
};

enum class DockItemKind { application, folder, trash, separator };

struct QuitRequestRecord {
  double time;
  int32_t pid;
  std::string name;
  bool delivered; // false when the app refused delivery
};

struct LogRecord {
  double time;
  std::string category;
  platform::LogLevel level;
  std::string message;
};

// An Accessibility fault, injected for one attribute ("AXPosition" and "AXSize" stand for the
// multiple-attribute read), on one Dock item (by index), the item list, the Dock application
// element, or every element.
enum class FaultKind {
  error,        // the message fails
  timeout,      // the message takes the messaging time-out, then fails
  wrongType,    // the value comes back with another type
  nonFinite,    // positions and sizes come back as NaN / infinity
};
enum class FaultTarget { item, list, dockApplication, anyElement };
struct Fault {
  FaultKind kind;
  FaultTarget target;
  std::string attribute; // empty: every attribute of the target
  int itemIndex = -1;    // for FaultTarget::item
};

// The simulator's record of the × panel.
struct PanelRecord {
  Rect frame; // bottom-left space
  bool visible = false;
  double alpha = 0;
  std::string label;
  std::string identifier;
  int fadeCount = 0; // animations started
  int frameChanges = 0;
};

struct WindowRecord {
  std::string title;
  bool visible = false;
  bool centred = false;
  bool key = false;
  bool fullSizeContentView = false;
  bool transparentTitlebar = false;
  bool titleHidden = false;
  bool movableByBackground = false;
  std::string content; // "menu" or "welcome"
};

// Everything the coordinator did to the status item, the popover, the menu and the windows.
struct ShellRecord {
  std::optional<platform::ActivationPolicy> activationPolicy;
  int activations = 0;
  bool terminated = false;
  std::string menuTitle;
  std::vector<platform::MenuItem> menuItems;
  bool hasStatusItem = false;
  std::string statusSymbol;
  std::string statusSymbolDescription;
  std::string statusToolTip;
  std::string statusIdentifier;
  bool popoverShown = false;
  bool popoverHasContent = false;
  std::optional<platform::MenuContentModel> lastMenuContent;
  std::vector<WindowRecord> windows; // every window ever created, in order
};

class Desktop {
public:
  Desktop();
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // The ports, for the services under test.
  platform::Platform& platform();
  VirtualRunLoop& runLoop();
  double now();
  // Runs the virtual clock forward; the pointer's glide, app quits and timers happen on the way.
  void advance(double seconds);

  // Displays. The first is the primary display. A visible frame leaves out the menu bar (25
  // points) and the Dock.
  int addScreen(const Rect& frame);
  void setScreens(const std::vector<Rect>& frames);
  std::vector<Rect> screenFrames() const;

  // The Dock: its edge and display, icon size, optional magnification (the largest size an icon
  // grows to under the pointer). Items are laid out centred along the edge, in order.
  void placeDock(DockEdge edge, int screen = 0, double iconSize = 64,
                 std::optional<double> magnifiedSize = std::nullopt);
  int addDockApplication(std::string name, std::string bundlePath);
  int addDockItem(DockItemKind kind, std::string name);
  // Wraps each item's image in `depth` inner elements, so the hit test walks up to the item.
  void setItemDepth(int depth);
  std::size_t dockItemCount() const;
  std::optional<int> dockItemNamed(std::string_view name) const;
  // The item's current frame (with magnification at the current pointer), top-left space.
  Rect itemFrame(int index) const;
  Rect dockListFrame() const;
  // Quits the Dock process and starts a new one: new pid, new elements.
  void restartDock();
  void setDockRunning(bool running);
  int32_t dockPID() const;

  // Applications.
  int32_t launch(const AppSpec& spec);
  // Launches with a given pid, as when the system reuses a process id.
  int32_t launchWithPID(const AppSpec& spec, int32_t pid);
  // Ends the process and launches the same spec again: new pid, new launch date.
  int32_t relaunch(int32_t pid);
  // Ends the process by itself (not through a quit request) and posts the termination notice.
  void endByItself(int32_t pid);
  void finishLaunching(int32_t pid);
  bool isRunning(int32_t pid) const;
  std::optional<int32_t> pidOf(std::string_view name) const;
  std::chrono::system_clock::time_point launchDate(int32_t pid) const;
  // Lumivane's own process, its pid and bundle path.
  int32_t ownPID() const;
  const std::vector<QuitRequestRecord>& quitRequests() const;

  // Permissions, changeable at any moment.
  void setAccessibility(bool granted);
  void setInputMonitoring(bool granted);

  // The pointer, top-left space. Moving delivers mouse-moved events to the monitors.
  Point pointer() const;
  void movePointer(Point to);
  // Moves to `to` over `seconds`, sampling `rate` times a second while time advances.
  void glide(Point to, double seconds, double rate = 60);
  // Buttons: 0 left, 1 right, 2 middle, 3 and 4 side buttons. Left and right reach the mouse
  // monitors (the local monitor when the pointer is over a visible Lumivane panel, the global
  // one otherwise) and a left click on the visible × panel clicks its button; other buttons go
  // through the event tap first and reach the Dock only when not swallowed.
  void press(int button);
  void release(int button);
  void click();       // left press and release
  void rightClick();
  void scroll();
  void drag(Point to); // left drag to `to`
  void middleClick();  // middle press and release
  // What the Dock itself received from other-mouse buttons: (phase type, button).
  struct DockEvent {
    uint32_t type;
    int64_t button;
  };
  const std::vector<DockEvent>& dockEvents() const;

  // The event tap: the system may disable it; re-enabling may be made to fail.
  void disableTap(bool byTimeout);
  void setTapReenableFails(bool fails);
  bool tapInstalled() const;

  // Notifications; posting delivers them on the main queue (the next drain or advance).
  void post(platform::Notification notification);

  // Faults and latency.
  void addFault(const Fault& fault);
  void clearFaults();
  // Virtual time each Accessibility message takes (capped by the messaging time-out).
  void setMessageLatency(double seconds);
  // A Dock list with this many extra (empty) children on top of the real items.
  void setExtraListChildren(int count);
  std::size_t accessibilityMessageCount() const;

  // Defaults, login items, workspace settings.
  void setDefault(std::string_view key, bool value);
  void setDefault(std::string_view key, std::string_view value);
  void setDefault(std::string_view key, double number);
  std::size_t defaultsWriteCount() const;
  std::optional<std::string> storedText(std::string_view key) const;
  std::optional<bool> storedBool(std::string_view key) const;
  void setLoginItemStatus(platform::LoginItemStatus status);
  void setLoginItemFailure(std::optional<std::string> description);
  void setReduceMotion(bool reduce);
  void setArguments(std::vector<std::string> arguments);
  // Whether the system has a status bar; without one, the status item has no button frame.
  void setStatusBarAvailable(bool available);
  const std::vector<std::string>& openedURLs() const;
  const std::vector<std::string>& revealedPaths() const;

  // What Lumivane showed and logged.
  const PanelRecord& panel() const;
  // Clicks the × panel's button directly, as an accessibility action would.
  void activatePanelButton();
  const ShellRecord& shell() const;
  // Closes a window as the user would (runs its will-close callback).
  void closeWindow(std::size_t index);
  const std::vector<LogRecord>& logs() const;
  std::size_t subscriptionCount() const;
  std::size_t monitorCount() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace lumivane::sim
