#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

// The fault-injecting soak: many random whole sessions of Lumivane on the simulated desktop,
// each a few simulated minutes of what real use and a misbehaving system do, with the
// invariants (Invariants.hpp) checked after every step and every slice of time.
//
// A session is drawn from its seed alone: a desktop (one to three displays, the Dock on any
// edge, 5 to 40 items, magnification on or off, applications that quit at once, late, never or
// refuse), then a stream of steps chosen as it runs (pointer paths, clicks, presses, application
// events, Accessibility faults, latency, permission and power changes), each written as a line
// of the scenario language. The lines run so far are therefore a script that replays the
// session exactly. Main thread; deterministic.

namespace lumivane::sim {

struct SoakFigures {
  std::size_t sessions = 0;
  std::size_t steps = 0;
  std::size_t faults = 0;       // steps that made the system misbehave
  std::size_t quitRequests = 0; // quit requests Lumivane sent
  std::size_t violations = 0;
  double simulatedSeconds = 0;
};

struct SoakViolation {
  uint64_t seed = 0;    // the session's own seed: `--soak 1 --seed SEED` runs it again
  std::size_t step = 0; // 1-based, counting the steps after launch
  std::string failure;  // "line 57: invariant 4: ..."
  std::string script;   // the session up to the failing step, in the scenario language
};

// Runs the session drawn from `seed`, adding to `figures`; the first violation, if any.
std::optional<SoakViolation> runSoakSession(uint64_t seed, SoakFigures& figures);

// Runs `sessions` sessions with the seeds `seed`, `seed` + 1, … and stops at the first
// violation, which goes to `errors` with its seed, step and replay script. Writes one line of
// figures to `out` at the end. Returns 0 without a violation, 1 with one.
int runSoak(std::size_t sessions, uint64_t seed, std::ostream& out, std::ostream& errors);

} // namespace lumivane::sim
