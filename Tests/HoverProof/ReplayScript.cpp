#include "ReplayScript.hpp"

#include <functional>
#include <sstream>

namespace lumivane::proof {

namespace {

// Where the pointer waits, far from every Dock edge, before the trace begins.
constexpr Point farAway{720, 300};
constexpr double settle = 0.5;
constexpr double tick = 1.0 / 30;

std::string number(double value) {
  std::ostringstream text;
  text.precision(10);
  text << value;
  return text.str();
}

std::string wait(double seconds) {
  return "wait " + number(seconds) + "\n";
}

std::string pointer(Point point) {
  return "pointer " + number(point.x) + " " + number(point.y) + "\n";
}

std::string overlay(const DockWorld& world, const std::optional<std::size_t>& icon) {
  return "expect overlay " + (icon ? world.name(*icon) : std::string("hidden")) + "\n";
}

std::string quitRequests(const DockWorld& world, std::size_t icon, int count) {
  return "expect quit-requests " + world.name(icon) + " " + std::to_string(count) + "\n";
}

// The desktop, Lumivane launched with the world's layout and protected application, the pointer
// far away and the hover loop idle.
std::string desktop(const DockWorld& world) {
  const Configuration& configuration = world.configuration();
  const Rect screen = DockWorld::screen();
  std::string text = "screen " + number(screen.width) + "x" + number(screen.height) + "\n";
  text += "dock " + std::string(edgeName(configuration.edge)) +
          " icons=" + number(configuration.iconSize);
  text += configuration.magnifiedSize ? " magnify=" + number(*configuration.magnifiedSize) : "";
  text += "\n";
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    text += "app " + world.name(icon) + "\n";
  }
  text += "launch\nclose welcome\n";
  if (configuration.layout != HoverLayoutOptions::defaults) {
    text += "set layout " + std::string(rawValue(configuration.layout.position)) + " " +
            std::string(rawValue(configuration.layout.distance)) + "\n";
  }
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    if (configuration.roles[icon] == Role::protectedApp) {
      text += "protect " + world.name(icon) + "\n";
    }
  }
  return text + pointer(farAway) + wait(settle);
}

// The steps, each followed by what `after` says of it.
std::string steps(const DockWorld& world, const std::vector<TraceStep>& trace,
                  const std::function<std::string(std::size_t)>& after) {
  std::string text;
  bool looping = false;
  for (std::size_t index = 0; index < trace.size(); ++index) {
    const Step& step = trace[index].step;
    switch (step.kind) {
    case Step::Kind::tick: {
      const Point point = world.scene(step.cell).pointer;
      text += looping ? pointer(point) + wait(tick) : wait(tick) + pointer(point) + wait(tick / 2);
      break;
    }
    case Step::Kind::click:
      text += "click\n";
      break;
    case Step::Kind::middleClick:
      text += "middle-click\n";
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
  std::string text = "# Found by the hover proof on a Dock of " + world.configuration().describe() +
                     ".\n# Broken: " + std::string(describe(broken.promise)) + ".\n";
  text += desktop(world);
  text += steps(world, trace, [&](std::size_t index) -> std::string {
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
  std::string text = "# A way through the hover proof's states on a Dock of " +
                     world.configuration().describe() + ".\n";
  text += desktop(world);
  text += steps(world, trace, [&](std::size_t index) {
    const TraceStep& step = trace[index];
    return step.requested ? quitRequests(world, *step.requested, 1) : overlay(world, step.shown);
  });
  return text;
}

} // namespace lumivane::proof
