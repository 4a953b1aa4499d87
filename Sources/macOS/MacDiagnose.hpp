#pragma once

namespace lumivane::mac {

// `Lumivane --diagnose`, run from Terminal: the diagnostics report on standard output through
// the macOS adapters, then its ten hit tests, one a second, on the main run loop. Writes no user
// defaults, shows nothing, asks for no permission. Call on the main thread before any other
// part of the app exists; returns the exit status (0).
int runDiagnose();

} // namespace lumivane::mac
