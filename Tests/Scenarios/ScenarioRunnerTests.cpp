#include "Scenarios/Scenarios.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lumivane::sim {
namespace {

// Running scripts: exit codes, failures and the timeline.

struct Outcome {
  int code;
  std::string timeline;
  std::string errors;
};

Outcome run(std::string_view script) {
  std::ostringstream timeline;
  std::ostringstream errors;
  const int code = runScenarioText(script, timeline, errors);
  return {code, timeline.str(), errors.str()};
}

constexpr std::string_view desktop = "screen 1440x900\ndock bottom\napp Safari\napp Notes "
                                     "quit=never\nlaunch\n";

TEST(ScenarioRunnerOutcome, MalformedScriptRunsNothing) {
  const Outcome result = run("launch\nwait 1\nexpect sttus \"\"\n");
  EXPECT_EQ(result.code, scenarioMalformed);
  EXPECT_EQ(result.timeline, "");
  EXPECT_NE(result.errors.find("line 3: usage: expect"), std::string::npos) << result.errors;
}

TEST(ScenarioRunnerOutcome, FirstFailedExpectationStopsTheRun) {
  const Outcome failed =
      run(std::string(desktop) +
          "expect symbol exclamationmark.circle\nwait 1\nexpect running Safari\n");
  EXPECT_EQ(failed.code, scenarioFailed);
  EXPECT_EQ(failed.errors, "line 6: expected symbol exclamationmark.circle, found symbol "
                           "dock.rectangle\n");
  EXPECT_EQ(failed.timeline.find("> wait 1"), std::string::npos);
}

TEST(ScenarioRunnerOutcome, ImpossibleStepFails) {
  const Outcome result = run(std::string(desktop) + "pointer button\n");
  EXPECT_EQ(result.code, scenarioFailed);
  EXPECT_EQ(result.errors, "line 6: the × is not shown\n");
  const Outcome ended = run(std::string(desktop) + "quits Safari\nquits Safari\n");
  EXPECT_EQ(ended.code, scenarioFailed);
  EXPECT_EQ(ended.errors, "line 7: 'Safari' is not running\n");
  const Outcome control = run("app \"M\tx\"\nlaunch\nquits \"M\tx\"\nquits \"M\tx\"\n");
  EXPECT_EQ(control.errors, "line 4: 'M\\tx' is not running\n");
  EXPECT_NE(control.timeline.find("> quits \"M\\tx\""), std::string::npos) << control.timeline;
}

TEST(ScenarioRunnerOutcome, ExpectationMessagesSayWhatWasFound) {
  const std::string script(desktop);
  EXPECT_EQ(run(script + "expect overlay Safari\n").errors,
            "line 6: expected overlay Safari, found overlay hidden\n");
  EXPECT_EQ(run(script + "expect status \"x\" error\n").errors,
            "line 6: expected status \"x\" error, found status \"\"\n");
  EXPECT_EQ(run(script + "expect stopped Notes\n").errors,
            "line 6: expected Notes stopped, found it running\n");
  EXPECT_EQ(run(script + "expect quit-requests Notes 1\n").errors,
            "line 6: expected 1 quit request for Notes, found 0\n");
  EXPECT_EQ(run(script + "expect tooltip \"Lumivane · 请检查权限\"\n").errors,
            "line 6: expected tooltip \"Lumivane · 请检查权限\", found tooltip \"Lumivane\"\n");
  EXPECT_EQ(run(script + "expect window welcome hidden\n").errors,
            "line 6: expected welcome window hidden, found shown\n");
  EXPECT_EQ(
      run(script + "set middleEnabled off\nmiddle-click Safari\nexpect dock-events 0\n").errors,
      "line 8: expected 0 Dock events, found 2\n");
  EXPECT_EQ(run(script + "pointer Notes\nexpect pointer Safari\n").errors,
            "line 7: expected pointer on Safari, found it off that icon\n");
  EXPECT_EQ(run(script + "expect badge on\n").errors,
            "line 6: expected badge on, found badge off\n");
  EXPECT_EQ(run(script + "open popover\nexpect popover hidden\n").errors,
            "line 7: expected popover hidden, found shown\n");
}

// The status item's click opens the popover, or the settings window where the popover cannot be
// placed; a second click closes the popover. Opening what is open or closing what is closed is
// a step that cannot be done.
TEST(ScenarioRunnerOutcome, ThePopoverOpensAndClosesWithClicksOnTheStatusItem) {
  const Outcome popover = run(std::string(desktop) + "open popover\nclose popover\n");
  ASSERT_EQ(popover.code, scenarioPassed) << popover.errors;
  const auto shown = popover.timeline.find("popover shown\n");
  ASSERT_NE(shown, std::string::npos) << popover.timeline;
  EXPECT_NE(popover.timeline.find("popover closed\n", shown), std::string::npos)
      << popover.timeline;

  const Outcome window =
      run("status-bar off\n" + std::string(desktop) + "open popover\nexpect popover hidden\n" +
          "expect window settings shown\nstatus-bar on\nopen popover\nexpect popover shown\n" +
          "expect window settings hidden\n");
  EXPECT_EQ(window.code, scenarioPassed) << window.errors;
  EXPECT_EQ(window.timeline.find("status-bar off"), std::string::npos) << "set-up is not echoed";

  EXPECT_EQ(run(std::string(desktop) + "open popover\nopen popover\n").errors,
            "line 7: the popover is already shown\n");
  EXPECT_EQ(run(std::string(desktop) + "close popover\n").errors, "line 6: no popover is shown\n");
}

// The steps that change Lumivane's settings or open its popover need it running, also after a
// shutdown.
TEST(ScenarioRunnerOutcome, SettingsStepsAfterAShutdownFail) {
  for (const std::string_view step : {"protect Safari", "unprotect Safari", "set hoverEnabled on",
                                      "set layout leading compact", "open popover"}) {
    const Outcome result = run(std::string(desktop) + "shutdown\n" + std::string(step) + "\n");
    EXPECT_EQ(result.code, scenarioFailed) << step;
    EXPECT_EQ(result.errors, "line 7: Lumivane is not running\n") << step;
  }
}

// Each status message is one line with the error flag it ended up with, though the runtime
// status publishes the message and the flag one after the other.
TEST(ScenarioRunnerTimeline, StatusLinesCarryTheirFinalErrorFlag) {
  const Outcome result = run(std::string(desktop) + "middle-click Notes\nwait 12.5\n");
  ASSERT_EQ(result.code, scenarioPassed) << result.errors;
  const std::string waiting = "status \"已请求「Notes」退出，正在等待…\"\n";
  const std::string timedOut = "status \"「Notes」仍未退出。请检查保存提示，或再次尝试。\" error\n";
  ASSERT_NE(result.timeline.find(waiting), std::string::npos) << result.timeline;
  const auto late = result.timeline.find(timedOut);
  ASSERT_NE(late, std::string::npos) << result.timeline;
  EXPECT_EQ(result.timeline.find("仍未退出", late + timedOut.size()), std::string::npos);
  EXPECT_EQ(result.timeline.find("仍未退出。请检查保存提示，或再次尝试。\"\n"), std::string::npos);
  // The time-out comes 12 s after the request, on a 0.25 s tick, and times have 3 decimals.
  const std::string line = result.timeline.substr(result.timeline.rfind('\n', late) + 1,
                                                  late - result.timeline.rfind('\n', late) - 1);
  const double at = std::stod(line);
  EXPECT_GE(at, 12.0);
  EXPECT_LE(at, 12.3);
  EXPECT_EQ(line.size(), 10u) << line; // "%8.3f" and two blanks
}

TEST(ScenarioRunnerTimeline, RecordsTheQuitAndTheEnd) {
  const Outcome result = run(std::string(desktop) + "middle-click Safari\nwait 0.5\n");
  ASSERT_EQ(result.code, scenarioPassed) << result.errors;
  const auto request = result.timeline.find("quit request Safari (pid ");
  const auto waiting = result.timeline.find("status \"已请求「Safari」退出，正在等待…\"");
  const auto ended = result.timeline.find("app ended Safari (pid ");
  const auto done = result.timeline.find("status \"「Safari」已退出\"");
  ASSERT_NE(request, std::string::npos) << result.timeline;
  ASSERT_NE(waiting, std::string::npos) << result.timeline;
  ASSERT_NE(ended, std::string::npos) << result.timeline;
  ASSERT_NE(done, std::string::npos) << result.timeline;
  EXPECT_LT(request, waiting);
  EXPECT_LT(waiting, done);
}

TEST(ScenarioRunnerTimeline, ProcessesComeAndGoOnTheirPids) {
  // The Dock is pid 400 and Lumivane 401; Safari and Notes follow.
  const Outcome result = run(std::string(desktop) +
                             "relaunch Safari same-pid\nreuse-pid Notes Safari\nstart Safari\n");
  ASSERT_EQ(result.code, scenarioPassed) << result.errors;
  std::size_t at = 0;
  for (const std::string_view event :
       {"app ended Safari (pid 402)", "app launched Safari (pid 402)", "app ended Notes (pid 403)",
        "app launched Safari (pid 403)", "app launched Safari (pid 404)"}) {
    at = result.timeline.find(event, at);
    ASSERT_NE(at, std::string::npos) << event << " in\n" << result.timeline;
  }
}

// The runner as the soak drives it: one command at a time, asked after every slice of time.
TEST(ScenarioRunnerSteps, ChecksAfterEverySliceAndStopsAtAnAnswer) {
  std::ostringstream timeline;
  ScenarioRunner runner(timeline);
  int checks = 0;
  std::vector<std::string> commands;
  runner.onCommand = [&](const Command& command) { commands.push_back(command.source); };
  runner.onCheck = [&]() -> std::optional<std::string> {
    ++checks;
    return runner.desktop().now() > 1.2 ? std::optional<std::string>("too late") : std::nullopt;
  };
  const auto scenario = parseScenario(desktop);
  ASSERT_TRUE(std::holds_alternative<Scenario>(scenario));
  ASSERT_TRUE(runner.run(std::get<Scenario>(scenario)).passed);
  EXPECT_NE(runner.coordinator(), nullptr);
  checks = 0;
  const auto wait = std::get<std::optional<Command>>(parseLine("wait 1", 6));
  ASSERT_TRUE(runner.run(*wait).passed);
  // Sixty slices of 1/60 s, and once more after the command.
  EXPECT_EQ(checks, 61);
  const ScenarioResult late = runner.run(*wait);
  EXPECT_FALSE(late.passed);
  EXPECT_EQ(late.failure, "line 6: too late");
  EXPECT_EQ(commands.back(), "wait 1");
  const auto shutdown = std::get<std::optional<Command>>(parseLine("shutdown", 7));
  runner.onCheck = nullptr;
  ASSERT_TRUE(runner.run(*shutdown).passed);
  EXPECT_EQ(runner.coordinator(), nullptr);
}

TEST(ScenarioRunnerTimeline, SameScriptSameTimeline) {
  const std::string script = std::string(desktop) + "glide Safari 0.4\nwait 0.4\nclick button\n";
  const Outcome first = run(script);
  ASSERT_EQ(first.code, scenarioPassed) << first.errors;
  EXPECT_EQ(run(script).timeline, first.timeline);
  EXPECT_NE(first.timeline.find("overlay shown Safari ("), std::string::npos) << first.timeline;
}

} // namespace
} // namespace lumivane::sim
