#pragma once

#include "Lumivane/Platform/Logger.hpp"
#include "Lumivane/Platform/Workspace.hpp"
#include "Lumivane/Presentation.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The values the simulated desktop is described with and keeps its records in: what an
// application is launched as, the faults it can inject, and what it recorded of Lumivane's
// requests, mouse events, log lines, × panel and windows.

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
  // NSRunningApplication.bundleURL names the executable inside the bundle
  // (".../X.app/Contents/MacOS/X") instead of the bundle, as it may on macOS 26 (Sparkle #2725,
  // pull requests #2726 and #2747).
  bool executableURL = false;

  friend bool operator==(const AppProfile&, const AppProfile&) = default;
};

// The kinds of Dock item, each with its own "AXSubrole" (Apple's "Dock Item Role" list; spacers
// and Dock extras: nayzak/DockUtils, hs._asm.axuielement #20).
enum class DockItemKind {
  application,
  folder,
  trash,
  separator,
  document,
  url,
  minimizedWindow,
  spacer, // an empty tile the user put between icons
  extra,  // "AXDockExtraDockItem": what it stands for is not documented; it names no file
};

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

// One request to open an application bundle (openApplication), as it was asked and answered.
struct OpenRequestRecord {
  double time;
  // Canonical (standardised, symbolic links resolved, NFC); as asked when it is not absolute.
  std::string bundlePath;
  std::string name;      // of the app last launched from that bundle; empty when none ever was
  int copies = 0;        // processes running from the bundle when it was asked
  int32_t pid = 0;       // the process that came up; 0 when nothing could be opened
  bool launched = false; // a new process, not one that was running already
};

// One other-mouse event (middle and side buttons) and where it went.
struct OtherMouseRecord {
  uint32_t type; // platform::tapEventType: press, drag or release
  int64_t button;
  bool listened;  // post-event access was granted, so taps could see it
  bool swallowed; // a tap swallowed it
  bool toDock;    // the Dock received it
  // A press on a Dock application item: the item, and the processes then running from its
  // bundle (canonical paths equal), as the workspace reports them.
  std::optional<int> dockItem;
  std::vector<platform::ApplicationInfo> itemProcesses;
  // The same when the taps had handled the press: a slow Dock moves on meanwhile, and what a
  // tap reads of it is the Dock of that later moment.
  std::optional<int> dockItemAfter;
  std::vector<platform::ApplicationInfo> itemProcessesAfter;
  // An enabled tap whose process has lost the grant kept it from everything, the Dock included.
  bool heldBack = false;
  bool overDock = false; // the pointer was over the Dock: its list, items, label or a menu
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

  friend bool operator==(const Fault&, const Fault&) = default;
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
  std::string content; // "menu", "welcome" or "diagnostics"
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
  // The dot on the symbol, kept apart from it: setting a symbol leaves it as it is.
  bool statusBadge = false;
  std::string statusIdentifier;
  // The popover shows only with content and a status-item button on a display; any left or
  // right press closes it (transient), running its did-close callback.
  bool popoverShown = false;
  bool popoverHasContent = false;
  std::optional<presentation::MenuContentModel> lastMenuContent;
  std::optional<presentation::WelcomeContentModel> lastWelcomeContent;
  // The report the latest diagnostics content shows, while its window keeps it.
  std::weak_ptr<LiveDiagnostics> lastDiagnostics;
  std::vector<WindowRecord> windows; // every window ever created, in order
};

} // namespace lumivane::sim
