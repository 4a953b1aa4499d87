#include "Lumivane/PermissionManager.hpp"
#include "Simulator/Desktop.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace lumivane {
namespace {

class PermissionPoll : public ::testing::Test {
protected:
  PermissionPoll() {
    desktop.setAccessibility(false);
    desktop.setInputMonitoring(false);
    permissions = std::make_shared<PermissionManager>(desktop.platform());
    permissions->onChange = [this] { ++changes; };
    permissions->observe([this] { ++published; });
  }

  sim::Desktop desktop;
  std::shared_ptr<PermissionManager> permissions;
  int changes = 0;
  int published = 0;
};

TEST_F(PermissionPoll, ReportsEachChangeOnceAndNothingElse) {
  permissions->start();
  const auto timers = desktop.runLoop().timers();
  EXPECT_TRUE(std::ranges::any_of(timers, [](const auto& timer) {
    return timer.active && timer.interval == 2.0 && timer.tolerance == 0.4;
  }));

  desktop.advance(2.0);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(published, 0);

  desktop.setInputMonitoring(true);
  desktop.advance(1.9);
  EXPECT_EQ(changes, 0);
  desktop.advance(0.1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(published, 1);
  EXPECT_TRUE(permissions->inputMonitoring());
  EXPECT_FALSE(permissions->accessibility());

  desktop.setAccessibility(true);
  desktop.setInputMonitoring(false);
  desktop.advance(2.0);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(permissions->accessibility());
  EXPECT_FALSE(permissions->inputMonitoring());

  permissions->stop();
  EXPECT_FALSE(permissions->isPolling());
  desktop.setAccessibility(false);
  desktop.advance(10);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(permissions->accessibility());
}

TEST_F(PermissionPoll, ConstructionReadsTheStateAndARepeatedStartKeepsOnePoll) {
  desktop.setAccessibility(true);
  const auto granted = std::make_shared<PermissionManager>(desktop.platform());
  EXPECT_TRUE(granted->accessibility());
  EXPECT_FALSE(granted->inputMonitoring());
  EXPECT_FALSE(granted->middleAvailable());

  granted->start();
  granted->start();
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), 1u);
}

TEST_F(PermissionPoll, LeavesMiddleAvailableToTheCoordinator) {
  desktop.setInputMonitoring(true);
  permissions->refresh();
  permissions->setMiddleAvailable(true);
  desktop.setInputMonitoring(false);
  permissions->refresh();
  EXPECT_FALSE(permissions->inputMonitoring());
  EXPECT_TRUE(permissions->middleAvailable());
}

// AXIsProcessTrusted keeps answering yes after Lumivane's row is removed from the list; the poll
// asks the system whether an active tap can be made, and follows that. It asks only while the
// cached answer is yes, one tap made and released each time.
TEST_F(PermissionPoll, FollowsTheLiveGrantNotTheCachedAnswer) {
  permissions->refresh();
  permissions->refresh();
  EXPECT_EQ(desktop.activeTapProbes(), 0u);

  desktop.setAccessibility(true);
  permissions->refresh();
  EXPECT_TRUE(permissions->accessibility());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(desktop.activeTapProbes(), 1u);

  desktop.removeFromAccessibilityList();
  ASSERT_TRUE(desktop.platform().accessibility.isProcessTrusted());
  permissions->refresh();
  EXPECT_FALSE(permissions->accessibility());
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(published, 2);
  permissions->refresh();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(desktop.activeTapProbes(), 3u);

  desktop.setAccessibility(true);
  permissions->refresh();
  EXPECT_TRUE(permissions->accessibility());
  EXPECT_EQ(changes, 3);

  // The system's two records of the switch disagree: no tap can be made, so no grant.
  desktop.setPostEventAccess(false);
  permissions->refresh();
  EXPECT_FALSE(permissions->accessibility());
  EXPECT_FALSE(std::make_shared<PermissionManager>(desktop.platform())->accessibility());
}

const std::string accessibilityPane =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

TEST(PermissionActions, OpenTheirPaneWhenAlreadyGranted) {
  sim::Desktop desktop;
  desktop.setAccessibility(true);
  desktop.setInputMonitoring(true);
  const auto permissions = std::make_shared<PermissionManager>(desktop.platform());

  permissions->requestAccessibility();
  permissions->requestMiddleClickAccess();
  permissions->revealCurrentApplication();
  EXPECT_EQ(desktop.openedURLs(), (std::vector<std::string>{accessibilityPane, accessibilityPane}));
  EXPECT_EQ(desktop.revealedPaths(), std::vector{desktop.platform().process.bundlePath()});
  EXPECT_EQ(desktop.trustPrompts(), 0u);
  EXPECT_EQ(desktop.postEventRequests(), 0u);
}

// One prompt at a time: the system's alert, which leads to System Settings itself, and only on a
// later request the pane, since the alert comes once.
TEST(PermissionActions, TheAlertFirstThenThePaneNeverBothAtOnce) {
  sim::Desktop desktop;
  const auto permissions = std::make_shared<PermissionManager>(desktop.platform());

  permissions->requestAccessibility();
  EXPECT_EQ(desktop.trustPrompts(), 1u);
  EXPECT_TRUE(desktop.openedURLs().empty());
  permissions->requestAccessibility();
  EXPECT_EQ(desktop.trustPrompts(), 1u);
  EXPECT_EQ(desktop.openedURLs(), std::vector<std::string>{accessibilityPane});
  // The middle-click notice leads to the same switch: the alert was asked for already.
  permissions->requestMiddleClickAccess();
  EXPECT_EQ(desktop.postEventRequests(), 0u);
  EXPECT_EQ(desktop.openedURLs().size(), 2u);
}

// The middle-click notice leads to what can make an active tap work: post-event access in the
// Accessibility list, never an Input Monitoring prompt, which could not.
TEST(PermissionActions, TheMiddleClickActionAsksForPostEventAccessOnlyWhenItIsMissing) {
  sim::Desktop desktop;
  desktop.setAccessibility(true);
  desktop.setPostEventAccess(false);
  desktop.setInputMonitoring(false);
  const auto permissions = std::make_shared<PermissionManager>(desktop.platform());

  permissions->requestMiddleClickAccess();
  EXPECT_EQ(desktop.postEventRequests(), 1u);
  EXPECT_EQ(desktop.trustPrompts(), 0u);
  EXPECT_TRUE(desktop.openedURLs().empty());
  permissions->requestMiddleClickAccess();
  EXPECT_EQ(desktop.postEventRequests(), 1u);
  EXPECT_EQ(desktop.openedURLs(), std::vector<std::string>{accessibilityPane});

  desktop.setPostEventAccess(true);
  permissions->requestMiddleClickAccess();
  EXPECT_EQ(desktop.postEventRequests(), 1u);
  EXPECT_EQ(desktop.openedURLs().size(), 2u);
}

} // namespace
} // namespace lumivane
