#pragma once

#include "Scenarios/Commands.hpp"
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
