#include "HoverSteps.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <string>

// A click on the ×, on the simulated desktop: what it quits, when it is refused, what withdraws
// the × instead.

namespace lumivane {
namespace {

using namespace test;

// The element under a pointer on the × is our own panel's: a question about it would go to
// this process, whose main thread is the one waiting for the answer. None is asked; the ×
// stays and its click counts.
TEST(HoverOwnPanel, APointerOnTheButtonAsksNothingAboutIt) {
  TriggerDesktop d;
  showButton(d, "Safari");
  const Point button = centreOf(d.panelFrame());
  travelKeepingButton(d, button);
  // From here on, every question about what lies at a point hangs for the message time-out.
  d.desktop.addFault(
      {sim::FaultKind::timeout, sim::FaultTarget::anyElement, "AXElementAtPosition"});
  const double stallBefore = d.desktop.runLoop().longestStall();
  for (int step = 0; step < 30; ++step) {
    d.desktop.movePointer({button.x + (step % 2 == 0 ? 3 : -3), button.y});
    d.desktop.advance(tick);
  }
  EXPECT_EQ(d.desktop.runLoop().longestStall(), stallBefore);
  ASSERT_TRUE(d.panelVisible());
  d.desktop.click();
  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(d.desktop.quitRequests()[0].pid, d.pid("Safari"));
}

TEST(HoverClick, QuitsAfterValidationAndShowsNoButtonWhileTheRequestIsPending) {
  TriggerDesktop d;
  showButton(d, "Notes");
  travelKeepingButton(d, centreOf(d.panelFrame()));
  // A press on the × is a click under way: the loop leaves it alone until the release.
  d.desktop.press(0);
  d.desktop.advance(0.2);
  EXPECT_TRUE(d.panelVisible());
  d.desktop.release(0);

  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  EXPECT_EQ(d.desktop.quitRequests()[0].pid, d.pid("Notes"));
  EXPECT_FALSE(d.panelVisible());
  const auto log = d.hoverLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message, clickAccepted);
  EXPECT_EQ(log[0].level, platform::LogLevel::debug);

