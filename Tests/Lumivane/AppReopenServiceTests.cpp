#include "Lumivane/AppReopenService.hpp"
#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumivane {
namespace {

sim::AppProfile profile(const std::string& name) {
  return {.name = name,
          .bundleIdentifier = "com.example." + name,
          .bundlePath = "/Applications/" + name + ".app"};
}

class ReopenTest : public ::testing::Test {
protected:
  ReopenTest() {
    reopener->onOfferChange = [this](bool offered) { changes.push_back(offered); };
    reopener->onStatus = [this](const ReopenLine& line) { lines.push_back(line); };
  }

  // What the quit service reports once its request has ended the process of `name`, which it
  // starts first: the process as the workspace knew it, then gone.
  QuitReport quitEnded(const sim::AppProfile& app, QuitOutcome outcome = QuitOutcome::ended) {
    const int32_t pid = desktop.launch(app);
    const auto info = desktop.platform().workspace.application(pid);
    QuitReport report{outcome, AppIdentity(pid, info->bundlePath.value_or(""), *info->launchDate),
                      app.name, app.bundleIdentifier};
    desktop.endByItself(pid);
    desktop.runLoop().drain();
    return report;
  }

  std::size_t openRequests() const { return desktop.openRequests().size(); }

  sim::Desktop desktop;
  std::shared_ptr<AppReopenService> reopener =
      std::make_shared<AppReopenService>(desktop.platform());
  std::vector<bool> changes;
  std::vector<ReopenLine> lines;
};

using ReopenOffer = ReopenTest;

// The offer and its check timer live exactly one minute of uptime.
TEST_F(ReopenOffer, LastsAMinuteAndItsCheckTimerNoLonger) {
  reopener->offer(quitEnded(profile("Notes")));
  EXPECT_TRUE(reopener->isOffered());
  EXPECT_TRUE(reopener->isChecking());
  EXPECT_EQ(changes, std::vector{true});
  ASSERT_EQ(desktop.runLoop().timers().size(), 1u);
  EXPECT_EQ(desktop.runLoop().timers()[0].interval, AppReopenService::checkInterval);

  desktop.advance(59.9);
  EXPECT_TRUE(reopener->isOffered());
  desktop.advance(0.1);
  EXPECT_FALSE(reopener->isOffered());
  EXPECT_FALSE(reopener->isChecking());
  EXPECT_EQ(changes, (std::vector{true, false}));
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
  reopener->reopen();
  EXPECT_EQ(openRequests(), 0u);
}

TEST_F(ReopenOffer, OpensTheSameBundleOnceAsANewProcessAndSaysSoWhenItIsUp) {
  const QuitReport ended = quitEnded(profile("Notes"));
  reopener->offer(ended);
  reopener->reopen();
  EXPECT_FALSE(reopener->isOffered());
  EXPECT_FALSE(reopener->isChecking());
  EXPECT_TRUE(lines.empty()) << "the workspace answers on a later turn";
  ASSERT_EQ(openRequests(), 1u);
  EXPECT_EQ(desktop.openRequests()[0].bundlePath, "/Applications/Notes.app");

  desktop.runLoop().drain();
  EXPECT_EQ(lines, std::vector{(ReopenLine{ReopenOutcome::opened, "Notes"})});
  const std::optional<int32_t> pid = desktop.pidOf("Notes");
  ASSERT_TRUE(pid);
  EXPECT_NE(*pid, ended.identity.pid());
  EXPECT_GT(desktop.launchDate(*pid), ended.identity.launchedAt());

  // Used up: a second click opens nothing.
  reopener->reopen();
  desktop.runLoop().drain();
  EXPECT_EQ(openRequests(), 1u);
  EXPECT_EQ(lines.size(), 1u);
}

TEST_F(ReopenOffer, GoesWithinASecondOfTheAppsReturnAndAClickBeforeThatOpensNothing) {
  const sim::AppProfile notes = profile("Notes");
  reopener->offer(quitEnded(notes));
  desktop.launch(notes);
  desktop.advance(AppReopenService::checkInterval);
  EXPECT_FALSE(reopener->isOffered());
  EXPECT_FALSE(reopener->isChecking());

  desktop.endByItself(*desktop.pidOf("Notes"));
  reopener->offer(quitEnded(notes));
  desktop.launch(notes);
  reopener->reopen();
  EXPECT_EQ(lines, std::vector{(ReopenLine{ReopenOutcome::runningAgain, "Notes"})});
  EXPECT_EQ(openRequests(), 0u);
}

TEST_F(ReopenOffer, ABundleMovedAwayIsReportedAsGone) {
  reopener->offer(quitEnded(profile("Pages")));
  desktop.removeBundle("/Applications/Pages.app");
  reopener->reopen();
  desktop.runLoop().drain();
  EXPECT_EQ(lines, std::vector{(ReopenLine{ReopenOutcome::gone, "Pages"})});
  EXPECT_FALSE(desktop.pidOf("Pages"));
}

// Only an end of Lumivane's own request, of an application that may be quit and is gone.
TEST_F(ReopenOffer, NothingIsOfferedForWhatMayNotBeReopened) {
  reopener->isProtected = [](std::string_view identifier) {
    return identifier == "com.example.Protected";
  };
  reopener->offer(quitEnded(profile("Waiting"), QuitOutcome::waiting));
  reopener->offer(quitEnded(profile("TimedOut"), QuitOutcome::timedOut));
  reopener->offer(quitEnded(profile("Refused"), QuitOutcome::refused));
  reopener->offer(quitEnded({.name = "Finder",
                             .bundleIdentifier = "com.apple.Finder",
                             .bundlePath = "/System/Library/CoreServices/Finder.app"}));
  reopener->offer(quitEnded(profile("Protected")));
  reopener->offer(
      quitEnded({.name = "Loose", .bundleIdentifier = "com.example.Loose", .bundlePath = ""}));
  // An application that started again on its own before the end was reported.
  const sim::AppProfile restarts = profile("Restarts");
  QuitReport restarted = quitEnded(restarts);
  desktop.launch(restarts);
  reopener->offer(restarted);
  EXPECT_FALSE(reopener->isOffered());
  EXPECT_TRUE(changes.empty());
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 0u);
}

