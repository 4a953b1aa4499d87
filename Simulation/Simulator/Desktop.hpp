#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/Presentation.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "Simulator/Records.hpp"
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
  // The same without the notice, as when the displays changed while the Mac slept: tools that
  // follow the displays read them again on waking rather than count on the notice (AutoDock pull
  // request #14, glazewm pull request #1321).
  void setScreensWithoutNotice(const std::vector<Rect>& frames);
  std::vector<Rect> screenFrames() const;

  // The Dock: its edge and display, icon size, optional magnification (the largest size an icon
  // grows to under the pointer), and whether it hides automatically. Items are laid out centred
  // along the edge, in order; see DockModel.hpp for the exact layout, magnification, motion and
  // hiding. Item names are NFC'd; the bundle path of an application item is kept as given and
  // handed out as its "AXURL" ("file:///Applications/A%20B.app/").
  void placeDock(DockEdge edge, int screen = 0, double iconSize = 64,
                 std::optional<double> magnifiedSize = std::nullopt, bool autohide = false);
  // An application item. An unpinned one is in the Dock only while a process runs from its
  // bundle (canonical paths equal): its tile comes when the first starts and goes when the last
  // ends. Items of running applications show a running indicator; the icon bounces while one of
  // them is still launching.
  int addDockApplication(std::string name, std::string bundlePath, bool pinned = true);
  // Another item; `target` is a document's path or a URL item's URL (its "AXURL"), and nothing
  // for the other kinds.
  int addDockItem(DockItemKind kind, std::string name, std::string target = {});
  // The user takes an item out of the Dock or puts it back, or moves it to position `to`. An
  // application item taken out is unpinned (its tile stays while the app runs); put back, pinned.
  void setDockItemInDock(int index, bool inDock);
  void moveDockItem(int index, int to);
  // The item's icon bounces `hops` times, as an application asking for attention makes it.
  void bounceDockItem(int index, int hops);
  // The count on an item's icon ("AXStatusLabel"); empty for none.
  void setDockItemBadge(int index, std::string badge);
  // The user opens an item's menu (right-click, or a long press): it shows beside the icon and
  // stays where it opened; closeDockMenu closes it. See DockModel.hpp.
  void openDockMenu(int index);
  void closeDockMenu();
  // The open menu's frame, top-left space; nothing while no menu is open.
  std::optional<Rect> dockMenuFrame() const;
  // Mission Control opens or closes: while it is open the Dock's application element has its
  // "mc" group as another top-level child, over the primary display.
  void setMissionControl(bool open);
  // Wraps each item's image in `depth` inner elements, so the hit test walks up to the item. No
  // real Dock is known to have them: a device to test the walk's limit.
  void setItemDepth(int depth);
  std::size_t dockItemCount() const;
  // The index of the item of that name while it is in the Dock; of the item in it or out of it.
  std::optional<int> dockItemNamed(std::string_view name) const;
  std::optional<int> dockItemIndex(std::string_view name) const;
  // The item's name; empty for an unknown index.
  std::string dockItemName(int index) const;
  // The item's kind; absent for an unknown index.
  std::optional<DockItemKind> dockItemKind(int index) const;
  // The item's current frame (with magnification at the current pointer), top-left space.
  // An empty rectangle for an unknown index or without displays.
  Rect itemFrame(int index) const;
  Rect dockListFrame() const;
  // Where the pointer rests on an item's centre as the Dock magnifies around it; nothing for an
  // item out of the Dock or without displays.
  std::optional<Point> restingPoint(int index) const;
  // A Dock out of sight: its list and items lie just beyond the screen edge, unmagnified, and
  // stay there.
  void setDockHidden(bool hidden);
  // How much of the Dock is in sight, from 0 to 1; and whether it is going or gone out of it.
  double dockShown() const;
  bool dockConcealing() const;
  // Quits the Dock process and starts a new one `absentFor` seconds later (at once for 0): new
  // pid, new elements.
  void restartDock(double absentFor = 0);
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
  // With `unlistedFor`, the workspace's list of running applications leaves it out that long,
  // while a lookup of its pid finds it (SimulatedWorkspace::launch).
  int32_t launchWithPID(const AppProfile& profile, int32_t pid, double unlistedFor = 0);
  // Ends the process and launches the same profile again: new pid, new launch date. 0 for a pid
  // never launched.
  int32_t relaunch(int32_t pid);
  // Ends the process by itself (not through a quit request) and posts the termination notice.
  // With `listedFor`, the workspace still lists it that long, terminated; with `foundByPID`, a
  // lookup of its pid answers that record meanwhile (SimulatedWorkspace::end).
  void endByItself(int32_t pid, double listedFor = 0, bool foundByPID = false);
  // The process becomes another application in place: same pid, same launch date, the new
  // profile's bundle (SimulatedWorkspace::execInPlace).
  void execInPlace(int32_t pid, const AppProfile& profile);
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
  // Lumivane's requests to open an application bundle again (the workspace's openApplication):
  // the app last launched from the bundle starts anew (new pid, new launch date) unless a copy
  // runs, which comes up instead; a bundle removed, or never launched from, opens nothing.
  const std::vector<OpenRequestRecord>& openRequests() const;
  // The user moves the bundle at `path` away or deletes it: nothing opens from there any more;
  // what runs from it keeps running.
  void removeBundle(std::string_view path);
  // The processes running from the bundle at `bundlePath` (canonical paths equal), or still
  // listed after their end, as the workspace reports them: the ones whose bundle URL names their
  // executable (AppProfile::executableURL) among them.
  std::vector<platform::ApplicationInfo> processesFrom(std::string_view bundlePath) const;
  // The canonical path of the bundle the process launched at that date runs from, whatever
  // bundle URL the workspace gives it; nothing for an unknown process or one without a bundle.
  std::optional<std::string> bundleOf(int32_t pid,
                                      std::chrono::system_clock::time_point launchDate) const;
  // Grows whenever a process starts, ends or finishes launching, so that an observer can tell
  // the process table has not changed.
  uint64_t processChanges() const;
  // The Mac sleeps for `seconds`: the wall clock (and launch dates after it) moves on, uptime
  // and everything on it does not.
  void sleepFor(double seconds);
  // A symbolic link in the simulated file system (`to` absolute, or relative to the link's
  // folder); bundle paths are resolved through it.
  void addSymlink(std::string from, std::string to);

  // Permissions, changeable at any moment. Lumivane's switch in the Accessibility list grants
  // (or revokes) Accessibility and post-event access together; without Accessibility every
  // Accessibility message fails, without post-event access no tap can be made and an installed,
  // enabled tap keeps its events from everything until it goes (SimulatedInput.hpp).
  // removeFromAccessibilityList takes Lumivane's row out of the list: both go, but
  // isProcessTrusted keeps answering true from its cache (AccessibilityTree.hpp); granting again
  // is setAccessibility(true). setPostEventAccess changes post-event access alone, as when the
  // system's two records of that switch disagree. Input Monitoring (listen access) gates
  // nothing here.
  void setAccessibility(bool granted);
  void removeFromAccessibilityList();
  void setPostEventAccess(bool granted);
  void setInputMonitoring(bool granted);
  // The Accessibility grant itself, whatever the cached answer says.
  bool accessibilityGranted() const;
  // Times Lumivane asked whether it may make an active tap now (canCreateActiveTap).
  std::size_t activeTapProbes() const;
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
