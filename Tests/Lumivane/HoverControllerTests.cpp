#include "HoverSteps.hpp"

#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

// Timelines of the hover feature on the simulated desktop. The loop ticks every 1/30 s, so a
// check placed a tick or two after a delay tells "not yet" from "done" without depending on
// where exactly the ticks fall. The click on the × has its own file, HoverClickTests.cpp.

namespace lumivane {
namespace {

using namespace test;

TEST(HoverShowDelay, ShowsTheButtonAtItsPlacementOnlyAfterTheRest) {
  TriggerDesktop d;
  d.hover->start();
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.advance(0.24);
  EXPECT_FALSE(d.panelVisible());
  d.desktop.advance(2 * tick);
  ASSERT_TRUE(d.panelVisible());
  EXPECT_EQ(d.panelFrame(), TriggerDesktop::buttonAbove(d.icon("Safari")));
  EXPECT_EQ(d.desktop.panel().label, "退出 Safari");
  EXPECT_EQ(d.desktop.panel().fadeCount, 1);
}

TEST(HoverShowDelay, MovingToTheNextIconHidesAtOnceAndRestartsTheDelay) {
  TriggerDesktop d;
  showButton(d, "Safari");
  d.desktop.movePointer(d.centre("Mail"));
  d.desktop.advance(tick);
  EXPECT_FALSE(d.panelVisible());
  d.desktop.advance(0.2);
  EXPECT_FALSE(d.panelVisible());
  d.desktop.advance(0.1);
  ASSERT_TRUE(d.panelVisible());
  EXPECT_EQ(d.panelFrame(), TriggerDesktop::buttonAbove(d.icon("Mail")));
  EXPECT_EQ(d.desktop.panel().label, "退出 Mail");
}

// The × must survive the trip from its icon, with and without magnification (where the icon
// shrinks and moves under the pointer), and a click at the end must still count.
class HoverTravel : public ::testing::TestWithParam<DockSetup> {};

TEST_P(HoverTravel, KeepsTheButtonOnTheWayAndTheClickCounts) {
  TriggerDesktop d(GetParam());
  const int32_t safari = d.pid("Safari");
  showButton(d, "Safari");
  const Rect button = d.panelFrame();
  travelKeepingButton(d, centreOf(button));
  d.desktop.advance(1.0);
  ASSERT_TRUE(d.panelVisible());
  EXPECT_EQ(d.panelFrame(), button);

  d.desktop.click();
  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(d.desktop.quitRequests()[0].pid, safari);
}

INSTANTIATE_TEST_SUITE_P(Docks, HoverTravel,
                         ::testing::Values(DockSetup{},
                                           DockSetup{.iconSize = 48, .magnifiedSize = 128}));

// On a magnifying Dock the icons grow under the pointer and shrink behind it, so on the way
// from an icon to its × the pointer may pass over a neighbour that has grown into the path. The
// × must stay with the application it was shown for while the pointer keeps moving towards it,
// even through a pause shorter than the hide delay: a click there quits the application the ×
// was shown for. A rest on the neighbour as long as the hide delay makes it the target.
struct MagnifiedTrip {
  DockEdge edge;
  HoverPosition position;
  // The trip runs parallel to the way from the icon's middle to the ×'s, this many points
  // along the Dock away from it (within the 16 points the path allows).
  double along;
};

std::string tripName(const MagnifiedTrip& trip) {
  constexpr std::array<const char*, 3> edges{"Bottom", "Left", "Right"};
  constexpr std::array<const char*, 3> positions{"Automatic", "Leading", "Trailing"};
  return std::string(edges[static_cast<std::size_t>(trip.edge)]) +
         positions[static_cast<std::size_t>(trip.position)] +
         (trip.along == 0 ? "" : "Off" + std::to_string(static_cast<int>(std::abs(trip.along))));
}

class MagnifiedTripDesktop {
public:
  explicit MagnifiedTripDesktop(const MagnifiedTrip& trip)
      : d(DockSetup{.edge = trip.edge, .iconSize = 48, .magnifiedSize = 128}), trip_(trip) {
    d.hover->layout = {trip.position, HoverDistance::standard};
  }

