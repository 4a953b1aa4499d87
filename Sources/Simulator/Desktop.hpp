#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/Presentation.hpp"
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
//
// A new Desktop: the clock at 0; no display yet (add the primary one first); a running Dock
// process ("com.apple.dock") for the bottom edge with 64-point icons, no magnification and no
// items; Lumivane's own process (bundle "/Applications/Lumivane.app", accessory); both
// permissions denied; no defaults; login item not registered; a status bar.
//
// Typical use:
//   Desktop desktop;
//   desktop.addScreen({0, 0, 1440, 900});
//   desktop.setAccessibility(true);
//   const int32_t pid = desktop.launch({.name = "Notes", .bundleIdentifier = "com.example.notes",
//                                       .bundlePath = "/Applications/Notes.app"});
//   const int item = desktop.addDockApplication("Notes", "/Applications/Notes.app");
//   DockObserver observer(desktop.platform());
//   const Rect icon = desktop.itemFrame(item);
//   desktop.glide({icon.midX(), icon.midY()}, 0.5);
//   desktop.advance(1.0);
//
// Time: nothing happens between calls. Notification deliveries, async blocks and applications
// that quit at once wait for the next drain (runLoop().drain()) or advance; timers, glides and
// delayed quits for an advance. Accessibility latency (setMessageLatency) moves the clock
// during a message, as a blocked main thread would; runLoop().longestStall() tells the longest one
// main-thread call (a run-loop callback, or an input event the Desktop delivers) was blocked.

namespace lumivane::sim {

// How an application answers the normal quit request. Every request is recorded
// (quitRequests()); an application that ends leaves the workspace and the workspace centre
// posts didTerminateApplication.
enum class QuitBehaviour {
  immediately, // ends as soon as the quit request arrives: on the next run-loop turn
  afterDelay,  // ends `quitDelay` seconds later
  never,       // shows a save prompt and keeps running
  refuse,      // the request cannot be delivered: terminate answers false
};

// A process to launch. Bundle paths and names the ports report are NFC, and bundle paths are
// standardised with symbolic links resolved (addSymlink).
struct AppProfile {
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
  // The process at that moment as the workspace reports it, and how many running processes
  // (itself included) then had its canonical bundle path; 0 when it has none.
  platform::ApplicationInfo process;
  int copies = 0;
};

// One other-mouse event (middle and side buttons) and where it went.
struct OtherMouseRecord {
  uint32_t type; // platform::TapEventType: press, drag or release
  int64_t button;
  bool listened;  // post-event access was granted, so taps could see it
  bool swallowed; // a tap swallowed it
  bool toDock;    // the Dock received it
  // A press on a Dock application item: the item, and the processes then running from its
  // bundle (canonical paths equal), as the workspace reports them.
  std::optional<int> dockItem;
  std::vector<platform::ApplicationInfo> itemProcesses;
};

struct LogRecord {
  double time;
  std::string category;
  platform::LogLevel level;
  std::string message;
};

// An Accessibility fault, injected for one attribute ("AXPosition" and "AXSize" stand for the
// multiple-attribute read), on one Dock item (by index), the item list, the Dock application
// element, or every element. An error or time-out on either of "AXPosition" and "AXSize" fails
// the whole multiple-attribute message; wrongType and nonFinite change only the named value.
// "AXElementAtPosition" names the element-at-position message (asked of the system-wide
// element, so only FaultTarget::anyElement reaches it). The first matching fault applies.
enum class FaultKind {
  error,     // the message fails
  timeout,   // the message takes the messaging time-out, then fails
  wrongType, // the value comes back with another type: a text as a number, a position as a
             // size and a size as a position, an element list as AXOther, an element as text
  nonFinite, // positions and sizes come back as NaN / infinity
};
enum class FaultTarget { item, list, dockApplication, anyElement };
struct Fault {
  FaultKind kind;
  FaultTarget target;
  std::string attribute; // empty: every attribute of the target
  int itemIndex = -1;    // for FaultTarget::item; -1: every item
};

// The simulator's record of the × panel.
struct PanelRecord {
  Rect frame; // bottom-left space
  bool visible = false;
  double alpha = 0;
  std::string label;
  std::string identifier;
  int32_t pid = 0;      // the process the × stands for; 0 before it stood for one
  int fadeCount = 0;    // animations started; an animation sets `alpha` when it ends
  int frameChanges = 0; // setFrame calls
  int clicks = 0;       // times its button acted (a click on it, or activatePanelButton)
};

// One of Lumivane's windows. A window whose last handle is released counts as closed, without
// its will-close callback.
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
  std::vector<presentation::MenuItem> menuItems;
  bool hasStatusItem = false;
  std::string statusSymbol;
  std::string statusSymbolDescription;
  std::string statusToolTip;
  std::string statusIdentifier;
  // The popover shows only with content and a status-item button on a display; any left or
  // right press closes it (transient), running its did-close callback.
  bool popoverShown = false;
  bool popoverHasContent = false;
  std::optional<presentation::MenuContentModel> lastMenuContent;
  std::optional<presentation::WelcomeContentModel> lastWelcomeContent;
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
  // Lumivane's windows as the window server sees them; recorded in panel() and shell().
  presentation::Windows& windows();
  VirtualRunLoop& runLoop();
  double now();
  // Runs the virtual clock forward; the pointer's glide, app quits and timers happen on the way.
  void advance(double seconds);

