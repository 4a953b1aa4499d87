#pragma once

#include "Lumivane/Platform/Notifications.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "Simulator/Desktop.hpp"

#include <optional>
#include <string>
#include <variant>
#include <vector>

// The commands of the scenario language as values, one type for each verb: the set-up lines,
// the steps and the expectations (Scenarios.hpp reads and writes them as script lines).

namespace lumivane::sim {

// Where the pointer goes: a point, the centre of a Dock item, or the centre of the shown ×.
struct PointerTarget {
  enum class Kind { point, item, button };
  Kind kind = Kind::point;
  Point point;
  std::string item;

  friend bool operator==(const PointerTarget&, const PointerTarget&) = default;
};

enum class ShellWindow { welcome, settings };

namespace command {

// Set-up.
struct Symlink {
  std::string from;
  std::string to;

  friend bool operator==(const Symlink&, const Symlink&) = default;
};
struct Screen {
  Rect frame;

  friend bool operator==(const Screen&, const Screen&) = default;
};
struct Dock {
  DockEdge edge = DockEdge::bottom;
  double iconSize = 64;
  std::optional<double> magnifiedSize;
  int screen = 0; // index into the screens, primary first
  bool autohide = false;

  friend bool operator==(const Dock&, const Dock&) = default;
};
struct App {
  AppProfile profile;
  int copies = 1; // running instances; 0 keeps a Dock item with nothing running
  // The bundle path the Dock item records, when it names the bundle otherwise than the path the
  // processes run from; empty: the same.
  std::string itemPath;
  bool pinned = true; // false: the tile is in the Dock only while the app runs

  friend bool operator==(const App&, const App&) = default;
};
// A Dock item that is not an app of the script: a folder, the trash, a separator, a document
// (target: its path), a URL (target: the URL), a minimized window, a spacer (its name only the
// script's handle on it), a Dock extra, or Launchpad or Mission Control (application items of
// the Dock's own, target: their bundle path).
struct DockItem {
  DockItemKind kind = DockItemKind::folder;
  std::string name;
  std::string target;

  friend bool operator==(const DockItem&, const DockItem&) = default;
};
struct Default {
  std::string key;
  // A Boolean, a text, or for the protected-apps key the list of bundle identifiers.
  std::variant<bool, std::string, std::vector<std::string>> value;

  friend bool operator==(const Default&, const Default&) = default;
};

// Anywhere.
struct Permission {
  enum class Kind { accessibility, inputMonitoring };
  Kind kind = Kind::accessibility;
  bool granted = true;
  // Accessibility: Lumivane's row taken out of the list rather than switched off; the process
  // keeps its cached answer that it is trusted.
  bool removed = false;

  friend bool operator==(const Permission&, const Permission&) = default;
};
struct Launch {
  bool welcome = false;

  friend bool operator==(const Launch&, const Launch&) = default;
};

// Steps.
struct Pointer {
  PointerTarget target;

  friend bool operator==(const Pointer&, const Pointer&) = default;
};
struct Glide {
  PointerTarget target;
  double seconds = 0;

  friend bool operator==(const Glide&, const Glide&) = default;
};
struct Wait {
  double seconds = 0;

  friend bool operator==(const Wait&, const Wait&) = default;
};
struct Mouse {
  enum class Action { click, rightClick, scroll, drag, middleClick };
  Action action = Action::click;
  // Moved to first; for a drag, where it ends.
  std::optional<PointerTarget> target;

  friend bool operator==(const Mouse&, const Mouse&) = default;
};
struct Post {
  platform::Notification notification = platform::Notification::willSleep;

  friend bool operator==(const Post&, const Post&) = default;
};
struct AppEvent {
  // relaunchSamePID: the new process gets the old one's pid back (with a new launch date);
  // start: one more process of the app's bundle, a second copy when one runs.
  enum class Kind { relaunch, relaunchSamePID, quits, start, finishLaunching };
  Kind kind = Kind::relaunch;
  std::string name;
  double listedFor = 0; // quits: seconds the workspace still lists it, terminated