  // Notes waits at its save prompt: its request stays pending and its icon gets no ×; the
  // loop does not keep polling it either.
  d.desktop.movePointer(d.centre("Notes"));
  d.desktop.advance(2 * tick);
  EXPECT_FALSE(d.hover->isLooping());
  d.desktop.advance(1.0);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_EQ(d.desktop.panel().fadeCount, 1);
  EXPECT_EQ(d.desktop.quitRequests().size(), 1u);
}

// A quit request for the ×'s application sent by other means (the middle button) withdraws the ×
// at the next step, wherever the pointer is: the controller learns of the request only from the
// quit service, the coordinator's reset on every request aside.
struct PendingElsewhere {
  const char* name;
  std::function<void(TriggerDesktop&)> place; // the pointer, with the × for Notes showing
};

class HoverPendingElsewhere : public ::testing::TestWithParam<PendingElsewhere> {};

TEST_P(HoverPendingElsewhere, WithdrawsTheButtonAtTheNextStep) {
  TriggerDesktop d;
  showButton(d, "Notes");
  GetParam().place(d);
  ASSERT_TRUE(d.panelVisible());
  d.quitter->request(*d.observer->hit(d.centre("Notes"), {})->application);
  ASSERT_EQ(d.desktop.quitRequests().size(), 1u);
  d.desktop.advance(2 * tick);
  EXPECT_FALSE(d.panelVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Pointer, HoverPendingElsewhere,
    ::testing::Values(
        // Steps that find nothing changed look no further than the icon and its lane.
        PendingElsewhere{"RestingOnTheIcon", [](TriggerDesktop& d) { d.desktop.advance(1.0); }},
        // The remembered item is validated for the way to its ×.
        PendingElsewhere{"OnTheWayToTheButton",
                         [](TriggerDesktop& d) {
                           const Point from = d.centre("Notes");
                           const Point to = centreOf(d.panelFrame());
                           travelKeepingButton(d, {(from.x + to.x) / 2, (from.y + to.y) / 2});
                         }},
        // Off the icon and off the way: the item is measured again.
        PendingElsewhere{"OffTheWay",
                         [](TriggerDesktop& d) {
                           const Rect icon = d.icon("Notes");
                           d.desktop.movePointer({icon.midX() + 60, icon.minY() - 60});
                         }}),
    [](const auto& info) { return std::string(info.param.name); });

// Mail reports a frame over Safari's ×, while the Dock's list, its children and Safari's icon
// stay as they were: nothing the loop's snapshot reading checks has changed, so the × may stay
// up, but the click reads the Dock afresh and is refused.
TEST(HoverClick, IsCheckedAgainstWhatOnlyAFreshReadingSees) {
  TriggerDesktop d;
  showButton(d, "Safari");
  const Rect button = d.panelFrame();
  travelKeepingButton(d, centreOf(button));
  sim::Desktop& desktop = d.desktop;
  d.accessibility.rewrite = [&desktop, button](const platform::ElementRef& element,
                                               std::string_view name, platform::AXValue& value) {
    const auto title = desktop.platform().accessibility.attribute(element, "AXTitle");
    const auto* text = title ? std::get_if<platform::AXText>(&*title) : nullptr;
    if (text == nullptr || text->value != "Mail") {
      return;
    }
    if (name == "AXPosition") {
      value = Point{button.x, button.y};
    } else if (name == "AXSize") {
      value = platform::AXSize{button.width, button.height};
    }
  };
  d.desktop.advance(0.3);
  ASSERT_TRUE(d.panelVisible());

  d.desktop.click();
  EXPECT_TRUE(d.desktop.quitRequests().empty());
  EXPECT_FALSE(d.panelVisible());
  ASSERT_FALSE(d.hoverLog().empty());
  EXPECT_EQ(d.hoverLog().back().message, rejectedNotRefreshed);
}

// A click on the × that no longer means what it showed is refused, logged and withdrawn.
struct Rejection {
  const char* name;
  std::function<void(TriggerDesktop&)> change; // with the pointer on the visible ×
  std::string message;
  std::size_t quitRequests;
};

class HoverRejection : public ::testing::TestWithParam<Rejection> {};

TEST_P(HoverRejection, RefusesTheClick) {
  TriggerDesktop d;
  showButton(d, "Safari");
  travelKeepingButton(d, centreOf(d.panelFrame()));
  GetParam().change(d);
  d.desktop.activatePanelButton();

  EXPECT_EQ(d.desktop.quitRequests().size(), GetParam().quitRequests);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_FALSE(d.hover->isLooping());
  const auto log = d.hoverLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().message, GetParam().message);
  EXPECT_EQ(log.back().level, platform::LogLevel::standard);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, HoverRejection,
    ::testing::Values(
        Rejection{"Relaunched", [](TriggerDesktop& d) { d.desktop.relaunch(d.pid("Safari")); },
                  rejectedNotRefreshed, 0},
        // An accessibility action presses the button wherever the pointer is.
        Rejection{"PointerElsewhere",
                  [](TriggerDesktop& d) { d.desktop.movePointer(d.centre("Safari")); },
                  rejectedChanged, 0},
        Rejection{"AlreadyPending",
                  [](TriggerDesktop& d) {
                    d.quitter->request(*d.observer->hit(d.centre("Safari"), {})->application);
                  },
                  rejectedChanged, 1},
        Rejection{"FeatureOff", [](TriggerDesktop& d) { d.hover->stop(); }, rejectedInactive, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A left click away from the ×, a right click, a scroll and a drag withdraw it at once.
struct Withdrawal {
  const char* name;
  std::function<void(TriggerDesktop&)> act;
};

class HoverWithdrawal : public ::testing::TestWithParam<Withdrawal> {};

TEST_P(HoverWithdrawal, HidesTheButtonAtOnce) {
  TriggerDesktop d;
  showButton(d, "Safari");
  GetParam().act(d);
  EXPECT_FALSE(d.panelVisible());
  EXPECT_FALSE(d.hover->isLooping());
  EXPECT_TRUE(d.desktop.quitRequests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    MouseActions, HoverWithdrawal,
    ::testing::Values(Withdrawal{"LeftClick", [](TriggerDesktop& d) { d.desktop.click(); }},
                      Withdrawal{"RightClick", [](TriggerDesktop& d) { d.desktop.rightClick(); }},
                      Withdrawal{"Scroll", [](TriggerDesktop& d) { d.desktop.scroll(); }},
                      // Even a drag that starts on the × itself.
                      Withdrawal{"Drag",
                                 [](TriggerDesktop& d) {
                                   const Point button = centreOf(d.panelFrame());
                                   d.desktop.movePointer(button);
                                   d.desktop.drag({button.x + 4, button.y});
                                 }}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace lumivane
