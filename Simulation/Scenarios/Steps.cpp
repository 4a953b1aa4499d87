#include "Runner.hpp"

#include <algorithm>
#include <cmath>

namespace lumivane::sim {

namespace {

// A drag without a target goes this far up from the pointer.
constexpr double dragDistance = 40;

} // namespace

std::variant<Point, std::string> ScenarioRunner::Impl::locate(const PointerTarget& target) const {
  switch (target.kind) {
  case PointerTarget::Kind::point:
    return target.point;
  case PointerTarget::Kind::item: {
    // On the icon's centre as it is with the pointer there: a magnifying Dock grows it.
    const auto index = desktop_.dockItemNamed(target.item);
    const auto point = index ? desktop_.restingPoint(*index) : std::nullopt;
    if (!point) {
      return "the Dock has no item '" + target.item + "'";
    }
    return *point;
  }
  case PointerTarget::Kind::button: {
    const PanelRecord& panel = desktop_.panel();
    if (!panel.visible) {
      return std::string("the × is not shown");
    }
    const Rect frame = DockGeometry::appKitRect(panel.frame, primaryTop(desktop_));
    return Point{frame.midX(), frame.midY()};
  }
  }
  return target.point;
}

Failure ScenarioRunner::Impl::perform(const command::Pointer& pointer) {
  const auto point = locate(pointer.target);
  if (const auto* failure = std::get_if<std::string>(&point)) {
    return *failure;
  }
  desktop_.movePointer(std::get<Point>(point));
  return std::nullopt;
}

// Samples the way as a mouse reports it: one movement per slice, the last one on the target.
// A target that moves on the way (a magnified Dock, the × following its icon) is chased.
Failure ScenarioRunner::Impl::perform(const command::Glide& glide) {
  const auto point = locate(glide.target);
  if (const auto* failure = std::get_if<std::string>(&point)) {
    return *failure;
  }
  const Point from = desktop_.pointer();
  Point to = std::get<Point>(point);
  return passTime(glide.seconds, [&](double fraction) {
    if (const auto moved = locate(glide.target); std::holds_alternative<Point>(moved)) {
      to = std::get<Point>(moved);
    }
    // Exact at both ends, however far apart.
    desktop_.movePointer({std::lerp(from.x, to.x, fraction), std::lerp(from.y, to.y, fraction)});
  });
}

Failure ScenarioRunner::Impl::perform(const command::Mouse& mouse) {
  std::optional<Point> target;
  if (mouse.target) {
    const auto point = locate(*mouse.target);
    if (const auto* failure = std::get_if<std::string>(&point)) {
      return *failure;
    }
    target = std::get<Point>(point);
  }
  if (mouse.action == command::Mouse::Action::drag) {
    const Point from = desktop_.pointer();
    desktop_.drag(target.value_or(Point{from.x, from.y - dragDistance}));
    return std::nullopt;
  }
  if (target) {
    desktop_.movePointer(*target);
  }
  switch (mouse.action) {
  case command::Mouse::Action::click:
    desktop_.click();
    break;
  case command::Mouse::Action::rightClick:
    desktop_.rightClick();
    break;
  case command::Mouse::Action::scroll:
    desktop_.scroll();
    break;
  case command::Mouse::Action::middleClick:
    desktop_.middleClick();
    break;
  case command::Mouse::Action::drag:
    break;
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Post& post) {
  if (post.notification == platform::Notification::willSleep) {
    asleep_ = true;
  } else if (post.notification == platform::Notification::didWake) {
    asleep_ = false;
  }
  desktop_.post(post.notification);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::AppEvent& event) {
  const auto profile = profiles_.find(event.name);
  if (profile == profiles_.end()) {
    return "no app '" + event.name + "'";
  }
  if (event.kind == command::AppEvent::Kind::start) {
    timeline_.launched(desktop_.launch(profile->second), event.name);
    return std::nullopt;
  }
  const auto pid = desktop_.pidOf(event.name);
  if (!pid) {
    return "'" + event.name + "' is not running";
  }
  switch (event.kind) {
  case command::AppEvent::Kind::quits:
    desktop_.endByItself(*pid, event.listedFor);
    return std::nullopt;
  case command::AppEvent::Kind::finishLaunching:
    desktop_.finishLaunching(*pid);
    return std::nullopt;
  case command::AppEvent::Kind::relaunch:
    timeline_.launched(desktop_.relaunch(*pid), event.name, true);
    return std::nullopt;
  case command::AppEvent::Kind::relaunchSamePID:
    desktop_.endByItself(*pid);
    timeline_.launched(desktop_.launchWithPID(profile->second, *pid), event.name, true);
    return std::nullopt;
  case command::AppEvent::Kind::start:
    break;
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::ReusePID& reuse) {
  const auto pid = desktop_.pidOf(reuse.name);
  const auto profile = profiles_.find(reuse.by);
  if (profile == profiles_.end()) {
    return "no app '" + reuse.by + "'";
  }
  if (!pid) {
    return "'" + reuse.name + "' is not running";
  }
  desktop_.endByItself(*pid);
  timeline_.launched(desktop_.launchWithPID(profile->second, *pid), reuse.by, true);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::DeleteApp& remove) {
  const auto profile = profiles_.find(remove.name);
  if (profile == profiles_.end()) {
    return "no app '" + remove.name + "'";
  }
  desktop_.removeBundle(profile->second.bundlePath);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::DockRestart& restart) {
  desktop_.restartDock(restart.absentFor);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::DockChange& change) {
  const auto index = change.kind == command::DockChange::Kind::add
                         ? desktop_.dockItemIndex(change.name)
                         : desktop_.dockItemNamed(change.name);
  if (!index) {
    return "the Dock has no item '" + change.name + "'";
  }
  if (change.kind != command::DockChange::Kind::move) {
    desktop_.setDockItemInDock(*index, change.kind == command::DockChange::Kind::add);
  }
  if (change.position) {
    desktop_.moveDockItem(*index, *change.position);
  }
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Bounce& bounce) {
  const auto index = desktop_.dockItemNamed(bounce.name);
  if (!index) {
    return "the Dock has no item '" + bounce.name + "'";
  }
  desktop_.bounceDockItem(*index, bounce.hops);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Queue& queue) {
  held_ = queue.hold;
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::DockHidden& dock) {
  desktop_.setDockHidden(dock.hidden);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::MissionControl& missionControl) {
  desktop_.setMissionControl(missionControl.open);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::ItemMenu& menu) {
  if (menu.name.empty()) {
    desktop_.closeDockMenu();
    return std::nullopt;
  }
  const auto index = desktop_.dockItemNamed(menu.name);
  if (!index) {
    return "the Dock has no item '" + menu.name + "'";
  }
  desktop_.openDockMenu(*index);
  return std::nullopt;
}

// By name, in the Dock or out of it: a badge stays with its item.
Failure ScenarioRunner::Impl::perform(const command::DockBadge& badge) {
  const auto index = desktop_.dockItemIndex(badge.name);
  if (!index) {
    return "the Dock has no item '" + badge.name + "'";
  }
  desktop_.setDockItemBadge(*index, badge.text);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::MoveDock& move) {
  const command::Dock& dock = move.placement;
  desktop_.placeDock(dock.edge, dock.screen, dock.iconSize, dock.magnifiedSize, dock.autohide);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Screens& screens) {
  desktop_.setScreens(screens.frames);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::InjectFault& inject) {
  if (!inject.fault) {
    desktop_.clearFaults();
    return std::nullopt;
  }
  Fault fault = *inject.fault;
  if (!inject.item.empty()) {
    const auto index = desktop_.dockItemNamed(inject.item);
    if (!index) {
      return "the Dock has no item '" + inject.item + "'";
    }
    fault.itemIndex = *index;
  }
  desktop_.addFault(fault);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Latency& latency) {
  desktop_.setMessageLatency(latency.seconds);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::ExtraChildren& extra) {
  desktop_.setExtraListChildren(extra.count);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::TapDisable& disable) {
  desktop_.disableTap(disable.byTimeout);
  return std::nullopt;
}

Failure ScenarioRunner::Impl::perform(const command::Button& button) {
  if (button.press) {
    desktop_.press(button.button);
  } else {
    desktop_.release(button.button);
  }
  return std::nullopt;
}

} // namespace lumivane::sim
