#pragma once

#include "LumivaneCore/Geometry.hpp"

#include <optional>
#include <span>
#include <string_view>

// Unless a function says otherwise, points and rectangles are in the Accessibility interface's
// top-left space: origin at the primary display's top-left corner, y growing downward, points.

namespace lumivane {

// The screen edge the Dock sits on. The Dock is never on the top edge.
enum class DockEdge { bottom, left, right };

inline constexpr DockEdge allDockEdges[] = {DockEdge::bottom, DockEdge::left, DockEdge::right};

// "bottom", "left" or "right", as reports and scripts name the edge.
constexpr std::string_view edgeName(DockEdge edge) {
  switch (edge) {
  case DockEdge::bottom:
    return "bottom";
  case DockEdge::left:
    return "left";
  case DockEdge::right:
    return "right";
  }
  return "bottom";
}

namespace DockGeometry {

// Side of the square × button and of its clickable area.
inline constexpr double hitSize = 32;
// The standard gap between an icon and its × button.
inline constexpr double gap = 5;

// The screen that overlaps `rect` most (ties go to the earlier screen); nothing when none does.
[[nodiscard]] std::optional<Rect> screen(const Rect& rect, std::span<const Rect> screens);

// The edge a Dock whose item list has frame `dock` sits on.
DockEdge edge(const Rect& dock, const Rect& screen);

// Whether the pointer is in the corridor from the icon's centre to the ×, within 16 points.
bool isOnButtonPath(Point point, const Rect& icon, const Rect& button, DockEdge edge);

// Whether the × placed for `previousIcon` may stay now that the Dock reports `icon` for the
// same item: the icon may have moved toward the × by at most 2 points, and away from it by no
// more than it shrank plus 2.
bool canRetain(const Rect& button, const Rect& previousIcon, const Rect& icon, DockEdge edge);

// The looser test used when validating a click: canRetain, or the icon's inner edge has not
// advanced toward the × by more than 2 points and lies within 2 points of the screen edge.
bool canRetainSelection(const Rect& button, const Rect& previousIcon, const Rect& icon,
                        DockEdge edge, const Rect& screen);

// Whether `item` and `rect` overlap along the Dock (across x for a bottom Dock, across y for a
// side one): an item moving across the Dock, as a bounce moves it, can come to cover `rect` only
// then.
bool sharesLane(const Rect& item, const Rect& rect, DockEdge edge);

// Converts a top-left rectangle into the window system's bottom-left space. `primaryTop` is the
// primary display's top edge in that space.
Rect appKitRect(const Rect& rect, double primaryTop);

// Cheap pre-filter: the point lies on a screen within `margin` of its left, right or bottom edge.
bool nearDockEdge(Point point, std::span<const Rect> screens, double margin);

// The × frame for the default layout with no obstacles, or nothing when none fits.
[[nodiscard]] std::optional<Rect> button(const Rect& icon, DockEdge edge, const Rect& screen);

} // namespace DockGeometry

} // namespace lumivane
