#include "SoakSession.hpp"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <ostream>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define LUMIVANE_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(LUMIVANE_SANITIZED)
#include <sanitizer/common_interface_defs.h>
#define LUMIVANE_SANITIZED 1
#endif

namespace lumivane::sim {

namespace {

std::string scriptOf(const std::vector<std::string>& lines, uint64_t seed) {
  std::string script = "# lumivane-sim --soak 1 --seed " + std::to_string(seed) + "\n";
  for (const std::string& line : lines) {
    script += line + "\n";
  }
  return script;
}

// The session under way, for the one report that cannot wait for runSoakSession to return: an
// exception that escaped, or a sanitizer's finding, ends the program on the spot.
struct SessionInProgress {
  uint64_t seed;
  const std::vector<std::string>& lines;
};
const SessionInProgress* inProgress = nullptr;

void reportDyingSession() {
  if (inProgress != nullptr) {
    std::fprintf(stderr,
                 "soak: the session with seed %llu died in the last line of its script:\n%s",
                 static_cast<unsigned long long>(inProgress->seed),
                 scriptOf(inProgress->lines, inProgress->seed).c_str());
  }
}

// Reports the dying session, then lets the program end as it would have.
class DeathReport {
public:
  DeathReport() : previous_(std::set_terminate(onTerminate)) {
#ifdef LUMIVANE_SANITIZED
    __sanitizer_set_death_callback(reportDyingSession);
#endif
  }
  ~DeathReport() {
    std::set_terminate(previous_);
#ifdef LUMIVANE_SANITIZED
    __sanitizer_set_death_callback(nullptr);
#endif
  }
  DeathReport(const DeathReport&) = delete;
  DeathReport& operator=(const DeathReport&) = delete;

private:
  static void onTerminate() {
    std::fputs("soak: an exception escaped\n", stderr);
    reportDyingSession();
    std::abort();
  }
  std::terminate_handler previous_;
};

} // namespace

std::optional<SoakViolation> runSoakSession(uint64_t seed, SoakFigures& figures,
                                            std::vector<Command>* ran) {
  soak::Session session(seed);
  // Line 1 of the replay script is its header.
  Scenario setUp;
  for (Action& action : session.setUp()) {
    setUp.commands.push_back(
        commandOf(std::move(action), static_cast<int>(setUp.commands.size()) + 2));
  }
  std::vector<std::string> lines;
  for (const Command& command : setUp.commands) {
    lines.push_back(command.source);
  }
  const std::size_t setUpLines = lines.size();
  const SessionInProgress current{seed, lines};
  inProgress = &current;
  struct Done {
    ~Done() { inProgress = nullptr; }
  } done;
  std::ostream silent(nullptr);
  ScenarioRunner runner(silent);
  InvariantChecker checker(runner);
  Desktop& desktop = runner.desktop();
  const double start = desktop.now();
  ++figures.sessions;

  const auto violation = [&](std::size_t step, std::string failure) {
    ++figures.violations;
    return SoakViolation{seed, step, std::move(failure), scriptOf(lines, seed)};
  };
  const auto finish = [&] {
    figures.simulatedSeconds += desktop.now() - start;
    figures.quitRequests += checker.quitRequests();
    figures.openRequests += desktop.openRequests().size();
  };
  const auto record = [&](const Command& command) {
    if (ran != nullptr) {
      ran->push_back(command);
    }
  };

  if (const auto error = checkScenario(setUp)) {
    finish();
    return violation(0, "the soak drew a malformed set-up: " + error->describe());
  }
  for (const Command& command : setUp.commands) {
    record(command);
  }
  if (ScenarioResult result = runner.run(setUp); !result.passed) {
    finish();
    return violation(0, result.failure);
  }

  for (std::size_t step = 1;; ++step) {
    std::optional<Action> action = session.step(desktop, desktop.now() - start);
    const bool last = !action;
    const Command command = commandOf(last ? Action(command::Shutdown{}) : std::move(*action),
                                      static_cast<int>(setUpLines + step) + 1);
    lines.push_back(command.source);
    record(command);
    ++figures.steps;
    if (session.wasFault() && !last) {
      ++figures.faults;
    }
    const ScenarioResult result = runner.run(command);
    if (!result.passed) {
      finish();
      return violation(step, result.failure);
    }
    if (last) {
      finish();
      return std::nullopt;
    }
  }
}

int runSoak(std::size_t sessions, uint64_t seed, std::ostream& out, std::ostream& errors) {
  SoakFigures figures;
  const DeathReport deathReport;
  const auto began = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < sessions; ++i) {
    if (auto violation = runSoakSession(seed + i, figures)) {
      errors << "soak: violation in the session with seed " << violation->seed << ", step "
             << violation->step << ": " << violation->failure << "\n"
             << "soak: replay with lumivane-sim --check FILE on this script:\n"
             << violation->script;
      break;
    }
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  char line[256];
  std::snprintf(line, sizeof line,
                "soak: %zu sessions, %zu steps, %zu faults injected, %zu quit requests, "
                "%zu reopen requests, %zu violations, %.0f s simulated in %.1f s (seed %llu)\n",
                figures.sessions, figures.steps, figures.faults, figures.quitRequests,
                figures.openRequests, figures.violations, figures.simulatedSeconds, wall,
                static_cast<unsigned long long>(seed));
  out << line;
  return figures.violations == 0 ? 0 : 1;
}

} // namespace lumivane::sim