  // Displays. The first is the primary display; it should sit at the origin. A visible frame
  // leaves out the menu bar (25 points) and the Dock (its thickness, when on that display). Each
  // change posts screenParametersDidChange.
  int addScreen(const Rect& frame);
  void setScreens(const std::vector<Rect>& frames);
  std::vector<Rect> screenFrames() const;

  // The Dock: its edge and display, icon size, optional magnification (the largest size an icon
  // grows to under the pointer). Items are laid out centred along the edge, in order; see
  // DockModel.hpp for the exact layout and magnification. Item names are NFC'd; the bundle path
  // of an application item is kept as given and handed out as its "AXURL"
  // ("file:///Applications/A%20B.app/").
  void placeDock(DockEdge edge, int screen = 0, double iconSize = 64,
                 std::optional<double> magnifiedSize = std::nullopt);
  int addDockApplication(std::string name, std::string bundlePath);
  int addDockItem(DockItemKind kind, std::string name);
  // Wraps each item's image in `depth` inner elements, so the hit test walks up to the item.
  void setItemDepth(int depth);
  std::size_t dockItemCount() const;
  std::optional<int> dockItemNamed(std::string_view name) const;
  // The item's current frame (with magnification at the current pointer), top-left space.
  // An empty rectangle for an unknown index or without displays.
  Rect itemFrame(int index) const;
  Rect dockListFrame() const;
  // An automatically hidden Dock: its list and items lie just beyond the screen edge, unmagnified.
  void setDockHidden(bool hidden);
  // Quits the Dock process and starts a new one: new pid, new elements.
  void restartDock();
  // A Dock that is not running has no process, no elements, and receives nothing.
  void setDockRunning(bool running);
  // 0 while the Dock is not running.
  int32_t dockPID() const;
  // A window of another application above the Dock (top-left frame): at points inside it the
  // Accessibility interface answers that process's element, and other buttons miss the Dock.
  std::size_t addWindow(int32_t pid, const Rect& frame);
  void removeWindow(std::size_t index);

  // Applications.
  int32_t launch(const AppProfile& profile);
  // Launches with a given pid, as when the system reuses a process id; 0 when it is in use.
  int32_t launchWithPID(const AppProfile& profile, int32_t pid);
  // Ends the process and launches the same profile again: new pid, new launch date. 0 for a pid
  // never launched.
  int32_t relaunch(int32_t pid);
  // Ends the process by itself (not through a quit request) and posts the termination notice.
  void endByItself(int32_t pid);
  void finishLaunching(int32_t pid);
  bool isRunning(int32_t pid) const;
  std::optional<int32_t> pidOf(std::string_view name) const;
  // The name the latest process with this pid was launched with (also after it ended).
  std::optional<std::string> appName(int32_t pid) const;
  // Launch dates are the simulated boot instant plus the uptime at launch, strictly increasing;
  // the epoch for a pid never launched.
  std::chrono::system_clock::time_point launchDate(int32_t pid) const;
  // Lumivane's own process, its pid and bundle path.
  int32_t ownPID() const;
  const std::vector<QuitRequestRecord>& quitRequests() const;
  // Grows whenever a process starts, ends or finishes launching, so that an observer can tell
  // the process table has not changed.
  uint64_t processChanges() const;
  // A symbolic link in the simulated file system (`to` absolute, or relative to the link's
  // folder); bundle paths are resolved through it.
  void addSymlink(std::string from, std::string to);

  // Permissions, changeable at any moment. Lumivane's switch in the Accessibility list grants
  // (or revokes) Accessibility and post-event access together; without Accessibility every
  // Accessibility message fails, without post-event access no tap can be made and existing taps
  // see no events. setPostEventAccess changes post-event access alone, as when the system's
  // two records of that switch disagree. Input Monitoring (listen access) gates nothing here.
  void setAccessibility(bool granted);
  void setPostEventAccess(bool granted);
  void setInputMonitoring(bool granted);
  // Prompts: promptForTrust calls, and requestPostEventAccess calls while that access is missing.
  std::size_t trustPrompts() const;
  std::size_t postEventRequests() const;

