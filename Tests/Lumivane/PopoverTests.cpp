#include "CoordinatorFixture.hpp"

#include <vector>

namespace lumivane::test {
namespace {

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
  const sim::WindowRecord& window = lastWindow();
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

} // namespace
} // namespace lumivane::test
