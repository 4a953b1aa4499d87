#include "LumivaneCore/HoverLayout.hpp"

#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace lumivane {
namespace {

using HoverLayout::placement;

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

constexpr HoverLayoutOptions options(HoverPosition position, HoverDistance distance) {
  return {position, distance};
}

struct PlacementExample {
  const char* name;
  Rect icon;
  DockEdge edge;
  Rect screen;
  HoverLayoutOptions options;
  HoverPlacement expected;
};

class HoverLayoutExamples : public ::testing::TestWithParam<PlacementExample> {};

TEST_P(HoverLayoutExamples, PlacesTheButtonWhereExpected) {
  const PlacementExample& example = GetParam();
  EXPECT_EQ(placement(example.icon, example.edge, example.screen, example.options, {}),
            example.expected);
}

const Rect wideScreen{0, 0, 1440, 1100};
const Rect bottomIcon{100, 1000, 64, 64};
const Rect laptopScreen{0, 0, 1440, 900};

INSTANTIATE_TEST_SUITE_P(
    BottomDock, HoverLayoutExamples,
    ::testing::Values(PlacementExample{"AutomaticStandard",
                                       bottomIcon,
                                       DockEdge::bottom,
                                       wideScreen,
                                       HoverLayoutOptions::defaults,
                                       {{116, 921, 32, 32}, false}},
                      PlacementExample{"AutomaticCompact",
                                       bottomIcon,
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::automatic, HoverDistance::compact),
                                       {{116, 926, 32, 32}, false}},
                      PlacementExample{"AutomaticSpacious",
                                       bottomIcon,
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::automatic, HoverDistance::spacious),
                                       {{116, 905, 32, 32}, false}},
                      PlacementExample{"LeadingStandard",
                                       bottomIcon,
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::leading, HoverDistance::standard),
                                       {{84, 921, 32, 32}, false}},
                      PlacementExample{"TrailingStandard",
                                       bottomIcon,
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::trailing, HoverDistance::standard),
                                       {{148, 921, 32, 32}, false}},
                      // Negative sizes describe the same icon.
                      PlacementExample{"NegativeSizeIcon",
                                       {164, 1064, -64, -64},
                                       DockEdge::bottom,
                                       wideScreen,
                                       HoverLayoutOptions::defaults,
                                       {{116, 921, 32, 32}, false}},
                      // Clamped horizontally inside the screen's 2-point margin, never vertically.
                      PlacementExample{"LeadingFlushLeft",
                                       {0, 1000, 64, 64},
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::leading, HoverDistance::standard),
                                       {{2, 921, 32, 32}, false}},
                      PlacementExample{"LeadingWithinTheMargin",
                                       {17, 1000, 64, 64},
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::leading, HoverDistance::standard),
                                       {{2, 921, 32, 32}, false}},
                      PlacementExample{"TrailingFlushRight",
                                       {1376, 1000, 64, 64},
                                       DockEdge::bottom,
                                       wideScreen,
                                       options(HoverPosition::trailing, HoverDistance::standard),
                                       {{1406, 921, 32, 32}, false}},
                      PlacementExample{"OffsetScreen",
                                       {-1340, 1000, 64, 64},
                                       DockEdge::bottom,
                                       {-1440, 100, 1440, 1000},
                                       options(HoverPosition::leading, HoverDistance::compact),
                                       {{-1356, 926, 32, 32}, false}},
                      // Near the screen's top: only the compact candidate still fits.
                      PlacementExample{"NearTopCompact",
                                       {100, 80, 64, 64},
                                       DockEdge::bottom,
                                       laptopScreen,
                                       options(HoverPosition::automatic, HoverDistance::compact),
                                       {{116, 6, 32, 32}, false}}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    SideDocks, HoverLayoutExamples,
    ::testing::Values(PlacementExample{"LeftAutomaticAbove",
                                       {0, 500, 64, 64},
                                       DockEdge::left,
                                       laptopScreen,
                                       HoverLayoutOptions::defaults,
                                       {{69, 476, 32, 32}, false}},
                      PlacementExample{"LeftAutomaticBelowAtTop",
                                       {0, 10, 64, 64},
                                       DockEdge::left,
                                       laptopScreen,
                                       HoverLayoutOptions::defaults,
                                       {{69, 66, 32, 32}, false}},
                      // Above would be y = 1: on the screen, but inside its 2-point margin.
                      PlacementExample{"LeftAutomaticBelowWithinTheMargin",
                                       {0, 25, 64, 64},
                                       DockEdge::left,
                                       laptopScreen,
                                       HoverLayoutOptions::defaults,
                                       {{69, 81, 32, 32}, false}},
                      PlacementExample{"LeftLeadingFallsBack",
                                       {0, 10, 64, 64},
                                       DockEdge::left,
                                       laptopScreen,
                                       options(HoverPosition::leading, HoverDistance::standard),
                                       {{69, 66, 32, 32}, true}},
                      PlacementExample{"LeftTrailingSpacious",
                                       {0, 500, 64, 64},
                                       DockEdge::left,
                                       laptopScreen,
                                       options(HoverPosition::trailing, HoverDistance::spacious),
                                       {{77, 564, 32, 32}, false}},
                      PlacementExample{"RightLeadingCompact",
                                       {1376, 500, 64, 64},
                                       DockEdge::right,
                                       laptopScreen,
                                       options(HoverPosition::leading, HoverDistance::compact),
                                       {{1341, 479, 32, 32}, false}},
                      PlacementExample{"RightAutomaticStandard",
                                       {1376, 500, 64, 64},
                                       DockEdge::right,
                                       laptopScreen,
                                       HoverLayoutOptions::defaults,
                                       {{1339, 476, 32, 32}, false}}),
    [](const auto& info) { return info.param.name; });

