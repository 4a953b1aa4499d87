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

// The middle-click tap's own access, granted apart from Accessibility trust, still reaches the
// coordinator through onChange, so that the tap is retried; no view shows it.
TEST_F(PermissionPoll, ReportsPostEventAccessWithoutPublishingIt) {
  desktop.setAccessibility(true);
  desktop.setPostEventAccess(false);
  permissions->refresh();
  ASSERT_EQ(changes, 1);
  const int publishedBefore = published;

  desktop.setPostEventAccess(true);
  permissions->refresh();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(published, publishedBefore);
  permissions->refresh();
  EXPECT_EQ(changes, 2);
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
