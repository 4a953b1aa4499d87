#pragma once

#include "DockWorld.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The promises of hover-to-quit and middle-click, checked as the user sees them: where the
// pointer is and has been, the icons the Dock shows, the × on the screen and the quit requests
// sent. Nothing here asks Lumivane's own rules (no hover decision, no hover state, no path or
// retain test): a check that shared them could not find their faults.

namespace lumivane::proof {

namespace promises {

// The document's hide delay, seconds, and the hover loop's tick.
inline constexpr double hideDelay = 0.15;
inline constexpr double tick = 1.0 / 30;

} // namespace promises

enum class Promise {
  standsForLastRest, // a visible × stands for the icon the pointer last rested on
  goneAfterRest,     // it is not shown while the pointer has rested longer than the hide delay
                     // on another item
  coversNothing,     // it never covers an item
  clickQuitsItsApp,  // a click on it asks to quit that application only
  middleQuitsUnderPointer, // a middle press asks to quit only the application under the pointer
  sparesTheUnquittable,    // no × and no quit request for the Finder or a protected application
};

std::string_view describe(Promise promise);

struct Broken {
  Promise promise;
  std::string detail; // what happened, in words

  friend bool operator==(const Broken&, const Broken&) = default;
};

// The × as the window system shows it: the application it was shown for, and where.
struct ShownButton {
  std::size_t icon = 0;
  Rect frame;
};

// What the promises need to remember of the pointer's way.
struct Watch {
  // Loop ticks the pointer has lingered on the icon under it without getting closer to the
  // visible ×: standing still, or moving elsewhere. Counted up to restTicks.
  uint8_t lingered = 0;
  // The icon the pointer last rested on, lingering longer than the hide delay.
  std::optional<std::size_t> rested;

  // Ticks of lingering that make a rest: the first count longer than the hide delay.
  static constexpr uint8_t restTicks =
      static_cast<uint8_t>(promises::hideDelay / promises::tick) + 1;

  friend bool operator==(const Watch&, const Watch&) = default;
};

namespace promises {

// The watch after one tick in which the pointer went from `before` (nothing: it came from far
// away) to `after`, with `shown` on the screen during the move.
Watch follow(const Watch& watch, const Scene* before, const Scene& after,
             const std::optional<ShownButton>& shown);

// The promises what the screen shows now breaks.
std::vector<Broken> checkScreen(const DockWorld& world, const Watch& watch, const Scene& scene,
                                const std::optional<ShownButton>& shown);

// The promises broken by a click on the × with the pointer at `scene` that asked to quit
// `requested`: it must be the application the visible × stands for, the one the pointer last
// rested on, and one the user may quit.
std::vector<Broken> checkClick(const DockWorld& world, const Watch& watch, const Scene& scene,
                               const std::optional<ShownButton>& shown,
                               const AppIdentity& requested);

// The promises broken by a middle press with the pointer at `scene` that asked to quit
// `requested`: only the application whose icon is under the pointer, and one the user may quit.
std::vector<Broken> checkMiddlePress(const DockWorld& world, const Scene& scene,
                                     const AppIdentity& requested);

} // namespace promises

} // namespace lumivane::proof