// The settings preview: its canvas stands in for the screen.
const Rect previewCanvas{0, 0, 288, 190};

INSTANTIATE_TEST_SUITE_P(Preview, HoverLayoutExamples,
                         ::testing::Values(PlacementExample{"Bottom",
                                                            {119, 132, 50, 50},
                                                            DockEdge::bottom,
                                                            previewCanvas,
                                                            HoverLayoutOptions::defaults,
                                                            {{128, 53, 32, 32}, false}},
                                           PlacementExample{"Left",
                                                            {8, 70, 50, 50},
                                                            DockEdge::left,
                                                            previewCanvas,
                                                            HoverLayoutOptions::defaults,
                                                            {{63, 39, 32, 32}, false}},
                                           PlacementExample{"Right",
                                                            {230, 70, 50, 50},
                                                            DockEdge::right,
                                                            previewCanvas,
                                                            HoverLayoutOptions::defaults,
                                                            {{193, 39, 32, 32}, false}}),
                         [](const auto& info) { return info.param.name; });

TEST(HoverLayoutFit, NoRoomAtTheTopIsAbsent) {
  // Standard y would be 1: inside the screen but not its 2-point margin.
  EXPECT_EQ(placement({100, 80, 64, 64}, DockEdge::bottom, laptopScreen,
                      HoverLayoutOptions::defaults, {}),
            std::nullopt);
  // Compact y would be 1 and the standard fallback -4.
  EXPECT_EQ(placement({100, 75, 64, 64}, DockEdge::bottom, laptopScreen,
                      options(HoverPosition::automatic, HoverDistance::compact), {}),
            std::nullopt);
  EXPECT_EQ(DockGeometry::button({100, 80, 64, 64}, DockEdge::bottom, laptopScreen), std::nullopt);
}

TEST(HoverLayoutFit, ScreenTooNarrowIsAbsent) {
  EXPECT_EQ(placement({0, 1000, 30, 64}, DockEdge::bottom, {0, 0, 35, 1100},
                      HoverLayoutOptions::defaults, {}),
            std::nullopt);
  EXPECT_EQ(placement({0, 1000, 30, 64}, DockEdge::bottom, {0, 0, 36, 1100},
                      HoverLayoutOptions::defaults, {}),
            (HoverPlacement{{2, 921, 32, 32}, false}));
}

TEST(HoverLayoutFit, SideDockButtonMustStayOnTheScreen) {
  // The × goes beside the icon, toward the screen's middle, with no horizontal clamp.
  EXPECT_EQ(
      placement({30, 500, 64, 64}, DockEdge::right, laptopScreen, HoverLayoutOptions::defaults, {}),
      std::nullopt);
  EXPECT_EQ(placement({1350, 500, 64, 64}, DockEdge::left, laptopScreen,
                      options(HoverPosition::trailing, HoverDistance::compact), {}),
            std::nullopt);
}

TEST(HoverLayoutObstacles, TouchingIsClearOverlappingIsNot) {
  // The standard square spans x 116...148 and y 921...953; these share one edge or a corner.
  const std::vector<Rect> touching{{116, 953, 32, 10},
                                   {148, 921, 10, 32},
                                   {100, 921, 16, 32},
                                   {116, 900, 32, 21},
                                   {0, 0, 116, 921}};
  EXPECT_EQ(
      placement(bottomIcon, DockEdge::bottom, wideScreen, HoverLayoutOptions::defaults, touching),
      (HoverPlacement{{116, 921, 32, 32}, false}));
  const std::vector<Rect> overlapping{{0, 0, 10, 10}, {147.5, 921, 10, 32}};
  EXPECT_EQ(placement(bottomIcon, DockEdge::bottom, wideScreen, HoverLayoutOptions::defaults,
                      overlapping),
            std::nullopt);
}

