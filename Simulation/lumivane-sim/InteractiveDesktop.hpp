#pragma once

namespace lumivane::shell {

// The interactive simulated desktop as a program: needs a display. Arguments after the program
// name reach the simulated process (e.g. "--welcome"). Settings persist through QSettings.
int runDesktop(int argc, char** argv);

} // namespace lumivane::shell
