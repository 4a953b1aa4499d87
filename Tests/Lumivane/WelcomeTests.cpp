#include "CoordinatorFixture.hpp"

#include <string>
#include <vector>

namespace lumivane::test {
namespace {

using Welcome = CoordinatorTest;

struct LaunchRow {
  std::string name;
  bool seen;
  std::vector<std::string> arguments;
  bool shows;
};

class WelcomeAtLaunch : public CoordinatorTest, public ::testing::WithParamInterface<LaunchRow> {};

TEST_P(WelcomeAtLaunch, ShowsOnFirstLaunchOrWhenAsked) {
  desktop.setDefault("hasSeenWelcome", GetParam().seen);
  std::vector<std::string> arguments{"/Applications/Lumivane.app/Contents/MacOS/Lumivane"};
  arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  desktop.setArguments(arguments);
  launch();
  EXPECT_EQ(desktop.storedBool("hasSeenWelcome"), true);
  ASSERT_EQ(desktop.shell().windows.size(), GetParam().shows ? 1u : 0u);
  if (GetParam().shows) {
    const sim::WindowRecord& window = lastWindow();
    EXPECT_EQ(window.title, "欢迎使用 Lumivane");
    EXPECT_EQ(window.content, "welcome");
    EXPECT_TRUE(window.visible && window.key && window.centred);
    EXPECT_TRUE(window.fullSizeContentView && window.transparentTitlebar);
    EXPECT_TRUE(window.titleHidden && window.movableByBackground);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Coordinator, WelcomeAtLaunch,
    ::testing::Values(LaunchRow{"FirstLaunch", false, {}, true},
                      LaunchRow{"SecondLaunch", true, {}, false},
                      LaunchRow{"Asked", true, {"--welcome"}, true},
                      LaunchRow{"AskedOnFirstLaunch", false, {"--welcome"}, true},
                      LaunchRow{
                          "NotExactlyAsked", true, {"--Welcome", "-welcome", "--welcome="}, false}),
    [](const auto& info) { return info.param.name; });

TEST_F(Welcome, ClosesThePopoverAndTheSettingsWindowAndIsReused) {
  desktop.setStatusBarAvailable(false);
  launch();
  app->togglePopover();
  desktop.runLoop().drain();
  app->showWelcome();
  EXPECT_FALSE(desktop.shell().windows[0].visible);
  EXPECT_EQ(app->settingsWindow(), nullptr);
  EXPECT_TRUE(lastWindow().visible);

  desktop.setStatusBarAvailable(true);
  app->togglePopover();
  desktop.runLoop().drain();
  ASSERT_TRUE(desktop.shell().popoverShown);
  app->showWelcome();
  EXPECT_FALSE(desktop.shell().popoverShown);
  EXPECT_EQ(desktop.shell().windows.size(), 2u);
  EXPECT_TRUE(lastWindow().key);
}

TEST_F(Welcome, ClosingReleasesItAndTheNextRequestBuildsANewOne) {
  launch();
  app->showWelcome();
  desktop.closeWindow(0);
  EXPECT_EQ(app->welcome(), nullptr);
  desktop.runLoop().drain();
  EXPECT_TRUE(app->applicationShouldHandleReopen(false));
  EXPECT_EQ(desktop.shell().windows.size(), 2u);
  EXPECT_TRUE(app->applicationShouldHandleReopen(true));
  EXPECT_EQ(desktop.shell().windows.size(), 2u);
}

} // namespace
} // namespace lumivane::test