TEST(HoverLayoutObstacles, BlockedPreferenceFallsBackToStandard) {
  const auto spacious = options(HoverPosition::automatic, HoverDistance::spacious);
  const std::vector<Rect> blocksSpacious{{116, 900, 32, 10}};
  EXPECT_EQ(placement(bottomIcon, DockEdge::bottom, wideScreen, spacious, blocksSpacious),
            (HoverPlacement{{116, 921, 32, 32}, true}));
  const std::vector<Rect> blocksBoth{{116, 900, 32, 40}};
  EXPECT_EQ(placement(bottomIcon, DockEdge::bottom, wideScreen, spacious, blocksBoth),
            std::nullopt);
}

TEST(HoverLayoutValidation, AnyDegenerateRectangleGivesNothing) {
  const auto placed = [](const Rect& icon, const Rect& screen, std::vector<Rect> obstacles) {
    return placement(icon, DockEdge::bottom, screen,
                     options(HoverPosition::leading, HoverDistance::compact), obstacles)
        .has_value();
  };
  EXPECT_TRUE(placed(bottomIcon, wideScreen, {{1000, 10, 5, 5}}));
  // One zero-width obstacle far from the × spoils the whole placement.
  EXPECT_FALSE(placed(bottomIcon, wideScreen, {{1000, 10, 5, 5}, {1300, 10, 0, 5}}));
  EXPECT_FALSE(placed(bottomIcon, wideScreen, {{1000, 10, nan, 5}}));
  EXPECT_FALSE(placed(bottomIcon, wideScreen, {{1000, -infinity, 5, 5}}));
  EXPECT_FALSE(placed({100, 1000, 64, 0}, wideScreen, {}));
  EXPECT_FALSE(placed({100, 1000, 64, infinity}, wideScreen, {}));
  EXPECT_FALSE(placed(bottomIcon, {0, nan, 1440, 1100}, {}));
  EXPECT_FALSE(placed(bottomIcon, {0, 0, infinity, 1100}, {}));
  EXPECT_FALSE(placed(bottomIcon, {-infinity, 0, 1440, 1100}, {}));
  EXPECT_FALSE(placed(bottomIcon, {0, 0, 1440, -0.0}, {}));
}

TEST(HoverLayoutValidation, SizesLostToRoundingAreDegenerate) {
  const auto placed = [](const Rect& icon, const Rect& screen, std::vector<Rect> obstacles) {
    return placement(icon, DockEdge::bottom, screen, HoverLayoutOptions::defaults, obstacles)
        .has_value();
  };
  // A width that vanishes at its x, and one that overflows.
  EXPECT_FALSE(placed(bottomIcon, wideScreen, {{1e6, 10, 1e-12, 5}}));
  EXPECT_FALSE(placed({1e308, 1000, 1e308, 64}, wideScreen, {}));
  // So far out that a 32-point square has no size left: an obstacle there could not be seen.
  const Rect farScreen{0, 0, 2e300, 2e300};
  EXPECT_FALSE(placed({1e300, 1e300, 1e290, 1e290}, farScreen, {}));
  EXPECT_TRUE(placed({1e12, 1e12, 64, 64}, farScreen, {}));
}

TEST(HoverLayoutButton, IsTheDefaultPlacementWithoutObstacles) {
  EXPECT_EQ(DockGeometry::button(bottomIcon, DockEdge::bottom, wideScreen),
            (Rect{116, 921, 32, 32}));
  EXPECT_EQ(DockGeometry::button({1376, 500, 64, 64}, DockEdge::right, laptopScreen),
            (Rect{1339, 476, 32, 32}));
  EXPECT_EQ(DockGeometry::button({100, 1000, 64, nan}, DockEdge::bottom, wideScreen), std::nullopt);
}

TEST(HoverLayoutRawValues, ParseExactlyTheStoredTexts) {
  for (const HoverPosition position : allHoverPositions) {
    EXPECT_EQ(hoverPosition(rawValue(position)), position);
  }
  for (const HoverDistance distance : allHoverDistances) {
    EXPECT_EQ(hoverDistance(rawValue(distance)), distance);
  }
  EXPECT_EQ(rawValue(HoverPosition::automatic), "automatic");
  EXPECT_EQ(rawValue(HoverPosition::leading), "leading");
  EXPECT_EQ(rawValue(HoverPosition::trailing), "trailing");
  EXPECT_EQ(rawValue(HoverDistance::compact), "compact");
  EXPECT_EQ(rawValue(HoverDistance::standard), "standard");
  EXPECT_EQ(rawValue(HoverDistance::spacious), "spacious");
  EXPECT_EQ(hoverDistance("standard"), HoverDistance::standard);
  EXPECT_EQ(hoverPosition("Leading"), std::nullopt);
  EXPECT_EQ(hoverPosition("auto"), std::nullopt);
  EXPECT_EQ(hoverPosition(" leading"), std::nullopt);
  EXPECT_EQ(hoverPosition(""), std::nullopt);
  EXPECT_EQ(hoverDistance("Standard"), std::nullopt);
  EXPECT_EQ(hoverDistance("spacious\n"), std::nullopt);
}

