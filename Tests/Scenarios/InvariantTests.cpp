#include "Lumivane/AppDelegate.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "Scenarios/Scenarios.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace lumivane::sim {
namespace {

// Lumivane on a desktop with one application of each kind the checks tell apart. The tests make
// Lumivane (or the system around it) misbehave through its public parts and the ports, and
// expect the checks to say which invariant broke.
class Invariants : public testing::Test {
protected:
  void SetUp() override {
    const auto scenario = parseScenario("screen 1440x900\n"
                                        "dock bottom\n"
                                        "app Finder\n"
                                        "app Mail quit=now\n"
                                        "app Notes quit=never\n"
                                        "app Helper background\n"
                                        "app Installer launching\n"
                                        "app Preview copies=2\n"
                                        "launch\n"
                                        // Away from the Dock: no hover loop runs.
                                        "pointer 720 300\n"
                                        "wait 0.1\n");
    ASSERT_TRUE(std::holds_alternative<Scenario>(scenario));
    const ScenarioResult result = runner.run(std::get<Scenario>(scenario));
    ASSERT_TRUE(result.passed) << result.failure;
  }

  // One more line of script, checked throughout; the failure, if any.
  std::string step(std::string_view line) {
    auto command = parseLine(line, ++lines);
    if (const auto* error = std::get_if<ScenarioError>(&command)) {
      return error->describe();
    }
    return runner.run(**std::get_if<std::optional<Command>>(&command)).failure;
  }

  std::string check() { return runner.onCheck().value_or(""); }

  AppDelegate& lumivane() { return *runner.coordinator(); }

  // The × as Lumivane's own panel would show it, whatever the hover controller thinks: with the
  // pointer on the app's icon, where a × may appear, and the controller stopped, which would
  // withdraw it.
  void showButtonFor(std::string_view name) {
    lumivane().hover().stop();
    const Rect icon = desktop.itemFrame(desktop.dockItemNamed(name).value_or(-1));
    desktop.movePointer({icon.midX(), icon.midY()});
    presentation::OverlayPanel& panel = lumivane().overlay()->panel();
    panel.setRepresentedProcess(desktop.pidOf(name).value_or(0));
    panel.orderFrontRegardless();
  }

  Point centreOf(std::string_view name) {
    const Rect icon = desktop.itemFrame(desktop.dockItemNamed(name).value_or(-1));
    return {icon.midX(), icon.midY()};
  }

  // What the quit service would report for the running process of `name`.
  QuitReport reportFor(std::string_view name, QuitOutcome outcome) {
    const int32_t pid = desktop.pidOf(name).value_or(0);
    return {
        outcome,
        AppIdentity(pid, "/Applications/" + std::string(name) + ".app", desktop.launchDate(pid)),
        std::string(name), "com.example." + std::string(name)};
  }

