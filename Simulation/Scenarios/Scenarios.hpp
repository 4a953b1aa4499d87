#pragma once

#include "Lumivane/Platform/Notifications.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "Simulator/Desktop.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Scenario scripts: plain-text desktop actions, waits and expectations, run against the real
// Lumivane services on a simulated desktop and printed as a timeline; the invariants every run
// must keep; and the fault-injecting soak that draws random sessions of commands.
//
// One command per line; `#` starts a comment outside quotes; "quoted" words may hold spaces,
// any UTF-8 text, and the escapes \" and \\. Points are in the top-left space (origin at the
// primary display's top-left corner, y downward). Lines before the first `launch` set up the
// desktop; later lines are steps. scriptLanguageHelp() lists every command.

namespace lumivane {
class AppDelegate;
} // namespace lumivane

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

// A malformed script: the first bad line and what is wrong with it.
struct ScenarioError {
  int line = 0;
  std::string message;

  // "line 7: unknown command 'glid'", control characters shown escaped.
  std::string describe() const;
};

// ---------------------------------------------------------------------------------------------
// The language

// Reads a whole script: each line's own syntax, then checkScenario.
std::variant<Scenario, ScenarioError> parseScenario(std::string_view text);

// Reads one line on its own, without the checks across lines: nothing for a blank or comment
// line. `lineNumber` goes into the command and into an error.
std::variant<std::optional<Command>, ScenarioError> parseLine(std::string_view line,
                                                              int lineNumber);

// The checks across lines: every name a step uses was declared before by `app` or a Dock item
// (the trash is "Trash"), names are unique, set-up comes before the first `launch` and the
// steps that need Lumivane come after it.
std::optional<ScenarioError> checkScenario(const Scenario& scenario);

// The script line of an action; parseLine of it gives the same action back.
std::string scriptLine(const Action& action);
// A command made as a value, with its script line as its source.
Command commandOf(Action action, int line);

// The script language section of --help: every command's usage and what it does.
std::string scriptLanguageHelp();
// The verbs of the script language, each once.
std::vector<std::string_view> scriptVerbs();

// Words as scripts write them: a number with at most three decimals and no trailing zeros
// ("12.5", "116", "-3.25"), and a text in double quotes with \" and \\ escaped.
std::string scriptNumber(double value);
std::string scriptQuoted(std::string_view text);
// The number scriptNumber(value) reads back as.
double scriptRounded(double value);

// ---------------------------------------------------------------------------------------------
// Running

// The outcome of running a scenario.
struct ScenarioResult {
  bool passed = true;
  // The first failed expectation or impossible step: "line 12: expected overlay Safari, found
  // hidden". Empty when passed.
  std::string failure;
};

// Runs the scenario on a fresh Desktop with the real AppDelegate and writes the timeline, one
// event per line: the virtual time since the start with three decimals, then the event. Both
// permissions start granted; without `screen` there is one 1440×900 display, without `dock`
// the Dock is at the bottom of the primary display. Time passes only in `wait` and `glide`, in
// slices of 1/60 s; every other step runs one main-queue turn.
ScenarioResult runScenario(const Scenario& scenario, std::ostream& timeline);

// The runner behind runScenario, for callers that feed commands one at a time and watch the
// desktop between them (the soak, the invariant checks). Main thread.
class ScenarioRunner {
public:
  explicit ScenarioRunner(std::ostream& timeline);
  // Quits a Lumivane still running.
  ~ScenarioRunner();
  ScenarioRunner(const ScenarioRunner&) = delete;
  ScenarioRunner& operator=(const ScenarioRunner&) = delete;

  // Runs a scenario as runScenario does: the displays and the Dock of its set-up lines first,
  // then every command in order, stopping at the first failure.
  ScenarioResult run(const Scenario& scenario);
  // Runs one more command after run(). Displays and the Dock are not set up again.
  ScenarioResult run(const Command& command);

  Desktop& desktop();
  // The running coordinator; null before the first launch and after a shutdown.
  AppDelegate* coordinator() const;

  // Told before each command runs.
  std::function<void(const Command&)> onCommand;
  // Asked after each slice of time a step lets pass and after each command; an answer stops the
  // run with it as the command's failure.
  std::function<std::optional<std::string>()> onCheck;

  class Impl;

private:
  std::unique_ptr<Impl> impl_;
};

// The program's exit codes.
inline constexpr int scenarioPassed = 0;
inline constexpr int scenarioFailed = 1;
inline constexpr int scenarioMalformed = 2;

// Parses and runs a script: the timeline goes to `timeline`, a malformed line or the first
// failure to `errors`. Returns scenarioPassed, scenarioFailed or scenarioMalformed.
int runScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors);