// Random Docks: a screen, an icon near one of its edges, neighbouring items as obstacles.
class RandomDocks {
public:
  explicit RandomDocks(uint64_t seed) : random_(seed) {}

  struct Case {
    Rect icon;
    DockEdge edge;
    Rect screen;
    HoverLayoutOptions options;
    std::vector<Rect> obstacles;
  };

  Case next() {
    Case dock;
    dock.screen = {uniform(-3000, 3000), uniform(-1500, 1500), uniform(20, 3000),
                   uniform(20, 2000)};
    dock.edge = allDockEdges[index(3)];
    const double size = uniform(16, 128);
    const Rect& screen = dock.screen;
    switch (dock.edge) {
    case DockEdge::bottom:
      dock.icon = {uniform(screen.minX() - size, screen.maxX()),
                   screen.maxY() - size - uniform(-4, 8), size, size};
      break;
    case DockEdge::left:
      dock.icon = {screen.minX() + uniform(-4, 8), uniform(screen.minY() - size, screen.maxY()),
                   size, size};
      break;
    case DockEdge::right:
      dock.icon = {screen.maxX() - size - uniform(-4, 8),
                   uniform(screen.minY() - size, screen.maxY()), size, size};
      break;
    }
    dock.options = {allHoverPositions[index(3)], allHoverDistances[index(3)]};
    const std::size_t count = index(12);
    for (std::size_t i = 0; i < count; ++i) {
      dock.obstacles.push_back({dock.icon.x + uniform(-150, 150), dock.icon.y + uniform(-150, 150),
                                uniform(1, 80), uniform(1, 80)});
    }
    return dock;
  }

private:
  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }
  std::size_t index(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }

  std::mt19937_64 random_;
};

// Plain interval arithmetic, independent of the rectangle helpers under test.
bool overlaps(const Rect& a, const Rect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(HoverLayoutProperty, PlacementIsAlwaysSafe) {
  RandomDocks docks(20240611);
  int placed = 0;
  int fallbacks = 0;
  for (int i = 0; i < 5000; ++i) {
    const RandomDocks::Case dock = docks.next();
    const auto result = placement(dock.icon, dock.edge, dock.screen, dock.options, dock.obstacles);
    if (!result) {
      continue;
    }
    ++placed;
    const Rect& frame = result->frame;
    ASSERT_EQ(frame.width, 32);
    ASSERT_EQ(frame.height, 32);
    ASSERT_GE(frame.x, dock.screen.x + 2);
    ASSERT_LE(frame.x + 32, dock.screen.x + dock.screen.width - 2);
    ASSERT_GE(frame.y, dock.screen.y + 2);
    ASSERT_LE(frame.y + 32, dock.screen.y + dock.screen.height - 2);
    ASSERT_FALSE(overlaps(frame, dock.icon));
    for (const Rect& obstacle : dock.obstacles) {
      ASSERT_FALSE(overlaps(frame, obstacle));
    }
    fallbacks += result->usedFallback;
    if (result->usedFallback) {
      ASSERT_NE(dock.options, HoverLayoutOptions::defaults);
      const auto standard = placement(dock.icon, dock.edge, dock.screen,
                                      HoverLayoutOptions::defaults, dock.obstacles);
      ASSERT_TRUE(standard);
      ASSERT_EQ(frame, standard->frame);
    }
  }
  // Enough cases must place a ×, and some through the fallback, for the checks to bite.
  EXPECT_GT(placed, 1000);
  EXPECT_GT(fallbacks, 100);
}

TEST(HoverLayoutProperty, DefaultOptionsNeverFallBack) {
  RandomDocks docks(7);
  int placed = 0;
  for (int i = 0; i < 5000; ++i) {
    const RandomDocks::Case dock = docks.next();
    const auto result =
        placement(dock.icon, dock.edge, dock.screen, HoverLayoutOptions::defaults, dock.obstacles);
    if (result) {
      ++placed;
      ASSERT_FALSE(result->usedFallback);
      ASSERT_EQ(DockGeometry::button(dock.icon, dock.edge, dock.screen), result->frame);
    }
  }
  EXPECT_GT(placed, 1000);
}

} // namespace
} // namespace lumivane
