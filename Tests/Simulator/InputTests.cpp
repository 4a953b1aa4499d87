#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>

namespace lumivane::sim {
namespace {

using platform::TapEvent;
namespace tapEventType = platform::tapEventType;
namespace mouseEventType = platform::mouseEventType;

constexpr uint64_t otherMouseMask = 0x0E000000;

// A bottom Dock with one application; post-event access granted, which active taps need; the
// pointer on the icon.
class OtherButtons : public ::testing::Test {
protected:
  OtherButtons() {
    desktop.addScreen({0, 0, 1440, 900});
    const int item = desktop.addDockApplication("Safari", "/Applications/Safari.app");
    desktop.setPostEventAccess(true);
    const Rect icon = desktop.itemFrame(item);
    onIcon = {icon.midX(), icon.midY()};
    desktop.movePointer(onIcon);
  }

  // A tap on the run loop that records what it sees and swallows middle-button events.
  std::unique_ptr<platform::EventTap> installTap() {
    auto tap =
        desktop.platform().eventTaps.createSessionTap(otherMouseMask, [this](const TapEvent& e) {
          seen.push_back(e);
          return e.button == 2;
        });
    if (tap) {
      tap->addToMainRunLoop();
      tap->setEnabled(true);
    }
    return tap;
  }
  std::vector<Desktop::DockEvent> dockEvents() const { return desktop.dockEvents(); }

  Desktop desktop;
  Point onIcon;
  std::vector<TapEvent> seen;
};

TEST_F(OtherButtons, ATapSeesThemFirstAndWhatItSwallowsNeverReachesTheDock) {
  const auto tap = installTap();
  ASSERT_TRUE(tap);
  desktop.press(2);
  desktop.movePointer({onIcon.x + 3, onIcon.y});
  desktop.release(2);
  desktop.press(3);
  desktop.release(3);

  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].type, tapEventType::otherMouseDown);
  EXPECT_EQ(seen[0].location, onIcon);
  EXPECT_EQ(seen[1].type, tapEventType::otherMouseDragged);
  EXPECT_EQ(seen[2].type, tapEventType::otherMouseUp);
  EXPECT_EQ(seen[3].button, 3);
  EXPECT_EQ(dockEvents(), (std::vector<Desktop::DockEvent>{{tapEventType::otherMouseDown, 3},
                                                           {tapEventType::otherMouseUp, 3}}));
}

TEST_F(OtherButtons, WithoutAUsableTapEverythingReachesTheDock) {
  desktop.setPostEventAccess(false);
  desktop.setInputMonitoring(true); // listen access does not make an active tap
  EXPECT_FALSE(installTap());
  EXPECT_FALSE(desktop.platform().eventTaps.canCreateActiveTap());
  desktop.setPostEventAccess(true);
  EXPECT_TRUE(desktop.platform().eventTaps.canCreateActiveTap());
  EXPECT_EQ(desktop.activeTapProbes(), 2u);
  auto idle =
      desktop.platform().eventTaps.createSessionTap(otherMouseMask, [this](const TapEvent& e) {
        seen.push_back(e);
        return true;
      });
  idle->setEnabled(true); // never added to the run loop
  desktop.middleClick();
  EXPECT_TRUE(seen.empty());
  EXPECT_FALSE(desktop.tapInstalled());
  EXPECT_EQ(dockEvents().size(), 2u);
}

// Once the grant goes, an installed tap that is still enabled holds every event of its mask
// back, from the Dock and from everything else, wherever the pointer is; its callback hears
// nothing. Disabling or removing it lets them through again.
TEST_F(OtherButtons, ATapWhoseGrantWentHoldsItsEventsBackUntilItGoes) {
  for (const bool removeRow : {false, true}) {
    desktop.setAccessibility(true);
    auto tap = installTap();
    ASSERT_TRUE(tap);
    if (removeRow) {
      desktop.removeFromAccessibilityList();
    } else {
      desktop.setAccessibility(false);
    }
    const std::size_t before = dockEvents().size();
    desktop.middleClick();
    desktop.movePointer({700, 300});
    desktop.press(3);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(dockEvents().size(), before);
    const OtherMouseRecord& press = desktop.otherMouseEvents().back();
    EXPECT_TRUE(press.heldBack && !press.overDock && !press.toDock);
    tap->setEnabled(false);
    desktop.release(3);
    EXPECT_FALSE(desktop.otherMouseEvents().back().heldBack);
    desktop.movePointer(onIcon);
    desktop.middleClick();
    EXPECT_EQ(dockEvents().size(), before + 2);
    tap.reset();
  }
}