// ---------------------------------------------------------------------------------------------
// Invariants
//
// What must hold on the simulated desktop whatever the user and the system do, checked between
// the steps of a scenario (and between the slices of time a step lets pass):
//
//  1. A quit request goes only to the exact process (pid, canonical bundle path, launch date)
//     the user pointed at (the × clicked, or the Dock item under a middle press), and only when
//     that process is regular, finished launching, not excluded, not Lumivane and the only
//     running copy of its bundle. (The workspace port knows no other request than the normal
//     one.)
//  2. The Dock never receives a release whose press a tap swallowed, and receives every release
//     whose press it received, while Input Monitoring lets taps see both (and the grant taps
//     need did not go in between: without it a tap must go, invariant 10, and what comes before
//     the next poll sees the grant back finds none).
//  3. Every accepted request gets its waiting or refusal message at once and then exactly one
//     outcome: the end, or the time-out and at most one late end; texts and error flags exact,
//     none missing, none twice.
//  4. No × shows while suspended, without Accessibility, with hover switched off, for an item
//     that is not one quittable application, or for an application with a pending request.
//  5. No hover loop while the pointer is far from every Dock edge and no × shows; no pending
//     check while nothing is pending; no timer after shutdown.
//  6. No main-thread call blocks the clock longer than one Dock query's budget plus one
//     Accessibility message time-out.
//  7. No quit request goes to an application the user protected, by the list in effect at that
//     moment (what the script stored and the protect steps since; a stored value that is no
//     list protects nothing), and no × shows for one.
//  8. The × stands for the icon the pointer last rested on, as the user sees the Dock: it
//     appears only while the pointer is on that application's icon; it does not show once the
//     pointer has rested (not moved) on another Dock item for longer than the hide delay; it
//     never covers another Dock item. With invariant 1 (a click quits the application the ×
//     stands for), a click on it quits only the application the pointer last rested on. None
//     of this asks Lumivane's own rules.
//  9. Nothing is ever opened that Lumivane did not quit: a request to open an application goes
//     only to the bundle of a process Lumivane's quit request ended, after the message said it
//     had quit and within a minute of it, at most once per quit, never while a copy of it runs
//     or once the user protected it. 重新打开 shows only in that minute, and goes within a second
//     of its end or of the application's return.
// 10. Once the grant an active tap needs is gone, no press of any button away from the Dock is
//     held back by a tap (kept from the Dock, other applications and everything else) later
//     than one permission poll after the grant went.
//
// Where Lumivane can only notice a change on its next look (a permission poll is not needed:
// the hover loop's next step sees it), the condition must last longer than a short grace before
// it counts. Main thread.
class InvariantChecker {
public:
  // Seconds a condition that only the hover loop's next steps can notice may last.
  static constexpr double loopGrace = 0.3;
  // How long a × may stay after the pointer left its icon (the user-facing hide delay), and
  // beyond it the loop's two steps to notice a rest; how long a × may cover an item that moved
  // under it before the loop's next steps move or hide it; how far from its icon (points) the
  // pointer may be seen when a × appears, the icon having moved since the loop's step.
  static constexpr double hideDelay = 0.15;
  static constexpr double restGrace = 0.1;
  static constexpr double coverGrace = 0.1;
  static constexpr double iconMargin = 4;
  // Seconds a hover loop without a × may run far from the Dock: the hide delay and a few steps.
  static constexpr double idleLoopGrace = 0.6;
  // Seconds after an application's end, or after its time-out is due, for the message.
  static constexpr double messageGrace = 0.5;
  // One Dock query's budget plus one Accessibility message time-out.
  static constexpr double stallLimit = 0.065 + 0.02;
  // Seconds a tap may hold presses back after the grant went: one permission poll's interval and
  // its timer's tolerance.
  static constexpr double pollGrace = 2.0 + 0.4;

  // Watches the runner: takes its onCommand and onCheck slots.
  explicit InvariantChecker(ScenarioRunner& runner);
  ~InvariantChecker();
  InvariantChecker(const InvariantChecker&) = delete;
  InvariantChecker& operator=(const InvariantChecker&) = delete;

  // Quit requests seen so far.
  std::size_t quitRequests() const;

  class Impl;

private:
  std::unique_ptr<Impl> impl_;
};

// Parses and runs a script as runScenarioText does, with the invariants checked throughout: the
// replay of a soak's violation. Returns scenarioPassed, scenarioFailed or scenarioMalformed.
int runCheckedScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors);

// ---------------------------------------------------------------------------------------------
// The soak
//
// Many random whole sessions of Lumivane on the simulated desktop, each a few simulated minutes
// of what real use and a misbehaving system do, with the invariants checked after every step
// and every slice of time.
//
// A session is drawn from its seed alone: a desktop (one to three displays, the Dock on any
// edge, 5 to 40 items, magnification on or off, applications that quit at once, late, never or
// refuse, now and then a stored protected-apps list), then a stream of commands chosen as it
// runs (pointer paths, among them trips from an icon to its × off the straight line, clicks,
// presses, application events, Accessibility faults, latency, permission and power changes,
// apps protected and unprotected, 重新打开 at random moments after a quit). The commands run so
// far, printed as script lines, replay the session exactly. Main thread; deterministic.

struct SoakFigures {
  std::size_t sessions = 0;
  std::size_t steps = 0;
  std::size_t faults = 0;       // steps that made the system misbehave
  std::size_t quitRequests = 0; // quit requests Lumivane sent
  std::size_t openRequests = 0; // requests to open an application again (重新打开)
  std::size_t violations = 0;
  double simulatedSeconds = 0;
};

struct SoakViolation {
  uint64_t seed = 0;    // the session's own seed: `--soak 1 --seed SEED` runs it again
  std::size_t step = 0; // 1-based, counting the steps after launch
  std::string failure;  // "line 57: invariant 4: ..."
  std::string script;   // the session up to the failing step, in the scenario language
};

// Runs the session drawn from `seed`, adding to `figures`; the first violation, if any. Every
// command it ran goes to `ran` when given.
std::optional<SoakViolation> runSoakSession(uint64_t seed, SoakFigures& figures,
                                            std::vector<Command>* ran = nullptr);

// Runs `sessions` sessions with the seeds `seed`, `seed` + 1, … and stops at the first
// violation, which goes to `errors` with its seed, step and replay script. Writes one line of
// figures to `out` at the end. Returns 0 without a violation, 1 with one.
int runSoak(std::size_t sessions, uint64_t seed, std::ostream& out, std::ostream& errors);

} // namespace lumivane::sim
