#pragma once

#include "DockWorld.hpp"
#include "Explorer.hpp"

#include <string>
#include <vector>

// Traces as scenario scripts for lumivane-sim (`--script FILE`, or `--check FILE` with the
// invariants on): the world's desktop, then every step at the moment the hover loop would see it.
// The pointer moves half a tick before each tick of the loop; once the loop has stopped, the
// next move comes late enough to start it with a step at once, as a move does.

namespace lumivane::proof {

// The counterexample, ending in the expectation the broken promise asks for: no × there, or no
// quit request for the application that was asked to quit.
std::string counterexampleScript(const DockWorld& world, const Counterexample& counterexample);

// The trace with, after each step, what the explorer saw: which × shows, which application a
// click or a press asked to quit.
std::string predictionScript(const DockWorld& world, const std::vector<TraceStep>& trace);

} // namespace lumivane::proof
