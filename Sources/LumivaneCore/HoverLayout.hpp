#pragma once

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <optional>
#include <span>
#include <string_view>

namespace lumivane {

// Where the × goes relative to its icon.
enum class HoverPosition { automatic, leading, trailing };
// How far the × sits from its icon and from the Dock's name label.
enum class HoverDistance { compact, standard, spacious };

inline constexpr HoverPosition allHoverPositions[] = {
    HoverPosition::automatic, HoverPosition::leading, HoverPosition::trailing};
inline constexpr HoverDistance allHoverDistances[] = {
    HoverDistance::compact, HoverDistance::standard, HoverDistance::spacious};

// Raw values, as stored in the user defaults. Parsing accepts exactly these texts: no trimming,
// no case folding.
std::string_view rawValue(HoverPosition position);
std::string_view rawValue(HoverDistance distance);
[[nodiscard]] std::optional<HoverPosition> hoverPosition(std::string_view rawValue);
[[nodiscard]] std::optional<HoverDistance> hoverDistance(std::string_view rawValue);

struct HoverLayoutOptions {
  HoverPosition position = HoverPosition::automatic;
  HoverDistance distance = HoverDistance::standard;

  // Automatic position at the standard distance.
  static const HoverLayoutOptions defaults;

  friend bool operator==(const HoverLayoutOptions&, const HoverLayoutOptions&) = default;
};

inline constexpr HoverLayoutOptions HoverLayoutOptions::defaults{};

struct HoverPlacement {
  Rect frame;
  // The preferred options did not fit and the default layout was used instead.
  bool usedFallback = false;

  friend bool operator==(const HoverPlacement&, const HoverPlacement&) = default;
};

namespace HoverLayout {

// Height of the band the Dock's name label takes beside the hovered icon; the × never enters it.
inline constexpr double nameBandHeight = 36;

// The × square for an icon: inside the screen inset by 2, clear of the icon and of every
// obstacle. Tries the preferred options, then the defaults; nothing when neither fits or when
// any input rectangle is degenerate (zero size or non-finite). All rectangles top-left space.
[[nodiscard]] std::optional<HoverPlacement> placement(const Rect& icon, DockEdge edge,
                                                      const Rect& screen,
                                                      const HoverLayoutOptions& options,
                                                      std::span<const Rect> obstacles);

} // namespace HoverLayout

} // namespace lumivane
