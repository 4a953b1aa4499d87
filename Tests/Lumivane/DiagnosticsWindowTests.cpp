#include "CoordinatorFixture.hpp"

#include <memory>
#include <string>

namespace lumivane::test {
namespace {

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
  const sim::WindowRecord& window = lastWindow();
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
  EXPECT_TRUE(lastWindow().key);

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
  EXPECT_EQ(lastWindow().content, "diagnostics");
  EXPECT_TRUE(lastWindow().key);
}

} // namespace
} // namespace lumivane::test
