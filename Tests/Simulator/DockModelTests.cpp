#include "LumivaneCore/DockGeometry.hpp"
#include "Simulator/Desktop.hpp"

#include <cmath>
#include <gtest/gtest.h>

namespace lumivane::sim {
namespace {

constexpr Rect primary{0, 0, 1440, 900};

// A Dock of three applications, a separator and the trash on one edge of the primary display.
void buildDock(Desktop& desktop, DockEdge edge, std::optional<double> magnified = std::nullopt) {
  desktop.addScreen(primary);
  desktop.placeDock(edge, 0, 64, magnified);
  for (const char* name : {"Finder", "Safari", "Mail"}) {
    desktop.addDockApplication(name, std::string("/Applications/") + name + ".app");
  }
  desktop.addDockItem(DockItemKind::separator, "");
  desktop.addDockItem(DockItemKind::trash, "Trash");
}

double along(DockEdge edge, const Rect& r) {
  return edge == DockEdge::bottom ? r.minX() : r.minY();
}

class DockLayoutPerEdge : public ::testing::TestWithParam<DockEdge> {};

TEST_P(DockLayoutPerEdge, ItemsLineTheEdgeInOrderAndTheObserverFindsThatEdge) {
  const DockEdge edge = GetParam();
  Desktop desktop;
  buildDock(desktop, edge);
  const Rect list = desktop.dockListFrame();

  EXPECT_EQ(DockGeometry::edge(list, primary), edge);
  EXPECT_TRUE(contains(primary, list));
  for (int i = 0; i < 5; ++i) {
    const Rect item = desktop.itemFrame(i);
    EXPECT_TRUE(contains(list, item)) << i;
    if (i > 0) {
      EXPECT_GT(along(edge, item), along(edge, desktop.itemFrame(i - 1))) << i;
    }
  }
  const Rect icon = desktop.itemFrame(0);
  EXPECT_EQ(icon.width, 64);
  EXPECT_EQ(icon.height, 64);
  // The separator is a thin tile; the list is centred along the edge.
  EXPECT_LT(edge == DockEdge::bottom ? desktop.itemFrame(3).width : desktop.itemFrame(3).height,
            64);
  if (edge == DockEdge::bottom) {
    EXPECT_DOUBLE_EQ(list.midX(), primary.midX());
    EXPECT_EQ(list.maxY(), primary.maxY());
  } else {
    EXPECT_DOUBLE_EQ(list.midY(), primary.midY());
    EXPECT_EQ(edge == DockEdge::left ? list.minX() : list.maxX(),
              edge == DockEdge::left ? primary.minX() : primary.maxX());
  }
}

TEST_P(DockLayoutPerEdge, ASingleItemDockStillReadsAsItsEdge) {
  Desktop desktop;
  desktop.addScreen(primary);
  desktop.placeDock(GetParam());
  desktop.addDockApplication("Finder", "/System/Library/CoreServices/Finder.app");
  EXPECT_EQ(DockGeometry::edge(desktop.dockListFrame(), primary), GetParam());
}

TEST_P(DockLayoutPerEdge, VisibleFrameLeavesOutMenuBarAndDock) {
  Desktop desktop;
  buildDock(desktop, GetParam());
  const auto visible = desktop.platform().screens.mainVisibleFrame();
  ASSERT_TRUE(visible);
  const double thickness = GetParam() == DockEdge::bottom ? desktop.dockListFrame().height
                                                          : desktop.dockListFrame().width;
  EXPECT_EQ(thickness, 80);
  switch (GetParam()) {
  case DockEdge::bottom:
    EXPECT_EQ(*visible, (Rect{0, 80, 1440, 900 - 25 - 80}));
    break;
  case DockEdge::left:
    EXPECT_EQ(*visible, (Rect{80, 0, 1440 - 80, 900 - 25}));
    break;
  case DockEdge::right:
    EXPECT_EQ(*visible, (Rect{0, 0, 1440 - 80, 900 - 25}));
    break;
  }
}

INSTANTIATE_TEST_SUITE_P(Edges, DockLayoutPerEdge,
                         ::testing::Values(DockEdge::bottom, DockEdge::left, DockEdge::right));

TEST(DockDisplays, ASecondaryDisplayConvertsBetweenTheTwoSpaces) {
  Desktop desktop;
  desktop.setScreens({primary, {1440, -280, 1920, 1080}});
  desktop.placeDock(DockEdge::bottom, 1);
  desktop.addDockApplication("Safari", "/Applications/Safari.app");

  EXPECT_EQ(desktop.platform().screens.frames(),
            (std::vector<Rect>{{0, 0, 1440, 900}, {1440, 100, 1920, 1080}}));
  const Rect list = desktop.dockListFrame();
  EXPECT_EQ(list.maxY(), 800);
  EXPECT_DOUBLE_EQ(list.midX(), 1440 + 960);
  // The Dock is not on the main display, so its visible frame only loses the menu bar.
  EXPECT_EQ(desktop.platform().screens.mainVisibleFrame(), (Rect{0, 0, 1440, 875}));

  desktop.movePointer({1500, 700});
  EXPECT_EQ(desktop.platform().mouse.location(), (Point{1500, 200}));
}

TEST(DockDisplays, ADockWhoseDisplayIsGoneMovesToThePrimary) {
  Desktop desktop;
  desktop.setScreens({primary, {1440, -280, 1920, 1080}});
  desktop.placeDock(DockEdge::bottom, 1);
  desktop.addDockApplication("Safari", "/Applications/Safari.app");
  desktop.setScreens({primary});
  EXPECT_EQ(desktop.dockListFrame().maxY(), 900);
}

TEST(DockDisplays, ARowTooLongForItsDisplayShrinksToFit) {
  Desktop desktop;
  desktop.addScreen(primary);
  for (int i = 0; i < 40; ++i) {
    desktop.addDockItem(DockItemKind::folder, "Folder " + std::to_string(i));
  }
  const Rect list = desktop.dockListFrame();
  EXPECT_LE(list.width, 1440 + 1e-9);
  EXPECT_GE(list.minX(), -1e-9);
  EXPECT_LT(desktop.itemFrame(0).width, 64);
}

TEST(DockMagnification, IconsGrowWithACosineFalloffAroundThePointer) {
  Desktop desktop;
  buildDock(desktop, DockEdge::bottom, 128);
  const Rect plainSafari = desktop.itemFrame(1);
  const Point onSafari{plainSafari.midX(), plainSafari.midY()};
  desktop.movePointer(onSafari);

  const Rect finder = desktop.itemFrame(0);
  const Rect safari = desktop.itemFrame(1);
  const Rect mail = desktop.itemFrame(2);
  EXPECT_DOUBLE_EQ(safari.width, 128);
  EXPECT_DOUBLE_EQ(safari.height, 128);
  // Neighbours 68 points away (an icon and its spacing): (1 + cos(π·68/160)) / 2 of the growth.
  const double share = (1 + std::cos(M_PI * 68 / 160)) / 2;
  EXPECT_NEAR(finder.width, 64 + 64 * share, 1e-9);
  EXPECT_NEAR(mail.width, finder.width, 1e-9);
  // The trash, 156 points away, barely grows; the separator never does.
  EXPECT_NEAR(desktop.itemFrame(4).width, 64 + 64 * (1 + std::cos(M_PI * 156 / 160)) / 2, 1e-9);
  EXPECT_EQ(desktop.itemFrame(3).width, 16);
  // Icons grow away from the edge, and the icon under the pointer stays under it.
  EXPECT_EQ(safari.maxY(), 900 - 8);
  EXPECT_TRUE(contains(safari, onSafari));
  EXPECT_DOUBLE_EQ(safari.midX(), onSafari.x);

  desktop.movePointer({plainSafari.midX(), 400});
  EXPECT_EQ(desktop.itemFrame(1), plainSafari);
}

TEST(DockMagnification, ThePointerStaysOnTheIconItIsOnAndTheRowStretches) {
  Desktop desktop;
  buildDock(desktop, DockEdge::left, 96);
  const Rect plainList = desktop.dockListFrame();
  const Rect plainMail = desktop.itemFrame(2);
  const Point nearTop{plainMail.midX(), plainMail.minY() + 4};
  desktop.movePointer(nearTop);
  const Rect mail = desktop.itemFrame(2);
  EXPECT_GT(mail.height, 64);
  EXPECT_TRUE(contains(mail, nearTop));
  EXPECT_EQ(mail.minX(), 8);
  EXPECT_GT(desktop.dockListFrame().height, plainList.height);
  EXPECT_EQ(desktop.dockListFrame().width, plainList.width);
}

} // namespace
} // namespace lumivane::sim
