#include "Simulator/Desktop.hpp"
#include "Simulator/DockModel.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace lumivane::sim {
namespace {

constexpr Rect primary{0, 0, 1440, 900};

AppProfile profile(const std::string& name, bool finished = true) {
  return {.name = name,
          .bundleIdentifier = "com.example." + name,
          .bundlePath = "/Applications/" + name + ".app",
          .finishedLaunching = finished};
}

// A bottom Dock: Mail and Notes pinned and running, then Maps unpinned and not running, then a
// folder.
class DockMotion : public ::testing::Test {
protected:
  DockMotion() {
    desktop.addScreen(primary);
    desktop.placeDock(DockEdge::bottom);
    for (const char* name : {"Mail", "Notes"}) {
      desktop.launch(profile(name));
      desktop.addDockApplication(name, std::string("/Applications/") + name + ".app");
    }
    maps = desktop.addDockApplication("Maps", "/Applications/Maps.app", false);
    folder = desktop.addDockItem(DockItemKind::folder, "Downloads");
  }

  Desktop desktop;
  int maps = 0;
  int folder = 0;
};

TEST_F(DockMotion, AnUnpinnedTileComesWithItsAppAndGoesWithItWhileTheNeighboursSlide) {
  EXPECT_FALSE(desktop.dockItemNamed("Maps"));
  EXPECT_EQ(desktop.dockItemIndex("Maps"), maps);
  const Rect folderBefore = desktop.itemFrame(folder);

  const int32_t pid = desktop.launch(profile("Maps"));
  EXPECT_EQ(desktop.dockItemNamed("Maps"), maps);
  desktop.advance(DockModel::tileTime / 2);
  const Rect growing = desktop.itemFrame(maps);
  EXPECT_GT(growing.width, 0);
  EXPECT_LT(growing.width, 64);
  desktop.advance(DockModel::tileTime);
  EXPECT_EQ(desktop.itemFrame(maps).width, 64);
  // The row, centred, grew by a tile and its spacing: the folder moved right by half of it.
  EXPECT_DOUBLE_EQ(desktop.itemFrame(folder).minX(), folderBefore.minX() + (64 + 4) / 2.0);

  desktop.endByItself(pid);
  EXPECT_FALSE(desktop.dockItemNamed("Maps"));
  desktop.advance(DockModel::tileTime / 2);
  EXPECT_GT(desktop.itemFrame(maps).width, 0);
  desktop.advance(DockModel::tileTime);
  EXPECT_EQ(desktop.itemFrame(maps).width, 0);
  EXPECT_EQ(desktop.itemFrame(folder), folderBefore);
}

TEST_F(DockMotion, ARunningAppTakenOutOfTheDockStaysUntilItQuits) {
  const int mail = *desktop.dockItemNamed("Mail");
  desktop.setDockItemInDock(mail, false);
  EXPECT_TRUE(desktop.dockItemNamed("Mail"));
  desktop.endByItself(*desktop.pidOf("Mail"));
  EXPECT_FALSE(desktop.dockItemNamed("Mail"));
  // Put back, it is pinned again and stays without a process.
  desktop.setDockItemInDock(mail, true);
  EXPECT_TRUE(desktop.dockItemNamed("Mail"));
  desktop.setDockItemInDock(folder, false);
  EXPECT_FALSE(desktop.dockItemNamed("Downloads"));
}

TEST_F(DockMotion, MovingAnItemReordersTheRowAtOnce) {
  const Rect firstSlot = desktop.itemFrame(0);
  desktop.moveDockItem(folder, 0);
  EXPECT_EQ(desktop.dockItemNamed("Downloads"), 0);
  EXPECT_EQ(desktop.itemFrame(0), firstSlot);
  EXPECT_EQ(desktop.dockItemNamed("Mail"), 1);
}

TEST_F(DockMotion, ALaunchingAppBouncesUntilItHasFinishedLaunching) {
  const int32_t pid = desktop.launch(profile("Maps", false));
  desktop.advance(DockModel::tileTime);
  const double rest = 900 - 8;
  double highest = rest;
  for (int step = 0; step < 40; ++step) {
    desktop.advance(DockModel::bouncePeriod / 40);
    highest = std::min(highest, desktop.itemFrame(maps).maxY());
  }
  EXPECT_NEAR(rest - highest, DockModel::bounceHeight * 64, 1);
  desktop.finishLaunching(pid);
  for (int step = 0; step < 10; ++step) {
    desktop.advance(DockModel::bouncePeriod / 10);
    EXPECT_EQ(desktop.itemFrame(maps).maxY(), rest);
  }
}

TEST_F(DockMotion, AnAttentionBounceHopsItsCountAndStops) {
  const int mail = *desktop.dockItemNamed("Mail");
  const Rect still = desktop.itemFrame(mail);
  desktop.bounceDockItem(mail, 2);
  desktop.advance(DockModel::bouncePeriod / 2);
  EXPECT_LT(desktop.itemFrame(mail).maxY(), still.maxY());
  desktop.advance(DockModel::bouncePeriod);
  EXPECT_LT(desktop.itemFrame(mail).maxY(), still.maxY());
  desktop.advance(DockModel::bouncePeriod);
  EXPECT_EQ(desktop.itemFrame(mail), still);
}

TEST(DockAutohide, ShowsAfterThePointerRestsAtTheEdgeAndHidesAfterItLeaves) {
  Desktop desktop;
  desktop.addScreen(primary);
  desktop.placeDock(DockEdge::bottom, 0, 64, std::nullopt, true);
  const int mail = desktop.addDockApplication("Mail", "/Applications/Mail.app");
  // Out of sight, and the visible frame keeps the Dock's room.
  EXPECT_GE(desktop.itemFrame(mail).minY(), 900);
  EXPECT_TRUE(desktop.dockConcealing());
  EXPECT_EQ(desktop.platform().screens.mainVisibleFrame(), (Rect{0, 0, 1440, 875}));

  const double x = desktop.itemFrame(mail).midX();
  desktop.movePointer({x, 899.5});
  desktop.advance(DockModel::revealDelay - 0.01);
  EXPECT_EQ(desktop.dockShown(), 0);
  desktop.advance(0.01 + DockModel::slideTime / 2);
  EXPECT_NEAR(desktop.dockShown(), 0.5, 1e-9);
  EXPECT_FALSE(desktop.dockConcealing());
  desktop.advance(DockModel::slideTime);
  EXPECT_EQ(desktop.dockShown(), 1);
  EXPECT_EQ(desktop.itemFrame(mail).maxY(), 892);

  // Over the Dock it stays; away from it, it slides out after a while.
  desktop.movePointer({x, 860});
  desktop.advance(5);
  EXPECT_EQ(desktop.dockShown(), 1);
  desktop.movePointer({x, 500});
  desktop.advance(DockModel::concealDelay + DockModel::slideTime / 4);
  EXPECT_TRUE(desktop.dockConcealing());
  EXPECT_LT(desktop.dockShown(), 1);
  // Back over it while it slides out: it comes in again from where it was.
  const double left = desktop.dockShown();
  desktop.movePointer({x, 880});
  EXPECT_FALSE(desktop.dockConcealing());
  desktop.advance(DockModel::slideTime * (1 - left) / 2);
  EXPECT_GT(desktop.dockShown(), left);
  desktop.advance(DockModel::slideTime);
  EXPECT_EQ(desktop.dockShown(), 1);
}

TEST(DockAutohide, AMomentAtTheEdgeOrAPointerBesideTheDockShowsNothing) {
  Desktop desktop;
  desktop.addScreen(primary);
  desktop.placeDock(DockEdge::left, 0, 64, std::nullopt, true);
  desktop.addDockApplication("Mail", "/Applications/Mail.app");
  desktop.movePointer({0.5, 450});
  desktop.advance(DockModel::revealDelay / 2);
  desktop.movePointer({300, 450});
  desktop.advance(2);
  EXPECT_EQ(desktop.dockShown(), 0);
  // Along the edge, but far beyond the Dock's extent.
  desktop.movePointer({0.5, 5});
  desktop.advance(2);
  EXPECT_EQ(desktop.dockShown(), 0);
}

TEST(DockRestingPoint, IsTheIconsCentreAsTheDockMagnifiesAroundIt) {
  Desktop desktop;
  desktop.addScreen(primary);
  desktop.placeDock(DockEdge::bottom, 0, 48, 128);
  for (const char* name : {"A", "B", "C", "D", "E"}) {
    desktop.addDockApplication(name, std::string("/Applications/") + name + ".app");
  }
  desktop.movePointer({10, 890});
  for (int index = 0; index < 5; ++index) {
    const auto point = desktop.restingPoint(index);
    ASSERT_TRUE(point);
    desktop.movePointer(*point);
    const Rect icon = desktop.itemFrame(index);
    EXPECT_DOUBLE_EQ(icon.width, 128) << index;
    EXPECT_NEAR(icon.midX(), point->x, 1e-9) << index;
    EXPECT_NEAR(icon.midY(), point->y, 1e-9) << index;
  }
}

TEST(DockRestart, LeavesTheDeskWithoutADockForAMoment) {
  Desktop desktop;
  desktop.addScreen(primary);
  const int32_t first = desktop.dockPID();
  desktop.restartDock(1.5);
  EXPECT_EQ(desktop.dockPID(), 0);
  EXPECT_TRUE(desktop.platform().workspace.applications("com.apple.dock").empty());
  desktop.advance(1.4);
  EXPECT_EQ(desktop.dockPID(), 0);
  desktop.advance(0.2);
  EXPECT_NE(desktop.dockPID(), 0);
  EXPECT_NE(desktop.dockPID(), first);
}

} // namespace
} // namespace lumivane::sim
