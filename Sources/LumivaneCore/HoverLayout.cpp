#include "LumivaneCore/HoverLayout.hpp"

#include <algorithm>
#include <cmath>

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

// Finite, with a non-zero width and height whatever their sign.
bool isUsable(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height) && rect.absWidth() > 0 && rect.absHeight() > 0;
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

bool isAcceptable(const Rect& frame, const Rect& icon, const Rect& screen,
                  std::span<const Rect> obstacles) {
  return contains(inset(screen, screenInset, screenInset), frame) && !intersects(frame, icon) &&
         std::ranges::none_of(obstacles,
                              [&](const Rect& obstacle) { return intersects(frame, obstacle); });
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
  if (!isUsable(icon) || !isUsable(screen) || !std::ranges::all_of(obstacles, isUsable)) {
    return std::nullopt;
  }
  const Rect preferred = candidate(icon, edge, screen, options);
  if (isAcceptable(preferred, icon, screen, obstacles)) {
    return HoverPlacement{preferred, false};
  }
  // With the default options the fallback would be the very same candidate.
  if (options == HoverLayoutOptions::defaults) {
    return std::nullopt;
  }
  const Rect fallback = candidate(icon, edge, screen, HoverLayoutOptions::defaults);
  if (isAcceptable(fallback, icon, screen, obstacles)) {
    return HoverPlacement{fallback, true};
  }
  return std::nullopt;
}

} // namespace HoverLayout

} // namespace lumivane