  // The pointer, top-left space. Moving delivers mouse-moved events to the monitors (dragged
  // events while a button is down) and magnifies the Dock around the pointer. It also ends a
  // glide in progress.
  Point pointer() const;
  void movePointer(Point to);
  // Moves to `to` over `seconds`, sampling `rate` times a second while time advances: each
  // sample is a movePointer, run in time order with the timers; the last lands on `to` at
  // now + seconds. A later glide replaces this one.
  void glide(Point to, double seconds, double rate = 60);
  // Buttons: 0 left, 1 right, 2 middle, 3 and 4 side buttons. Left and right reach the mouse
  // monitors (the local monitor when the pointer is over a visible Lumivane panel, the global
  // one otherwise) and a left click on the visible × panel clicks its button; other buttons go
  // through the event tap first and reach the Dock only when not swallowed.
  void press(int button);
  void release(int button);
  void click(); // left press and release
  void rightClick();
  void scroll();
  void drag(Point to); // left press, dragged events along the way to `to`, release there
  void middleClick();  // middle press and release
  // What the Dock itself received from other-mouse buttons: (phase type, button). The Dock gets
  // an event the taps let pass while the pointer is over it, or after it received that
  // button's press.
  struct DockEvent {
    uint32_t type;
    int64_t button;
    friend bool operator==(const DockEvent&, const DockEvent&) = default;
  };
  const std::vector<DockEvent>& dockEvents() const;
  // Every other-mouse event, in order.
  const std::vector<OtherMouseRecord>& otherMouseEvents() const;

  // The event tap: the system may disable it; re-enabling may be made to fail.
  // disableTap disables every enabled tap on the run loop and sends each its notice
  // (disabledByTimeout or disabledByUserInput). While setTapReenableFails(true), a tap the
  // system disabled cannot be enabled again (a new tap can).
  void disableTap(bool byTimeout);
  void setTapReenableFails(bool fails);
  // A tap exists, is valid and is on the run loop.
  bool tapInstalled() const;
  // ...and is enabled.
  bool tapEnabled() const;
  // Taps ever created.
  std::size_t tapsCreated() const;
  // Taps invalidated, taken off the run loop or destroyed from inside their own callback, which
  // macOS does not allow for (it still works with the tap once the callback returns).
  std::size_t tapTeardownsInsideCallback() const;

  // Notifications; posting delivers them on the main queue (the next drain or advance).
  void post(platform::Notification notification);

  // Faults and latency.
  void addFault(const Fault& fault);
  void clearFaults();
  // Virtual time each Accessibility message takes (capped by the messaging time-out; a longer
  // latency makes the message fail after the time-out).
  void setMessageLatency(double seconds);
  // A Dock list with this many extra (empty) children on top of the real items. The tree's
  // elements and attributes are listed in AccessibilityTree.hpp.
  void setExtraListChildren(int count);
  // Messages sent: elementAtPosition, attribute and attributes calls. Trust checks, element
  // creation, the time-out setting and processID are local and not counted.
  std::size_t accessibilityMessageCount() const;

  // Defaults, login items, workspace settings. setDefault stores a value as the user left it
  // (not counted as a write); registered values are never stored. storedText and storedBool
  // read the stored value when it has that type. See SimulatedDefaults.hpp for how the port
  // reads Booleans, texts and numbers.
  void setDefault(std::string_view key, bool value);
  void setDefault(std::string_view key, std::string_view value);
  // A text literal, which would otherwise become a Boolean.
  void setDefault(std::string_view key, const char* value);
  void setDefault(std::string_view key, double number);
  // An array of texts; with `mixed`, an array that also holds a number, which no reading of
  // texts accepts.
  void setDefault(std::string_view key, const std::vector<std::string>& texts, bool mixed = false);
  // Writes Lumivane made through the port.
  std::size_t defaultsWriteCount() const;
  std::optional<std::string> storedText(std::string_view key) const;
  std::optional<bool> storedBool(std::string_view key) const;
  std::optional<std::vector<std::string>> storedTexts(std::string_view key) const;
  // A failure makes registering and unregistering fail with that description; otherwise they
  // set the status to enabled and notRegistered.
  void setLoginItemStatus(platform::LoginItemStatus status);
  void setLoginItemFailure(std::optional<std::string> description);
  void setReduceMotion(bool reduce);
  // The command-line arguments after the program's path.
  void setArguments(std::vector<std::string> arguments);
  // Whether the system has a status bar; without one, the status item has no button frame.
  void setStatusBarAvailable(bool available);
  // URLs opened (openURL, and the login-items settings) and paths revealed.
  const std::vector<std::string>& openedURLs() const;
  const std::vector<std::string>& revealedPaths() const;

  // What Lumivane showed and logged.
  const PanelRecord& panel() const;
  // Clicks the × panel's button directly, as an accessibility action would.
  void activatePanelButton();
  const ShellRecord& shell() const;
  // Closes a window as the user would (runs its will-close callback).
  void closeWindow(std::size_t index);
  // Clicks the status item's button; false when there is no status item with an action.
  bool clickStatusItem();
  // Chooses an application-menu item by title: runs its action, closes the key window
  // (performClose) or terminates. False when there is no such item.
  bool chooseMenuItem(std::string_view title);
  const std::vector<LogRecord>& logs() const;
  std::size_t subscriptionCount() const;
  std::size_t monitorCount() const;

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace lumivane::sim
