#include "LumivaneCore/HoverLayout.hpp"

#include <algorithm>
#include <limits>

namespace lumivane {

namespace {

constexpr double side = DockGeometry::hitSize;
constexpr double halfSide = side / 2;
constexpr double halfBand = HoverLayout::nameBandHeight / 2;
// Keeps the × this far inside every screen edge.
constexpr double screenInset = 2;

struct Gaps {
  double icon; // between the icon and what lies beside it
  double band; // between the name band and the ×
};

Gaps gaps(HoverDistance distance) {
  switch (distance) {
  case HoverDistance::compact:
    return {3, 3};
  case HoverDistance::standard:
    return {5, 6};
  case HoverDistance::spacious:
    return {13, 14};
  }
  return {5, 6};
}

// A rectangle's edges, x and x + width in order along each axis. Taken exactly rather than
// through a standardised copy, so that no rounding moves an edge.
struct Edges {
  double minX;
  double maxX;
  double minY;
  double maxY;
};

Edges edgesOf(const Rect& rect) {
  const double farX = rect.x + rect.width;
  const double farY = rect.y + rect.height;
  return {std::min(rect.x, farX), std::max(rect.x, farX), std::min(rect.y, farY),
          std::max(rect.y, farY)};
}

// Finite, with a width and height greater than zero whatever their sign. Judged on the edges,
// so that a size that vanishes or overflows at its coordinates in double precision (a 1e-12
// width at x = 1e6, a 1e308 width at x = 1e308) counts as degenerate too: no overlap test
// could see it. A NaN or an infinity anywhere leaves a span that is NaN, zero or infinite.
bool isUsable(const Edges& edges) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const double width = edges.maxX - edges.minX;
  const double height = edges.maxY - edges.minY;
  return 0 < width && width < infinity && 0 < height && height < infinity;
}

// CGRectIntersectsRect for usable rectangles: sharing only an edge or a corner is no overlap.
bool overlaps(const Edges& a, const Edges& b) {
  return a.minX < b.maxX && b.minX < a.maxX && a.minY < b.maxY && b.minY < a.maxY;
}

Rect candidate(const Rect& icon, DockEdge edge, const Rect& screen,
               const HoverLayoutOptions& options) {
  const Gaps gap = gaps(options.distance);
  if (edge == DockEdge::bottom) {
    const double anchor = options.position == HoverPosition::leading    ? icon.minX()
                          : options.position == HoverPosition::trailing ? icon.maxX()
                                                                        : icon.midX();
    double x = anchor - halfSide;
    if (x <= screen.minX() + screenInset) {
      x = screen.minX() + screenInset;
    }
    // Applied last, so the right edge wins on a screen too narrow for both.
    if (screen.maxX() - side - screenInset < x) {
      x = screen.maxX() - side - screenInset;
    }
    // Upward from the icon's top: icon gap, name band, band gap, then the ×.
    const double y = icon.minY() - gap.icon - HoverLayout::nameBandHeight - gap.band - side;
    return {x, y, side, side};
  }
  // Beside a left or right Dock the name band is centred on the icon's vertical middle.
  const double above = icon.midY() - halfBand - gap.band - side;
  const double below = icon.midY() + halfBand + gap.band;
  double y = below;
  switch (options.position) {
  case HoverPosition::automatic:
    y = screen.minY() + screenInset <= above ? above : below;
    break;
  case HoverPosition::leading:
    y = above;
    break;
  case HoverPosition::trailing:
    break;
  }
  const double x = edge == DockEdge::left ? icon.maxX() + gap.icon : icon.minX() - gap.icon - side;
  return {x, y, side, side};
}

// Inside the screen inset by 2 (CGRectContainsRect of CGRectInset) and clear of the icon. The
// square must be usable itself: at coordinates so large that it loses its size, nothing can be
// placed.
bool fits(const Edges& square, const Edges& icon, const Edges& screen) {
  return isUsable(square) && screen.minX + screenInset <= square.minX &&
         square.maxX <= screen.maxX - screenInset && screen.minY + screenInset <= square.minY &&
         square.maxY <= screen.maxY - screenInset && !overlaps(square, icon);
}

} // namespace

std::string_view rawValue(HoverPosition position) {
  switch (position) {
  case HoverPosition::automatic:
    return "automatic";
  case HoverPosition::leading:
    return "leading";
  case HoverPosition::trailing:
    return "trailing";
  }
  return {};
}

std::string_view rawValue(HoverDistance distance) {
  switch (distance) {
  case HoverDistance::compact:
    return "compact";
  case HoverDistance::standard:
    return "standard";
  case HoverDistance::spacious:
    return "spacious";
  }
  return {};
}

std::optional<HoverPosition> hoverPosition(std::string_view text) {
  for (const HoverPosition position : allHoverPositions) {
    if (rawValue(position) == text) {
      return position;
    }
  }
  return std::nullopt;
}

std::optional<HoverDistance> hoverDistance(std::string_view text) {
  for (const HoverDistance distance : allHoverDistances) {
    if (rawValue(distance) == text) {
      return distance;
    }
  }
  return std::nullopt;
}

namespace HoverLayout {

std::optional<HoverPlacement> placement(const Rect& icon, DockEdge edge, const Rect& screen,
                                        const HoverLayoutOptions& options,
                                        std::span<const Rect> obstacles) {
  const Edges iconEdges = edgesOf(icon);
  const Edges screenEdges = edgesOf(screen);
  if (!isUsable(iconEdges) || !isUsable(screenEdges)) {
    return std::nullopt;
  }
  // One pass validates every obstacle and tests the preferred square against it: a single
  // degenerate obstacle spoils the placement even after the square has hit another one.
  const Rect preferred = candidate(icon, edge, screen, options);
  const Edges preferredEdges = edgesOf(preferred);
  bool preferredFits = fits(preferredEdges, iconEdges, screenEdges);
  for (const Rect& obstacle : obstacles) {
    const Edges obstacleEdges = edgesOf(obstacle);
    if (!isUsable(obstacleEdges)) {
      return std::nullopt;
    }
    preferredFits = preferredFits && !overlaps(preferredEdges, obstacleEdges);
  }
  if (preferredFits) {
    return HoverPlacement{preferred, false};
  }
  // With the default options the fallback would be the very same candidate.
  if (options == HoverLayoutOptions::defaults) {
    return std::nullopt;
  }
  const Rect fallback = candidate(icon, edge, screen, HoverLayoutOptions::defaults);
  const Edges fallbackEdges = edgesOf(fallback);
  if (fits(fallbackEdges, iconEdges, screenEdges) &&
      std::ranges::none_of(obstacles, [&](const Rect& obstacle) {
        return overlaps(fallbackEdges, edgesOf(obstacle));
      })) {
    return HoverPlacement{fallback, true};
  }
  return std::nullopt;
}

} // namespace HoverLayout

} // namespace lumivane
