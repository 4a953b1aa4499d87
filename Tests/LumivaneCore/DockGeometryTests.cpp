#include "LumivaneCore/DockGeometry.hpp"

#include <gtest/gtest.h>
#include <vector>

namespace lumivane {
namespace {

using namespace DockGeometry;

const Rect mainScreen{0, 0, 1440, 900};
const Rect sideScreen{1440, 0, 1920, 1080};

TEST(DockGeometryScreen, PicksTheLargestOverlap) {
  const std::vector<Rect> screens{mainScreen, sideScreen};
  EXPECT_EQ(screen({1400, 100, 100, 50}, screens), sideScreen);
  EXPECT_EQ(screen({1360, 100, 100, 50}, screens), mainScreen);
  // Equal overlaps go to the earlier screen, whichever comes first.
  EXPECT_EQ(screen({1390, 100, 100, 50}, screens), mainScreen);
  EXPECT_EQ(screen({1390, 100, 100, 50}, std::vector{sideScreen, mainScreen}), sideScreen);
}

TEST(DockGeometryScreen, NoOverlapIsAbsent) {
  const std::vector<Rect> screens{mainScreen, sideScreen};
  EXPECT_EQ(screen({0, 0, 10, 10}, {}), std::nullopt);
  EXPECT_EQ(screen({-100, -100, 50, 50}, screens), std::nullopt);
  // Touching the first screen's edge only is no overlap either.
  EXPECT_EQ(screen({0, 900, 100, 50}, screens), std::nullopt);
  EXPECT_EQ(screen({10, 10, 0, 10}, screens), std::nullopt);
}

TEST(DockGeometryEdge, LongSideDecides) {
  EXPECT_EQ(edge({220, 820, 1000, 80}, mainScreen), DockEdge::bottom);
  EXPECT_EQ(edge({220, 0, 1000, 80}, mainScreen), DockEdge::bottom);
  EXPECT_EQ(edge({0, 150, 80, 600}, mainScreen), DockEdge::left);
  EXPECT_EQ(edge({1360, 150, 80, 600}, mainScreen), DockEdge::right);
  // Equally far from both sides counts as left.
  EXPECT_EQ(edge({680, 150, 80, 600}, mainScreen), DockEdge::left);
  EXPECT_EQ(edge({1440 + 1840, 150, 80, 600}, sideScreen), DockEdge::right);
}

TEST(DockGeometryEdge, SquareListGoesToTheNearestEdge) {
  EXPECT_EQ(edge({10, 810, 80, 80}, mainScreen), DockEdge::bottom);
  EXPECT_EQ(edge({0, 500, 80, 80}, mainScreen), DockEdge::left);
  EXPECT_EQ(edge({1360, 500, 80, 80}, mainScreen), DockEdge::right);
  EXPECT_EQ(edge({680, 400, 80, 80}, {0, 0, 1440, 880}), DockEdge::bottom);
  // Left and right tie, bottom is farther.
  EXPECT_EQ(edge({680, 100, 80, 80}, mainScreen), DockEdge::left);
}

// A bottom Dock icon and its × above it; the corridor runs along x = 132.
const Rect bottomIcon{100, 1000, 64, 64};
const Rect bottomButton{116, 921, 32, 32};

TEST(DockGeometryButtonPath, CorridorIsSixteenPointsWide) {
  EXPECT_TRUE(isOnButtonPath({148, 1000}, bottomIcon, bottomButton, DockEdge::bottom));
  EXPECT_TRUE(isOnButtonPath({116, 960}, bottomIcon, bottomButton, DockEdge::bottom));
  EXPECT_FALSE(isOnButtonPath({148.01, 1000}, bottomIcon, bottomButton, DockEdge::bottom));
  // Past the ×'s far end the distance is measured to its centre.
  EXPECT_FALSE(isOnButtonPath({140, 915}, bottomIcon, bottomButton, DockEdge::bottom));
}

TEST(DockGeometryButtonPath, OnlyOnTheButtonsSideOfTheIcon) {
  EXPECT_FALSE(isOnButtonPath({132, 1040}, bottomIcon, bottomButton, DockEdge::bottom));
  const Rect leftIcon{0, 500, 64, 64};
  const Rect leftButton{69, 476, 32, 32};
  EXPECT_TRUE(isOnButtonPath({60, 520}, leftIcon, leftButton, DockEdge::left));
  EXPECT_FALSE(isOnButtonPath({30, 530}, leftIcon, leftButton, DockEdge::left));
  const Rect rightIcon{1376, 500, 64, 64};
  const Rect rightButton{1339, 476, 32, 32};
  EXPECT_TRUE(isOnButtonPath({1380, 520}, rightIcon, rightButton, DockEdge::right));
  EXPECT_FALSE(isOnButtonPath({1410, 530}, rightIcon, rightButton, DockEdge::right));
}

TEST(DockGeometryButtonPath, InsideTheButtonAlwaysCounts) {
  const Rect belowCentre{116, 1040, 32, 32};
  EXPECT_TRUE(isOnButtonPath({120, 1050}, bottomIcon, belowCentre, DockEdge::bottom));
  // A × centred on the icon has no corridor.
  const Rect centred{116, 1016, 32, 32};
  EXPECT_TRUE(isOnButtonPath({120, 1020}, bottomIcon, centred, DockEdge::bottom));
  EXPECT_FALSE(isOnButtonPath({132, 1010}, bottomIcon, centred, DockEdge::bottom));
}

// A × placed 10 points above the icon it was placed for.
const Rect placedButton{116, 958, 32, 32};

TEST(DockGeometryRetain, IconMayApproachByTwoPoints) {
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, bottomIcon, DockEdge::bottom));
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, {100, 998, 64, 64}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {100, 997.9, 64, 64}, DockEdge::bottom));
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, {100, 1002, 64, 64}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {100, 1002.1, 64, 64}, DockEdge::bottom));
}

