#include "TriggerDesktop.hpp"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

// Middle clicks on the simulated desktop: what the Dock itself still receives, and which quit
// requests reach the applications.

namespace lumivane {
namespace {

using platform::tapEventType::otherMouseDown;
using platform::tapEventType::otherMouseDragged;
using platform::tapEventType::otherMouseUp;
using test::TriggerDesktop;

// Forwards to the simulated system, counts the taps asked for and keeps the last one's callback,
// through which a test can hand the monitor an event its tap no longer gets from the system.
class CountingEventTaps final : public platform::EventTaps {
public:
  explicit CountingEventTaps(platform::EventTaps& system) : system_(system) {}

  std::unique_ptr<platform::EventTap> createSessionTap(uint64_t eventMask,
                                                       Callback callback) override {
    masks.push_back(eventMask);
    lastCallback = callback;
    return system_.createSessionTap(eventMask, std::move(callback));
  }
  bool canCreateActiveTap() override { return system_.canCreateActiveTap(); }
  bool preflightListenEventAccess() override { return system_.preflightListenEventAccess(); }
  bool preflightPostEventAccess() override { return system_.preflightPostEventAccess(); }
  bool requestPostEventAccess() override { return system_.requestPostEventAccess(); }

  std::vector<uint64_t> masks;
  Callback lastCallback;

private:
  platform::EventTaps& system_;
};

// What the Dock received: (event type, button).
using Events = std::vector<std::pair<uint32_t, int64_t>>;

Events dockEvents(const TriggerDesktop& d) {
  Events events;
  for (const auto& event : d.desktop.dockEvents()) {
    events.emplace_back(event.type, event.button);
  }
  return events;
}

class MiddleClick : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(d.monitor->start()); }

  TriggerDesktop d;
};

TEST_F(MiddleClick, SwallowsPressDragsAndReleaseAndQuitsOnceAfterTheCallback) {
  const int32_t safari = d.pid("Safari");
  const Point icon = d.centre("Safari");
  d.desktop.movePointer(icon);
  d.desktop.press(2);
  // The quit is handed over one main-queue turn later, never inside the tap's callback.
  EXPECT_TRUE(d.desktop.quitRequests().empty());
  d.desktop.movePointer({icon.x + 6, icon.y - 3});
  d.desktop.movePointer({icon.x + 12, icon.y - 6});
  d.desktop.release(2);
  d.desktop.advance(0.01);

  EXPECT_EQ(dockEvents(d), Events{});
  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(d.desktop.quitRequests()[0].pid, safari);
}

TEST_F(MiddleClick, SideButtonsPassWithoutDisturbingAMiddleGesture) {
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.press(2);
  for (int button : {3, 4}) {
    d.desktop.press(button);
    d.desktop.release(button);
  }
  d.desktop.release(2);
  d.desktop.advance(0.01);

  EXPECT_EQ(
      dockEvents(d),
      (Events{{otherMouseDown, 3}, {otherMouseUp, 3}, {otherMouseDown, 4}, {otherMouseUp, 4}}));
  EXPECT_EQ(d.desktop.quitRequests().size(), 1u);
}