  // Shows Mail's × with the pointer in the middle of its grown icon, where the × has followed
  // it; then travels to the × in 30 steps, pausing `pause` seconds where it first finds itself
  // over another item. `check` runs after every step.
  template <typename Check> void travel(double pause, Check check) {
    showButton(d, "Mail");
    d.desktop.movePointer(d.centre("Mail"));
    d.desktop.advance(0.5);
    ASSERT_EQ(d.desktop.pointer(), d.centre("Mail"));
    button = d.panelFrame();
    ASSERT_EQ(button, d.observer->hit(d.centre("Mail"), d.hover->layout)->target->buttonFrame);

    const Point shift =
        trip_.edge == DockEdge::bottom ? Point{trip_.along, 0} : Point{0, trip_.along};
    const Point from{d.desktop.pointer().x + shift.x, d.desktop.pointer().y + shift.y};
    const Point to{centreOf(button).x + shift.x, centreOf(button).y + shift.y};
    const int mailItem = *d.desktop.dockItemNamed("Mail");
    constexpr int legs = 30;
    for (int leg = 1; leg <= legs; ++leg) {
      const double share = static_cast<double>(leg) / legs;
      d.desktop.movePointer({from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share});
      d.desktop.advance(tick);
      bool overNeighbour = false;
      for (int item = 0; item < static_cast<int>(d.desktop.dockItemCount()); ++item) {
        overNeighbour = overNeighbour || (item != mailItem &&
                                          contains(d.desktop.itemFrame(item), d.desktop.pointer()));
      }
      if (overNeighbour && !crossedNeighbour) {
        crossedNeighbour = true;
        d.desktop.advance(pause);
      }
      check(leg);
    }
  }

