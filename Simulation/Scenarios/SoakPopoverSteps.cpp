#include "SoakSession.hpp"

#include <algorithm>

// The user's steps in Lumivane's own settings: the two switches, the protected apps, the ×'s
// layout, and 重新打开 on the status line.

namespace lumivane::sim::soak {

Session::Step Session::switches(Desktop&) {
  const Feature feature = random_.chance(0.5) ? Feature::hover : Feature::middle;
  const bool on = random_.chance(0.5);
  if (on) {
    switchedOff_.erase(feature);
  } else {
    switchedOff_.insert(feature);
  }
  return command::Switch{feature, on};
}

// The user protects an app or takes one off the list. Now and then it is the app whose × shows,
// with the pointer on the ×, and the user clicks there or middle-clicks the icon at once.
Session::Step Session::protection(Desktop& desktop) {
  const PanelRecord& panel = desktop.panel();
  const std::optional<std::string> shown =
      panel.visible ? desktop.appName(panel.pid) : std::nullopt;
  if (shown && std::ranges::find(apps_, *shown) != apps_.end() && !protected_.contains(*shown) &&
      random_.chance(0.5)) {
    protected_.insert(*shown);
    planned_.emplace_back(command::Protect{*shown, true}, false);
    if (random_.chance(0.5)) {
      planned_.emplace_back(command::Mouse{command::Mouse::Action::click, std::nullopt}, false);
    } else {
      planned_.emplace_back(command::Mouse{command::Mouse::Action::middleClick, itemTarget(*shown)},
                            false);
    }
    return command::Pointer{buttonTarget()};
  }
  if (!protected_.empty() && random_.chance(0.5)) {
    const std::string name = *std::next(
        protected_.begin(), static_cast<std::ptrdiff_t>(random_.next() % protected_.size()));
    protected_.erase(name);
    return command::Protect{name, false};
  }
  const std::string& name = random_.pick(apps_);
  protected_.insert(name);
  return command::Protect{name, true};
}

Session::Step Session::layout(Desktop&) {
  static constexpr std::array<HoverPosition, 3> positions{
      HoverPosition::automatic, HoverPosition::leading, HoverPosition::trailing};
  static constexpr std::array<HoverDistance, 3> distances{
      HoverDistance::compact, HoverDistance::standard, HoverDistance::spacious};
  const HoverDistance distance = random_.pick(distances);
  return command::Layout{HoverLayoutOptions{random_.pick(positions), distance}};
}

// The way back from a quit the user saw end, once per quit, at a moment drawn for it: the user
// waits for that moment, the popover opens (the status line shows what happened) and the user
// clicks 重新打开 when the line still offers it. Now and then the application was started again,
// or its bundle deleted, a moment before.
Session::Step Session::reopen(Desktop& desktop) {
  // The minute 重新打开 lasts, and a little beyond it: now and then the user is too late.
  constexpr double lateness = 75;
  const auto& requests = desktop.quitRequests();
  const auto last =
      std::ranges::find_if(requests.rbegin(), requests.rend(),
                           [](const QuitRequestRecord& request) { return request.delivered; });
  if (last == requests.rend()) {
    return std::nullopt;
  }
  const std::size_t quit = static_cast<std::size_t>(requests.rend() - last) - 1;
  const double since = desktop.now() - last->time;
  const bool stillRuns =
      desktop.isRunning(last->pid) && desktop.launchDate(last->pid) == last->process.launchDate;
  if (reopenedQuit_ == quit || since > lateness || stillRuns) {
    return std::nullopt;
  }
  // Mostly at once, as after a slip; now and then later, and near the minute's end.
  const double kind = random_.uniform(0, 1);
  const double moment = kind < 0.7    ? random_.uniform(0, 5)
                        : kind < 0.85 ? random_.uniform(5, 55)
                                      : random_.uniform(55, lateness);
  const double wait = scriptRounded(moment - since);
  std::vector<Action> steps;
  if (wait > 0) {
    steps.emplace_back(command::Wait{wait});
  }
  if (wait > 0 || !lineInView()) {
    steps.emplace_back(command::Popover{true});
  } else if (!lineOffersReopen()) {
    return std::nullopt;
  }
  reopenedQuit_ = quit;
  if (std::ranges::find(apps_, last->name) != apps_.end()) {
    const double before = random_.uniform(0, 1);
    if (before < 0.1) {
      steps.emplace_back(command::AppEvent{command::AppEvent::Kind::start, last->name});
    } else if (before < 0.15) {
      steps.emplace_back(command::DeleteApp{last->name});
    }
  }
  steps.emplace_back(command::Reopen{});
  if (random_.chance(0.5)) {
    steps.emplace_back(command::Popover{false});
  }
  for (std::size_t i = 1; i < steps.size(); ++i) {
    planned_.emplace_back(std::move(steps[i]), false);
  }
  return std::move(steps.front());
}

} // namespace lumivane::sim::soak
