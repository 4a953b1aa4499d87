#include "CoordinatorFixture.hpp"

#include <string>
#include <tuple>
#include <vector>

namespace lumivane::test {
namespace {

using MenuAction = presentation::MenuItem::Action;

const sim::WindowRecord& lastWindow(const sim::Desktop& desktop) {
  return desktop.shell().windows.back();
}

using ApplicationMenu = CoordinatorTest;

TEST_F(ApplicationMenu, HoldsTheFiveItemsAndTheirActions) {
  launch();
  const sim::ShellRecord& shell = desktop.shell();
  EXPECT_EQ(shell.menuTitle, "Lumivane");
  std::vector<std::tuple<std::string, MenuAction, std::string>> items;
  for (const presentation::MenuItem& item : shell.menuItems) {
    items.emplace_back(item.title, item.action, item.keyEquivalent);
  }
  EXPECT_EQ(items, (std::vector<std::tuple<std::string, MenuAction, std::string>>{
                       {"关于 Lumivane", MenuAction::custom, ""},
                       {"设置…", MenuAction::custom, ","},
                       {"", MenuAction::separator, ""},
                       {"关闭窗口", MenuAction::performClose, "w"},
                       {"退出 Lumivane", MenuAction::terminate, "q"}}));

  const std::vector<presentation::MenuItem> menu = shell.menuItems;
  menu[0].perform();
  EXPECT_EQ(lastWindow(desktop).title, "欢迎使用 Lumivane");
  menu[1].perform();
  desktop.runLoop().drain();
  EXPECT_TRUE(desktop.shell().popoverShown);
}

using Popover = CoordinatorTest;

TEST_F(Popover, TogglingOpensOneTurnLaterWithFreshContentAndClosesAgain) {
  desktop.placeDock(DockEdge::left);
  launch();
  const int activations = desktop.shell().activations;
  app->togglePopover();
  EXPECT_FALSE(desktop.shell().popoverShown);
  desktop.runLoop().drain();
  const sim::ShellRecord& shell = desktop.shell();
  EXPECT_TRUE(shell.popoverShown);
  EXPECT_TRUE(shell.popoverHasContent);
  EXPECT_EQ(shell.activations, activations + 1);
  ASSERT_TRUE(shell.lastMenuContent);
  EXPECT_EQ(shell.lastMenuContent->previewEdge, DockEdge::left);
  EXPECT_EQ(shell.lastMenuContent->contentHeight, 500);
  EXPECT_EQ(shell.lastMenuContent->settings, app->settings());

  // A permission revoked while open is not re-read by a click that closes.
  desktop.setAccessibility(false);
  app->togglePopover();
  desktop.runLoop().drain();
  EXPECT_FALSE(shell.popoverShown);
  EXPECT_FALSE(shell.popoverHasContent);
  EXPECT_EQ(shell.statusSymbol, "dock.rectangle");
  EXPECT_TRUE(shell.windows.empty());
}

TEST_F(Popover, OpeningRereadsPermissionsAndLoginItemAndHidesTheCross) {
  launch();
  hoverOver("Safari");
  desktop.setInputMonitoring(false);
  desktop.setLoginItemStatus(platform::LoginItemStatus::enabled);
  app->togglePopover();
  EXPECT_FALSE(desktop.panel().visible);
  EXPECT_TRUE(app->hover().isEnabled());
  EXPECT_FALSE(app->permissions()->inputMonitoring());
  EXPECT_TRUE(app->settings()->loginEnabled());
}

// The protected-apps editor is offered what may be protected: regular applications, running,
// with their bundles for their icons.
TEST_F(Popover, OffersTheEditorTheRegularApplicationsRunning) {
  sim::AppProfile helper;
  helper.name = "Helper";
  helper.bundleIdentifier = "com.example.helper";
  helper.bundlePath = "/Applications/Helper.app";
  helper.policy = platform::ActivationPolicy::accessory;
  desktop.launch(helper);
  launch();
  app->togglePopover();
  desktop.runLoop().drain();
  ASSERT_TRUE(desktop.shell().lastMenuContent && desktop.shell().lastMenuContent->runningApps);
  const auto runningApps = desktop.shell().lastMenuContent->runningApps;
  const std::vector<ProtectableApp> expected{
      // Safari runs from the Preboot cryptex that /Applications/Safari.app links to.
      {"com.apple.Safari", "Safari",
       "/System/Volumes/Preboot/Cryptexes/App/System/Applications/Safari.app"},
      {"com.apple.mail", "Mail", "/Applications/Mail.app"},
      {"com.apple.Notes", "Notes", "/Applications/Notes.app"}};
  EXPECT_EQ(runningApps(), expected);

  desktop.endByItself(safari);
  EXPECT_EQ(runningApps().size(), expected.size() - 1) << "asked anew at each call";
  app.reset();
  EXPECT_TRUE(runningApps().empty());
}

TEST_F(Popover, WithoutAStatusBarTheSettingsWindowStandsIn) {
  desktop.setStatusBarAvailable(false);
  launch();
  app->togglePopover();
  desktop.runLoop().drain();
  ASSERT_EQ(desktop.shell().windows.size(), 1u);
  const sim::WindowRecord& window = lastWindow(desktop);
  EXPECT_EQ(window.title, "Lumivane 设置");
  EXPECT_EQ(window.content, "menu");
  EXPECT_TRUE(window.centred);
  EXPECT_TRUE(window.key);
  EXPECT_FALSE(window.fullSizeContentView);
  EXPECT_FALSE(desktop.shell().popoverShown);

  app->togglePopover();
  desktop.runLoop().drain();
  EXPECT_EQ(desktop.shell().windows.size(), 1u);

  desktop.setStatusBarAvailable(true);
  app->togglePopover();
  desktop.runLoop().drain();
  EXPECT_TRUE(desktop.shell().popoverShown);
  EXPECT_FALSE(desktop.shell().windows[0].visible);
  EXPECT_EQ(app->settingsWindow(), nullptr);
}

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
    const sim::WindowRecord& window = lastWindow(desktop);
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
  EXPECT_TRUE(lastWindow(desktop).visible);

