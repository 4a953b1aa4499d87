#pragma once

#include "DockWorld.hpp"
#include "LumivaneCore/HoverDecision.hpp"
#include "Promises.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Every state the hover decision can reach on one small Dock, explored breadth-first: the
// pointer moves over the world's grid one loop tick at a time (or rests), clicks where it is or
// presses the middle button there, and after each step the promises are checked as the user
// sees them. A state is the decision's memory, the × on the screen, the pointer's grid point and
// what the promises remember; its times count only as ages, in ticks, up to the longest delay
// they are compared with, so that the search ends. A broken promise does not end the search:
// the shortest way to breaking each promise is kept.

namespace lumivane::proof {

// One thing the user does: a tick of the hover loop with the pointer moved to (or left at) a
// grid point, or a click or a middle press where the pointer is, between two ticks.
struct Step {
  enum class Kind : uint8_t { tick, click, middleClick };
  Kind kind = Kind::tick;
  uint32_t cell = 0;
};

// A step and what came of it.
struct TraceStep {
  Step step;
  // The icon whose × shows afterwards.
  std::optional<std::size_t> shown;
  // The hover loop runs afterwards; a reset stops it until the pointer moves.
  bool looping = false;
  // The icon whose application the step asked to quit.
  std::optional<std::size_t> requested;
};

struct Counterexample {
  Broken broken;
  std::vector<TraceStep> trace;
};

using Decide = HoverVerdict (*)(const HoverMemory&, const HoverSample&);

class Explorer {
public:
  // `decide` stands in for the hover decision; tests hand in faulty ones to see them caught.
  explicit Explorer(const DockWorld& world, Decide decide = &HoverDecision::decide);

  // Explores every reachable state.
  void run();
  // A way of `length` steps chosen at random from a random grid point, through the same steps
  // the search takes; it ends early at a quit request.
  std::vector<TraceStep> walk(uint64_t seed, std::size_t length);

  std::size_t stateCount() const { return nodes_.size(); }
  std::size_t transitionCount() const { return transitions_; }
  // Quit requests made on the way (each one checked).
  std::size_t requestCount() const { return requests_; }
  // Distinct icon and × measurements the decision remembered.
  std::size_t markCount() const { return marks_.size(); }
  // The shortest way found to breaking each promise that broke.
  const std::map<Promise, Counterexample>& counterexamples() const { return counterexamples_; }
  // Set when a state's memory, unpacked and packed again, is not the same state: the packing
  // lost something the decision reads, and the search stopped.
  const std::optional<std::string>& packingFault() const { return packingFault_; }

  // The decision's memory in a state.
  HoverMemory memory(std::size_t state) const;
  // The shortest way to a state.
  std::vector<TraceStep> traceTo(std::size_t state) const;

private:
  // One state, packed. Ages are in ticks; `none` marks an absent time.
  struct Node {
    uint32_t cell = 0;
    int8_t target = -1; // icon of the hover state's target
    uint8_t entered = 0;
    uint8_t left = none;
    uint8_t waiting = none;
    uint8_t approached = 0;
    uint8_t flags = 0;
    int32_t mark = -1;  // the remembered item, interned
    int32_t from = -1;  // the grid point of the trip's start; -1 for a fresh memory's
    int32_t panel = -1; // the mark whose × the window system shows
    uint8_t lingered = 0;
    int8_t rested = -1;

    static constexpr uint8_t none = 0xFF;
    friend bool operator==(const Node&, const Node&) = default;
  };
  struct NodeHash {
    std::size_t operator()(const Node& node) const noexcept;
  };
  struct MarkHash {
    std::size_t operator()(const HoverMark& mark) const noexcept;
  };
  // Where a step leads: a state, or a quit request that ends the way.
  struct Outcome {
    std::optional<Node> next;
    std::optional<AppIdentity> requested;
  };

  Node encode(const HoverMemory& memory, double now, std::size_t cell, int32_t panel,
              const Watch& watch);
  HoverMemory decode(const Node& node) const;
  int32_t intern(const HoverMark& mark);
  std::optional<ShownButton> shown(const Node& node) const;
  static Watch watchOf(const Node& node);

  Outcome tick(const Node* from, const HoverMemory& memory, std::size_t cell);
  Outcome click(const Node& from, const HoverMemory& memory);
  // Records the outcome of `step` from state `parent` (none for the pointer coming from far
  // away) and checks the promises there.
  void reach(std::optional<uint32_t> parent, Step step, const Outcome& outcome);
  // Keeps `trace` for each promise broken for the first time.
  void record(const std::vector<Broken>& broken,
              const std::function<std::vector<TraceStep>()>& trace);
  // The step's outcome from a state: a tick to `to`, a click or a middle press.
  Outcome take(const Node& node, const HoverMemory& memory, Step step);
  TraceStep traced(Step step, const Node& node) const;

  const DockWorld& world_;
  Decide decide_;
  std::vector<Node> nodes_;
  std::vector<std::optional<uint32_t>> parents_;
  std::vector<Step> steps_;
  std::unordered_map<Node, uint32_t, NodeHash> index_;
  std::vector<HoverMark> marks_;
  std::unordered_map<HoverMark, int32_t, MarkHash> markIndex_;
  std::size_t transitions_ = 0;
  std::size_t requests_ = 0;
  std::map<Promise, Counterexample> counterexamples_;
  std::optional<std::string> packingFault_;
};

} // namespace lumivane::proof
