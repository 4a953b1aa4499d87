#include "Lumivane/Diagnostics.hpp"
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
    auto diagnostics =
        std::make_shared<Diagnostics>(desktop.platform(), "test system",
                                      [this](std::string_view line) { lines.emplace_back(line); });
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

} // namespace
} // namespace lumivane