  desktop.setStatusBarAvailable(true);
  app->togglePopover();
  desktop.runLoop().drain();
  ASSERT_TRUE(desktop.shell().popoverShown);
  app->showWelcome();
  EXPECT_FALSE(desktop.shell().popoverShown);
  EXPECT_EQ(desktop.shell().windows.size(), 2u);
  EXPECT_TRUE(lastWindow(desktop).key);
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

using DiagnosticsWindow = CoordinatorTest;

// From the popover's footer: a window of its own in the popover's place, with the report running
// inside Lumivane, brought forward again by a second request and stopped with its window.
TEST_F(DiagnosticsWindow, OpensFromThePopoverRunsWhileOpenAndStopsWithItsWindow) {
  launch();
  app->togglePopover();
  desktop.runLoop().drain();
  ASSERT_TRUE(desktop.shell().lastMenuContent && desktop.shell().lastMenuContent->showDiagnostics);
  const int activations = desktop.shell().activations;
  desktop.shell().lastMenuContent->showDiagnostics();
  EXPECT_FALSE(desktop.shell().popoverShown);
  const sim::WindowRecord& window = lastWindow(desktop);
  EXPECT_EQ(window.title, "Lumivane 诊断报告");
  EXPECT_EQ(window.content, "diagnostics");
  EXPECT_TRUE(window.centred);
  EXPECT_TRUE(window.key);
  EXPECT_EQ(desktop.shell().activations, activations + 1);
  {
    const std::shared_ptr<LiveDiagnostics> report = desktop.shell().lastDiagnostics.lock();
    ASSERT_TRUE(report);
    EXPECT_NE(report->text().find("Dock items (top-left space): "), std::string::npos);
    desktop.advance(2.5);
    EXPECT_EQ(report->hitTestsTaken(), 2);
  }

  app->showDiagnostics();
  EXPECT_EQ(desktop.shell().windows.size(), 1u);
  EXPECT_TRUE(lastWindow(desktop).key);

  desktop.closeWindow(0);
  EXPECT_EQ(app->diagnosticsWindow(), nullptr);
  desktop.runLoop().drain();
  EXPECT_TRUE(desktop.shell().lastDiagnostics.expired()) << "the report stops with its window";
}

// From the welcome window, which stays open beside it.
TEST_F(DiagnosticsWindow, OpensBesideTheWelcomeWindow) {
  launch();
  app->showWelcome();
  ASSERT_TRUE(desktop.shell().lastWelcomeContent &&
              desktop.shell().lastWelcomeContent->showDiagnostics);
  desktop.shell().lastWelcomeContent->showDiagnostics();
  ASSERT_EQ(desktop.shell().windows.size(), 2u);
  EXPECT_TRUE(desktop.shell().windows[0].visible);
  EXPECT_EQ(lastWindow(desktop).content, "diagnostics");
  EXPECT_TRUE(lastWindow(desktop).key);
}

} // namespace
} // namespace lumivane::test
