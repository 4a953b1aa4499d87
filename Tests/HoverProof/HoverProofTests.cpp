#include "DockWorld.hpp"
#include "Explorer.hpp"
#include "ReplayScript.hpp"
#include "Scenarios/Scenarios.hpp"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string_view>
#include <tuple>

namespace lumivane::proof {

namespace {

// LUMIVANE_HOVER_PROOF=wide: a grid twice as fine, moves of up to two grid steps a tick, and
// icons of 16, 48 and 64 points (a run of many minutes).
bool isWide() {
  const char* value = std::getenv("LUMIVANE_HOVER_PROOF");
  return value != nullptr && std::string_view(value) == "wide";
}

constexpr std::array<std::array<Role, iconCount>, 4> roleSets{{
    {Role::app, Role::app, Role::app},
    {Role::finder, Role::app, Role::app},
    {Role::app, Role::protectedApp, Role::app},
    {Role::app, Role::app, Role::protectedApp},
}};

constexpr double magnifiedSize = 128;

Configuration dock(DockEdge edge, bool magnifying, HoverLayoutOptions layout,
                   const std::array<Role, iconCount>& roles, double iconSize = 48) {
  Configuration configuration;
  configuration.edge = edge;
  configuration.layout = layout;
  configuration.iconSize = iconSize;
  if (magnifying) {
    configuration.magnifiedSize = magnifiedSize;
  }
  configuration.roles = roles;
  return configuration;
}

std::vector<Configuration> configurations(DockEdge edge, bool magnifying) {
  const std::vector<double> sizes = isWide() ? std::vector<double>{16, 48, 64} : std::vector{48.0};
  std::vector<Configuration> all;
  for (const double size : sizes) {
    for (const HoverPosition position : allHoverPositions) {
      for (const HoverDistance distance : allHoverDistances) {
        for (const auto& roles : roleSets) {
          Configuration configuration = dock(edge, magnifying, {position, distance}, roles, size);
          if (isWide()) {
            configuration.spacing = 6;
            configuration.reach = 2;
          }
          all.push_back(configuration);
        }
      }
    }
  }
  return all;
}

// Runs the script with the real Lumivane on the simulated desktop; the errors, empty when every
// expectation held.
std::string replay(const std::string& script) {
  std::ostringstream timeline;
  std::ostringstream errors;
  const int result = sim::runScenarioText(script, timeline, errors);
  return result == sim::scenarioPassed ? ""
                                       : "exit " + std::to_string(result) + ": " + errors.str();
}

Explorer explored(const DockWorld& world, Decide decide = &HoverDecision::decide) {
  Explorer explorer(world, decide);
  explorer.run();
  return explorer;
}

class HoverProof : public testing::TestWithParam<std::tuple<DockEdge, bool>> {};

TEST_P(HoverProof, EveryReachableStateKeepsThePromises) {
  const auto [edge, magnifying] = GetParam();
  std::size_t states = 0;
  const auto began = std::chrono::steady_clock::now();
  for (const Configuration& configuration : configurations(edge, magnifying)) {
    const auto start = std::chrono::steady_clock::now();
    const DockWorld world(configuration);
    const Explorer explorer = explored(world);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    states += explorer.stateCount();
    std::printf("%-70s %8zu states %9zu steps %6zu quits %4zu marks %5zu points %5.2f s%s\n",
                configuration.describe().c_str(), explorer.stateCount(), explorer.transitionCount(),
                explorer.requestCount(), explorer.markCount(), world.cellCount(), took.count(),
                explorer.counterexamples().contains(Promise::coversNothing) ? " (covers)" : "");
    ASSERT_FALSE(explorer.packingFault()) << *explorer.packingFault();
    for (const auto& [promise, found] : explorer.counterexamples()) {
      ADD_FAILURE() << configuration.describe() << ": " << found.broken.detail << "\n"
                    << counterexampleScript(world, found);
    }
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
  std::printf("%zu states in %.1f s\n", states, took.count());
}

INSTANTIATE_TEST_SUITE_P(Docks, HoverProof,
                         testing::Combine(testing::ValuesIn(allDockEdges), testing::Bool()),
                         [](const auto& info) {
                           const DockEdge edge = std::get<0>(info.param);
                           return std::string(edge == DockEdge::bottom ? "bottom"
                                              : edge == DockEdge::left ? "left"
                                                                       : "right") +
                                  (std::get<1>(info.param) ? "Magnifying" : "Plain");
                         });

// Hover decisions with faults of the kind the proof is for. Each keeps the real decision
// otherwise.

// The × stays while the pointer is on any other item, however long it rests there.
HoverVerdict keepsOverOtherItems(const HoverMemory& memory, const HoverSample& sample) {
  const HoverSighting& seen = sample.sighting;
  const bool elsewhere = seen.kind == HoverSighting::Kind::item ||
                         (seen.application && memory.mark && *seen.application != memory.mark->app);
  if (memory.state.isVisible() && memory.mark && elsewhere &&
      sample.pressed == PressedButtons::none) {
    return {memory, HoverEffect::keep, false};
  }
  return HoverDecision::decide(memory, sample);
}

// The × shows the moment the pointer comes onto an icon.
HoverVerdict showsAtOnce(const HoverMemory& memory, const HoverSample& sample) {
  HoverVerdict verdict = HoverDecision::decide(memory, sample);
  if (verdict.adoptedSighting) {
    verdict.effect = HoverEffect::show;
  }
  return verdict;
}

// On a plain left Dock the × sits beside the icon above. A decision that keeps it over any other
// item breaks the promises about the rest and the click; each script holds with the real
// decision, which takes the × away after the rest and quits nothing there.
TEST(HoverProofFaults, AButtonKeptOverARestingPointerIsCaught) {
  const DockWorld world(dock(DockEdge::left, false,
                             {HoverPosition::automatic, HoverDistance::standard}, roleSets[1]));
  const Explorer explorer = explored(world, &keepsOverOtherItems);
  std::set<Promise> broken;
  for (const auto& [promise, found] : explorer.counterexamples()) {
    broken.insert(promise);
    const std::string script = counterexampleScript(world, found);
    EXPECT_EQ(replay(script), "") << script;
  }
  EXPECT_EQ(broken, (std::set{Promise::standsForLastRest, Promise::goneAfterRest,
                              Promise::clickQuitsItsApp}));
}

// A × that shows before the pointer has rested on its icon stands for no rest: caught, and the
// real decision shows no × at that step. (Its click, made after the real decision's own show
// delay has run out on the way, quits the same application with the real decision.)
TEST(HoverProofFaults, AButtonWithoutTheShowDelayIsCaught) {
  const DockWorld world(dock(DockEdge::bottom, true,
                             {HoverPosition::automatic, HoverDistance::standard}, roleSets[2]));
  const Explorer explorer = explored(world, &showsAtOnce);
  const auto found = explorer.counterexamples().find(Promise::standsForLastRest);
  ASSERT_NE(found, explorer.counterexamples().end());
  const std::string script = counterexampleScript(world, found->second);
  EXPECT_EQ(replay(script), "") << script;
  EXPECT_FALSE(explorer.counterexamples().contains(Promise::goneAfterRest));
  EXPECT_FALSE(explorer.counterexamples().contains(Promise::sparesTheUnquittable));
}

// The explorer's model of the Dock and of the hover loop around the decision is its own: each
// way through it must come out the same with the real Lumivane on the simulated desktop, the
// same × after every step and the same quit requests. Ways to states spread over the search and
// to crossings and trips to the × under way, and long random walks, on each edge, plain and
// magnified.
TEST(HoverProofModel, ExploredWaysReplayOnTheSimulatedDesktop) {
  for (const DockEdge edge : allDockEdges) {
    for (const bool magnifying : {false, true}) {
      const DockWorld world(
          dock(edge, magnifying, {HoverPosition::leading, HoverDistance::compact}, roleSets[1]));
      Explorer explorer = explored(world);
      std::vector<std::vector<TraceStep>> ways;
      const std::size_t count = explorer.stateCount();
      for (std::size_t part = 1; part < 4; ++part) {
        ways.push_back(explorer.traceTo(count * part / 4));
      }
      std::size_t underWay = 0;
      for (std::size_t state = 0; state < count && underWay < 4; ++state) {
        const HoverMemory memory = explorer.memory(state);
        if (memory.passingOver || memory.validatedForTrip) {
          ways.push_back(explorer.traceTo(state));
          ++underWay;
        }
      }
      for (uint64_t seed = 1; seed <= 6; ++seed) {
        ways.push_back(explorer.walk(seed, 300));
      }
      for (const std::vector<TraceStep>& way : ways) {
        const std::string script = predictionScript(world, way);
        EXPECT_EQ(replay(script), "") << world.configuration().describe() << "\n" << script;
      }
    }
  }
}

} // namespace

} // namespace lumivane::proof