  std::ostringstream timeline;
  ScenarioRunner runner{timeline};
  InvariantChecker checker{runner};
  Desktop& desktop = runner.desktop();
  int lines = 11;
};

testing::AssertionResult says(const std::string& failure, std::string_view expected) {
  if (failure.find(expected) != std::string::npos) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "\"" << failure << "\" lacks \"" << expected << "\"";
}

// ---------------------------------------------------------------------------------------------
// 1. Quit requests go only where the user pointed, and only to a quittable process.

TEST_F(Invariants, PointingAtTheItemOrItsButtonAllowsTheRequest) {
  EXPECT_EQ(step("middle-click Mail"), "");
  EXPECT_EQ(step("wait 0.3"), "");
  EXPECT_EQ(step("glide Notes 0.3"), "");
  EXPECT_EQ(step("wait 0.35"), "");
  EXPECT_EQ(step("click button"), "");
  EXPECT_EQ(checker.quitRequests(), 2u);
}

struct Rogue {
  std::string_view app;
  std::string_view expected;
};

void PrintTo(const Rogue& rogue, std::ostream* out) {
  *out << rogue.app;
}

class InvariantOneRogueRequests : public Invariants, public testing::WithParamInterface<Rogue> {};

// A quit request sent behind the user's back, as a faulty service would send it.
TEST_P(InvariantOneRogueRequests, NameWhatWasWrongWithTheProcess) {
  desktop.platform().workspace.terminate(*desktop.pidOf(GetParam().app));
  EXPECT_TRUE(says(check(), GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Processes, InvariantOneRogueRequests,
    testing::Values(Rogue{"Mail", "the user did not point at; the × stood for nothing"},
                    Rogue{"Finder", "that is the excluded com.apple.finder"},
                    Rogue{"Helper", "that is not a regular application"},
                    Rogue{"Installer", "that has not finished launching"},
                    Rogue{"Preview", "while 2 copies of its bundle run"}),
    [](const testing::TestParamInfo<Rogue>& info) { return "Case" + std::to_string(info.index); });

TEST_F(Invariants, LumivaneNeverQuitsItself) {
  desktop.platform().workspace.terminate(desktop.ownPID());
  EXPECT_TRUE(says(check(), "that is Lumivane itself"));
}

TEST_F(Invariants, ANewProcessOnTheSamePidIsNotWhatTheUserPointedAt) {
  EXPECT_EQ(step("glide Notes 0.3"), "");
  EXPECT_EQ(step("wait 0.35"), "");
  ASSERT_TRUE(desktop.panel().visible);
  // A step begins with the × showing for this Notes: the user clicks it, but meanwhile another
  // process took the pid, and a faulty service quits that one.
  runner.onCommand(*std::get<std::optional<Command>>(parseLine("click button", 99)));
  const int32_t pid = *desktop.pidOf("Notes");
  desktop.endByItself(pid);
  desktop.launchWithPID({.name = "Notes",
                         .bundleIdentifier = "com.example.notes",
                         .bundlePath = "/Applications/Notes.app"},
                        pid);
  desktop.activatePanelButton();
  desktop.platform().workspace.terminate(pid);
  EXPECT_TRUE(says(check(), "the user did not point at; the × stood for pid " +
                                std::to_string(pid) + " /Applications/Notes.app"));
}

// ---------------------------------------------------------------------------------------------
// 2. The Dock sees a press and its release together or not at all.

TEST_F(Invariants, ATapTornDownMidGestureLetsTheReleaseReachTheDock) {
  EXPECT_EQ(step("pointer Notes"), "");
  EXPECT_EQ(step("press middle"), "");
  lumivane().middle()->stop(MiddleClickMonitor::Stop::immediately);
  EXPECT_TRUE(says(step("release middle"),
                   "invariant 2: the Dock received the release of button 2 whose press was "
                   "swallowed"));
}

TEST_F(Invariants, WithoutInputMonitoringTheSystemIsToBlameNotLumivane) {
  EXPECT_EQ(step("pointer Notes"), "");
  EXPECT_EQ(step("press middle"), "");
  EXPECT_EQ(step("permission input-monitoring off"), "");
  EXPECT_EQ(step("release middle"), "");
}

// The grant went between press and release: the tap had to go, and the release may come before
// Lumivane has seen the grant back.
TEST_F(Invariants, AReleaseAfterTheGrantWentAndCameBackIsNotHeldAgainstLumivane) {
  EXPECT_EQ(step("pointer Notes"), "");
  EXPECT_EQ(step("press middle"), "");
  EXPECT_EQ(step("permission accessibility removed"), "");
  lumivane().middle()->stop(MiddleClickMonitor::Stop::withoutGrant);
  EXPECT_EQ(step("permission accessibility on"), "");
  EXPECT_EQ(step("release middle"), "");
  EXPECT_EQ(desktop.dockEvents().size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// 3. Each accepted request: its waiting or refusal message, then exactly one outcome.

TEST_F(Invariants, AnEndNoRequestHadIsReportedTwiceOrFalsely) {
  lumivane().quitter()->onStatus(reportFor("Mail", QuitOutcome::ended));
  const std::string failure = check();
  EXPECT_TRUE(says(failure, "invariant 3: the end report for Mail (pid "));
  EXPECT_TRUE(says(failure, "at 0.100 s for no request"));
}

TEST_F(Invariants, AWaitingReportWithoutARequestIsCaught) {
  lumivane().quitter()->onStatus(reportFor("Mail", QuitOutcome::waiting));
  const std::string failure = check();
  EXPECT_TRUE(says(failure, "invariant 3: the waiting report for Mail"));
  EXPECT_TRUE(says(failure, "without a quit request"));
}

TEST_F(Invariants, ATimeOutThenALateEndIsOneOutcome) {
  EXPECT_EQ(step("middle-click Notes"), "");
  EXPECT_EQ(step("wait 12.5"), "");
  const QuitReport notesEnded = reportFor("Notes", QuitOutcome::ended);
  EXPECT_EQ(step("quits Notes"), "");
  EXPECT_EQ(step("wait 0.5"), "");
  // A second late end would be one too many.
  lumivane().quitter()->onStatus(notesEnded);
  EXPECT_TRUE(says(check(), "invariant 3:"));
}

TEST_F(Invariants, ARequestNobodyFollowsIsForgotten) {
  EXPECT_EQ(step("middle-click Notes"), "");
  lumivane().quitter()->stop();
  EXPECT_TRUE(says(step("wait 13"), "invariant 3: the request to Notes at 0.100 s had no "
                                    "outcome 12 s later"));
}

// ---------------------------------------------------------------------------------------------
// 4. No × where none may be.

TEST_F(Invariants, NoButtonWhileHoverIsSwitchedOff) {
  EXPECT_EQ(step("set hoverEnabled off"), "");
  showButtonFor("Mail");
  EXPECT_TRUE(says(check(), "invariant 4: a × for Mail shows while hover is switched off"));
}

TEST_F(Invariants, NoButtonWhileSuspended) {
  EXPECT_EQ(step("display-sleep"), "");
  showButtonFor("Mail");
  EXPECT_TRUE(says(check(), "while suspended (display sleep)"));
}

TEST_F(Invariants, NoButtonForAPendingRequest) {
  EXPECT_EQ(step("middle-click Notes"), "");
  showButtonFor("Notes");
  EXPECT_TRUE(says(check(), "while its quit request is pending"));
}

// The hover loop needs a step or two to notice: only a × that stays is a fault.
TEST_F(Invariants, AButtonForAnItemThatCannotBeQuitMayNotStay) {
  showButtonFor("Finder");
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::loopGrace / 2);
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::loopGrace);
  EXPECT_TRUE(says(check(), "a × for Finder shows though its item is not one quittable"));
}

TEST_F(Invariants, AButtonWithoutAccessibilityMayNotStay) {
  showButtonFor("Mail");
  desktop.setAccessibility(false);
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::loopGrace * 1.5);
  EXPECT_TRUE(says(check(), "shows without Accessibility"));
}

// While the left button is held on the ×, the hover loop leaves it be until the click lands:
// what only the loop would notice is not asked of it meanwhile, and the click decides.
TEST_F(Invariants, AButtonHeldDownMayOutstayWhatItStoodFor) {
  EXPECT_EQ(step("glide Notes 0.3"), "");
  EXPECT_EQ(step("wait 0.35"), "");
  EXPECT_EQ(step("pointer button"), "");
  EXPECT_EQ(step("press left"), "");
  // A second copy: the item no longer names one application, and nothing tells the loop.
  EXPECT_EQ(step("start Notes"), "");
  EXPECT_EQ(step("wait 1"), "");
  EXPECT_TRUE(desktop.panel().visible);
  EXPECT_EQ(step("release left"), "");
  EXPECT_FALSE(desktop.panel().visible);
  EXPECT_EQ(checker.quitRequests(), 0u);
}

// A Dock that slides out of sight takes its × with it.
TEST_F(Invariants, NoButtonStaysWhileTheDockIsOutOfSight) {
  showButtonFor("Mail");
  EXPECT_EQ(check(), "");
  desktop.setDockHidden(true);
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::loopGrace * 1.5);
  EXPECT_TRUE(says(check(), "a × for Mail shows while the Dock is out of sight"));
}

// ---------------------------------------------------------------------------------------------
// 7. Protected apps: never a quit request, never a ×, by the list in effect at the moment.

TEST_F(Invariants, NoRequestForAProtectedApp) {
  EXPECT_EQ(step("protect Mail"), "");
  desktop.platform().workspace.terminate(*desktop.pidOf("Mail"));
  EXPECT_TRUE(says(check(), "invariant 7: a quit request to Mail (pid "));
}

TEST_F(Invariants, NoButtonForAProtectedApp) {
  EXPECT_EQ(step("protect Notes"), "");
  showButtonFor("Notes");
  EXPECT_TRUE(says(check(), "invariant 7: a × for Notes shows though the user protected it"));
}

TEST_F(Invariants, TakenOffTheListAnAppMayBeQuitAgain) {
  EXPECT_EQ(step("protect Mail"), "");
  EXPECT_EQ(step("middle-click Mail"), "");
  EXPECT_EQ(step("unprotect Mail"), "");
  EXPECT_EQ(step("middle-click Mail"), "");
  EXPECT_EQ(checker.quitRequests(), 1u);
}

// Lumivane launched on a stored protected-apps value; a request sent to Mail behind the user's
// back, and what the checks say of it.
std::string rogueRequestWithStoredList(std::string_view storedValue) {
  std::ostringstream timeline;
  ScenarioRunner runner(timeline);
  InvariantChecker checker(runner);
  const auto scenario =
      parseScenario("app Mail\ndefault protectedApps " + std::string(storedValue) + "\nlaunch\n");
  if (!std::holds_alternative<Scenario>(scenario) ||
      !runner.run(std::get<Scenario>(scenario)).passed) {
    return "no run";
  }
  runner.desktop().platform().workspace.terminate(*runner.desktop().pidOf("Mail"));
  return runner.onCheck().value_or("");
}

TEST(InvariantSeven, FollowsTheStoredListInAnyLetterCase) {
  EXPECT_TRUE(says(rogueRequestWithStoredList("\"com.example.notes,COM.Example.Mail\""),
                   "invariant 7: a quit request to Mail"));
  // A stored value that is no list protects nothing: the request is only one nobody pointed at.
  EXPECT_TRUE(says(rogueRequestWithStoredList("true"), "invariant 1: a quit request to Mail"));
  EXPECT_TRUE(says(rogueRequestWithStoredList("\"com.example.notes\""), "invariant 1:"));
}

// ---------------------------------------------------------------------------------------------
// 8. The × stands for the icon the pointer last rested on, and covers no other item.

TEST_F(Invariants, AButtonAppearsOnlyBesideTheIconUnderThePointer) {
  showButtonFor("Mail");
  EXPECT_EQ(check(), "");
  lumivane().overlay()->panel().orderOut();
  EXPECT_EQ(check(), "");
  // A faulty controller hands the × to Notes while the pointer rests on Mail.
  lumivane().overlay()->panel().setRepresentedProcess(*desktop.pidOf("Notes"));
  lumivane().overlay()->panel().orderFrontRegardless();
  EXPECT_TRUE(says(check(), "invariant 8: a × for Notes appeared with the pointer off its icon"));
}

// The wrong-app case: the × stays for Mail while the pointer rests on Notes, where a click on it
// would quit the app the pointer left.
TEST_F(Invariants, AButtonMayNotStayWhileThePointerRestsOnAnotherItem) {
  showButtonFor("Mail");
  EXPECT_EQ(check(), "");
  desktop.movePointer(centreOf("Notes"));
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::hideDelay);
  EXPECT_EQ(check(), "");
  // Moving on and resting again starts the rest afresh.
  desktop.movePointer({centreOf("Notes").x + 3, centreOf("Notes").y});
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::hideDelay);
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::restGrace * 1.5);
  EXPECT_TRUE(says(check(), "invariant 8: a × for Mail shows while the pointer has rested on "
                            "Notes for longer than the hide delay"));
}

