#include "Lumivane/Diagnostics.hpp"
#include "Lumivane/LiveDiagnostics.hpp"
#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace lumivane {
namespace {

class DiagnosticsTest : public ::testing::Test {
protected:
  DiagnosticsTest() {
    desktop.setAccessibility(true);
    desktop.setScreens({{0, 0, 1440, 900}});
    desktop.placeDock(DockEdge::bottom);
  }

  int addApp(const std::string& name) {
    sim::AppProfile app;
    app.name = name;
    app.bundleIdentifier = "com.example." + name;
    app.bundlePath = "/Applications/" + name + ".app";
    desktop.launch(app);
    return desktop.addDockApplication(name, app.bundlePath);
  }

  // The caller keeps the report alive: its hit tests stop when it goes.
  std::shared_ptr<Diagnostics> start() {
    auto diagnostics = std::make_shared<Diagnostics>(
        desktop.platform(), [this](std::string_view line) { lines.emplace_back(line); });
    diagnostics->run([this] { ++finished; });
    return diagnostics;
  }

  bool printed(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  sim::Desktop desktop;
  std::vector<std::string> lines;
  int finished = 0;
};

TEST_F(DiagnosticsTest, HitTestsOnceASecondThenDoneOnceAndNothingStored) {
  const int safari = addApp("Safari");
  desktop.movePointer(*desktop.restingPoint(safari));
  const auto diagnostics = start();
  const std::size_t reportLines = lines.size();
  desktop.advance(9.5);
  EXPECT_EQ(lines.size(), reportLines + 2 * 9); // each hit test: the item, then its application
  EXPECT_EQ(finished, 0);
  desktop.advance(1);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(lines.size(), reportLines + 2 * 10);
  desktop.advance(5);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(lines.size(), reportLines + 2 * 10);
  EXPECT_EQ(desktop.defaultsWriteCount(), 0u);
  EXPECT_NE(lines.back().find("quits Safari"), std::string::npos) << lines.back();
  EXPECT_NE(lines.back().find(", × at ("), std::string::npos) << lines.back();
}

TEST_F(DiagnosticsTest, GoneBeforeItsHitTestsEndStopsQuietly) {
  addApp("Safari");
  start().reset();
  const std::size_t reportLines = lines.size();
  desktop.advance(3);
  EXPECT_EQ(lines.size(), reportLines);
  EXPECT_EQ(finished, 0);
}

TEST_F(DiagnosticsTest, ReportsWhyAnItemHasNoApplication) {
  addApp("Safari");
  const int terminal = addApp("Terminal");
  desktop.setDefault("protectedApps", std::vector<std::string>{"com.example.Terminal"});
  desktop.movePointer(*desktop.restingPoint(terminal));
  const auto diagnostics = start();
  EXPECT_TRUE(printed("     no application: protected by the user"));
  desktop.advance(1.1);
  EXPECT_EQ(lines.back(), "     no application: protected by the user");
  EXPECT_EQ(desktop.storedTexts("protectedApps"), std::vector<std::string>{"com.example.Terminal"});
}

TEST_F(DiagnosticsTest, WithoutADockSaysSoAndHitsNothing) {
  addApp("Safari");
  desktop.setDockRunning(false);
  const auto diagnostics = start();
  EXPECT_TRUE(printed("Dock: not running"));
  EXPECT_TRUE(printed("Dock items: the item list cannot be read"));
  desktop.advance(1.1);
  EXPECT_NE(lines.back().find(": no Dock item"), std::string::npos) << lines.back();
}

// The window's report: the same report, then a hit test a second for as long as it lives, the
// latest ten of them kept; observers told of each.
TEST_F(DiagnosticsTest, TheWindowsReportFollowsThePointerAndKeepsTheLatestTen) {
  const int safari = addApp("Safari");
  desktop.movePointer(*desktop.restingPoint(safari));
  const auto report = std::make_shared<LiveDiagnostics>(desktop.platform());
  int told = 0;
  report->observe([&told] { ++told; });
  report->start();
  EXPECT_EQ(told, 1);
  const std::string head = report->text();
  EXPECT_NE(head.find("Lumivane diagnostics\nSystem: simulated macOS (lumivane-sim)\n"),
            std::string::npos);
  EXPECT_TRUE(head.ends_with("Hit tests at the pointer, once a second (top-left space):\n"));
  report->start();
  desktop.advance(1.05);
  EXPECT_EQ(told, 2);
  EXPECT_TRUE(report->text().starts_with(head));
  EXPECT_NE(report->text().find("  1. ", head.size()), std::string::npos);
  EXPECT_NE(report->text().find("quits Safari", head.size()), std::string::npos);

  desktop.advance(14);
  EXPECT_EQ(report->hitTestsTaken(), 15);
  EXPECT_EQ(told, 16);
  const std::string tests = report->text().substr(head.size());
  EXPECT_EQ(tests.find("  5. "), std::string::npos);
  EXPECT_TRUE(tests.starts_with("  6. ")) << tests;
  EXPECT_NE(tests.find("  15. "), std::string::npos);
  EXPECT_EQ(desktop.defaultsWriteCount(), 0u);
}

TEST_F(DiagnosticsTest, TheWindowsReportStopsWhenItGoes) {
  addApp("Safari");
  const std::size_t timers = desktop.runLoop().activeTimerCount();
  auto report = std::make_shared<LiveDiagnostics>(desktop.platform());
  report->start();
  desktop.advance(1.05);
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), timers + 1);
  report.reset();
  EXPECT_EQ(desktop.runLoop().activeTimerCount(), timers);
}

} // namespace
} // namespace lumivane
