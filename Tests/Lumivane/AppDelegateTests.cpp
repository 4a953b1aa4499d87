#include "CoordinatorFixture.hpp"

#include <optional>
#include <string>
#include <vector>

namespace lumivane::test {
namespace {

using platform::Notification;

constexpr std::string_view attentionToolTip = "Lumivane · 请检查权限";

// A = Accessibility, S = suspended, H/M = switches, T = the tap can start. A tap that cannot be
// made tells that the grant is not there, whatever the cached answer says: A yes with T no reads
// as A no.
struct Row {
  bool accessibility, suspended, hoverOn, middleOn, tapStarts;
  bool hoverRuns, middleRuns;
  std::string_view symbol, toolTip;
};

class Reconciliation : public CoordinatorTest, public ::testing::WithParamInterface<Row> {};

TEST_P(Reconciliation, FollowsTheOutcomeTable) {
  const Row& row = GetParam();
  desktop.setAccessibility(row.accessibility);
  desktop.setPostEventAccess(row.tapStarts);
  desktop.setDefault("hoverEnabled", row.hoverOn);
  desktop.setDefault("middleEnabled", row.middleOn);
  launch();
  if (row.suspended) {
    post(Notification::screenIsLocked);
  }
  EXPECT_EQ(app->hover().isEnabled(), row.hoverRuns);
  EXPECT_EQ(desktop.tapInstalled(), row.middleRuns);
  EXPECT_EQ(app->permissions()->middleAvailable(), row.middleRuns);
  EXPECT_EQ(desktop.shell().statusSymbol, row.symbol);
  EXPECT_EQ(desktop.shell().statusSymbolDescription, "Lumivane");
  EXPECT_EQ(desktop.shell().statusToolTip, row.toolTip);
}

constexpr std::string_view ready = "dock.rectangle";
constexpr std::string_view attention = "dock.rectangle.badge.exclamationmark";
INSTANTIATE_TEST_SUITE_P(
    Coordinator, Reconciliation,
    ::testing::Values(
        Row{false, false, true, true, true, false, false, attention, attentionToolTip},
        Row{false, true, false, false, true, false, false, attention, attentionToolTip},
        Row{true, true, true, true, true, false, false, ready, "Lumivane"},
        Row{true, true, true, true, false, false, false, attention, attentionToolTip},
        Row{true, false, true, false, true, true, false, ready, "Lumivane"},
        Row{true, false, false, false, true, false, false, ready, "Lumivane"},
        Row{true, false, true, true, true, true, true, ready, "Lumivane"},
        Row{true, false, false, true, true, false, true, ready, "Lumivane"},
        Row{true, false, true, true, false, false, false, attention, attentionToolTip},
        Row{true, false, false, true, false, false, false, attention, attentionToolTip}));

using Lifecycle = CoordinatorTest;

TEST_F(Lifecycle, StartUpInstallsEverythingAndShutdownRemovesIt) {
  const std::size_t subscriptions = desktop.subscriptionCount();
  app = std::make_shared<AppDelegate>(desktop.platform(), desktop.windows());
  const std::size_t services = desktop.subscriptionCount(); // the quit service's own
  EXPECT_FALSE(desktop.shell().hasStatusItem);
  EXPECT_FALSE(desktop.tapInstalled());
  EXPECT_EQ(desktop.monitorCount(), 0u);

  app->applicationDidFinishLaunching();
  const sim::ShellRecord& shell = desktop.shell();
  EXPECT_EQ(shell.activationPolicy, platform::ActivationPolicy::accessory);
  EXPECT_EQ(shell.statusIdentifier, "lumivane.status-item");
  EXPECT_EQ(shell.statusSymbol, "dock.rectangle");
  EXPECT_EQ(desktop.subscriptionCount(), services + 11);
  EXPECT_TRUE(app->permissions()->isPolling());
  EXPECT_TRUE(desktop.tapInstalled());
  EXPECT_GT(desktop.monitorCount(), 0u);
  EXPECT_TRUE(shell.windows.empty());

  app->applicationWillTerminate();
  EXPECT_EQ(desktop.subscriptionCount(), subscriptions);
  EXPECT_FALSE(app->permissions()->isPolling());
  EXPECT_FALSE(app->quitter()->isChecking());
  EXPECT_FALSE(desktop.tapInstalled());
  EXPECT_EQ(desktop.monitorCount(), 0u);
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
  post(Notification::screenIsLocked);
  EXPECT_FALSE(app->runtime()->isSuspended());
}

TEST_F(Lifecycle, CallbacksDoNothingOnceTheCoordinatorIsGone) {
  launch();
  const std::vector<presentation::MenuItem> menu = desktop.shell().menuItems;
  const std::weak_ptr<AppDelegate> weak = app;
  app.reset();
  EXPECT_TRUE(weak.expired());
  for (const presentation::MenuItem& item : menu) {
    if (item.perform) {
      item.perform();
    }
  }
  post(Notification::screenIsLocked);
  post(Notification::screenIsUnlocked);
  post(Notification::screenParametersDidChange);
  desktop.advance(5);
  EXPECT_TRUE(desktop.shell().windows.empty());
}

// Each reason begins with one notification and ends only with its own counterpart.
struct ReasonRow {
  std::string name;
  Notification begins, otherEnd, ends;
};

class Suspension : public CoordinatorTest, public ::testing::WithParamInterface<ReasonRow> {
protected:
  void expectSuspended(bool suspended) {
    EXPECT_EQ(app->runtime()->isSuspended(), suspended);
    EXPECT_EQ(app->hover().isEnabled(), !suspended);
    EXPECT_EQ(desktop.tapInstalled(), !suspended);
    EXPECT_EQ(app->permissions()->middleAvailable(), !suspended);
  }
};

TEST_P(Suspension, EndsOnlyWithItsOwnCounterpart) {
  launch();
  post(GetParam().begins);
  expectSuspended(true);
  post(GetParam().otherEnd);
  expectSuspended(true);
  post(GetParam().ends);
  expectSuspended(false);
}

INSTANTIATE_TEST_SUITE_P(
    Coordinator, Suspension,
    ::testing::Values(ReasonRow{"Sleep", Notification::willSleep, Notification::screensDidWake,
                                Notification::didWake},
                      ReasonRow{"Display", Notification::screensDidSleep, Notification::didWake,
                                Notification::screensDidWake},
                      ReasonRow{"Session", Notification::sessionDidResignActive,
                                Notification::screenIsUnlocked,
                                Notification::sessionDidBecomeActive},
                      ReasonRow{"Lock", Notification::screenIsLocked, Notification::didWake,
                                Notification::screenIsUnlocked}),
    [](const auto& info) { return info.param.name; });

using SuspensionSet = CoordinatorTest;

TEST_F(SuspensionSet, LastEndingReasonResumesAfterRereadingScreensAndPermissions) {
  launch();
  post(Notification::screenIsLocked);
  post(Notification::willSleep);
  post(Notification::didWake);
  EXPECT_TRUE(app->runtime()->isSuspended());
  EXPECT_FALSE(app->hover().isEnabled());
  // Neither change reaches a poll or a notice before the unlock.
  desktop.setScreensWithoutNotice({{0, 0, 1920, 1080}});
  desktop.setInputMonitoring(false);
  desktop.setPostEventAccess(false);
  post(Notification::screenIsUnlocked);
  EXPECT_FALSE(app->runtime()->isSuspended());
  // No tap can be made: the grant is gone, and hover stops with the middle button.
  EXPECT_FALSE(app->hover().isEnabled());
  EXPECT_FALSE(app->permissions()->accessibility());
  EXPECT_EQ(app->observer()->screens().at(0).width, 1920);
  EXPECT_FALSE(app->permissions()->inputMonitoring());
  EXPECT_FALSE(desktop.tapInstalled());
  EXPECT_EQ(desktop.shell().statusSymbol, attention);
}

// Displays changed while the Mac slept, with no notice: the × shows where the Dock is now.
TEST_F(SuspensionSet, WakingFindsDisplaysThatChangedUnannounced) {
  launch();
  post(Notification::willSleep);
  desktop.setScreensWithoutNotice({{0, 0, 1920, 1200}});
  post(Notification::didWake);
  hoverOver("Mail");
}

// Suspension stops the middle-click monitor, which then asks nothing; its resolver, asked all the
// same, answers nothing too.
TEST_F(SuspensionSet, TheMiddleClickResolverAnswersNothingWhileSuspended) {
  launch();
  const Rect icon = desktop.itemFrame(*desktop.dockItemNamed("Safari"));
  const Point centre{icon.midX(), icon.midY()};
  ASSERT_TRUE(app->middle()->resolve(centre));
  post(Notification::screenIsLocked);
  EXPECT_FALSE(app->middle()->resolve(centre));
}

TEST_F(SuspensionSet, UnlockWithoutLockRereadsAndReconciles) {
  launch();
  desktop.setAccessibility(false);
  post(Notification::screenIsUnlocked);
  EXPECT_FALSE(app->runtime()->isSuspended());
  EXPECT_FALSE(app->permissions()->accessibility());
  EXPECT_FALSE(app->hover().isEnabled());
  EXPECT_EQ(desktop.shell().statusToolTip, attentionToolTip);
}

using LiveGrant = CoordinatorTest;

// Lumivane's row is removed from the Accessibility list while a middle press is held on the
// Dock: the cached trust answer stays yes, but at the next poll both features stop, the tap goes
// without waiting for the release it will never see, and the other buttons reach the desktop.
TEST_F(LiveGrant, ARemovedRowStopsBothFeaturesAndTheTapWithinOnePoll) {
  launch();
  const Rect icon = desktop.itemFrame(*desktop.dockItemNamed("Notes"));
  desktop.movePointer({icon.midX(), icon.midY()});
  desktop.press(2);
  desktop.removeFromAccessibilityList();
  desktop.advance(2.0);
  EXPECT_FALSE(app->permissions()->accessibility());
  EXPECT_FALSE(app->hover().isEnabled());
  EXPECT_FALSE(desktop.tapInstalled());
  EXPECT_EQ(desktop.shell().statusSymbol, "dock.rectangle.badge.exclamationmark");
  desktop.movePointer({720, 300});
  desktop.press(3);
  EXPECT_FALSE(desktop.otherMouseEvents().back().heldBack);

  desktop.setAccessibility(true);
  desktop.advance(2.0);
  EXPECT_TRUE(desktop.tapInstalled());
  EXPECT_TRUE(app->hover().isEnabled());
}

using TapFailure = CoordinatorTest;

TEST_F(TapFailure, IsReportedWhileMiddleClickShouldRun) {
  launch();
  desktop.setTapReenableFails(true);
  desktop.disableTap(true);
  const auto& runtime = *app->runtime();
  EXPECT_EQ(runtime.message(), "鼠标监听已中断，请在设置中重新检查权限。");
  EXPECT_TRUE(runtime.isError());
  EXPECT_FALSE(app->permissions()->middleAvailable());
  EXPECT_EQ(desktop.shell().statusSymbol, attention);
  EXPECT_EQ(desktop.shell().statusSymbolDescription, "Lumivane · 鼠标监听已中断");
  EXPECT_EQ(desktop.shell().statusToolTip, "Lumivane");

  desktop.setTapReenableFails(false);
  app->runtime()->onRetry();
  desktop.disableTap(false);
  EXPECT_EQ(runtime.message(), "鼠标监听已恢复。");
  EXPECT_FALSE(runtime.isError());
  EXPECT_TRUE(app->permissions()->middleAvailable());
}

TEST_F(TapFailure, IsIgnoredWhileSwitchedOffOrSuspended) {
  launch();
  app->settings()->setMiddleEnabled(false);
  app->middle()->onFailure(true);
  EXPECT_EQ(app->runtime()->message(), "");
  EXPECT_FALSE(app->permissions()->middleAvailable());

  app->settings()->setMiddleEnabled(true);
  post(Notification::screenIsLocked);
  app->middle()->onFailure(true);
  app->middle()->onFailure(false);
  EXPECT_EQ(app->runtime()->message(), "");
  EXPECT_FALSE(app->permissions()->middleAvailable());
  EXPECT_EQ(desktop.shell().statusSymbol, "dock.rectangle");
}

using ProtectedApps = CoordinatorTest;

// The user's list, as the popover's editor changes it: no ×, and a middle click on the icon is
// swallowed whole but quits nothing.
TEST_F(ProtectedApps, GetNoCrossAndAMiddleClickSendsNothing) {
  launch();
  app->settings()->setProtected("COM.APPLE.SAFARI", true);
  const Rect safari = desktop.itemFrame(*desktop.dockItemNamed("Safari"));
  desktop.movePointer({safari.midX(), safari.midY()});
  desktop.advance(0.5);
  EXPECT_FALSE(desktop.panel().visible);

  desktop.middleClick();
  desktop.runLoop().drain();
  EXPECT_TRUE(desktop.quitRequests().empty());
  EXPECT_TRUE(desktop.dockEvents().empty());
  EXPECT_TRUE(desktop.isRunning(this->safari));

  app->settings()->setProtected("com.apple.Safari", false);
  desktop.movePointer({safari.midX() + 1, safari.midY()});
  desktop.advance(0.5);
  EXPECT_TRUE(desktop.panel().visible);
}

TEST_F(ProtectedApps, ProtectingTheAppOfAShownCrossWithdrawsIt) {
  launch();
  hoverOver("Mail");
  app->settings()->setProtected("com.apple.mail", true);
  EXPECT_FALSE(desktop.panel().visible);
  desktop.movePointer({desktop.pointer().x + 1, desktop.pointer().y});
  desktop.advance(0.5);
  EXPECT_FALSE(desktop.panel().visible);
}

using QuitRouting = CoordinatorTest;

// Notes stays running, so only the sent request itself can take the × away.
TEST_F(QuitRouting, MiddleClickQuitHidesTheCrossAndReportsStatus) {
  launch();
  hoverOver("Notes");
  desktop.middleClick();
  desktop.runLoop().drain();
  ASSERT_EQ(desktop.quitRequests().size(), 1u);
  EXPECT_EQ(desktop.quitRequests()[0].pid, notes);
  EXPECT_FALSE(desktop.panel().visible);
  EXPECT_FALSE(app->runtime()->message().empty());
  EXPECT_FALSE(app->runtime()->isError());
}

// An outcome stays the status line until another replaces it, however late the user looks.
using StatusLineLife = CoordinatorTest;

TEST_F(StatusLineLife, AnOutcomeStaysUntilAnotherReplacesIt) {
  launch();
  middleClickQuit("Notes");
  desktop.advance(12.5);
  const auto& runtime = *app->runtime();
  const StatusLine hint = QuitLine{QuitOutcome::timedOut, "Notes"};
  EXPECT_EQ(runtime.line(), hint);

  desktop.advance(3600);
  EXPECT_EQ(runtime.line(), hint);
  EXPECT_TRUE(runtime.isError());
  post(Notification::screenIsLocked);
  post(Notification::screenIsUnlocked);
  app->togglePopover();
  desktop.runLoop().drain();
  app->togglePopover();
  EXPECT_EQ(runtime.line(), hint) << "pauses and the popover leave the line as it is";

  middleClickQuit("Safari");
  EXPECT_EQ(runtime.line(), StatusLine(QuitLine{QuitOutcome::ended, "Safari"}));
  EXPECT_FALSE(runtime.isError());
}

// A refused request or a time-out marks the status item while its line waits to be seen.
class StatusBadge : public CoordinatorTest {
protected:
  StatusBadge() { launchApp("Pages", "com.apple.iWork.Pages", sim::QuitBehaviour::refuse); }