TEST_F(Invariants, AButtonMayNotCoverAnotherItem) {
  showButtonFor("Mail");
  // Bottom-left space: the panel over the middle of Notes' icon.
  const Rect notes = DockGeometry::appKitRect(desktop.itemFrame(*desktop.dockItemNamed("Notes")),
                                              desktop.screenFrames().front().maxY());
  lumivane().overlay()->panel().setFrame({notes.midX() - 16, notes.midY() - 16, 32, 32});
  EXPECT_EQ(check(), "");
  desktop.advance(InvariantChecker::coverGrace * 1.5);
  EXPECT_TRUE(says(check(), "invariant 8: the × for Mail covers another Dock item"));
}

// ---------------------------------------------------------------------------------------------
// 9. Nothing is opened that Lumivane did not quit; each quit at most once, within its minute.

class WayBack : public Invariants {
protected:
  // Mail, quit by a middle click, has ended and its line offers 重新打开: at 0.6 s.
  void quitMail() {
    EXPECT_EQ(step("middle-click Mail"), "");
    EXPECT_EQ(step("pointer 720 300"), "");
    EXPECT_EQ(step("wait 0.5"), "");
    ASSERT_TRUE(lumivane().runtime()->offersReopen());
  }
  // A request to open Mail again, as a faulty service would send it.
  std::string openMailBehindTheUsersBack() {
    desktop.platform().workspace.openApplication("/Applications/Mail.app", {});
    return check();
  }
};

