#include "LumivaneCore/DockGeometry.hpp"

#include "LumivaneCore/HoverLayout.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace lumivane::DockGeometry {

namespace {

// Half the × side: the corridor from the icon to the × is this wide on each side.
constexpr double pathRadius = hitSize / 2;
// How far an icon may move or grow between two reads and still count as the same frame.
constexpr double tolerance = 2;

// May a selection made for `anchor` survive now that the Dock reports `current`?
bool canKeepAnchor(const Rect& anchor, const Rect& current, DockEdge edge) {
  if (!(current.absWidth() > 1 && current.absHeight() > 1)) {
    return false;
  }
  if (current.absWidth() > anchor.absWidth() + tolerance ||
      current.absHeight() > anchor.absHeight() + tolerance) {
    return false;
  }
  if (edge == DockEdge::bottom) {
    return current.minX() <= anchor.midX() && anchor.midX() <= current.maxX();
  }
  return current.minY() <= anchor.midY() && anchor.midY() <= current.maxY();
}

// The × sits clear of the icon now reported, and that icon still holds the anchor of the one
// the × was placed for. Both retain tests start here.
bool staysAnchored(const Rect& button, const Rect& previousIcon, const Rect& icon, DockEdge edge) {
  return !intersects(button, icon) && canKeepAnchor(previousIcon, icon, edge);
}

// The gaps across the Dock between the icon's inner edge and the ×'s near edge: the × sat clear
// of the icon it was placed for, the icon has approached it by at most 2 points, and it has
// receded by no more than it shrank plus 2.
bool gapsHold(const Rect& button, const Rect& previousIcon, const Rect& icon, DockEdge edge) {
  double current = 0;
  double placed = 0;
  double shrink = 0;
  switch (edge) {
  case DockEdge::bottom:
    current = icon.minY() - button.maxY();
    placed = previousIcon.minY() - button.maxY();
    shrink = previousIcon.absHeight() - icon.absHeight();
    break;
  case DockEdge::left:
    current = button.minX() - icon.maxX();
    placed = button.minX() - previousIcon.maxX();
    shrink = previousIcon.absWidth() - icon.absWidth();
    break;
  case DockEdge::right:
    current = icon.minX() - button.maxX();
    placed = previousIcon.minX() - button.maxX();
    shrink = previousIcon.absWidth() - icon.absWidth();
    break;
  }
  return placed >= 0 && current >= std::max(placed - tolerance, 0.0) &&
         current <= placed + std::max(shrink, 0.0) + tolerance;
}

// The icon's inner edge has not advanced toward the × by more than 2 points, and lies within
// 2 points of the screen edge the Dock sits on.
bool innerEdgeHolds(const Rect& previousIcon, const Rect& icon, DockEdge edge, const Rect& screen) {
  switch (edge) {
  case DockEdge::bottom:
    return icon.minY() >= previousIcon.minY() - tolerance &&
           icon.minY() <= screen.maxY() + tolerance;
  case DockEdge::left:
    return icon.maxX() <= previousIcon.maxX() + tolerance &&
           icon.maxX() >= screen.minX() - tolerance;
  case DockEdge::right:
    return icon.minX() >= previousIcon.minX() - tolerance &&
           icon.minX() <= screen.maxX() + tolerance;
  }
  return false;
}

} // namespace

std::optional<Rect> screen(const Rect& rect, std::span<const Rect> screens) {
  if (screens.empty()) {
    return std::nullopt;
  }
  const Rect* best = &screens.front();
  double bestArea = area(intersection(*best, rect));
  for (const Rect& candidate : screens.subspan(1)) {
    const double candidateArea = area(intersection(candidate, rect));
    if (candidateArea > bestArea) {
      best = &candidate;
      bestArea = candidateArea;
    }
  }
  // A null overlap has no area, and neither does one that only touches an edge.
  if (!(bestArea > 0)) {
    return std::nullopt;
  }
  return *best;
}

DockEdge edge(const Rect& dock, const Rect& screen) {
  const double width = dock.absWidth();
  const double height = dock.absHeight();
  const double left = std::fabs(dock.minX() - screen.minX());
  const double right = std::fabs(screen.maxX() - dock.maxX());
  if (width > height) {
    return DockEdge::bottom;
  }
  if (height > width) {
    return left <= right ? DockEdge::left : DockEdge::right;
  }
  // A square list: the nearest edge wins, the earlier edge on a tie.
  const std::array<double, 3> distances{std::fabs(screen.maxY() - dock.maxY()), left, right};
  const auto nearest = std::ranges::min_element(distances);
  return allDockEdges[nearest - distances.begin()];
}

bool isOnButtonPath(Point point, const Rect& icon, const Rect& button, DockEdge edge) {
  if (contains(button, point)) {
    return true;
  }
  const bool onButtonSide = edge == DockEdge::bottom ? point.y < icon.midY()
                            : edge == DockEdge::left ? point.x > icon.midX()
                                                     : point.x < icon.midX();
  if (!onButtonSide) {
    return false;
  }
  const double dx = button.midX() - icon.midX();
  const double dy = button.midY() - icon.midY();
  const double lengthSquared = dx * dx + dy * dy;
  if (!(lengthSquared > 0)) {
    return false;
  }
  double t = ((point.x - icon.midX()) * dx + (point.y - icon.midY()) * dy) / lengthSquared;
  if (t <= 0) {
    t = 0;
  } else if (t > 1) {
    t = 1;
  }
  const double distanceX = point.x - (icon.midX() + t * dx);
  const double distanceY = point.y - (icon.midY() + t * dy);
  return distanceX * distanceX + distanceY * distanceY <= pathRadius * pathRadius;
}

bool canRetain(const Rect& button, const Rect& previousIcon, const Rect& icon, DockEdge edge) {
  return staysAnchored(button, previousIcon, icon, edge) &&
         gapsHold(button, previousIcon, icon, edge);
}

bool canRetainSelection(const Rect& button, const Rect& previousIcon, const Rect& icon,
                        DockEdge edge, const Rect& screen) {
  return staysAnchored(button, previousIcon, icon, edge) &&
         (gapsHold(button, previousIcon, icon, edge) ||
          innerEdgeHolds(previousIcon, icon, edge, screen));
}

bool sharesLane(const Rect& item, const Rect& rect, DockEdge edge) {
  if (edge == DockEdge::bottom) {
    return item.minX() < rect.maxX() && rect.minX() < item.maxX();
  }
  return item.minY() < rect.maxY() && rect.minY() < item.maxY();
}

Rect appKitRect(const Rect& rect, double primaryTop) {
  return {rect.minX(), primaryTop - rect.maxY(), rect.absWidth(), rect.absHeight()};
}

bool nearDockEdge(Point point, std::span<const Rect> screens, double margin) {
  return std::ranges::any_of(screens, [&](const Rect& screen) {
    return contains(screen, point) &&
           (point.x - screen.minX() <= margin || screen.maxX() - point.x <= margin ||
            screen.maxY() - point.y <= margin);
  });
}

std::optional<Rect> button(const Rect& icon, DockEdge edge, const Rect& screen) {
  const auto placement =
      HoverLayout::placement(icon, edge, screen, HoverLayoutOptions::defaults, {});
  if (!placement) {
    return std::nullopt;
  }
  return placement->frame;
}

} // namespace lumivane::DockGeometry