  bool badged() const { return desktop.shell().statusBadge; }

  void openPopover() {
    app->togglePopover();
    desktop.runLoop().drain();
  }
};

TEST_F(StatusBadge, ARefusalStaysThroughPausesUntilThePopoverOpens) {
  launch();
  middleClickQuit("Safari");
  EXPECT_FALSE(badged());

  middleClickQuit("Pages");
  EXPECT_TRUE(badged());
  // Reconciliation sets the symbol again at each change; the badge is not the symbol's.
  post(Notification::screenIsLocked);
  post(Notification::screenIsUnlocked);
  desktop.setAccessibility(false);
  desktop.advance(2.5);
  EXPECT_EQ(desktop.shell().statusSymbol, attention);
  desktop.setAccessibility(true);
  desktop.advance(2.5);
  EXPECT_EQ(desktop.shell().statusSymbol, "dock.rectangle");
  EXPECT_TRUE(badged());

  openPopover();
  ASSERT_TRUE(desktop.shell().popoverShown);
  EXPECT_FALSE(badged());
  EXPECT_EQ(app->runtime()->line(), StatusLine(QuitLine{QuitOutcome::refused, "Pages"}));
  // Seen is seen: closing the popover and another pause bring nothing back.
  app->togglePopover();
  post(Notification::screenIsLocked);
  post(Notification::screenIsUnlocked);
  EXPECT_FALSE(badged());
}

// Later lines replace the marked one before the user has looked: the badge waits for the look.
TEST_F(StatusBadge, OutlastsTheLinesAfterItUntilThePopoverShowsTheLine) {
  launch();
  middleClickQuit("Pages");
  middleClickQuit("Mail");
  EXPECT_EQ(app->runtime()->line(), StatusLine(QuitLine{QuitOutcome::ended, "Mail"}));
  EXPECT_TRUE(badged()) << "the refusal has not been seen";
  EXPECT_TRUE(app->isBadged());
  openPopover();
  EXPECT_FALSE(badged());
  app->togglePopover();

  // A time-out marks it again, and the quit that follows leaves the mark.
  middleClickQuit("Notes");
  desktop.advance(11.5);
  EXPECT_FALSE(badged());
  desktop.advance(1);
  EXPECT_TRUE(badged());
  middleClickQuit("Safari");
  desktop.advance(3600);
  EXPECT_TRUE(badged());
  openPopover();
  EXPECT_FALSE(badged());
}

// The welcome window and a return to Lumivane show no status line: the badge stays.
TEST_F(StatusBadge, StaysWhenNothingShowsTheLine) {
  launch();
  middleClickQuit("Pages");
  app->showWelcome();
  desktop.runLoop().drain();
  EXPECT_TRUE(badged());
  app->applicationDidBecomeActive();
  EXPECT_TRUE(badged());
}

// The settings window stands in for a popover that cannot be placed, status line and all.
TEST_F(StatusBadge, NeedsNoneForALineInViewAndTheSettingsWindowClearsIt) {
  launch();
  openPopover();
  middleClickQuit("Pages");
  EXPECT_FALSE(badged());
  app->togglePopover();

  desktop.setStatusBarAvailable(false);
  middleClickQuit("Pages");
  EXPECT_TRUE(badged());
  openPopover();
  ASSERT_NE(app->settingsWindow(), nullptr);
  EXPECT_FALSE(badged());
  middleClickQuit("Pages");
  EXPECT_FALSE(badged()) << "the settings window shows the line";
}

// The way back: the line "「X」已退出" carries 重新打开 while the offer holds, and its outcome
// takes the line's place.
class WayBack : public CoordinatorTest {
protected:
  const RuntimeStatus& runtime() const { return *app->runtime(); }