TEST_F(WayBack, TheUsersClickOpensTheQuitAppOnceAndASecondOpeningIsCaught) {
  quitMail();
  EXPECT_EQ(step("open popover"), "");
  EXPECT_EQ(step("reopen"), "");
  EXPECT_EQ(step("expect running Mail"), "");
  EXPECT_EQ(step("quits Mail"), "");
  EXPECT_TRUE(
      says(openMailBehindTheUsersBack(),
           "invariant 9: Lumivane asked at 0.600 s to open Mail a second time for one quit"));
}

TEST_F(WayBack, WhatLumivaneDidNotQuitIsNeverOpened) {
  EXPECT_TRUE(says(openMailBehindTheUsersBack(), "to open Mail while 1 of its processes ran"));
  EXPECT_EQ(step("quits Mail"), "");
  EXPECT_TRUE(says(openMailBehindTheUsersBack(), "to open Mail, which it had not quit"));
}

TEST_F(WayBack, OnceProtectedTheQuitAppIsNotOpened) {
  quitMail();
  EXPECT_EQ(step("protect Mail"), "");
  EXPECT_TRUE(says(openMailBehindTheUsersBack(),
                   "to open Mail, which the user protected (com.example.mail)"));
}

TEST_F(WayBack, AfterItsMinuteTheQuitAppIsNotOpened) {
  quitMail();
  EXPECT_EQ(step("wait 60.1"), "");
  EXPECT_TRUE(says(openMailBehindTheUsersBack(), "to open Mail more than 60 s after it quit"));
}