TEST_F(ReopenOffer, ProtectingTheAppTakesItBack) {
  bool isProtected = false;
  reopener->isProtected = [&isProtected](std::string_view) { return isProtected; };
  reopener->offer(quitEnded(profile("Mail")));
  isProtected = true;
  reopener->refresh();
  EXPECT_FALSE(reopener->isOffered());
  reopener->reopen();
  EXPECT_EQ(openRequests(), 0u);
}

// Each quit's line replaces the last one's: the offer follows it, with a minute of its own.
TEST_F(ReopenOffer, ALaterEndReplacesTheOfferWithAMinuteOfItsOwn) {
  reopener->offer(quitEnded(profile("Notes")));
  desktop.advance(30);
  reopener->offer(quitEnded(profile("Mail")));
  desktop.advance(59.9);
  EXPECT_TRUE(reopener->isOffered());
  reopener->reopen();
  ASSERT_EQ(openRequests(), 1u);
  EXPECT_EQ(desktop.openRequests()[0].name, "Mail");

  reopener->offer(quitEnded(profile("Maps")));
  reopener->withdraw();
  EXPECT_FALSE(reopener->isOffered());
  EXPECT_FALSE(reopener->isChecking());
  EXPECT_EQ(changes.back(), false);
}

TEST_F(ReopenOffer, OnceStoppedOrGoneItReportsNothing) {
  reopener->offer(quitEnded(profile("Notes")));
  reopener->reopen();
  reopener->stop();
  desktop.runLoop().drain();
  EXPECT_TRUE(lines.empty());
  reopener->offer(quitEnded(profile("Mail")));
  EXPECT_FALSE(reopener->isOffered());

  auto other = std::make_shared<AppReopenService>(desktop.platform());
  other->onStatus = [this](const ReopenLine& line) { lines.push_back(line); };
  other->offer(quitEnded(profile("Maps")));
  other->reopen();
  other.reset();
  desktop.runLoop().drain();
  EXPECT_TRUE(lines.empty());
}

} // namespace
} // namespace lumivane
