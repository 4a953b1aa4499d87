#pragma once

#include "LumivaneCore/AppIdentity.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverState.hpp"

#include <optional>

// The hover decision: one step of the hover loop as a function from what the loop remembers and
// what it sees now to what it remembers next and what the × panel does. Every rule that shows,
// keeps, moves, re-targets or hides the × is here; the hover controller reads the Dock, calls
// it and acts. Points and rectangles are in the top-left space; times are seconds of the loop's
// monotonic clock.

namespace lumivane {

// One application's Dock icon and the × placed beside it, as measured at one moment.
struct HoverMark {
  AppIdentity app;
  Rect icon;
  Rect button;
  DockEdge edge = DockEdge::bottom;

  friend bool operator==(const HoverMark&, const HoverMark&) = default;
};

// What one look at the Dock found under the pointer.
struct HoverSighting {
  enum class Kind {
    nothing,          // no Dock item there: a gap, the list's padding, a window above the Dock
    unreadable,       // the Dock could not be read there in time
    item,             // an item that stands for no application one may quit now: a folder, the
                      // Finder, a protected application, one whose quit request is pending
    appWithoutButton, // a quittable application's icon, with no room for its ×
    app,              // a quittable application's icon, and where its × goes
  };

  static HoverSighting nothing() { return {Kind::nothing, std::nullopt, std::nullopt}; }
  static HoverSighting unreadable() { return {Kind::unreadable, std::nullopt, std::nullopt}; }
  static HoverSighting item() { return {Kind::item, std::nullopt, std::nullopt}; }
  static HoverSighting appWithoutButton(const AppIdentity& app) {
    return {Kind::appWithoutButton, app, std::nullopt};
  }
  static HoverSighting app(const HoverMark& mark) { return {Kind::app, mark.app, mark}; }

  Kind kind = Kind::nothing;
  std::optional<AppIdentity> application; // appWithoutButton and app
  std::optional<HoverMark> mark;          // app

  friend bool operator==(const HoverSighting&, const HoverSighting&) = default;
};

enum class PressedButtons { none, leftOnly, other };

// What the loop sees at one step.
struct HoverSample {
  double now = 0;
  Point pointer;
  PressedButtons pressed = PressedButtons::none;
  // The window system shows the × panel.
  bool panelVisible = false;
  // What lies under the pointer; nothing while the pointer is on the visible ×, where the Dock
  // is not under it.
  HoverSighting sighting;
  // The answers of the one further look at the remembered item that HoverDecision::check asks
  // for, if any. Validated: the item still stands for its × where it is (same application,
  // still anchored under it, no item covering it, no request pending). Remeasured: the item
  // measured where it is now, with its × placed afresh; absent when it no longer shows the
  // same quittable application with no request pending, or has no room for a ×.
  bool validated = false;
  std::optional<HoverMark> remeasured;
  // With the re-measure: a Dock item's current frame covers the remembered ×.
  bool rememberedButtonCovered = false;
};

// The pointer's way since the × showed, judged against the × it may be heading for.
struct HoverTrip {
  Point from;               // where the pointer was when it last moved
  bool approaching = false; // that move brought it towards the ×
  double approachedAt = 0;  // when it last moved towards the ×

  friend bool operator==(const HoverTrip&, const HoverTrip&) = default;
};

// Everything the decision remembers between steps. A plain value, so that every reachable
// state can be compared and enumerated.
struct HoverMemory {
  HoverMemory();

  HoverState state;
  // The item the × stands for (or will, once shown).
  std::optional<HoverMark> mark;
  // The pointer left the icon towards the visible × and the item was validated for it: the
  // loop keeps validating instead of re-measuring.
  bool validatedForTrip = false;
  // The last step kept the × while the pointer crossed another item on its way there.
  bool passingOver = false;
  HoverTrip trip;

  friend bool operator==(const HoverMemory&, const HoverMemory&) = default;
};

// What the × panel does after a step.
enum class HoverEffect {
  keep,  // stays as it is
  show,  // shows, or moves, at the mark's × frame
  hide,  // hides; the loop goes on with its target
  reset, // the loop forgets everything, hides the × and stops
};

struct HoverVerdict {
  HoverMemory memory;
  HoverEffect effect = HoverEffect::keep;
  // The memory's mark is the sighting's: the item under the pointer is the new target.
  bool adoptedSighting = false;
};

namespace HoverDecision {

inline constexpr double showDelay = 0.25;
inline constexpr double hideDelay = 0.15;
// Points a pointer must move between two steps for the move to count: a smaller drift is a
// resting hand.
inline constexpr double minimumMotion = 2;

// The pointer is on the × the window system shows for the mark.
bool isOnVisibleButton(const HoverMemory& memory, Point pointer, bool panelVisible);

// The further look at the remembered item a step needs, given what lies under the pointer.
enum class Check { none, validate, remeasure };
Check check(const HoverMemory& memory, const HoverSample& sample);

// One step.
HoverVerdict decide(const HoverMemory& memory, const HoverSample& sample);

// No later step with the pointer where it is and the Dock as it is can change the decision by
// the passing of time alone: nothing is tracked, or the × shows with the pointer on its icon or
// on the way to it (and not crossing another item).
bool isSettled(const HoverMemory& memory);

} // namespace HoverDecision

} // namespace lumivane