TEST_F(WayBack, TheActionShowsOnlyInItsMinuteAndNotOnceTheAppRunsAgain) {
  lumivane().runtime()->setOffersReopen(true);
  EXPECT_TRUE(says(check(), "invariant 9: 重新打开 shows with no quit of the last minute"));
  lumivane().runtime()->setOffersReopen(false);
  EXPECT_EQ(check(), "");

  // A service that does not see Mail come back.
  quitMail();
  lumivane().reopener()->onOfferChange = nullptr;
  EXPECT_EQ(step("start Mail"), "");
  EXPECT_TRUE(
      says(step("wait 1.5"), "invariant 9: 重新打开 still shows for Mail, which runs again"));
}

TEST_F(WayBack, ItsCheckRunsOnlyWhileTheLineOffersIt) {
  quitMail();
  lumivane().runtime()->setOffersReopen(false);
  EXPECT_TRUE(says(check(), "invariant 5: the check of 重新打开 runs while the line offers none"));
}

// ---------------------------------------------------------------------------------------------
// 5 and 6. Timers, and how long the main thread may be held.

TEST_F(Invariants, NoTimerOutlivesShutdown) {
  EXPECT_EQ(step("shutdown"), "");
  const auto timer = desktop.platform().runLoop.scheduleRepeating(1, 0, [] {});
  EXPECT_TRUE(says(check(), "invariant 5: 1 timer(s) left after shutdown"));
}

TEST_F(Invariants, OneCallMayBlockForOneQueryAndOneMessage) {
  desktop.runLoop().async([this] { desktop.runLoop().block(InvariantChecker::stallLimit); });
  desktop.runLoop().drain();
  EXPECT_EQ(check(), "");
  desktop.runLoop().async([this] { desktop.runLoop().block(0.1); });
  desktop.runLoop().drain();
  EXPECT_TRUE(says(check(), "invariant 6: a main-thread call blocked 0.100 s, more than 0.085 s"));
}

// ---------------------------------------------------------------------------------------------
// The replay of a soak's violation.

// ---------------------------------------------------------------------------------------------
// 9. A tap whose grant went holds presses away from the Dock back for one poll at most.

TEST_F(Invariants, ATapLeftOnAfterTheGrantWentHoldsPressesBackTooLong) {
  // Lumivane stops looking, so its tap stays on.
  lumivane().permissions()->stop();
  EXPECT_EQ(step("permission accessibility removed"), "");
  EXPECT_EQ(step("press 3"), "");
  EXPECT_EQ(step("release 3"), "");
  EXPECT_EQ(step("wait 2.5"), "");
  // On the Dock the press is the tap's own business.
  EXPECT_EQ(step("pointer Notes"), "");
  EXPECT_EQ(step("press 4"), "");
  EXPECT_EQ(step("release 4"), "");
  EXPECT_EQ(step("pointer 720 300"), "");
  EXPECT_TRUE(says(step("press 3"),
                   "invariant 10: a press of button 3 away from the Dock was held back 2.500 s "
                   "after the grant went"));
}

TEST_F(Invariants, ATapRemovedWithinOnePollHoldsNothingBackAfterIt) {
  EXPECT_EQ(step("permission accessibility removed"), "");
  EXPECT_EQ(step("wait 2.5"), "");
  EXPECT_EQ(step("press 3"), "");
  EXPECT_FALSE(desktop.otherMouseEvents().back().heldBack);
}

TEST(CheckedScenarioText, RunsLikeAScriptWithTheChecksOn) {
  std::ostringstream timeline;
  std::ostringstream errors;
  EXPECT_EQ(runCheckedScenarioText("app Notes quit=never\nlaunch\nmiddle-click Notes\nwait 13\n",
                                   timeline, errors),
            scenarioPassed)
      << errors.str();
  EXPECT_EQ(runCheckedScenarioText("launch\nwait 1 2\n", timeline, errors), scenarioMalformed);
}

} // namespace
} // namespace lumivane::sim