TEST_F(OtherButtons, TheDockOnlyHearsButtonsPressedOverIt) {
  desktop.movePointer({700, 300});
  desktop.middleClick();
  EXPECT_TRUE(dockEvents().empty());
  desktop.movePointer(onIcon);
  desktop.press(4);
  desktop.movePointer({700, 300});
  desktop.release(4);
  EXPECT_EQ(dockEvents(), (std::vector<Desktop::DockEvent>{{tapEventType::otherMouseDown, 4},
                                                           {tapEventType::otherMouseDragged, 4},
                                                           {tapEventType::otherMouseUp, 4}}));
}

TEST_F(OtherButtons, TheSystemDisablesATapWithANoticeAndReenablingMayFail) {
  const auto tap = installTap();
  desktop.disableTap(true);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].type, tapEventType::disabledByTimeout);
  EXPECT_FALSE(tap->isEnabled());
  EXPECT_TRUE(desktop.tapInstalled());
  tap->setEnabled(true);
  EXPECT_TRUE(desktop.tapEnabled());

  desktop.setTapReenableFails(true);
  desktop.disableTap(false);
  EXPECT_EQ(seen.back().type, tapEventType::disabledByUserInput);
  tap->setEnabled(true);
  EXPECT_FALSE(tap->isEnabled());
  desktop.middleClick();
  EXPECT_EQ(dockEvents().size(), 2u);

  // A new tap enables; the broken one is gone once invalidated and released.
  const auto fresh = installTap();
  EXPECT_TRUE(fresh->isEnabled());
  tap->invalidate();
  EXPECT_FALSE(tap->isValid());
  EXPECT_EQ(desktop.tapsCreated(), 2u);
}

// The hover controller's mask: left and right down, moved, dragged, scroll, other dragged.
constexpr uint64_t hoverMask = 0x84000EA;

class MouseMonitors : public ::testing::Test {
protected:
  MouseMonitors() {
    desktop.addScreen({0, 0, 1440, 900});
    mouse.addGlobalMonitor(hoverMask, [this](int type) { global.push_back(type); });
    mouse.addLocalMonitor(hoverMask, [this](int type) { local.push_back(type); });
  }
  Desktop desktop;
  platform::Mouse& mouse = desktop.platform().mouse;
  std::vector<int> global;
  std::vector<int> local;
};

TEST_F(MouseMonitors, EventsElsewhereGoToTheGlobalMonitorFilteredByMask) {
  desktop.movePointer({100, 100});
  desktop.press(0);
  EXPECT_EQ(mouse.pressedButtons(), 1u);
  desktop.release(0);
  EXPECT_EQ(mouse.pressedButtons(), 0u);
  desktop.drag({200, 100});
  desktop.rightClick();
  desktop.scroll();
  desktop.press(2);
  desktop.movePointer({210, 100});
  desktop.release(2);

  EXPECT_EQ(global, (std::vector<int>{mouseEventType::mouseMoved, mouseEventType::leftMouseDown,
                                      mouseEventType::leftMouseDown, 6, 6, 6, 6,
                                      mouseEventType::rightMouseDown, mouseEventType::scrollWheel,
                                      mouseEventType::otherMouseDragged}));
  EXPECT_TRUE(local.empty());
  EXPECT_EQ(mouse.location(), (Point{210, 800}));
}

TEST_F(MouseMonitors, AClickOnTheVisiblePanelIsLocalAndPressesItsButton) {
  auto panel = desktop.windows().createOverlayPanel({0, 0, 32, 32});
  int clicks = 0;
  panel->setButtonAction([&] { ++clicks; });
  panel->setFrame({400, 500, 32, 32}); // bottom-left: top-left (400, 368)
  const Point onPanel{416, 384};

  desktop.movePointer(onPanel);
  desktop.click();
  EXPECT_EQ(clicks, 0); // hidden panels take no clicks
  panel->orderFrontRegardless();
  desktop.click();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(local, (std::vector<int>{mouseEventType::leftMouseDown}));

  // A press that leaves the panel before its release does not click.
  desktop.press(0);
  desktop.movePointer({100, 100});
  desktop.release(0);
  EXPECT_EQ(clicks, 1);
  desktop.activatePanelButton();
  EXPECT_EQ(clicks, 2);
}

TEST_F(MouseMonitors, RemovedMonitorsHearNothing) {
  const auto token = mouse.addGlobalMonitor(hoverMask, [this](int) { local.push_back(-1); });
  EXPECT_EQ(desktop.monitorCount(), 3u);
  mouse.removeMonitor(token);
  desktop.scroll();
  EXPECT_EQ(desktop.monitorCount(), 2u);
  EXPECT_TRUE(local.empty());
}

} // namespace
} // namespace lumivane::sim