  TriggerDesktop d;
  Rect button;
  bool crossedNeighbour = false;

private:
  MagnifiedTrip trip_;
};

class HoverMagnifiedTravel : public ::testing::TestWithParam<MagnifiedTrip> {};

// Shorter than the hide delay.
constexpr double pause = 0.1;

TEST_P(HoverMagnifiedTravel, KeepsTheButtonForItsApplicationAcrossGrownNeighbours) {
  MagnifiedTripDesktop trip(GetParam());
  TriggerDesktop& d = trip.d;
  trip.travel(pause, [&](int leg) {
    ASSERT_EQ(d.desktop.panel().label, "退出 Mail") << "× moved on leg " << leg;
    ASSERT_TRUE(d.panelVisible()) << "× lost on leg " << leg;
  });
  if (::testing::Test::HasFatalFailure()) {
    return;
  }
  // Straight up from the middle of a bottom Dock's icon no neighbour is in the way.
  EXPECT_EQ(trip.crossedNeighbour,
            GetParam().edge != DockEdge::bottom || GetParam().position != HoverPosition::automatic);
  EXPECT_EQ(d.desktop.panel().fadeCount, 1);
  d.desktop.advance(1.0);
  ASSERT_TRUE(d.panelVisible());
  EXPECT_EQ(d.panelFrame(), trip.button);

  d.desktop.click();
  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(d.desktop.quitRequests()[0].pid, d.pid("Mail"));
}

INSTANTIATE_TEST_SUITE_P(
    EdgesAndPositions, HoverMagnifiedTravel,
    ::testing::Values(MagnifiedTrip{DockEdge::bottom, HoverPosition::automatic, 0},
                      MagnifiedTrip{DockEdge::bottom, HoverPosition::leading, 0},
                      MagnifiedTrip{DockEdge::bottom, HoverPosition::trailing, 0},
                      MagnifiedTrip{DockEdge::left, HoverPosition::automatic, -6},
                      MagnifiedTrip{DockEdge::left, HoverPosition::trailing, 6},
                      MagnifiedTrip{DockEdge::right, HoverPosition::automatic, -6},
                      MagnifiedTrip{DockEdge::right, HoverPosition::trailing, 6}),
    [](const auto& info) { return tripName(info.param); });

// Resting on the neighbour as long as a × takes to show there: the neighbour is the target,
// and the × goes from Mail for good. A click where Mail's × was quits nothing.
TEST_P(HoverMagnifiedTravel, ARestOnANeighbourMakesItTheTarget) {
  if (GetParam().edge == DockEdge::bottom && GetParam().position == HoverPosition::automatic) {
    GTEST_SKIP() << "no neighbour on the way";
  }
  MagnifiedTripDesktop trip(GetParam());
  TriggerDesktop& d = trip.d;
  bool rested = false;
  trip.travel(HoverDecision::hideDelay + HoverDecision::showDelay + 2 * tick, [&](int leg) {
    rested = rested || trip.crossedNeighbour;
    if (rested && d.panelVisible()) {
      EXPECT_NE(d.desktop.panel().label, "退出 Mail") << "× back on leg " << leg;
    }
  });
  ASSERT_TRUE(trip.crossedNeighbour);
  d.desktop.movePointer(centreOf(trip.button));
  d.desktop.click();
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

// Farther off the middle line the icon slides away from under the × as the pointer moves along
// the Dock, and the × is withdrawn once its icon no longer holds the place it was shown for.
// Withdrawn, never moved: no other application's × shows on the way.
class HoverMagnifiedWideTravel : public ::testing::TestWithParam<MagnifiedTrip> {};

TEST_P(HoverMagnifiedWideTravel, NeverMovesTheButtonToANeighbour) {
  MagnifiedTripDesktop trip(GetParam());
  TriggerDesktop& d = trip.d;
  trip.travel(pause, [&](int leg) {
    EXPECT_EQ(d.desktop.panel().label, "退出 Mail") << "× moved on leg " << leg;
  });
  EXPECT_TRUE(trip.crossedNeighbour);
  EXPECT_EQ(d.desktop.panel().fadeCount, 1);
  d.desktop.click();
  for (const sim::QuitRequestRecord& request : d.desktop.quitRequests()) {
    EXPECT_EQ(request.pid, d.pid("Mail"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Edges, HoverMagnifiedWideTravel,
    ::testing::Values(MagnifiedTrip{DockEdge::bottom, HoverPosition::leading, -12},
                      MagnifiedTrip{DockEdge::left, HoverPosition::automatic, -12},
                      MagnifiedTrip{DockEdge::right, HoverPosition::trailing, 12}),
    [](const auto& info) { return tripName(info.param); });

TEST(HoverPath, LeavingThePathHidesTheButtonAfterTheHideDelay) {
  TriggerDesktop d;
  showButton(d, "Safari");
  const Point button = centreOf(d.panelFrame());
  travelKeepingButton(d, button);
  d.desktop.movePointer({button.x + 150, button.y});
  d.desktop.advance(0.12);
  EXPECT_TRUE(d.panelVisible());
  d.desktop.advance(0.1);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_FALSE(d.hover->isLooping());
}

TEST(HoverPath, AButtonItsIconHasOutgrownIsWithdrawnAtOnce) {
  TriggerDesktop d;
  showButton(d, "Safari");
  const Rect icon = d.icon("Safari");
  // Off the path, above the Dock even once its icons have grown.
  d.desktop.movePointer({icon.midX() + 60, icon.minY() - 60});
  d.desktop.placeDock(DockEdge::bottom, 0, 80);
  d.desktop.advance(2 * tick);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_FALSE(d.hover->isLooping());
}

// A pointer resting on a shown × costs the Dock few messages, yet a change of the Dock under it
// shows within 0.2 s, wherever the change falls between two of the loop's steps.
struct DockChange {
  const char* name;
  std::function<void(TriggerDesktop&)> change;
  bool keepsButton; // the × moves to the icon's new place rather than going
};

class HoverRestingDockChange
    : public ::testing::TestWithParam<std::tuple<DockChange, int /* eighths of a tick */>> {};

TEST_P(HoverRestingDockChange, IsNoticedWithinTwoSteps) {
  const auto& [change, eighths] = GetParam();
  TriggerDesktop d;
  showButton(d, "Safari");
  d.desktop.advance(1.0 + eighths * tick / 8);
  const std::size_t messagesBefore = d.desktop.accessibilityMessageCount();
  d.desktop.advance(1.0);
  // Every other step the icon's frame (no other item shares the ×'s lane); twice a second the
  // element at the point, the icon's frame, the list's frame and children; one full measurement
  // at most.
  EXPECT_LE(d.desktop.accessibilityMessageCount() - messagesBefore, 15 + 2 * 4 + 14u);
  ASSERT_TRUE(d.panelVisible());
  const Rect before = d.panelFrame();

  change.change(d);
  d.desktop.advance(2 * tick);
  if (change.keepsButton) {
    ASSERT_TRUE(d.panelVisible());
    EXPECT_NE(d.panelFrame(), before);
    EXPECT_EQ(d.panelFrame(), TriggerDesktop::buttonAbove(d.icon("Safari")));
  } else {
    EXPECT_FALSE(d.panelVisible());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Changes, HoverRestingDockChange,
    ::testing::Combine(
        ::testing::Values(
            // The row grows by one tile and stays centred: Safari slides out from under the
            // pointer, half a tile to the left.
            DockChange{"ItemAdded",
                       [](TriggerDesktop& d) {
                         d.desktop.addDockItem(sim::DockItemKind::folder, "Documents");
                       },
                       false},
            // The icon under the pointer grows in place.
            DockChange{"MagnificationOn",
                       [](TriggerDesktop& d) { d.desktop.placeDock(DockEdge::bottom, 0, 64, 128); },
                       true},
            DockChange{"DockMovedToTheLeft",
                       [](TriggerDesktop& d) { d.desktop.placeDock(DockEdge::left); }, false},
            // Nothing of the Dock moves, but the item no longer names one application.
            DockChange{"ASecondCopyStarts",
                       [](TriggerDesktop& d) {
                         d.desktop.launch({.name = "Safari",
                                           .bundleIdentifier = "com.apple.Safari",
                                           .bundlePath = "/Applications/Safari.app"});
                       },
                       false}),
        ::testing::Range(0, 8)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "At" +
             std::to_string(std::get<1>(info.param)) + "Eighths";
    });

// An auto-hidden Dock slides out half a second after the pointer left it for the ×. The × goes
// within two steps of the loop once its icon has less than 85 percent of itself on the
// display, well before the icons are out of sight; a click on it meanwhile quits nothing.
class HoverAutoHiddenDock : public ::testing::Test {
protected:
  void SetUp() override {
    d.desktop.placeDock(DockEdge::bottom, 0, 64, std::nullopt, true);
    d.hover->start();
    // At the screen's edge until the Dock has slid in.
    d.desktop.movePointer({d.centre("Safari").x, 899.5});
    d.desktop.advance(1.0);
    showButton(d, "Safari");
    d.desktop.movePointer(centreOf(d.panelFrame()));
  }

  // Advances tick by tick until the icon has less than 85 percent of itself on the display.
  void slideUntilMostlyOff() {
    const auto share = [&] {
      const Rect icon = d.icon("Safari");
      return area(intersection(icon, {0, 0, 1440, 900})) / area(icon);
    };
    for (int step = 0; step < 60 && share() >= DockObserver::minimumOnScreenShare; ++step) {
      d.desktop.advance(tick);
    }
    ASSERT_LT(share(), DockObserver::minimumOnScreenShare);
    ASSERT_GT(share(), 0.5);
  }

  TriggerDesktop d;
};

TEST_F(HoverAutoHiddenDock, TheButtonGoesAsTheDockSlidesAway) {
  slideUntilMostlyOff();
  d.desktop.advance(2 * tick);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_LT(d.icon("Safari").minY(), 900);
}

TEST_F(HoverAutoHiddenDock, AClickWhileItSlidesQuitsNothing) {
  slideUntilMostlyOff();
  ASSERT_TRUE(d.panelVisible());
  d.desktop.click();
  EXPECT_TRUE(d.desktop.quitRequests().empty());
  EXPECT_FALSE(d.panelVisible());
  const auto log = d.hoverLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().message, rejectedNotRefreshed);
}

// Items without a quittable application: no ×, and the loop does not keep polling them.
class HoverIgnoredItem : public ::testing::TestWithParam<const char*> {};

TEST_P(HoverIgnoredItem, GetsNoButton) {
  TriggerDesktop d;
  d.hover->start();
  d.desktop.movePointer(d.centre(GetParam()));
  d.desktop.advance(1.0);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_EQ(d.desktop.panel().fadeCount, 0);
  EXPECT_FALSE(d.hover->isLooping());
}

INSTANTIATE_TEST_SUITE_P(Dock, HoverIgnoredItem, ::testing::Values("Finder", "Downloads", "Trash"));

TEST(HoverLayoutWait, GivesUpAnIconWithoutPlacementAfterHalfASecond) {
  // Too low a screen for the × above the Dock's name band.
  TriggerDesktop d(DockSetup{.screens = {{0, 0, 1440, 100}}});
  d.hover->start();
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.advance(0.45);
  EXPECT_TRUE(d.hover->isLooping());
  d.desktop.advance(0.15);
  EXPECT_FALSE(d.hover->isLooping());
  EXPECT_EQ(d.desktop.panel().fadeCount, 0);
}

TEST(HoverIdle, APointerFarFromEveryDockEdgeCostsNothing) {
  TriggerDesktop d;
  d.desktop.movePointer({720, 300});
  d.hover->start();
  const std::size_t messagesBefore = d.desktop.accessibilityMessageCount();
  // 60 virtual seconds of movement at least 300 points from the left, right and bottom edges.
  for (int lap = 0; lap < 30; ++lap) {
    for (const Point corner : {Point{1100, 100}, Point{320, 560}}) {
      d.desktop.glide(corner, 1.0);
      d.desktop.advance(1.0);
    }
  }
  ASSERT_EQ(d.desktop.pointer(), (Point{320, 560}));
  EXPECT_EQ(d.desktop.accessibilityMessageCount(), messagesBefore);
  for (const auto& timer : d.desktop.runLoop().timers()) {
    EXPECT_NE(timer.interval, HoverController::tickInterval);
  }
}

TEST(HoverLifecycle, StartsOnceAndStopWithdrawsEverything) {
  TriggerDesktop d;
  const std::size_t monitorsBefore = d.desktop.monitorCount();
  showButton(d, "Safari");
  d.hover->start();
  EXPECT_EQ(d.desktop.monitorCount(), monitorsBefore + 2);
  d.hover->stop();
  EXPECT_EQ(d.desktop.monitorCount(), monitorsBefore);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_FALSE(d.hover->isLooping());
  d.desktop.movePointer(d.centre("Mail"));
  d.desktop.advance(1.0);
  EXPECT_FALSE(d.panelVisible());
}

} // namespace
} // namespace lumivane
