#pragma once

#include "Lumivane/Platform/Notifications.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "Simulator/Desktop.hpp"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Scenario scripts: plain-text desktop actions, waits and expectations, run against the real
// Lumivane services on a simulated desktop and printed as a timeline.
//
// One command per line; `#` starts a comment outside quotes; "quoted" words may hold spaces,
// any UTF-8 text, and the escapes \" and \\. Points are in the top-left space (origin at the
// primary display's top-left corner, y downward). Lines before the first `launch` set up the
// desktop; later lines are steps.

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
};

enum class ShellWindow { welcome, settings };

namespace command {

// Set-up.
struct Screen {
  Rect frame;
};
struct Dock {
  DockEdge edge = DockEdge::bottom;
  double iconSize = 64;
  std::optional<double> magnifiedSize;
  int screen = 0; // index into the screens, primary first
};
struct App {
  AppProfile profile;
  int copies = 1; // running instances; 0 keeps a Dock item with nothing running
};
struct DockItem {
  DockItemKind kind = DockItemKind::folder;
  std::string name;
};
struct Default {
  std::string key;
  std::variant<bool, std::string> value;
};

// Anywhere.
struct Permission {
  enum class Kind { accessibility, inputMonitoring };
  Kind kind = Kind::accessibility;
  bool granted = true;
};
struct Launch {
  bool welcome = false;
};

// Steps.
struct Pointer {
  PointerTarget target;
};
struct Glide {
  PointerTarget target;
  double seconds = 0;
};
struct Wait {
  double seconds = 0;
};
struct Mouse {
  enum class Action { click, rightClick, scroll, drag, middleClick };
  Action action = Action::click;
  // Moved to first; for a drag, where it ends.
  std::optional<PointerTarget> target;
};
struct Post {
  platform::Notification notification = platform::Notification::willSleep;
};
struct AppEvent {
  // relaunchSamePID: the new process gets the old one's pid back (with a new launch date);
  // start: one more process of the app's bundle, a second copy when one runs.
  enum class Kind { relaunch, relaunchSamePID, quits, start, finishLaunching };
  Kind kind = Kind::relaunch;
  std::string name;
};
// `name` ends by itself and a new process of `by` starts on its pid.
struct ReusePID {
  std::string name;
  std::string by;
};
struct DockRestart {};
struct DockHidden {
  bool hidden = true;
};
struct MoveDock {
  Dock placement;
};
struct Screens {
  std::vector<Rect> frames; // primary first
};
// An Accessibility fault on the Dock; absent: every fault is cleared.
struct InjectFault {
  std::optional<Fault> fault;
  std::string item; // the Dock item a fault on one item names; its index is found when it runs
};
struct Latency {
  double seconds = 0;
};
struct ExtraChildren {
  int count = 0;
};
struct TapDisable {
  bool byTimeout = true;
};
// One mouse button pressed or released alone: 0 left, 1 right, 2 middle, 3 and up side buttons.
struct Button {
  int button = 2;
  bool press = true;
};
struct Shutdown {};
struct Switch {
  enum class Feature { hover, middle };
  Feature feature = Feature::hover;
  bool on = true;
};
struct Layout {
  HoverLayoutOptions options;
};
struct Close {
  ShellWindow window = ShellWindow::welcome;
};

// Expectations.
struct ExpectOverlay {
  std::optional<std::string> name; // absent: hidden
};
struct ExpectStatus {
  std::string text;
  bool isError = false;
};
struct ExpectApp {
  std::string name;
  bool running = true;
};
struct ExpectQuitRequests {
  std::string name;
  int count = 0;
};
struct ExpectSymbol {
  std::string name;
};
struct ExpectTooltip {
  std::string text;
};
struct ExpectWindow {
  ShellWindow window = ShellWindow::welcome;
  bool shown = true;
};

} // namespace command

using Action =
    std::variant<command::Screen, command::Dock, command::App, command::DockItem, command::Default,
                 command::Permission, command::Launch, command::Pointer, command::Glide,
                 command::Wait, command::Mouse, command::Post, command::AppEvent, command::ReusePID,
                 command::DockRestart, command::DockHidden, command::MoveDock, command::Screens,
                 command::InjectFault, command::Latency, command::ExtraChildren,
                 command::TapDisable, command::Button, command::Shutdown, command::Switch,
                 command::Layout, command::Close, command::ExpectOverlay, command::ExpectStatus,
                 command::ExpectApp, command::ExpectQuitRequests, command::ExpectSymbol,
                 command::ExpectTooltip, command::ExpectWindow>;

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

  // "line 7: unknown command 'glid'"
  std::string describe() const;
};

// Reads a whole script. Besides each line's own syntax it checks that every name a step uses
// was declared before by `app` or `folder` (the trash is "Trash"), that names are unique, that
// desktop set-up comes before the first `launch` and that `set` comes after it.
std::variant<Scenario, ScenarioError> parseScenario(std::string_view text);

// Reads one line on its own, without the checks across lines: nothing for a blank or comment
// line. `lineNumber` goes into the command and into an error.
std::variant<std::optional<Command>, ScenarioError> parseLine(std::string_view line,
                                                              int lineNumber);

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

private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// The program's exit codes.
inline constexpr int scenarioPassed = 0;
inline constexpr int scenarioFailed = 1;
inline constexpr int scenarioMalformed = 2;

// Parses and runs a script: the timeline goes to `timeline`, a malformed line or the first
// failure to `errors`. Returns scenarioPassed, scenarioFailed or scenarioMalformed.
int runScenarioText(std::string_view text, std::ostream& timeline, std::ostream& errors);

// Words as scripts write them: a number with at most three decimals and no trailing zeros
// ("12.5", "116", "-3.25"), and a text in double quotes with \" and \\ escaped.
std::string scriptNumber(double value);
std::string scriptQuoted(std::string_view text);

} // namespace lumivane::sim
