#include "ReplayScript.hpp"

#include "Scenarios/Scenarios.hpp"

#include <functional>

namespace lumivane::proof {

namespace {

// Where the pointer waits, far from every Dock edge, before the trace begins.
constexpr Point farAway{720, 300};
constexpr double settle = 0.5;
constexpr double tick = 1.0 / 30;

std::string line(const sim::Action& action) {
  return sim::scriptLine(action) + "\n";
}

std::string overlay(const DockWorld& world, const std::optional<std::size_t>& icon) {
  return line(sim::command::ExpectOverlay{icon ? std::optional(world.name(*icon)) : std::nullopt});
}

std::string quitRequests(const DockWorld& world, std::size_t icon, int count) {
  return line(sim::command::ExpectQuitRequests{world.name(icon), count});
}

// Script waits have three decimals; each is rounded so that their sum stays within half a
// millisecond of the time meant, however many there are.
class Clock {
public:
  std::string wait(double seconds) {
    meant_ += seconds;
    const double rounded = sim::scriptRounded(meant_ - written_);
    written_ += rounded;
    return line(sim::command::Wait{rounded});
  }

private:
  double meant_ = 0;
  double written_ = 0;
};

std::string pointer(Point point) {
  return line(sim::command::Pointer{{sim::PointerTarget::Kind::point, point, ""}});
}

// The desktop, Lumivane launched with the world's layout and protected application, the pointer
// far away and the hover loop idle.
std::string desktop(const DockWorld& world, Clock& clock) {
  const Configuration& configuration = world.configuration();
  std::string text = line(sim::command::Screen{DockWorld::screen()});
  text += line(configuration.dockCommand());
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    text += "app " + sim::scriptQuoted(world.name(icon)) + "\n";
  }
  text += line(sim::command::Launch{}) + line(sim::command::Close{});
  if (configuration.layout != HoverLayoutOptions::defaults) {
    text += line(sim::command::Layout{configuration.layout});
  }
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    if (configuration.roles[icon] == Role::protectedApp) {
      text += line(sim::command::Protect{world.name(icon), true});
    }
  }
  return text + pointer(farAway) + clock.wait(settle);
}

// The steps, each followed by what `after` says of it.
std::string steps(const DockWorld& world, const std::vector<TraceStep>& trace, Clock& clock,
                  const std::function<std::string(std::size_t)>& after) {
  std::string text;
  bool looping = false;
  for (std::size_t index = 0; index < trace.size(); ++index) {
    const Step& step = trace[index].step;
    switch (step.kind) {
    case Step::Kind::tick: {
      const Point point = world.scene(step.cell).pointer;
      if (looping) {
        text += pointer(point) + clock.wait(tick);
      } else {
        text += clock.wait(tick) + pointer(point) + clock.wait(tick / 2);
      }
      break;
    }
    case Step::Kind::click:
      text += line(sim::command::Mouse{sim::command::Mouse::Action::click, std::nullopt});
      break;
    case Step::Kind::middleClick:
      text += line(sim::command::Mouse{sim::command::Mouse::Action::middleClick, std::nullopt});
      break;
    }
    looping = trace[index].looping;
    text += after(index);
  }
  return text;
}

} // namespace

std::string counterexampleScript(const DockWorld& world, const Counterexample& counterexample) {
  const std::vector<TraceStep>& trace = counterexample.trace;
  const Broken& broken = counterexample.broken;
  std::string text = "# Found by the hover proof (" + world.configuration().describe() +
                     ").\n# Broken: " + std::string(describe(broken.promise)) + ".\n";
  Clock clock;
  text += desktop(world, clock);
  text += steps(world, trace, clock, [&](std::size_t index) -> std::string {
    if (index + 1 < trace.size()) {
      return "";
    }
    const TraceStep& last = trace.back();
    return "# Here " + broken.detail + ".\n" +
           (last.requested ? quitRequests(world, *last.requested, 0)
                           : overlay(world, std::nullopt));
  });
  return text;
}

std::string predictionScript(const DockWorld& world, const std::vector<TraceStep>& trace) {
  std::string text =
      "# A way through the hover proof's states (" + world.configuration().describe() + ").\n";
  Clock clock;
  text += desktop(world, clock);
  text += steps(world, trace, clock, [&](std::size_t index) {
    const TraceStep& step = trace[index];
    return step.requested ? quitRequests(world, *step.requested, 1) : overlay(world, step.shown);
  });
  return text;
}

} // namespace lumivane::proof
