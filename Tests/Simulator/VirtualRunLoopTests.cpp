#include "Simulator/VirtualRunLoop.hpp"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace lumivane::sim {
namespace {

using Events = std::vector<std::pair<std::string, double>>;

class RunLoopOrder : public ::testing::Test {
protected:
  std::function<void()> note(std::string name) {
    return [this, name = std::move(name)] { events.emplace_back(name, loop.uptime()); };
  }

  VirtualRunLoop loop;
  Events events;
};

TEST_F(RunLoopOrder, RunsEverythingInTimeOrderWithTiesInSchedulingOrder) {
  const auto slow = loop.scheduleRepeating(0.5, 0.1, note("slow"));
  const auto fast = loop.scheduleRepeating(0.25, 0.05, note("fast"));
  loop.schedule(0.6, note("event"));
  loop.async(note("block"));

  loop.advance(1.0);

  // At 0.5 and 1.0 both timers are due: "slow" was armed for those instants before "fast".
  EXPECT_EQ(events, (Events{{"block", 0},
                            {"fast", 0.25},
                            {"slow", 0.5},
                            {"fast", 0.5},
                            {"event", 0.6},
                            {"fast", 0.75},
                            {"slow", 1.0},
                            {"fast", 1.0}}));
  EXPECT_DOUBLE_EQ(loop.uptime(), 1.0);
}

TEST_F(RunLoopOrder, ThirtyStepsOfAThirtiethFitInOneSecond) {
  const auto tick = loop.scheduleRepeating(1.0 / 30, 0.004, note("tick"));
  loop.advance(1.0);
  EXPECT_EQ(events.size(), 30u);
}

TEST_F(RunLoopOrder, BlocksQueuedWhileAdvancingRunBeforeLaterEvents) {
  const auto timer = loop.scheduleRepeating(0.25, 0, [this] {
    events.emplace_back("tick", loop.uptime());
    loop.async(note("after tick"));
  });
  loop.schedule(0.25, note("same instant, scheduled earlier"));
  loop.advance(0.3);
  EXPECT_EQ(
      events,
      (Events{{"tick", 0.25}, {"same instant, scheduled earlier", 0.25}, {"after tick", 0.25}}));
}

TEST_F(RunLoopOrder, DrainRunsBlocksAndTheirBlocksButNoTimers) {
  const auto timer = loop.scheduleRepeating(0.1, 0, note("timer"));
  loop.async([this] {
    events.emplace_back("first", loop.uptime());
    loop.async(note("nested"));
  });
  loop.async(note("second"));
  loop.block(1.0);
  loop.drain();
  EXPECT_EQ(events, (Events{{"first", 1.0}, {"second", 1.0}, {"nested", 1.0}}));
}

TEST_F(RunLoopOrder, ABlockedLoopFiresAnOverdueTimerOnceAndKeepsItsSchedule) {
  const auto timer = loop.scheduleRepeating(0.25, 0, note("tick"));
  loop.block(0.6);
  EXPECT_TRUE(events.empty());
  loop.advance(0.5);
  EXPECT_EQ(events, (Events{{"tick", 0.6}, {"tick", 0.75}, {"tick", 1.0}}));
}

TEST(RunLoopTimers, InvalidatedOrReleasedTimersNeverFireAgain) {
  VirtualRunLoop loop;
  int selfStopping = 0;
  int released = 0;
  std::unique_ptr<platform::Timer> stopper;
  stopper = loop.scheduleRepeating(0.1, 0, [&] {
    if (++selfStopping == 2) {
      stopper->invalidate();
    }
  });
  auto doomed = loop.scheduleRepeating(0.1, 0, [&] { ++released; });
  loop.advance(0.15);
  doomed.reset();
  loop.advance(1.0);

  EXPECT_EQ(selfStopping, 2);
  EXPECT_FALSE(stopper->isValid());
  EXPECT_EQ(released, 1);
  EXPECT_EQ(loop.activeTimerCount(), 0u);
  const auto records = loop.timers();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_FALSE(records[0].active);
  EXPECT_DOUBLE_EQ(records[1].interval, 0.1);
}

TEST(RunLoopTimers, AnActionMayStartAndStopOtherTimers) {
  VirtualRunLoop loop;
  std::vector<std::string> fired;
  std::unique_ptr<platform::Timer> victim;
  std::unique_ptr<platform::Timer> child;
  const auto parent = loop.scheduleRepeating(0.5, 0, [&] {
    fired.push_back("parent");
    victim->invalidate();
    if (!child) {
      child = loop.scheduleRepeating(0.1, 0, [&] { fired.push_back("child"); });
    }
  });
  victim = loop.scheduleRepeating(0.5, 0, [&] { fired.push_back("victim"); });
  loop.advance(0.75);
  EXPECT_EQ(fired, (std::vector<std::string>{"parent", "child", "child"}));
}

TEST(RunLoopTimers, SystemEventsAreNotTimersAndNonPositiveIntervalsAreFloored) {
  VirtualRunLoop loop;
  int events = 0;
  loop.schedule(-1, [&] { ++events; });
  EXPECT_TRUE(loop.timers().empty());
  const auto timer = loop.scheduleRepeating(0, 0, [] {});
  EXPECT_GT(loop.timers().front().interval, 0);
  loop.advance(0);
  EXPECT_EQ(events, 1);
}

TEST(RunLoopTimers, AHandleOutlivingItsLoopIsHarmless) {
  std::unique_ptr<platform::Timer> timer;
  {
    VirtualRunLoop loop;
    timer = loop.scheduleRepeating(1, 0, [] {});
  }
  EXPECT_FALSE(timer->isValid());
  timer->invalidate();
}

} // namespace
} // namespace lumivane::sim