TEST(DockGeometryRetain, ShrinkingIconMayRecedeByItsShrink) {
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, {100, 1008, 64, 58}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {100, 1008.1, 64, 58}, DockEdge::bottom));
}

TEST(DockGeometryRetain, OverlapOrAnchorLossRefuses) {
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {100, 980, 64, 64}, DockEdge::bottom));
  // A × that overlapped the icon it was placed for never sat clear of it.
  EXPECT_FALSE(canRetain({116, 969, 32, 32}, bottomIcon, {100, 1001.5, 64, 64}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {131.5, 1000, 1, 64}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {100, 1000, 64, 67}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {99, 1000, 67, 64}, DockEdge::bottom));
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, {100, 1000, 64, 66}, DockEdge::bottom));
}

TEST(DockGeometryRetain, AnchorCentreMayLieOnTheNewFramesEdge) {
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, {132, 1000, 64, 64}, DockEdge::bottom));
  EXPECT_TRUE(canRetain(placedButton, bottomIcon, {68, 1000, 64, 64}, DockEdge::bottom));
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, {132.01, 1000, 64, 64}, DockEdge::bottom));
}

TEST(DockGeometryRetain, SideDocksMeasureAcrossX) {
  const Rect leftIcon{0, 500, 64, 64};
  const Rect leftButton{74, 476, 32, 32}; // 10 points right of the icon
  EXPECT_TRUE(canRetain(leftButton, leftIcon, {2, 500, 64, 64}, DockEdge::left));
  EXPECT_FALSE(canRetain(leftButton, leftIcon, {2.1, 500, 64, 64}, DockEdge::left));
  EXPECT_FALSE(canRetain(leftButton, leftIcon, {0, 532.5, 64, 64}, DockEdge::left));
  const Rect rightIcon{1376, 500, 64, 64};
  const Rect rightButton{1334, 476, 32, 32}; // 10 points left of the icon
  EXPECT_TRUE(canRetain(rightButton, rightIcon, {1374, 500, 64, 64}, DockEdge::right));
  EXPECT_FALSE(canRetain(rightButton, rightIcon, {1373.9, 500, 64, 64}, DockEdge::right));
  EXPECT_TRUE(canRetain(rightButton, rightIcon, {1384, 503, 58, 58}, DockEdge::right));
  EXPECT_FALSE(canRetain(rightButton, rightIcon, {1384.1, 503, 58, 58}, DockEdge::right));
}