  friend bool operator==(const AppEvent&, const AppEvent&) = default;
};
// `name` ends by itself and a new process of `by` starts on its pid.
struct ReusePID {
  std::string name;
  std::string by;

  friend bool operator==(const ReusePID&, const ReusePID&) = default;
};
struct DockRestart {
  double absentFor = 0; // seconds without a Dock process before the new one starts

  friend bool operator==(const DockRestart&, const DockRestart&) = default;
};
// The user takes an item out of the Dock, puts it back, or moves it; `position` from 0.
struct DockChange {
  enum class Kind { remove, add, move };
  Kind kind = Kind::remove;
  std::string name;
  std::optional<int> position;

  friend bool operator==(const DockChange&, const DockChange&) = default;
};
// An application's icon asks for attention.
struct Bounce {
  std::string name;
  int hops = 1;

  friend bool operator==(const Bounce&, const Bounce&) = default;
};
// While held, the main queue does not turn: notifications, deferred quits and other blocks
// queue up in order until it is released and runs them in one turn.
struct Queue {
  bool hold = true;

  friend bool operator==(const Queue&, const Queue&) = default;
};
struct DockHidden {
  bool hidden = true;

  friend bool operator==(const DockHidden&, const DockHidden&) = default;
};
struct MissionControl {
  bool open = true;

  friend bool operator==(const MissionControl&, const MissionControl&) = default;
};
// The user opens a Dock item's menu; an empty name closes the open one.
struct ItemMenu {
  std::string name;

  friend bool operator==(const ItemMenu&, const ItemMenu&) = default;
};
// The count on an item's icon; empty: none.
struct DockBadge {
  std::string name;
  std::string text;

  friend bool operator==(const DockBadge&, const DockBadge&) = default;
};
struct MoveDock {
  Dock placement;

  friend bool operator==(const MoveDock&, const MoveDock&) = default;
};
struct Screens {
  std::vector<Rect> frames; // primary first

  friend bool operator==(const Screens&, const Screens&) = default;
};
// An Accessibility fault on the Dock; absent: every fault is cleared.
struct InjectFault {
  std::optional<Fault> fault;
  std::string item; // the Dock item a fault on one item names; its index is found when it runs

  friend bool operator==(const InjectFault&, const InjectFault&) = default;
};
struct Latency {
  double seconds = 0;

  friend bool operator==(const Latency&, const Latency&) = default;
};
struct ExtraChildren {
  int count = 0;

  friend bool operator==(const ExtraChildren&, const ExtraChildren&) = default;
};
struct TapDisable {
  bool byTimeout = true;

  friend bool operator==(const TapDisable&, const TapDisable&) = default;
};
// One mouse button pressed or released alone: 0 left, 1 right, 2 middle, 3 and up side buttons.
struct Button {
  int button = 2;
  bool press = true;

  friend bool operator==(const Button&, const Button&) = default;
};
struct Shutdown {
  friend bool operator==(const Shutdown&, const Shutdown&) = default;
};
struct Switch {
  enum class Feature { hover, middle };
  Feature feature = Feature::hover;
  bool on = true;

  friend bool operator==(const Switch&, const Switch&) = default;
};
struct Layout {
  HoverLayoutOptions options;

  friend bool operator==(const Layout&, const Layout&) = default;
};
struct Close {
  ShellWindow window = ShellWindow::welcome;

  friend bool operator==(const Close&, const Close&) = default;
};
// The user clicks the status item to open the popover or to close it again; where the popover
// cannot be placed under the item, the click that opens it opens the settings window instead.
struct Popover {
  bool shown = true;

  friend bool operator==(const Popover&, const Popover&) = default;
};
// Whether the status item's button is on a display, where the popover can be placed under it.
struct StatusBar {
  bool available = true;

  friend bool operator==(const StatusBar&, const StatusBar&) = default;
};
// The user flips an app's switch in the protected-apps editor.
struct Protect {
  std::string name;
  bool isProtected = true;

