#include "LumivaneCore/HoverDecision.hpp"
#include "TestIdentities.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <vector>

namespace lumivane {
namespace {

using test::identity;

// A plain left Dock of 48-point icons: Pages' × sits above its name band, beside the lower half of
// Notes, so the way from Pages to its × crosses Notes' corner.
const AppIdentity pages = identity(21, "/Applications/Pages.app", 100);
const AppIdentity notes = identity(22, "/Applications/Notes.app", 100);
const HoverMark pagesMark{pages, {6, 451.5, 48, 48}, {59, 419.5, 32, 32}, DockEdge::left};
const HoverMark notesMark{notes, {6, 400.5, 48, 48}, {59, 368.5, 32, 32}, DockEdge::left};

constexpr Point onPages{30, 475.5};
constexpr Point onPagesOnTheWay{48, 452};
constexpr Point onNotesOnTheWay{48, 446};    // Notes' corner, on the way to Pages' ×
constexpr Point onNotesTurningBack{44, 448}; // on Notes and the way, farther from the ×
constexpr Point inTheGapOnTheWay{50, 450};   // between the two icons, on the way
constexpr Point onTheButton{75, 435.5};      // Pages' ×
constexpr Point offTheWay{200, 475.5};       // beside the Dock, away from the ×
constexpr Point onPagesOffTheWay{20, 475.5}; // on Pages, on the side away from the ×

enum class Shows { app, appGrown, notesApp, item, nothing, unreadable, noRoom };

HoverSighting sightingOf(Shows shows) {
  switch (shows) {
  case Shows::app:
    return HoverSighting::app(pagesMark);
  case Shows::appGrown:
    // Grown by a point under a pointer heading for the ×, still anchored under it.
    return HoverSighting::app({pages, {6, 450.5, 49, 49}, {64, 419.5, 32, 32}, DockEdge::left});
  case Shows::notesApp:
    return HoverSighting::app(notesMark);
  case Shows::item:
    return HoverSighting::item();
  case Shows::nothing:
    return HoverSighting::nothing();
  case Shows::unreadable:
    return HoverSighting::unreadable();
  case Shows::noRoom:
    return HoverSighting::appWithoutButton(pages);
  }
  return HoverSighting::nothing();
}

enum class Target { none, pages, notes };

std::optional<AppIdentity> identityOf(Target target) {
  switch (target) {
  case Target::none:
    return std::nullopt;
  case Target::pages:
    return pages;
  case Target::notes:
    return notes;
  }
  return std::nullopt;
}

// One step: what the loop sees, and what the decision must answer. The × panel shows whenever
// the last effect left it shown.
struct Step {
  double now;
  Point pointer;
  Shows shows;
  HoverEffect effect;
  Target target;
  bool visible;
  HoverDecision::Check check = HoverDecision::Check::none;
  bool validated = true;
  bool remeasuredGone = false; // the re-measure finds Pages' item gone; else as it was
  PressedButtons pressed = PressedButtons::none;
  bool settled = true; // checked only while the × shows
};

struct Timeline {
  const char* name;
  std::vector<Step> steps;
};

std::ostream& operator<<(std::ostream& out, const Timeline& timeline) {
  return out << timeline.name;
}

// Pages' × shown with the pointer resting at `at` from 10.0.
std::vector<Step> shownAt(Point at, std::vector<Step> after) {
  std::vector<Step> steps{
      {10.0, at, Shows::app, HoverEffect::hide, Target::pages, false},
      {10.125, at, Shows::app, HoverEffect::hide, Target::pages, false},
      {10.25, at, Shows::app, HoverEffect::show, Target::pages, true},
  };
  steps.insert(steps.end(), after.begin(), after.end());
  return steps;
}

class HoverDecisionTimeline : public ::testing::TestWithParam<Timeline> {};

TEST_P(HoverDecisionTimeline, FollowsTheSteps) {
  HoverMemory memory;
  bool shown = false;
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE(::testing::Message() << "step at " << step.now);
    HoverSample sample;
    sample.now = step.now;
    sample.pointer = step.pointer;
    sample.pressed = step.pressed;
    sample.panelVisible = shown;
    sample.sighting = HoverDecision::isOnVisibleButton(memory, step.pointer, shown)
                          ? HoverSighting::nothing()
                          : sightingOf(step.shows);
    const HoverDecision::Check check = HoverDecision::check(memory, sample);
    EXPECT_EQ(check, step.check);
    sample.validated = check == HoverDecision::Check::validate && step.validated;
    if (check == HoverDecision::Check::remeasure && !step.remeasuredGone) {
      sample.remeasured = memory.mark;
    }
    const HoverVerdict verdict = HoverDecision::decide(memory, sample);
    EXPECT_EQ(verdict.effect, step.effect);
    EXPECT_EQ(verdict.memory.state.target(), identityOf(step.target));
    EXPECT_EQ(verdict.memory.state.isVisible(), step.visible);
    if (step.visible) {
      EXPECT_EQ(HoverDecision::isSettled(verdict.memory), step.settled);
    }
    memory = verdict.memory;
    if (verdict.effect == HoverEffect::show) {
      shown = true;
    } else if (verdict.effect != HoverEffect::keep) {
      shown = false;
    }
  }
}

using Check = HoverDecision::Check;
using Effect = HoverEffect;

INSTANTIATE_TEST_SUITE_P(
    Rules, HoverDecisionTimeline,
    ::testing::Values(
        // The × shows after a quarter of a second on the icon (the comparison includes
        // equality), and follows it while the pointer stays.
        Timeline{"ShowsAfterTheShowDelay", shownAt(onPages, {{10.3, onPages, Shows::app,
                                                              Effect::show, Target::pages, true}})},
        // Another icon: hidden in the same step, shown a show delay later.
        Timeline{
            "AnotherIconHidesAtOnceAndRestartsTheShowDelay",
            shownAt(onPages,
                    {{10.3, onPagesOffTheWay, Shows::notesApp, Effect::hide, Target::notes, false},
                     {10.5, onPagesOffTheWay, Shows::notesApp, Effect::hide, Target::notes, false},
                     {10.55, onPagesOffTheWay, Shows::notesApp, Effect::show, Target::notes,
                      true}})},
        // Nothing under the pointer on the way: the item is validated, the × stays for as long
        // as the pointer does.
        Timeline{"OnTheWayInAGapTheButtonStays",
                 shownAt(onPages, {{10.3, inTheGapOnTheWay, Shows::nothing, Effect::keep,
                                    Target::pages, true, Check::validate},
                                   {11.3, inTheGapOnTheWay, Shows::nothing, Effect::keep,
                                    Target::pages, true, Check::validate}})},
        Timeline{"OnTheWayAnItemThatNoLongerValidatesGoes",
                 shownAt(onPages, {{10.3, inTheGapOnTheWay, Shows::nothing, Effect::reset,
                                    Target::none, false, Check::validate, false}})},
        Timeline{"OnTheButtonItStays",
                 shownAt(onPages, {{10.3, onTheButton, Shows::nothing, Effect::keep, Target::pages,
                                    true, Check::validate}})},
        // Off the way, the item is measured again and the hide delay runs.
        Timeline{
            "OffTheWayTheHideDelayRuns",
            shownAt(onPages, {{10.3, offTheWay, Shows::nothing, Effect::show, Target::pages, true,
                               Check::remeasure, true, false, PressedButtons::none, false},
                              {10.425, offTheWay, Shows::nothing, Effect::show, Target::pages, true,
                               Check::remeasure, true, false, PressedButtons::none, false},
                              {10.55, offTheWay, Shows::nothing, Effect::reset, Target::none, false,
                               Check::remeasure}})},
        Timeline{"OffTheWayAGoneItemGoesAtOnce",
                 shownAt(onPages, {{10.3, offTheWay, Shows::nothing, Effect::reset, Target::none,
                                    false, Check::remeasure, true, true}})},
        // Crossing Notes' corner towards the ×: the × stays while the pointer keeps moving
        // towards it and through a pause shorter than the hide delay; a rest as long as the hide
        // delay makes Notes the target, as moving onto it would.
        Timeline{
            "CrossingANeighbourTowardsTheButtonKeepsItUntilARest",
            shownAt(onPages,
                    {{10.3, onNotesOnTheWay, Shows::notesApp, Effect::keep, Target::pages, true,
                      Check::validate, true, false, PressedButtons::none, false},
                     {10.425, onNotesOnTheWay, Shows::notesApp, Effect::keep, Target::pages, true,
                      Check::validate, true, false, PressedButtons::none, false},
                     {10.55, onNotesOnTheWay, Shows::notesApp, Effect::hide, Target::notes, false},
                     {10.8, onNotesOnTheWay, Shows::notesApp, Effect::show, Target::notes, true}})},
        // A drift of less than two points is a resting hand, not a move towards the ×.
        Timeline{
            "ADriftIsARest",
            shownAt(onPages,
                    {{10.3, onNotesOnTheWay, Shows::notesApp, Effect::keep, Target::pages, true,
                      Check::validate, true, false, PressedButtons::none, false},
                     {10.35,
                      {49, 446},
                      Shows::notesApp,
                      Effect::keep,
                      Target::pages,
                      true,
                      Check::validate,
                      true,
                      false,
                      PressedButtons::none,
                      false},
                     {10.55, {49, 446}, Shows::notesApp, Effect::hide, Target::notes, false}})},
        // Across Notes' corner towards the ×, then back towards Pages while still on Notes: no
        // longer a move towards the ×, so Notes wins at once, as moving onto it would.
        Timeline{
            "TurningBackOnANeighbourLetsItWinAtOnce",
            shownAt(onPages, {{10.3, onNotesOnTheWay, Shows::notesApp, Effect::keep, Target::pages,
                               true, Check::validate, true, false, PressedButtons::none, false},
                              {10.35, onNotesTurningBack, Shows::notesApp, Effect::hide,
                               Target::notes, false},
                              {10.6, onNotesTurningBack, Shows::notesApp, Effect::show,
                               Target::notes, true}})},
        // Sideways onto Notes, no nearer the ×: moving onto another icon.
        Timeline{"MovingOntoANeighbourButNotTowardsTheButtonLetsItWinAtOnce",
                 shownAt(onPagesOnTheWay, {{10.3, onNotesOnTheWay, Shows::notesApp, Effect::hide,
                                            Target::notes, false}})},
        // The Finder or a protected app on the way: passed over while moving, the end of the ×
        // after a rest.
        Timeline{
            "AnItemThatCannotBeQuitOnTheWay",
            shownAt(onPages,
                    {{10.3, onNotesOnTheWay, Shows::item, Effect::keep, Target::pages, true,
                      Check::validate, true, false, PressedButtons::none, false},
                     {10.55, onNotesOnTheWay, Shows::item, Effect::reset, Target::none, false}})},
        // A Dock that cannot be read keeps nothing on the way: the pointer may rest on another
        // item there, so the hide delay runs.
        Timeline{"AnUnreadableDockOnTheWayLetsTheHideDelayRun",
                 shownAt(onPages,
                         {{10.3, inTheGapOnTheWay, Shows::unreadable, Effect::keep, Target::pages,
                           true, Check::validate, true, false, PressedButtons::none, false},
                          {10.425, inTheGapOnTheWay, Shows::unreadable, Effect::keep, Target::pages,
                           true, Check::validate, true, false, PressedButtons::none, false},
                          {10.55, inTheGapOnTheWay, Shows::unreadable, Effect::reset, Target::none,
                           false, Check::validate}})},
        // Its own icon grown a point under a pointer heading for the ×: the × stays where the
        // pointer is heading. Off the way it follows the icon.
        Timeline{"ItsOwnIconGrownOnTheWayKeepsTheButtonWhereItIs",
                 shownAt(onPagesOnTheWay, {{10.3, onPagesOnTheWay, Shows::appGrown, Effect::keep,
                                            Target::pages, true, Check::validate}})},
        Timeline{"ItsOwnIconGrownOffTheWayIsFollowed",
                 shownAt(onPagesOffTheWay, {{10.3, onPagesOffTheWay, Shows::appGrown, Effect::show,
                                             Target::pages, true}})},
        Timeline{"ItsOwnIconThatNoLongerValidatesOnTheWayGoes",
                 shownAt(onPagesOnTheWay, {{10.3, onPagesOnTheWay, Shows::appGrown, Effect::reset,
                                            Target::none, false, Check::validate, false}})},
        // No room for a ×: hidden, and given up after half a second.
        Timeline{"NoRoomWaitsHalfASecondForALayout",
                 {{10.0, onPages, Shows::noRoom, Effect::hide, Target::pages, false},
                  {10.25, onPages, Shows::noRoom, Effect::hide, Target::pages, false},
                  {10.5, onPages, Shows::noRoom, Effect::reset, Target::none, false}}},
        Timeline{"AnItemThatCannotBeQuitEndsTheLoop",
                 {{10.0, onPages, Shows::item, Effect::reset, Target::none, false}}},
        // Never shown: leaving the icon ends the loop at once.
        Timeline{"LeavingBeforeTheButtonShowedEndsTheLoop",
                 {{10.0, onPages, Shows::app, Effect::hide, Target::pages, false},
                  {10.1, inTheGapOnTheWay, Shows::nothing, Effect::reset, Target::none, false}}},
        // A left press on the visible × is a click under way; any other press withdraws it.
        Timeline{"ALeftPressOnTheButtonLeavesItAlone",
                 shownAt(onPages, {{10.3, onTheButton, Shows::nothing, Effect::keep, Target::pages,
                                    true, Check::none, true, false, PressedButtons::leftOnly},
                                   {10.4, onTheButton, Shows::nothing, Effect::reset, Target::none,
                                    false, Check::none, true, false, PressedButtons::other}})},
        Timeline{"ALeftPressElsewhereWithdrawsTheButton",
                 shownAt(onPages, {{10.3, onPages, Shows::app, Effect::reset, Target::none, false,
                                    Check::none, true, false, PressedButtons::leftOnly}})}),
    [](const auto& info) { return std::string(info.param.name); });

// Once the × stands for Notes, Pages' way no longer counts: a move back towards Pages' old × is
// just a move, and nothing is kept for Pages.
TEST(HoverDecision, ANewTargetStartsItsOwnTrip) {
  HoverMemory memory;
  const auto step = [&](double now, Point pointer, const HoverSighting& sighting) {
    HoverSample sample;
    sample.now = now;
    sample.pointer = pointer;
    sample.panelVisible = memory.state.isVisible();
    sample.sighting = sighting;
    sample.validated = true;
    sample.remeasured = memory.mark;
    memory = HoverDecision::decide(memory, sample).memory;
  };
  step(10.0, onPages, HoverSighting::app(pagesMark));
  step(10.25, onPages, HoverSighting::app(pagesMark));
  step(10.3, {30, 424.5}, HoverSighting::app(notesMark));
  ASSERT_EQ(memory.mark, notesMark);
  EXPECT_EQ(memory.trip, (HoverTrip{{30, 424.5}, false, 0}));
  step(10.55, {30, 424.5}, HoverSighting::app(notesMark));
  ASSERT_TRUE(memory.state.isVisible());
  // Down onto Pages' corner, away from Notes' ×: Pages wins at once.
  step(10.6, {30, 460}, HoverSighting::app(pagesMark));
  EXPECT_EQ(memory.state.target(), pages);
  EXPECT_FALSE(memory.state.isVisible());
}

} // namespace
} // namespace lumivane