  void clickReopen() {
    ASSERT_TRUE(runtime().offersReopen());
    runtime().onReopen();
    desktop.runLoop().drain();
  }
};

TEST_F(WayBack, TheEndOfAQuitOffersItUntilAnotherLineReplacesIt) {
  launch();
  middleClickQuit("Safari");
  EXPECT_EQ(runtime().line(), StatusLine(QuitLine{QuitOutcome::ended, "Safari"}));
  EXPECT_TRUE(runtime().offersReopen());
  clickReopen();
  EXPECT_EQ(runtime().line(), StatusLine(ReopenLine{ReopenOutcome::opened, "Safari"}));
  EXPECT_FALSE(runtime().offersReopen());
  const std::optional<int32_t> reopened = desktop.pidOf("Safari");
  ASSERT_TRUE(reopened);
  EXPECT_NE(*reopened, safari);

  // Notes stays at its save prompt: its waiting line replaces Mail's, and the offer goes.
  middleClickQuit("Mail");
  EXPECT_TRUE(runtime().offersReopen());
  middleClickQuit("Notes");
  EXPECT_FALSE(runtime().offersReopen());
  EXPECT_FALSE(app->reopener()->isChecking());
}

TEST_F(WayBack, APopoverOpensWithAnOfferThatStillHoldsAndProtectingTheAppWithdrawsIt) {
  launch();
  middleClickQuit("Safari");
  desktop.launch({.name = "Safari",
                  .bundleIdentifier = "com.apple.Safari",
                  .bundlePath = "/Applications/Safari.app"});
  app->togglePopover();
  EXPECT_FALSE(runtime().offersReopen()) << "the user started Safari again";
  desktop.runLoop().drain();
  ASSERT_TRUE(desktop.shell().popoverShown);
  app->togglePopover();

  middleClickQuit("Mail");
  ASSERT_TRUE(runtime().offersReopen());
  app->settings()->setProtected("com.apple.mail", true);
  EXPECT_FALSE(runtime().offersReopen());
}

TEST_F(WayBack, ABundleThatIsGoneBadgesTheStatusItemOutOfViewAndShutdownEndsTheOffer) {
  launch();
  middleClickQuit("Safari");
  desktop.removeBundle("/Applications/Safari.app");
  clickReopen();
  EXPECT_EQ(runtime().line(), StatusLine(ReopenLine{ReopenOutcome::gone, "Safari"}));
  EXPECT_TRUE(runtime().isError());
  EXPECT_TRUE(desktop.shell().statusBadge);

  middleClickQuit("Mail");
  ASSERT_TRUE(app->reopener()->isChecking());
  app->applicationWillTerminate();
  EXPECT_FALSE(runtime().offersReopen());
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
}

class HoverReset : public CoordinatorTest, public ::testing::WithParamInterface<Notification> {};

TEST_P(HoverReset, NotificationHidesTheCross) {
  launch();
  hoverOver("Safari");
  post(GetParam());
  EXPECT_FALSE(desktop.panel().visible);
  EXPECT_TRUE(app->hover().isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Coordinator, HoverReset,
                         ::testing::Values(Notification::activeSpaceDidChange,
                                           Notification::didTerminateApplication,
                                           Notification::screenParametersDidChange));

using LayoutHandOver = CoordinatorTest;

TEST_F(LayoutHandOver, StoredAndChangedLayoutsReachTheHoverController) {
  desktop.setDefault("hoverDistance", std::string_view("compact"));
  launch();
  EXPECT_EQ(app->hover().layout.distance, HoverDistance::compact);
  hoverOver("Safari");
  app->settings()->setHoverLayout({HoverPosition::leading, HoverDistance::compact});
  EXPECT_EQ(app->hover().layout.position, HoverPosition::leading);
  EXPECT_FALSE(desktop.panel().visible);
}

} // namespace
} // namespace lumivane::test