TEST_F(MiddleClick, APressOutsideTheDockPassesWithItsDragsAndRelease) {
  d.desktop.movePointer({720, 300});
  d.desktop.press(2);
  // Carried onto an icon, the sequence still belongs to the press: nothing is swallowed.
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.release(2);
  d.desktop.advance(0.01);
  EXPECT_EQ(dockEvents(d), (Events{{otherMouseDragged, 2}, {otherMouseUp, 2}}));
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

// Dock items without a quittable application: the click is still kept from the Dock.
class MiddleClickIgnoredItem : public MiddleClick,
                               public ::testing::WithParamInterface<const char*> {};

TEST_P(MiddleClickIgnoredItem, IsSwallowedWithoutAQuit) {
  d.desktop.movePointer(d.centre(GetParam()));
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  EXPECT_EQ(dockEvents(d), Events{});
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

INSTANTIATE_TEST_SUITE_P(Dock, MiddleClickIgnoredItem,
                         ::testing::Values("Finder", "Downloads", "Trash"));

TEST_F(MiddleClick, StopDuringAPressKeepsTheTapUntilTheReleaseAndDropsTheQuit) {
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.press(2);
  d.monitor->stop(MiddleClickMonitor::Stop::afterGesture);
  EXPECT_TRUE(d.desktop.tapInstalled());
  EXPECT_FALSE(d.monitor->isRunning());
  d.desktop.release(2);
  // The release ends the stop inside the tap's callback: the tap is disabled there and torn
  // down one turn later, never from inside its own callback.
  EXPECT_FALSE(d.desktop.tapEnabled());
  d.desktop.advance(0.01);

  EXPECT_EQ(dockEvents(d), Events{});
  EXPECT_FALSE(d.desktop.tapInstalled());
  EXPECT_EQ(d.desktop.tapTeardownsInsideCallback(), 0u);
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

TEST_F(MiddleClick, AStartBeforeTheDeferredTeardownRunsOnATapOfItsOwn) {
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.press(2);
  d.monitor->stop(MiddleClickMonitor::Stop::afterGesture);
  d.desktop.release(2);
  ASSERT_TRUE(d.monitor->start());
  d.desktop.advance(0.01);

  EXPECT_TRUE(d.monitor->isRunning());
  EXPECT_EQ(d.desktop.tapsCreated(), 2u);
  EXPECT_EQ(d.desktop.tapTeardownsInsideCallback(), 0u);
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  EXPECT_EQ(d.desktop.quitRequests().size(), 1u);
}

// The grant goes while a swallowed press is held: the stop keeps the tap for the release, which
// the tap no longer sees. Started again on the same tap, the monitor takes the next press as a
// click of its own.
TEST_F(MiddleClick, AReleaseTheTapMissedWhileStoppedDoesNotSwallowTheNextClick) {
  d.desktop.movePointer(d.centre("Downloads"));
  d.desktop.press(2);
  d.monitor->stop(MiddleClickMonitor::Stop::afterGesture);
  d.desktop.setPostEventAccess(false);
  d.desktop.release(2);
  d.desktop.setPostEventAccess(true);
  ASSERT_TRUE(d.monitor->start());
  EXPECT_EQ(d.desktop.tapsCreated(), 1u);
  const std::size_t dockSaw = dockEvents(d).size();

  const int32_t safari = d.pid("Safari");
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(d.desktop.quitRequests()[0].pid, safari);
  EXPECT_EQ(dockEvents(d).size(), dockSaw) << "the click is swallowed whole";
}

// Stopped and started while the press is held and seen throughout: its release is still the
// tap's to swallow, and the press after it is judged afresh.
TEST_F(MiddleClick, AStopAndStartDuringAHeldPressStillSwallowItsRelease) {
  d.desktop.movePointer(d.centre("Downloads"));
  d.desktop.press(2);
  d.monitor->stop(MiddleClickMonitor::Stop::afterGesture);
  ASSERT_TRUE(d.monitor->start());
  d.desktop.movePointer({d.centre("Downloads").x + 5, d.centre("Downloads").y});
  d.desktop.release(2);
  d.desktop.advance(0.01);
  EXPECT_EQ(dockEvents(d), Events{});

  d.desktop.movePointer(d.centre("Mail"));
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  EXPECT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(dockEvents(d), Events{});
}

// A press is swallowed and the grant goes: the tap goes at once, as nothing reaches it any more,
// but the press stays swallowed. The next tap, made by a start once the grant is back or, the
// features paused meanwhile, by a stop that waits for the release, swallows its release.
TEST_F(MiddleClick, TheReleaseOfAPressHeldWhileTheGrantWentIsStillSwallowed) {
  for (const bool paused : {false, true}) {
    d.desktop.movePointer(d.centre("Downloads"));
    d.desktop.press(2);
    d.desktop.removeFromAccessibilityList();
    d.monitor->stop(MiddleClickMonitor::Stop::withoutGrant);
    EXPECT_FALSE(d.desktop.tapInstalled());
    d.desktop.setAccessibility(true);
    if (paused) {
      d.monitor->stop(MiddleClickMonitor::Stop::afterGesture);
    } else {
      ASSERT_TRUE(d.monitor->start());
    }
    EXPECT_TRUE(d.desktop.tapInstalled());
    d.desktop.release(2);
    d.desktop.advance(0.01);
    EXPECT_EQ(dockEvents(d), Events{}) << (paused ? "paused" : "started");
    EXPECT_EQ(d.desktop.tapInstalled(), !paused);
  }
  EXPECT_EQ(d.desktop.tapTeardownsInsideCallback(), 0u);
}

TEST_F(MiddleClick, ImmediateStopRemovesTheTapMidGesture) {
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.press(2);
  d.monitor->stop(MiddleClickMonitor::Stop::immediately);
  EXPECT_FALSE(d.desktop.tapInstalled());
  d.desktop.release(2);
  d.desktop.advance(0.01);

  EXPECT_EQ(dockEvents(d), (Events{{otherMouseUp, 2}}));
  EXPECT_TRUE(d.desktop.quitRequests().empty());

  // A fresh start begins with an idle gesture.
  ASSERT_TRUE(d.monitor->start());
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  EXPECT_EQ(d.desktop.quitRequests().size(), 1u);
}

TEST_F(MiddleClick, ADestroyedMonitorTearsItsTapDownAndDeliversNothing) {
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.press(2);
  d.monitor.reset();
  EXPECT_FALSE(d.desktop.tapInstalled());
  d.desktop.release(2);
  d.desktop.advance(0.01);
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

// The system disables the tap; the monitor re-enables it and reports whether that worked.
struct Disable {
  bool byTimeout;
  bool reenableFails;
};

class MiddleClickDisabledTap : public MiddleClick, public ::testing::WithParamInterface<Disable> {};

TEST_P(MiddleClickDisabledTap, IsRestoredOrReportedAndAStartMakesItRunAgain) {
  std::vector<bool> failures;
  d.monitor->onFailure = [&](bool restored) { failures.push_back(restored); };
  d.desktop.setTapReenableFails(GetParam().reenableFails);
  d.desktop.disableTap(GetParam().byTimeout);

  const bool restored = !GetParam().reenableFails;
  EXPECT_EQ(failures, std::vector<bool>{restored});
  EXPECT_EQ(d.monitor->isRunning(), restored);

  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  EXPECT_EQ(d.desktop.quitRequests().size(), restored ? 1u : 0u);

  // What the retry does: a tap that would not enable again is replaced by a new one.
  ASSERT_TRUE(d.monitor->start());
  EXPECT_EQ(d.desktop.tapsCreated(), restored ? 1u : 2u);
  d.desktop.movePointer(d.centre("Mail"));
  d.desktop.middleClick();
  d.desktop.advance(0.01);
  EXPECT_EQ(d.desktop.quitRequests().size(), restored ? 2u : 1u);
  EXPECT_EQ(d.desktop.tapTeardownsInsideCallback(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Notices, MiddleClickDisabledTap,
                         ::testing::Values(Disable{true, false}, Disable{false, false},
                                           Disable{true, true}, Disable{false, true}));

// The grant goes while the tap runs, and the system disables the tap: turned back on, it would
// hold every other button back from everything. It goes instead (one turn later: the notice comes
// inside its callback), the failure is reported, and the buttons pass. Once the grant is back, a
// start makes a new tap.
TEST_F(MiddleClick, ANoticeWithoutTheGrantRemovesTheTapInsteadOfRestoringIt) {
  std::vector<bool> failures;
  d.monitor->onFailure = [&](bool restored) { failures.push_back(restored); };
  d.desktop.removeFromAccessibilityList();
  d.desktop.disableTap(true);
  EXPECT_EQ(failures, std::vector<bool>{false});
  EXPECT_FALSE(d.desktop.tapEnabled());
  d.desktop.advance(0.01);
  EXPECT_FALSE(d.desktop.tapInstalled());
  EXPECT_EQ(d.desktop.tapTeardownsInsideCallback(), 0u);
  d.desktop.movePointer({720, 300});
  d.desktop.press(3);
  d.desktop.release(3);
  EXPECT_FALSE(d.desktop.otherMouseEvents().back().heldBack);

  d.desktop.setAccessibility(true);
  ASSERT_TRUE(d.monitor->start());
  EXPECT_EQ(d.desktop.tapsCreated(), 2u);
}

// An active tap is gated by post-event access (the Accessibility list), not by Input
// Monitoring; starting asks nothing of the user either way.
TEST(MiddleClickStart, NeedsPostEventAccessNotInputMonitoringAndNeverPrompts) {
  TriggerDesktop d;
  d.desktop.setInputMonitoring(false);
  EXPECT_TRUE(d.monitor->start());
  d.monitor->stop(MiddleClickMonitor::Stop::immediately);

  d.desktop.setInputMonitoring(true);
  d.desktop.setPostEventAccess(false);
  EXPECT_FALSE(d.monitor->start());
  EXPECT_FALSE(d.monitor->isRunning());
  EXPECT_EQ(d.desktop.tapsCreated(), 1u);
  EXPECT_EQ(d.desktop.postEventRequests(), 0u);
  EXPECT_EQ(d.desktop.trustPrompts(), 0u);

  d.desktop.setPostEventAccess(true);
  EXPECT_TRUE(d.monitor->start());
}

TEST(MiddleClickStart, MakesOneTapForTheOtherButtonsOnly) {
  TriggerDesktop d;
  CountingEventTaps taps(d.desktop.platform().eventTaps);
  auto monitor = std::make_shared<MiddleClickMonitor>(taps, d.desktop.platform().runLoop);
  EXPECT_TRUE(monitor->start());
  EXPECT_TRUE(monitor->start());
  EXPECT_TRUE(monitor->isRunning());
  EXPECT_EQ(taps.masks, std::vector<uint64_t>{0x0E000000});
}

// An event still on its way when the tap went, as one may be after a removal from inside the
// callback, reaches a monitor that no longer accepts: it passes, and nothing is asked about it.
TEST(MiddleClickStop, APressThatStillArrivesAfterTheStopPassesUnresolved) {
  TriggerDesktop d;
  CountingEventTaps taps(d.desktop.platform().eventTaps);
  auto monitor = std::make_shared<MiddleClickMonitor>(taps, d.desktop.platform().runLoop);
  int resolved = 0;
  monitor->resolve = [&](Point point) {
    ++resolved;
    return d.observer->hit(point, std::nullopt);
  };
  monitor->onQuit = [&](const RunningApp& app) { d.quitter->request(app); };
  ASSERT_TRUE(monitor->start());
  monitor->stop(MiddleClickMonitor::Stop::immediately);

  const Point icon = d.centre("Safari");
  EXPECT_FALSE(taps.lastCallback({otherMouseDown, 2, icon}));
  EXPECT_FALSE(taps.lastCallback({otherMouseUp, 2, icon}));
  d.desktop.advance(0.01);
  EXPECT_EQ(resolved, 0);
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

// The press is resolved inside the tap's callback, while the system waits for the answer: one
// Dock query, cut off by its budget, plus at most the one message in flight when the budget ran
// out. Slow messages that still succeed, and messages that each time out.
class MiddleClickOnASlowDock : public ::testing::TestWithParam<double> {};

TEST_P(MiddleClickOnASlowDock, SpendsAtMostOneBudgetAndOneMessageInsideTheCallback) {
  TriggerDesktop d;
  ASSERT_TRUE(d.monitor->start());
  d.desktop.movePointer(d.centre("Safari"));
  d.desktop.setMessageLatency(GetParam());
  platform::RunLoop& clock = d.desktop.platform().runLoop;

  const double before = clock.uptime();
  d.desktop.press(2);
  const double inside = clock.uptime() - before;
  EXPECT_GT(inside, 0);
  EXPECT_LE(inside, DockObserver::queryBudget + DockObserver::messagingTimeout + 1e-9);

  // Drags and the release are not resolved again.
  const double pressed = clock.uptime();
  d.desktop.movePointer({d.centre("Safari").x + 4, d.centre("Safari").y});
  d.desktop.release(2);
  EXPECT_EQ(clock.uptime(), pressed);
}

INSTANTIATE_TEST_SUITE_P(Latency, MiddleClickOnASlowDock, ::testing::Values(0.019, 0.05));

} // namespace
} // namespace lumivane
