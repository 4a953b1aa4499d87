#include "SoakSession.hpp"

#include <algorithm>
#include <cmath>

// Steps that change the Dock under the pointer, hold the left button on the ×, and let several
// events meet within one turn of the main queue.

namespace lumivane::sim::soak {

using platform::Notification;

// The user takes an item out of the Dock, puts one back, or moves one.
Session::Step Session::rearrange(Desktop& desktop) {
  using Kind = command::DockChange::Kind;
  const std::string& name = random_.pick(items_);
  const int last = std::max(0, static_cast<int>(desktop.dockItemCount()) - 1);
  if (!desktop.dockItemNamed(name)) {
    const std::optional<int> at =
        random_.chance(0.5) ? std::optional(random_.between(0, last)) : std::nullopt;
    return command::DockChange{Kind::add, name, at};
  }
  const auto inDock = std::ranges::count_if(
      items_, [&](const std::string& item) { return desktop.dockItemNamed(item).has_value(); });
  // A few items always stay.
  if (random_.chance(0.4) && inDock > 3) {
    return command::DockChange{Kind::remove, name, std::nullopt};
  }
  return command::DockChange{Kind::move, name, random_.between(0, last)};
}

Session::Step Session::realDock(Desktop& desktop) {
  const double kind = random_.uniform(0, 1);
  if (kind < 0.35) {
    missionControl_ = !missionControl_;
    return command::MissionControl{missionControl_};
  }
  if (kind < 0.7) {
    if (menuOpen_ && random_.chance(0.6)) {
      menuOpen_ = false;
      return command::ItemMenu{};
    }
    const std::string name = anyItem();
    if (!desktop.dockItemNamed(name)) {
      return std::nullopt;
    }
    menuOpen_ = true;
    return command::ItemMenu{name};
  }
  const std::string& name = random_.pick(apps_);
  return command::DockBadge{name,
                            random_.chance(0.3) ? "" : std::to_string(random_.between(1, 120))};
}

Session::Step Session::attention(Desktop& desktop) {
  const std::string& name = random_.pick(apps_);
  if (!desktop.dockItemNamed(name)) {
    return std::nullopt;
  }
  return command::Bounce{name, random_.between(1, 4)};
}

// The left button goes down on the × and stays down a while, as the world changes, before the
// release clicks it.
Session::Step Session::holdButton(Desktop& desktop) {
  const PanelRecord& panel = desktop.panel();
  const std::optional<std::string> name = desktop.appName(panel.pid);
  if (!panel.visible || !name || std::ranges::find(apps_, *name) == apps_.end()) {
    return std::nullopt;
  }
  planned_.emplace_back(command::Button{0, true}, false);
  const double meanwhile = random_.uniform(0, 1);
  if (meanwhile < 0.3) {
    planned_.emplace_back(command::AppEvent{command::AppEvent::Kind::start, *name}, false);
  } else if (meanwhile < 0.5) {
    planned_.emplace_back(command::AppEvent{command::AppEvent::Kind::relaunch, *name}, false);
  } else if (meanwhile < 0.6) {
    accessibility_ = false;
    planned_.emplace_back(command::Permission{command::Permission::Kind::accessibility, false},
                          false);
  }
  planned_.emplace_back(command::Wait{seconds(0.05, 1.5)}, false);
  planned_.emplace_back(command::Button{0, false}, false);
  return command::Pointer{buttonTarget()};
}

// Two or three things happen before the main queue turns: their notices, deferred quits and
// other blocks then run in the order they were queued.
Session::Step Session::oneTurn(Desktop& desktop) {
  const int count = random_.between(2, 3);
  for (int k = 0; k < count; ++k) {
    const double kind = random_.uniform(0, 1);
    if (kind < 0.3) {
      if (Step post = power(desktop)) {
        planned_.emplace_back(std::move(*post), false);
      }
    } else if (kind < 0.55) {
      planned_.emplace_back(command::Mouse{command::Mouse::Action::middleClick,
                                           PointerTarget{PointerTarget::Kind::item, {}, anyItem()}},
                            false);
    } else if (kind < 0.75) {
      planned_.emplace_back(clickOnButton(), true);
    } else if (kind < 0.9) {
      const std::string& name = random_.pick(apps_);
      if (desktop.pidOf(name)) {
        planned_.emplace_back(command::AppEvent{command::AppEvent::Kind::relaunch, name}, false);
      }
    } else {
      planned_.emplace_back(command::Post{Notification::activeSpaceDidChange}, false);
    }
  }
  planned_.emplace_back(command::Queue{false}, false);
  return command::Queue{true};
}

// To the screen edge an auto-hidden Dock waits behind, and a rest there that brings it in.
Session::Step Session::toEdge(Desktop& desktop) {
  if (!autohide_ || dockScreen_ >= screens_.size()) {
    return std::nullopt;
  }
  const Rect& screen = screens_[dockScreen_];
  const Rect list = desktop.dockListFrame();
  Point point;
  switch (dockEdge_) {
  case DockEdge::bottom:
    point = {random_.uniform(list.minX(), list.maxX()), screen.maxY() - 1};
    break;
  case DockEdge::left:
    point = {screen.minX() + 1, random_.uniform(list.minY(), list.maxY())};
    break;
  case DockEdge::right:
    point = {screen.maxX() - 1, random_.uniform(list.minY(), list.maxY())};
    break;
  }
  planned_.emplace_back(command::Wait{seconds(0.3, 1.2)}, false);
  return command::Glide{{PointerTarget::Kind::point,
                         {scriptRounded(std::round(point.x)), scriptRounded(std::round(point.y))},
                         {}},
                        seconds(0.05, 0.3)};
}

} // namespace lumivane::sim::soak
