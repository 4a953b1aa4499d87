#include "LumivaneCore/HoverState.hpp"
#include "TestIdentities.hpp"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

namespace lumivane {
namespace {

using test::identity;

const AppIdentity safari = identity(10, "/Applications/Safari.app", 100);
const AppIdentity mail = identity(11, "/System/Applications/Mail.app", 100);

enum class App { none, safari, mail };

std::optional<AppIdentity> identityOf(App app) {
  switch (app) {
  case App::none:
    return std::nullopt;
  case App::safari:
    return safari;
  case App::mail:
    return mail;
  }
  return std::nullopt;
}

// One sample and the state expected right after it.
struct Sample {
  double now;
  App candidate;
  bool retaining = false;
  bool layout = true;
  App target = App::none;
  bool visible = false;
};

struct Timeline {
  const char* name;
  std::vector<Sample> samples;
};

// The hover controller's delays; every sample time is exact in binary.
HoverState controllerState() {
  return HoverState(0.25, 0.15);
}

class HoverStateTimeline : public ::testing::TestWithParam<Timeline> {};

TEST_P(HoverStateTimeline, FollowsTheSamples) {
  HoverState state = controllerState();
  for (const Sample& sample : GetParam().samples) {
    SCOPED_TRACE(::testing::Message() << "sample at " << sample.now);
    state.update(identityOf(sample.candidate), sample.retaining, sample.layout, sample.now);
    EXPECT_EQ(state.target(), identityOf(sample.target));
    EXPECT_EQ(state.isVisible(), sample.visible);
  }
}

constexpr App none = App::none;
constexpr App a = App::safari;
constexpr App b = App::mail;

INSTANTIATE_TEST_SUITE_P(Timelines, HoverStateTimeline,
                         ::testing::Values(Timeline{"ShowDelayIncludesEquality",
                                                    {{10.0, a, false, true, a, false},
                                                     {10.125, a, false, true, a, false},
                                                     {10.25, a, false, true, a, true}}},
                                           Timeline{"HideDelayAfterLeaving",
                                                    {{19.5, a, false, true, a, false},
                                                     {19.75, a, false, true, a, true},
                                                     {20.0, none, false, true, a, true},
                                                     {20.125, none, false, true, a, true},
                                                     {20.25, none, false, true, none, false}}},
                                           Timeline{"PathToTheButtonRestartsTheHideDelay",
                                                    {{19.5, a, false, true, a, false},
                                                     {19.75, a, false, true, a, true},
                                                     {20.0, none, true, true, a, true},
                                                     {20.5, none, false, true, a, true},
                                                     {20.625, none, false, true, a, true},
                                                     {20.75, none, false, true, none, false}}},
                                           Timeline{"ReturningToTheTargetCancelsLeaving",
                                                    {{1.0, a, false, true, a, false},
                                                     {1.25, a, false, true, a, true},
                                                     {3.0, none, false, true, a, true},
                                                     {3.0625, a, false, true, a, true},
                                                     {3.125, none, false, true, a, true},
                                                     {3.25, none, false, true, a, true},
                                                     {3.3125, none, false, true, none, false}}},
                                           Timeline{"AnotherIconHidesAndRestartsTheDelay",
                                                    {{1.0, a, false, true, a, false},
                                                     {1.25, a, false, true, a, true},
                                                     {30.0, b, false, true, b, false},
                                                     {30.125, b, false, true, b, false},
                                                     {30.25, b, false, true, b, true}}},
                                           Timeline{"NeverShownLeavesAtOnce",
                                                    {{1.0, a, false, true, a, false},
                                                     {1.125, none, false, true, none, false}}},
                                           Timeline{"RetainingWithoutAVisibleButtonClears",
                                                    {{1.0, a, false, true, a, false},
                                                     {1.125, none, true, true, none, false}}},
                                           Timeline{"LayoutWaitGivesUpAfterHalfASecond",
                                                    {{5.0, a, false, false, a, false},
                                                     {5.25, a, false, false, a, false},
                                                     {5.5, a, false, false, none, false},
                                                     {5.625, a, false, true, a, false},
                                                     {5.75, a, false, true, a, false},
                                                     {5.875, a, false, true, a, true}}},
                                           Timeline{"ShowDelayRunsDuringTheLayoutWait",
                                                    {{1.0, a, false, false, a, false},
                                                     {1.125, a, false, false, a, false},
                                                     {1.25, a, false, true, a, true}}},
                                           Timeline{"LostLayoutHidesButKeepsTheTarget",
                                                    {{1.0, a, false, true, a, false},
                                                     {1.25, a, false, true, a, true},
                                                     {2.0, a, false, false, a, false},
                                                     {2.125, a, false, true, a, true}}},
                                           Timeline{"LayoutWaitRestartsAfterALayout",
                                                    {{1.0, a, false, true, a, false},
                                                     {1.25, a, false, false, a, false},
                                                     {1.5, a, false, true, a, true},
                                                     {1.625, a, false, false, a, false},
                                                     {2.0, a, false, false, a, false},
                                                     {2.125, a, false, false, none, false}}}),
                         [](const auto& info) { return info.param.name; });

TEST(HoverStateDelays, ZeroShowDelayShowsInTheFirstSample) {
  HoverState state(0, 0);
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 4);
  EXPECT_TRUE(state.isVisible());
  state.update(mail, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 4.5);
  EXPECT_EQ(state.target(), mail);
  EXPECT_TRUE(state.isVisible());
  state.update(std::nullopt, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 4.5);
  EXPECT_EQ(state.target(), std::nullopt);
}

// Settled: nothing would change if the same samples kept coming.
TEST(HoverStateSettled, OnlyWhileNoDelayRuns) {
  HoverState state = controllerState();
  EXPECT_TRUE(state.isSettled());
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 1.0);
  EXPECT_FALSE(state.isSettled()); // the show delay runs
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 1.25);
  EXPECT_TRUE(state.isSettled());
  state.update(std::nullopt, /*retainingCurrent=*/true, /*layoutAvailable=*/true, 1.5);
  EXPECT_TRUE(state.isSettled()); // on the path to the ×
  state.update(std::nullopt, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 1.625);
  EXPECT_FALSE(state.isSettled()); // the hide delay runs
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 1.75);
  EXPECT_TRUE(state.isSettled());
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/false, 2.0);
  EXPECT_FALSE(state.isSettled()); // the layout wait runs
  state.update(mail, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 2.125);
  EXPECT_FALSE(state.isSettled());
  state.reset();
  EXPECT_TRUE(state.isSettled());
}

TEST(HoverStateReset, ForgetsTheTargetButKeepsTheDelays) {
  HoverState state = controllerState();
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 1);
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 2);
  ASSERT_TRUE(state.isVisible());
  state.reset();
  EXPECT_EQ(state.target(), std::nullopt);
  EXPECT_FALSE(state.isVisible());
  EXPECT_EQ(state.showDelay(), 0.25);
  EXPECT_EQ(state.hideDelay(), 0.15);
  // The same application again waits the full show delay.
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 3);
  EXPECT_FALSE(state.isVisible());
  state.update(safari, /*retainingCurrent=*/false, /*layoutAvailable=*/true, 3.25);
  EXPECT_TRUE(state.isVisible());
}

} // namespace
} // namespace lumivane