TEST(DockGeometryRetainSelection, AcceptsARecedingIconNearTheScreenEdge) {
  const Rect screen{0, 0, 1440, 1100};
  // Receded 20 points without shrinking: too far for canRetain, fine for a selection.
  const Rect receded{100, 1020, 64, 64};
  EXPECT_FALSE(canRetain(placedButton, bottomIcon, receded, DockEdge::bottom));
  EXPECT_TRUE(canRetainSelection(placedButton, bottomIcon, receded, DockEdge::bottom, screen));
  EXPECT_TRUE(
      canRetainSelection(placedButton, bottomIcon, {100, 1102, 64, 64}, DockEdge::bottom, screen));
  EXPECT_FALSE(canRetainSelection(placedButton, bottomIcon, {100, 1102.5, 64, 64}, DockEdge::bottom,
                                  screen));
  // Still refuses an icon that advanced toward the ×, or lost its anchor.
  EXPECT_FALSE(
      canRetainSelection(placedButton, bottomIcon, {100, 997, 64, 64}, DockEdge::bottom, screen));
  EXPECT_FALSE(
      canRetainSelection(placedButton, bottomIcon, {200, 1020, 64, 64}, DockEdge::bottom, screen));
}

TEST(DockGeometryRetainSelection, SideDocksUseTheirInnerEdge) {
  const Rect screen{0, 0, 1440, 900};
  const Rect leftIcon{0, 500, 64, 64};
  const Rect leftButton{74, 476, 32, 32};
  EXPECT_TRUE(canRetainSelection(leftButton, leftIcon, {-30, 500, 64, 64}, DockEdge::left, screen));
  EXPECT_FALSE(
      canRetainSelection(leftButton, leftIcon, {-70, 500, 64, 64}, DockEdge::left, screen));
  EXPECT_FALSE(canRetainSelection(leftButton, leftIcon, {3, 500, 64, 64}, DockEdge::left, screen));
  const Rect rightIcon{1376, 500, 64, 64};
  const Rect rightButton{1334, 476, 32, 32};
  EXPECT_TRUE(
      canRetainSelection(rightButton, rightIcon, {1410, 500, 64, 64}, DockEdge::right, screen));
  EXPECT_FALSE(
      canRetainSelection(rightButton, rightIcon, {1443, 500, 64, 64}, DockEdge::right, screen));
  EXPECT_FALSE(
      canRetainSelection(rightButton, rightIcon, {1373, 500, 64, 64}, DockEdge::right, screen));
}

TEST(DockGeometryAppKitRect, FlipsIntoBottomLeftSpace) {
  EXPECT_EQ(appKitRect({10, 20, 32, 32}, 900), (Rect{10, 848, 32, 32}));
  EXPECT_EQ(appKitRect({42, 52, -32, -32}, 900), (Rect{10, 848, 32, 32}));
  EXPECT_EQ(appKitRect({1500, -100, 32, 32}, 1080), (Rect{1500, 1148, 32, 32}));
}

TEST(DockGeometryNearDockEdge, LeftRightAndBottomOnly) {
  const std::vector<Rect> screens{mainScreen, sideScreen};
  EXPECT_FALSE(nearDockEdge({300, 600}, screens, 200));
  EXPECT_TRUE(nearDockEdge({300, 700}, screens, 200));
  EXPECT_TRUE(nearDockEdge({200, 100}, screens, 200));
  EXPECT_TRUE(nearDockEdge({1240, 100}, screens, 200));
  EXPECT_FALSE(nearDockEdge({700, 0}, screens, 200));
  // The second screen is searched too; a point on no screen is never near.
  EXPECT_TRUE(nearDockEdge({2400, 1000}, screens, 200));
  EXPECT_FALSE(nearDockEdge({2400, 500}, screens, 200));
  EXPECT_FALSE(nearDockEdge({-10, 500}, screens, 200));
  EXPECT_FALSE(nearDockEdge({100, 100}, {}, 200));
}

} // namespace
} // namespace lumivane
