#include "LumivaneCore/MiddleGesture.hpp"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace lumivane {
namespace {

using Phase = MiddleGesture::Phase;
using Decision = MiddleGesture::Decision;

// One row of the decision table: the event, the state before it, the answer and the state after.
struct GestureRow {
  const char* name;
  int64_t button;
  Phase phase;
  bool isDockItem;
  bool canQuit;
  bool isDownBefore;
  bool isConsumingBefore;
  Decision decision;
  bool isDownAfter;
  bool isConsumingAfter;
};

// Brings a fresh gesture into the given state through its own operation.
MiddleGesture gestureIn(bool isDown, bool isConsuming) {
  MiddleGesture gesture;
  if (isDown) {
    gesture.handle(MiddleGesture::middleButton, Phase::down, isConsuming, /*canQuit=*/false);
  }
  return gesture;
}

class MiddleGestureTable : public ::testing::TestWithParam<GestureRow> {};

TEST_P(MiddleGestureTable, DecidesAndMovesAsTheTableSays) {
  const GestureRow& row = GetParam();
  MiddleGesture gesture = gestureIn(row.isDownBefore, row.isConsumingBefore);
  EXPECT_EQ(gesture.handle(row.button, row.phase, row.isDockItem, row.canQuit), row.decision);
  EXPECT_EQ(gesture.isDown(), row.isDownAfter);
  EXPECT_EQ(gesture.isConsuming(), row.isConsumingAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MiddleGestureTable,
    ::testing::Values(
        // Other buttons never count and never disturb a middle-button sequence.
        GestureRow{"LeftDownIdle", 0, Phase::down, true, true, false, false, {}, false, false},
        GestureRow{"RightDownPressed", 1, Phase::down, true, true, true, true, {}, true, true},
        GestureRow{"Button3UpPressed", 3, Phase::up, true, true, true, true, {}, true, true},
        GestureRow{"NegativeButton", -1, Phase::down, true, true, false, false, {}, false, false},
        // The press decides.
        GestureRow{
            "DownQuittable", 2, Phase::down, true, true, false, false, {true, true}, true, true},
        GestureRow{"DownDockItemNotQuittable",
                   2,
                   Phase::down,
                   true,
                   false,
                   false,
                   false,
                   {true, false},
                   true,
                   true},
        GestureRow{"DownOutsideDock",
                   2,
                   Phase::down,
                   false,
                   true,
                   false,
                   false,
                   {false, false},
                   true,
                   false},
        // A second press follows the sequence and never asks again.
        GestureRow{"SecondDownConsuming",
                   2,
                   Phase::down,
                   true,
                   true,
                   true,
                   true,
                   {true, false},
                   true,
                   true},
        GestureRow{"SecondDownPassing",
                   2,
                   Phase::down,
                   true,
                   true,
                   true,
                   false,
                   {false, false},
                   true,
                   false},
        GestureRow{"DragConsuming",
                   2,
                   Phase::dragged,
                   false,
                   false,
                   true,
                   true,
                   {true, false},
                   true,
                   true},
        GestureRow{
            "DragPassing", 2, Phase::dragged, true, true, true, false, {false, false}, true, false},
        GestureRow{
            "UpConsuming", 2, Phase::up, false, false, true, true, {true, false}, false, false},
        GestureRow{
            "UpPassing", 2, Phase::up, true, true, true, false, {false, false}, false, false},
        GestureRow{
            "UpWithoutDown", 2, Phase::up, true, true, false, false, {false, false}, false, false}),
    [](const ::testing::TestParamInfo<GestureRow>& info) { return info.param.name; });

TEST(MiddleGestureSequence, QuittableItemSwallowsTheWholeSequenceAndQuitsOnce) {
  MiddleGesture gesture;
  EXPECT_EQ(gesture.handle(2, Phase::down, /*isDockItem=*/true, /*canQuit=*/true),
            (Decision{true, true}));
  EXPECT_EQ(gesture.handle(2, Phase::dragged, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{true, false}));
  EXPECT_EQ(gesture.handle(2, Phase::down, /*isDockItem=*/true, /*canQuit=*/true),
            (Decision{true, false}));
  EXPECT_EQ(gesture.handle(0, Phase::up, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{false, false}));
  EXPECT_EQ(gesture.handle(2, Phase::up, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{true, false}));
  EXPECT_FALSE(gesture.isDown());
  // The next press is judged afresh.
  EXPECT_EQ(gesture.handle(2, Phase::down, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{false, false}));
  EXPECT_EQ(gesture.handle(2, Phase::up, /*isDockItem=*/true, /*canQuit=*/true),
            (Decision{false, false}));
}

// The events come again after a gap: a press then is a click of its own, and what is left of a
// sequence from before the gap keeps its press's answer.
TEST(MiddleGestureResume, APressAfterAGapIsJudgedAfreshWhateverWasLost) {
  MiddleGesture lostRelease;
  lostRelease.handle(2, Phase::down, /*isDockItem=*/true, /*canQuit=*/false);
  lostRelease.resume();
  EXPECT_EQ(lostRelease.handle(2, Phase::down, /*isDockItem=*/true, /*canQuit=*/true),
            (Decision{true, true}));
  EXPECT_EQ(lostRelease.handle(2, Phase::up, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{true, false}));
  EXPECT_FALSE(lostRelease.isDown());
  EXPECT_FALSE(lostRelease.isConsuming());

  MiddleGesture heldThrough;
  heldThrough.handle(2, Phase::down, /*isDockItem=*/true, /*canQuit=*/true);
  heldThrough.resume();
  EXPECT_EQ(heldThrough.handle(2, Phase::dragged, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{true, false}));
  EXPECT_EQ(heldThrough.handle(2, Phase::up, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{true, false}));
  EXPECT_EQ(heldThrough.handle(2, Phase::down, /*isDockItem=*/false, /*canQuit=*/false),
            (Decision{false, false}));

  // Released and pressed again in the gap: the release that comes is the new press's, whose
  // press the Dock received, and it passes; the swallowed one's would not.
  MiddleGesture pressedAgain;
  pressedAgain.handle(2, Phase::down, /*isDockItem=*/true, /*canQuit=*/true, /*pressNumber=*/7);
  pressedAgain.resume();
  MiddleGesture heldOn = pressedAgain;
  EXPECT_EQ(pressedAgain.handle(2, Phase::up, /*isDockItem=*/false, /*canQuit=*/false,
                                /*pressNumber=*/8),
            (Decision{false, false}));
  EXPECT_FALSE(pressedAgain.isConsuming());
  EXPECT_EQ(heldOn.handle(2, Phase::up, /*isDockItem=*/false, /*canQuit=*/false,
                          /*pressNumber=*/7),
            (Decision{true, false}));

  MiddleGesture passedThrough;
  passedThrough.handle(2, Phase::down, /*isDockItem=*/false, /*canQuit=*/false);
  passedThrough.resume();
  EXPECT_EQ(passedThrough.handle(2, Phase::up, /*isDockItem=*/true, /*canQuit=*/true),
            (Decision{false, false}));

  MiddleGesture idle;
  idle.resume();
  EXPECT_FALSE(idle.isDown());
  EXPECT_FALSE(idle.isConsuming());
}

// Random streams of buttons and phases, now and then with a gap (resume): every middle release
// and drag follows its press, a press only asks for a quit when it is swallowed, one sequence
// asks at most once, and after a gap a press opens a sequence of its own.
TEST(MiddleGestureProperty, SequencesAreSwallowedWholeOrNotAtAll) {
  std::mt19937_64 random(0x4d1dd1e);
  std::uniform_int_distribution<int64_t> button(0, 3);
  std::uniform_int_distribution<int> phase(0, 2);
  std::bernoulli_distribution coin(0.5);
  for (int stream = 0; stream < 200; ++stream) {
    MiddleGesture gesture;
    bool open = false;          // a press was seen and its release was not
    bool pressConsumed = false; // that press was swallowed
    bool gap = false;           // since that press
    int quitsInSequence = 0;
    for (int event = 0; event < 50; ++event) {
      if (random() % 8 == 0) {
        gesture.resume();
        gap = true;
      }
      const int64_t eventButton = button(random);
      const auto eventPhase = static_cast<Phase>(phase(random));
      const Decision decision = gesture.handle(eventButton, eventPhase, coin(random), coin(random));
      if (eventButton != 2) {
        ASSERT_EQ(decision, Decision{});
        continue;
      }
      ASSERT_TRUE(!decision.requestQuit || decision.consume);
      if (eventPhase == Phase::down && (!open || gap)) {
        open = true;
        pressConsumed = decision.consume;
        gap = false;
        quitsInSequence = 0;
      } else {
        ASSERT_EQ(decision.consume, open && pressConsumed);
      }
      quitsInSequence += decision.requestQuit ? 1 : 0;
      ASSERT_LE(quitsInSequence, 1);
      if (eventPhase == Phase::up) {
        open = false;
        gap = false;
        quitsInSequence = 0;
      }
    }
  }
}

} // namespace
} // namespace lumivane
