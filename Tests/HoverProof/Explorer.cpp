#include "Explorer.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <random>

namespace lumivane::proof {

namespace {

// A state's times are ages before its last step, which happened at `base`; the next step comes
// one tick later.
constexpr double base = 1000;
constexpr double loopTick = 1.0 / 30;

// Ages of this many ticks or more compare alike with `delay` at every later step.
uint8_t horizon(double delay) {
  return static_cast<uint8_t>(std::ceil(delay / loopTick)) + 1;
}
const uint8_t enteredHorizon = horizon(HoverDecision::showDelay);
const uint8_t leftHorizon = horizon(HoverDecision::hideDelay);
const uint8_t waitingHorizon = horizon(HoverState::layoutWaitLimit);
const uint8_t approachedHorizon = horizon(HoverDecision::hideDelay);

enum Flag : uint8_t { visible = 1, validatedForTrip = 2, passingOver = 4, approaching = 8 };

uint8_t age(double now, double time, uint8_t limit) {
  const double ticks = std::round((now - time) / loopTick);
  return ticks >= limit ? limit : static_cast<uint8_t>(ticks);
}

double timeOf(uint8_t age) {
  return base - age * loopTick;
}

// A hover state with these times, reached through its own operations.
HoverState stateWith(const std::optional<AppIdentity>& target, bool visible, double enteredAt,
                     std::optional<double> leftAt, std::optional<double> waitingSince) {
  HoverState state(HoverDecision::showDelay, HoverDecision::hideDelay);
  if (!target) {
    return state;
  }
  state.update(target, false, true, enteredAt);
  if (visible) {
    state.update(target, false, true, enteredAt + 1);
    if (leftAt) {
      state.update(std::nullopt, false, true, *leftAt);
    }
  } else if (waitingSince) {
    state.update(target, false, false, *waitingSince);
  }
  return state;
}

std::size_t mix(std::size_t seed, std::size_t value) {
  return seed ^ (value + 0x9e3779b97f4a7c15 + (seed << 6) + (seed >> 2));
}

std::size_t hashRect(std::size_t seed, const Rect& rect) {
  for (const double value : {rect.x, rect.y, rect.width, rect.height}) {
    seed = mix(seed, std::bit_cast<uint64_t>(value));
  }
  return seed;
}

} // namespace

std::size_t Explorer::NodeHash::operator()(const Node& node) const noexcept {
  std::size_t seed = node.cell;
  for (const int value : {int{node.target}, int{node.entered}, int{node.left}, int{node.waiting},
                          int{node.approached}, int{node.flags}, int{node.mark}, int{node.panel},
                          int{node.lingered}, int{node.rested}}) {
    seed = mix(seed, static_cast<std::size_t>(value));
  }
  return mix(seed, static_cast<std::size_t>(node.from));
}

std::size_t Explorer::MarkHash::operator()(const HoverMark& mark) const noexcept {
  std::size_t seed = mix(std::hash<AppIdentity>{}(mark.app), static_cast<std::size_t>(mark.edge));
  return hashRect(hashRect(seed, mark.icon), mark.button);
}

Explorer::Explorer(const DockWorld& world, Decide decide) : world_(world), decide_(decide) {}

void Explorer::run() {
  // The pointer comes from far away to any point, Lumivane idle.
  const HoverMemory fresh;
  for (std::size_t cell = 0; cell < world_.cellCount(); ++cell) {
    reach(std::nullopt, {Step::Kind::tick, static_cast<uint32_t>(cell)},
          tick(nullptr, fresh, cell));
  }
  for (std::size_t state = 0; state < nodes_.size(); ++state) {
    const Node node = nodes_[state];
    const auto parent = static_cast<uint32_t>(state);
    const HoverMemory memory = decode(node);
    if (encode(memory, base, node.cell, node.panel, watchOf(node)) != node) {
      packingFault_ = "state " + std::to_string(state) + " does not pack back into itself";
      return;
    }
    for (const std::size_t to : world_.moves(node.cell)) {
      const Step move{Step::Kind::tick, static_cast<uint32_t>(to)};
      reach(parent, move, take(node, memory, move));
    }
    for (const Step::Kind kind : {Step::Kind::click, Step::Kind::middleClick}) {
      const Step step{kind, node.cell};
      reach(parent, step, take(node, memory, step));
    }
  }
}

std::vector<TraceStep> Explorer::walk(uint64_t seed, std::size_t length) {
  std::mt19937_64 random(seed);
  const auto below = [&](std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
  };
  std::vector<TraceStep> trace;
  Step step{Step::Kind::tick, static_cast<uint32_t>(below(world_.cellCount()))};
  Outcome outcome = tick(nullptr, HoverMemory(), step.cell);
  while (outcome.next) {
    const Node node = *outcome.next;
    trace.push_back(traced(step, node));
    if (trace.size() == length) {
      return trace;
    }
    // Half the ticks the pointer rests; a quarter of them it heads for a shown × (the closest
    // grid point to its middle), else it moves at random; now and then a click or a middle press.
    const std::size_t choice = below(100);
    const std::optional<ShownButton> button = shown(node);
    const std::vector<std::size_t>& moves = world_.moves(node.cell);
    std::size_t to = moves[below(moves.size())];
    if (button && choice >= 75) {
      const Point aim{button->frame.midX(), button->frame.midY()};
      const auto away = [&](std::size_t cell) {
        const Point at = world_.scene(cell).pointer;
        return std::hypot(at.x - aim.x, at.y - aim.y);
      };
      to = *std::ranges::min_element(moves, {}, away);
    }
    step = choice < 3    ? Step{Step::Kind::click, node.cell}
           : choice < 4  ? Step{Step::Kind::middleClick, node.cell}
           : choice < 50 ? Step{Step::Kind::tick, node.cell}
                         : Step{Step::Kind::tick, static_cast<uint32_t>(to)};
    outcome = take(node, decode(node), step);
  }
  trace.push_back({step, std::nullopt, false, world_.iconOf(*outcome.requested)});
  return trace;
}

Explorer::Outcome Explorer::take(const Node& node, const HoverMemory& memory, Step step) {
  switch (step.kind) {
  case Step::Kind::tick:
    return tick(&node, memory, step.cell);
  case Step::Kind::click:
    return click(node, memory);
  case Step::Kind::middleClick:
    break;
  }
  // A middle press that asks for no quit leaves the hover loop as it was.
  const std::optional<ShownButton> button = shown(node);
  const std::optional<AppIdentity> requested =
      world_.middlePress(node.cell, button ? std::optional(button->frame) : std::nullopt);
  return requested ? Outcome{std::nullopt, requested} : Outcome{node, std::nullopt};
}

// One step of the hover loop as the controller takes it: the Dock is not looked at while the
// pointer is on the visible ×, the further look the decision asks for is answered, and the ×
// panel does what the verdict says.
Explorer::Outcome Explorer::tick(const Node* from, const HoverMemory& memory, std::size_t cell) {
  const Scene& scene = world_.scene(cell);
  const int32_t panelBefore = from ? from->panel : int32_t{-1};
  HoverSample sample;
  sample.now = base + loopTick;
  sample.pointer = scene.pointer;
  sample.panelVisible = panelBefore >= 0;
  if (!HoverDecision::isOnVisibleButton(memory, sample.pointer, sample.panelVisible)) {
    sample.sighting = world_.sighting(cell);
  }
  switch (HoverDecision::check(memory, sample)) {
  case HoverDecision::Check::none:
    break;
  case HoverDecision::Check::validate:
    sample.validated = world_.validates(cell, *memory.mark);
    break;
  case HoverDecision::Check::remeasure:
    sample.remeasured = world_.remeasure(cell, *memory.mark);
    sample.rememberedButtonCovered = world_.isCovered(cell, memory.mark->button);
    break;
  }
  const HoverVerdict verdict = decide_(memory, sample);
  int32_t panel = panelBefore;
  switch (verdict.effect) {
  case HoverEffect::show:
    panel = intern(*verdict.memory.mark);
    break;
  case HoverEffect::hide:
  case HoverEffect::reset:
    panel = -1;
    break;
  case HoverEffect::keep:
    break;
  }
  const Watch watch =
      promises::follow(from ? watchOf(*from) : Watch{}, from ? &world_.scene(from->cell) : nullptr,
                       scene, from ? shown(*from) : std::nullopt);
  return {encode(verdict.memory, sample.now, cell, panel, watch), std::nullopt};
}

// A left click where the pointer is, as the controller takes it: a press beside the visible ×
// withdraws it; on it, the click quits the remembered application once a fresh look at its item
// still validates it; a refused click withdraws the × too.
Explorer::Outcome Explorer::click(const Node& from, const HoverMemory& memory) {
  const Scene& scene = world_.scene(from.cell);
  const std::optional<ShownButton> button = shown(from);
  if (button && contains(button->frame, scene.pointer) &&
      HoverDecision::isOnVisibleButton(memory, scene.pointer, true) &&
      world_.validates(from.cell, *memory.mark)) {
    return {std::nullopt, memory.mark->app};
  }
  return {encode(HoverMemory(), base, from.cell, -1, watchOf(from)), std::nullopt};
}

void Explorer::reach(std::optional<uint32_t> parent, Step step, const Outcome& outcome) {
  ++transitions_;
  if (outcome.requested) {
    ++requests_;
    const Node& from = nodes_[*parent];
    const Scene& scene = world_.scene(from.cell);
    record(step.kind == Step::Kind::click
               ? promises::checkClick(world_, watchOf(from), scene, shown(from), *outcome.requested)
               : promises::checkMiddlePress(world_, scene, *outcome.requested),
           [&] {
             std::vector<TraceStep> trace = traceTo(*parent);
             trace.push_back({step, std::nullopt, false, world_.iconOf(*outcome.requested)});
             return trace;
           });
    return;
  }
  const Node& next = *outcome.next;
  if (!index_.try_emplace(next, static_cast<uint32_t>(nodes_.size())).second) {
    return;
  }
  nodes_.push_back(next);
  parents_.push_back(parent);
  steps_.push_back(step);
  record(promises::checkScreen(world_, watchOf(next), world_.scene(next.cell), shown(next)),
         [&] { return traceTo(nodes_.size() - 1); });
}

void Explorer::record(const std::vector<Broken>& broken,
                      const std::function<std::vector<TraceStep>()>& trace) {
  for (const Broken& promise : broken) {
    if (!counterexamples_.contains(promise.promise)) {
      counterexamples_.emplace(promise.promise, Counterexample{promise, trace()});
    }
  }
}

Explorer::Node Explorer::encode(const HoverMemory& memory, double now, std::size_t cell,
                                int32_t panel, const Watch& watch) {
  Node node;
  node.cell = static_cast<uint32_t>(cell);
  const HoverState& state = memory.state;
  if (state.target()) {
    node.target = static_cast<int8_t>(*world_.iconOf(*state.target()));
    node.entered = age(now, state.enteredAt(), enteredHorizon);
  }
  if (state.leftAt()) {
    node.left = age(now, *state.leftAt(), leftHorizon);
  }
  if (state.layoutWaitSince()) {
    node.waiting = age(now, *state.layoutWaitSince(), waitingHorizon);
  }
  node.approached = age(now, memory.trip.approachedAt, approachedHorizon);
  node.flags = static_cast<uint8_t>(
      (state.isVisible() ? visible : 0) | (memory.validatedForTrip ? validatedForTrip : 0) |
      (memory.passingOver ? passingOver : 0) | (memory.trip.approaching ? approaching : 0));
  node.mark = memory.mark ? intern(*memory.mark) : int32_t{-1};
  const std::optional<std::size_t> from = world_.cellAt(memory.trip.from);
  node.from = from ? static_cast<int32_t>(*from) : -1;
  node.panel = panel;
  node.lingered = watch.lingered;
  node.rested = watch.rested ? static_cast<int8_t>(*watch.rested) : int8_t{-1};
  return node;
}

HoverMemory Explorer::decode(const Node& node) const {
  HoverMemory memory;
  const std::optional<AppIdentity> target =
      node.target >= 0 ? std::optional(world_.identity(static_cast<std::size_t>(node.target)))
                       : std::nullopt;
  memory.state =
      stateWith(target, (node.flags & visible) != 0, timeOf(node.entered),
                node.left != Node::none ? std::optional(timeOf(node.left)) : std::nullopt,
                node.waiting != Node::none ? std::optional(timeOf(node.waiting)) : std::nullopt);
  if (node.mark >= 0) {
    memory.mark = marks_[static_cast<std::size_t>(node.mark)];
  }
  memory.validatedForTrip = (node.flags & validatedForTrip) != 0;
  memory.passingOver = (node.flags & passingOver) != 0;
  memory.trip = {node.from >= 0 ? world_.scene(static_cast<std::size_t>(node.from)).pointer
                                : Point{},
                 (node.flags & approaching) != 0, timeOf(node.approached)};
  return memory;
}

int32_t Explorer::intern(const HoverMark& mark) {
  const auto [found, added] = markIndex_.try_emplace(mark, static_cast<int32_t>(marks_.size()));
  if (added) {
    marks_.push_back(mark);
  }
  return found->second;
}

std::optional<ShownButton> Explorer::shown(const Node& node) const {
  if (node.panel < 0) {
    return std::nullopt;
  }
  const HoverMark& mark = marks_[static_cast<std::size_t>(node.panel)];
  return ShownButton{*world_.iconOf(mark.app), mark.button};
}

Watch Explorer::watchOf(const Node& node) {
  Watch watch;
  watch.lingered = node.lingered;
  if (node.rested >= 0) {
    watch.rested = static_cast<std::size_t>(node.rested);
  }
  return watch;
}

HoverMemory Explorer::memory(std::size_t state) const {
  return decode(nodes_[state]);
}

TraceStep Explorer::traced(Step step, const Node& node) const {
  const std::optional<ShownButton> button = shown(node);
  return {step, button ? std::optional(button->icon) : std::nullopt, node.target >= 0,
          std::nullopt};
}

std::vector<TraceStep> Explorer::traceTo(std::size_t state) const {
  std::vector<TraceStep> trace;
  for (std::optional<uint32_t> at = static_cast<uint32_t>(state); at; at = parents_[*at]) {
    trace.push_back(traced(steps_[*at], nodes_[*at]));
  }
  std::ranges::reverse(trace);
  return trace;
}

} // namespace lumivane::proof
