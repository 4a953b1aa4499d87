#include "Scenarios/Scenarios.hpp"
#include "Simulator/Desktop.hpp"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace lumivane::sim {
namespace {

// ---------------------------------------------------------------------------------------------
// Sessions: drawn from their seed alone, a few simulated minutes each.

TEST(SoakSessions, ASeedNamesOneSession) {
  SoakFigures first;
  SoakFigures second;
  EXPECT_FALSE(runSoakSession(7, first));
  EXPECT_FALSE(runSoakSession(7, second));
  EXPECT_EQ(first.steps, second.steps);
  EXPECT_EQ(first.faults, second.faults);
  EXPECT_EQ(first.quitRequests, second.quitRequests);
  EXPECT_EQ(first.simulatedSeconds, second.simulatedSeconds);
  SoakFigures other;
  EXPECT_FALSE(runSoakSession(8, other));
  EXPECT_NE(first.steps, other.steps);
}

TEST(SoakSessions, LastAFewSimulatedMinutesWithFaultsAndQuits) {
  SoakFigures figures;
  for (uint64_t seed = 1; seed <= 5; ++seed) {
    ASSERT_FALSE(runSoakSession(seed, figures));
  }
  EXPECT_EQ(figures.sessions, 5u);
  EXPECT_GE(figures.simulatedSeconds, 5 * 60.0);
  EXPECT_LE(figures.simulatedSeconds, 5 * 240.0);
  EXPECT_GT(figures.faults, 0u);
  EXPECT_GT(figures.quitRequests, 0u);
  EXPECT_EQ(figures.violations, 0u);
}

// The soak runs commands as values; their printed lines are the replay script, which must read
// back as exactly those commands.
TEST(SoakSessions, TheReplayScriptReadsBackAsTheCommandsThatRan) {
  for (const uint64_t seed : {3u, 11u}) {
    SoakFigures figures;
    std::vector<Command> ran;
    ASSERT_FALSE(runSoakSession(seed, figures, &ran));
    std::string script = "# replay\n";
    for (const Command& command : ran) {
      script += command.source + "\n";
    }
    const auto parsed = parseScenario(script);
    ASSERT_TRUE(std::holds_alternative<Scenario>(parsed))
        << std::get<ScenarioError>(parsed).describe();
    const std::vector<Command>& read = std::get<Scenario>(parsed).commands;
    ASSERT_EQ(read.size(), ran.size());
    for (std::size_t i = 0; i < ran.size(); ++i) {
      EXPECT_EQ(read[i].line, ran[i].line);
      EXPECT_TRUE(read[i].action == ran[i].action) << ran[i].source;
    }
  }
}

TEST(SoakSessions, PrintOneLineOfFigures) {
  std::ostringstream out;
  std::ostringstream errors;
  EXPECT_EQ(runSoak(2, 41, out, errors), 0);
  EXPECT_EQ(errors.str(), "");
  const std::string line = out.str();
  EXPECT_EQ(line.rfind("soak: 2 sessions, ", 0), 0u) << line;
  EXPECT_NE(line.find(" 0 violations, "), std::string::npos) << line;
  EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
}

// ---------------------------------------------------------------------------------------------
// What the desktop records for the checks.

class SoakRecords : public testing::Test {
protected:
  SoakRecords() {
    desktop.addScreen({0, 0, 1440, 900});
    desktop.placeDock(DockEdge::bottom);
    desktop.setPostEventAccess(true);
    mail = desktop.launch({.name = "Mail",
                           .bundleIdentifier = "com.example.mail",
                           .bundlePath = "/Applications/Mail.app"});
    item = desktop.addDockApplication("Mail", "/Applications/Mail.app");
  }

  Point centre() const {
    const Rect frame = desktop.itemFrame(item);
    return {frame.midX(), frame.midY()};
  }