  friend bool operator==(const Protect&, const Protect&) = default;
};
// The user clicks 重新打开 beside the status line, where the popover or the settings window shows
// it.
struct Reopen {
  friend bool operator==(const Reopen&, const Reopen&) = default;
};
// The app's bundle is moved away or deleted: nothing opens from its path any more.
struct DeleteApp {
  std::string name;

  friend bool operator==(const DeleteApp&, const DeleteApp&) = default;
};

// Expectations.
struct ExpectOverlay {
  std::optional<std::string> name; // absent: hidden

  friend bool operator==(const ExpectOverlay&, const ExpectOverlay&) = default;
};
struct ExpectStatus {
  std::string text;
  bool isError = false;

  friend bool operator==(const ExpectStatus&, const ExpectStatus&) = default;
};
struct ExpectApp {
  std::string name;
  bool running = true;

  friend bool operator==(const ExpectApp&, const ExpectApp&) = default;
};
struct ExpectQuitRequests {
  std::string name;
  int count = 0;

  friend bool operator==(const ExpectQuitRequests&, const ExpectQuitRequests&) = default;
};
struct ExpectSymbol {
  std::string name;

  friend bool operator==(const ExpectSymbol&, const ExpectSymbol&) = default;
};
struct ExpectTooltip {
  std::string text;

  friend bool operator==(const ExpectTooltip&, const ExpectTooltip&) = default;
};
struct ExpectWindow {
  ShellWindow window = ShellWindow::welcome;
  bool shown = true;

  friend bool operator==(const ExpectWindow&, const ExpectWindow&) = default;
};
// The pointer is on the Dock item's icon, as the Dock shows it now (magnified around it).
struct ExpectPointer {
  std::string item;

  friend bool operator==(const ExpectPointer&, const ExpectPointer&) = default;
};
// The dot on the status item.
struct ExpectBadge {
  bool on = true;

  friend bool operator==(const ExpectBadge&, const ExpectBadge&) = default;
};
struct ExpectPopover {
  bool shown = true;

  friend bool operator==(const ExpectPopover&, const ExpectPopover&) = default;
};
// Whether the status line carries 重新打开.
struct ExpectReopen {
  bool offered = true;

  friend bool operator==(const ExpectReopen&, const ExpectReopen&) = default;
};
// Middle and side button events the Dock itself has received since the start.
struct ExpectDockEvents {
  int count = 0;

  friend bool operator==(const ExpectDockEvents&, const ExpectDockEvents&) = default;
};
// The edge the layout preview of the popover last opened shows.
struct ExpectPreviewEdge {
  DockEdge edge = DockEdge::bottom;

  friend bool operator==(const ExpectPreviewEdge&, const ExpectPreviewEdge&) = default;
};

} // namespace command

using Action = std::variant<
    command::Symlink, command::Screen, command::Dock, command::App, command::DockItem,
    command::Default, command::Permission, command::Launch, command::Pointer, command::Glide,
    command::Wait, command::Mouse, command::Post, command::AppEvent, command::ReusePID,
    command::DockRestart, command::DockChange, command::Bounce, command::Queue, command::DockHidden,
    command::MissionControl, command::ItemMenu, command::DockBadge, command::MoveDock,
    command::Screens, command::InjectFault, command::Latency, command::ExtraChildren,
    command::TapDisable, command::Button, command::Shutdown, command::Switch, command::Layout,
    command::Close, command::Popover, command::StatusBar, command::Protect, command::Reopen,
    command::DeleteApp, command::ExpectOverlay, command::ExpectStatus, command::ExpectApp,
    command::ExpectQuitRequests, command::ExpectSymbol, command::ExpectTooltip,
    command::ExpectWindow, command::ExpectBadge, command::ExpectPopover, command::ExpectReopen,
    command::ExpectPointer, command::ExpectDockEvents, command::ExpectPreviewEdge>;

struct Command {
  int line = 0;       // 1-based line in the script
  std::string source; // the line without its comment and surrounding blanks
  Action action;
};

struct Scenario {
  std::vector<Command> commands;
};

} // namespace lumivane::sim
