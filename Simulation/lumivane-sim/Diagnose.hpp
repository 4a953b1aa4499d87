#pragma once

#include <iosfwd>
#include <string_view>

namespace lumivane::sim {

// The desktop `lumivane-sim --diagnose` reports on when no script is given: two displays, a
// magnifying bottom Dock with an item for each reason an icon gets no ×, and a few that do.
std::string_view diagnoseDesktopScript();

// The report of `Lumivane --diagnose` on a simulated desktop: sets up the desktop that the
// script's lines describe (a desktop, not a session: `launch` is refused), then runs the same
// report while the pointer rests on one Dock item after another, one a second, for its ten hit
// tests. The report goes to `out`, one line each; a malformed script or a set-up step that cannot
// run to `errors`. Returns scenarioPassed, scenarioFailed or scenarioMalformed.
int runDiagnose(std::string_view script, std::ostream& out, std::ostream& errors);

} // namespace lumivane::sim