  Desktop desktop;
  int32_t mail = 0;
  int item = 0;
};

TEST_F(SoakRecords, AQuitRequestKeepsTheProcessAsItWasAndItsCopies) {
  desktop.launch({.name = "Mail",
                  .bundleIdentifier = "com.example.mail",
                  .bundlePath = "/Applications/Mail.app"});
  desktop.platform().workspace.terminate(mail);
  ASSERT_EQ(desktop.quitRequests().size(), 1u);
  const QuitRequestRecord& record = desktop.quitRequests().front();
  EXPECT_EQ(record.process.pid, mail);
  EXPECT_EQ(record.process.bundlePath, "/Applications/Mail.app");
  EXPECT_EQ(record.process.launchDate, desktop.launchDate(mail));
  EXPECT_EQ(record.copies, 2);
}

TEST_F(SoakRecords, AMiddlePressOnAnItemNamesItsProcessesAndWhereItWent) {
  desktop.movePointer(centre());
  desktop.press(2);
  desktop.release(2);
  desktop.press(3);
  const auto& events = desktop.otherMouseEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].dockItem, item);
  ASSERT_EQ(events[0].itemProcesses.size(), 1u);
  EXPECT_EQ(events[0].itemProcesses[0].pid, mail);
  // No tap: the Dock gets both halves.
  EXPECT_TRUE(events[0].toDock);
  EXPECT_FALSE(events[0].swallowed);
  EXPECT_TRUE(events[0].listened);
  EXPECT_TRUE(events[1].toDock);
  EXPECT_FALSE(events[1].dockItem);
  EXPECT_EQ(events[2].button, 3);
}

// A tap that takes its time reads a Dock that moved on: the record keeps the item under the
// pointer when the press came and when the taps were done with it.
TEST_F(SoakRecords, APressRecordsTheItemUnderItBeforeAndAfterTheTaps) {
  const int maps = desktop.addDockApplication("Maps", "/Applications/Maps.app", false);
  desktop.launch({.name = "Maps",
                  .bundleIdentifier = "com.example.maps",
                  .bundlePath = "/Applications/Maps.app"});
  // Maps' tile grows in from nothing; the pointer waits where its centre will be.
  const Rect grown = [&] {
    desktop.advance(1);
    return desktop.itemFrame(maps);
  }();
  desktop.endByItself(*desktop.pidOf("Maps"));
  desktop.advance(1);
  desktop.movePointer({grown.midX(), grown.midY()});
  desktop.launch({.name = "Maps",
                  .bundleIdentifier = "com.example.maps",
                  .bundlePath = "/Applications/Maps.app"});
  const auto tap =
      desktop.platform().eventTaps.createSessionTap(~uint64_t{0}, [&](const platform::TapEvent&) {
        desktop.runLoop().block(0.2);
        return false;
      });
  tap->addToMainRunLoop();
  tap->setEnabled(true);
  desktop.press(2);
  const OtherMouseRecord& press = desktop.otherMouseEvents().back();
  EXPECT_NE(press.dockItem, maps);
  EXPECT_EQ(press.dockItemAfter, maps);
  ASSERT_EQ(press.itemProcessesAfter.size(), 1u);
  EXPECT_EQ(press.itemProcessesAfter[0].pid, desktop.pidOf("Maps"));
}

TEST_F(SoakRecords, AHiddenDockLiesBeyondTheScreenEdge) {
  const Rect shown = desktop.itemFrame(item);
  desktop.setDockHidden(true);
  const Rect hidden = desktop.itemFrame(item);
  EXPECT_GE(hidden.minY(), 900);
  EXPECT_EQ(hidden.midX(), shown.midX());
  desktop.setDockHidden(false);
  EXPECT_EQ(desktop.itemFrame(item), shown);
}

// A stall is counted per main-thread call: each run-loop callback and each input event starts
// its own count.
TEST_F(SoakRecords, StallsAreCountedPerMainThreadCall) {
  VirtualRunLoop& loop = desktop.runLoop();
  loop.async([&] { loop.block(0.05); });
  loop.async([&] { loop.block(0.05); });
  loop.drain();
  EXPECT_DOUBLE_EQ(loop.longestStall(), 0.05);
  loop.block(0.03);
  EXPECT_DOUBLE_EQ(loop.longestStall(), 0.08);
  desktop.movePointer({10, 10});
  loop.block(0.07);
  EXPECT_DOUBLE_EQ(loop.longestStall(), 0.08);
}

} // namespace
} // namespace lumivane::sim
