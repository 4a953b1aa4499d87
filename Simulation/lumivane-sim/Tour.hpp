#pragma once

#include <string_view>

namespace lumivane::sim {

// The scenario `lumivane-sim` runs without arguments: a bottom Dock of ten items, a hover quit,
// a middle-click quit, the save-prompt time-out and its late end, the Finder getting no ×, and
// a screen lock pausing both features. It checks its own expectations like any script.
std::string_view tourScript();

} // namespace lumivane::sim
