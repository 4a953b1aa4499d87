#pragma once

#include <string>

namespace lumivane::shell {

// Renders the interface offscreen into PNG files in `directory`, each in the light and the dark
// appearance (names end in -light and -dark): the popover (its window, on wallpaper) in each
// attention state (with the troubleshooting note open), with its error lines and suspended, the
// layout section open for each Dock edge, the preview's fallback and hidden cases, the
// protected-apps section open (alone and in the popover), the welcome window before and after
// the Accessibility grant and its demonstration × lit, the status item's image enlarged (ready,
// badged, asking for attention), the × plain and hovered, and the simulated desktop with a
// visible ×, with the popover, with the status item's badge after a refused quit, with the
// popover beside a Dock on the right, with the status item asking for attention, with the
// layout section opened on a 1440×900 display, with the welcome window on a display 500 points
// high, and the diagnostics window a few hit tests in, alone and on the desktop. Prints each
// path; returns 0 when every file was written, 1 otherwise, 2 when the directory cannot be made.
int writeSnapshots(int argc, char** argv, const std::string& directory);

} // namespace lumivane::shell
