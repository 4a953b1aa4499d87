#include "SoakSession.hpp"

#include <array>
#include <string_view>
#include <utility>

// What the system does to a session: applications come and go, Accessibility misbehaves, the
// Dock restarts or hides, permissions, the event tap, power and displays change; and the step
// that puts one of those back.

namespace lumivane::sim::soak {

namespace {

using platform::Notification;

constexpr std::array<std::string_view, 10> faultAttributes{
    "",           "AXRole",     "AXSubrole", "AXURL",   "AXParent",
    "AXChildren", "AXPosition", "AXSize",    "AXTitle", "AXElementAtPosition"};

constexpr std::array<FaultKind, 4> faultKinds{FaultKind::error, FaultKind::timeout,
                                              FaultKind::wrongType, FaultKind::nonFinite};

// The four suspension reasons: the notification that begins each and the one that ends it.
constexpr std::array<std::pair<Notification, Notification>, 4> suspensions{{
    {Notification::willSleep, Notification::didWake},
    {Notification::screensDidSleep, Notification::screensDidWake},
    {Notification::sessionDidResignActive, Notification::sessionDidBecomeActive},
    {Notification::screenIsLocked, Notification::screenIsUnlocked},
}};

} // namespace

// Applications that end by themselves, relaunch (on a new or the same pid), give their pid to
// another, start a second copy, or finish launching.
Session::Step Session::appEvent(Desktop& desktop) {
  using Kind = command::AppEvent::Kind;
  const std::string& name = random_.pick(apps_);
  const bool running = desktop.pidOf(name).has_value();
  const double kind = random_.uniform(0, 1);
  if (!running) {
    return kind < 0.5 ? Step(command::AppEvent{Kind::start, name}) : std::nullopt;
  }
  std::vector<std::string> stopped;
  for (const std::string& app : apps_) {
    if (!desktop.pidOf(app)) {
      stopped.push_back(app);
    }
  }
  if (kind < 0.25) {
    // Now and then the workspace still lists it, terminated, for a moment.
    const double listed = random_.chance(0.3) ? seconds(0.1, 2) : 0;
    return command::AppEvent{Kind::quits, name, listed};
  }
  if (kind < 0.45) {
    return command::AppEvent{Kind::relaunch, name};
  }
  if (kind < 0.6) {
    return command::AppEvent{Kind::relaunchSamePID, name};
  }
  if (kind < 0.75) {
    // Mostly a process that was not running takes the pid; now and then a second copy.
    const std::string& by =
        stopped.empty() || random_.chance(0.2) ? random_.pick(apps_) : random_.pick(stopped);
    return command::ReusePID{name, by};
  }
  if (kind < 0.93) {
    return command::AppEvent{Kind::finishLaunching, name};
  }
  return command::AppEvent{Kind::start, name};
}

Session::Step Session::accessibility(Desktop&) {
  if (faults_ > 0 && random_.chance(0.4)) {
    faults_ = 0;
    return command::InjectFault{};
  }
  ++faults_;
  fault_ = true;
  command::InjectFault inject{Fault{FaultKind::error, FaultTarget::anyElement, {}, -1}, {}};
  const double where = random_.uniform(0, 1);
  if (where < 0.3) {
    inject.fault->target = FaultTarget::item;
    inject.item = anyItem();
  } else if (where < 0.5) {
    inject.fault->target = FaultTarget::item;
  } else if (where < 0.7) {
    inject.fault->target = FaultTarget::list;
  } else if (where < 0.85) {
    inject.fault->target = FaultTarget::dockApplication;
  }
  inject.fault->kind = random_.pick(faultKinds);
  inject.fault->attribute = random_.pick(faultAttributes);
  return inject;
}

// Slow messages, some beyond the messaging time-out, and oversized child lists.
Session::Step Session::latency(Desktop&) {
  if (random_.chance(0.7)) {
    static constexpr std::array<double, 7> latencies{0, 0, 0.002, 0.008, 0.015, 0.019, 0.05};
    const double value = random_.pick(latencies);
    fault_ = value > 0;
    slow_ = fault_;
    return command::Latency{value};
  }
  static constexpr std::array<int, 4> extra{0, 3, 100, 200};
  const int count = random_.pick(extra);
  fault_ = count > 0;
  oversized_ = fault_;
  return command::ExtraChildren{count};
}

Session::Step Session::dock(Desktop&) {
  const double kind = random_.uniform(0, 1);
  if (kind < 0.35) {
    fault_ = true;
    // Mostly back at once; now and then gone for a moment.
    return command::DockRestart{random_.chance(0.5) ? 0 : seconds(0.2, 2)};
  }
  if (kind < 0.7) {
    dockHidden_ = !dockHidden_;
    fault_ = dockHidden_;
    return command::DockHidden{dockHidden_};
  }
  return command::MoveDock{drawDock()};
}

Session::Step Session::permission(Desktop&) {
  const bool accessibility = random_.chance(0.5);
  bool& granted = accessibility ? accessibility_ : inputMonitoring_;
  // A revoked permission always comes back; a granted one goes now and then.
  if (!granted || random_.chance(0.3)) {
    granted = !granted;
  }
  fault_ = !granted;
  command::Permission change{accessibility ? command::Permission::Kind::accessibility
                                           : command::Permission::Kind::inputMonitoring,
                             granted};
  // Now and then Lumivane's row goes from the list rather than its switch.
  change.removed = accessibility && !granted && random_.chance(0.5);
  return change;
}

Session::Step Session::tap(Desktop&) {
  fault_ = true;
  return command::TapDisable{random_.chance(0.5)};
}

// Sleep, display sleep, session switches and lock in any order; now and then an end without
// its beginning.
Session::Step Session::power(Desktop&) {
  const std::size_t reason = random_.next() % suspensions.size();
  const bool active = suspended_.contains(reason);
  const bool begin = random_.chance(0.1) ? random_.chance(0.5) : !active;
  if (begin) {
    suspended_.insert(reason);
  } else {
    suspended_.erase(reason);
  }
  return command::Post{begin ? suspensions[reason].first : suspensions[reason].second};
}

// New displays; the Dock then moves to an outer edge if its own is gone.
Session::Step Session::displays(Desktop&) {
  drawScreens();
  if (!onOuterEdge(dockEdge_, dockScreen_)) {
    planned_.emplace_back(command::MoveDock{drawDock()}, false);
  }
  return command::Screens{screens_};
}

Session::Step Session::space(Desktop&) {
  return command::Post{Notification::activeSpaceDidChange};
}

// Puts one thing that is off back to normal: the system mostly works.
Session::Step Session::restore(Desktop&) {
  enum class Undo { show, clear, fast, small, accessibility, inputMonitoring, resume, switchOn };
  struct Candidate {
    Undo undo;
    std::size_t reason = 0;
    Feature feature = Feature::hover;
  };
  std::vector<Candidate> undo;
  if (dockHidden_) {
    undo.push_back({Undo::show});
  }
  if (faults_ > 0) {
    undo.push_back({Undo::clear});
  }
  if (slow_) {
    undo.push_back({Undo::fast});
  }
  if (oversized_) {
    undo.push_back({Undo::small});
  }
  if (!accessibility_) {
    undo.push_back({Undo::accessibility});
  }
  if (!inputMonitoring_) {
    undo.push_back({Undo::inputMonitoring});
  }
  for (const std::size_t reason : suspended_) {
    undo.push_back({Undo::resume, reason});
  }
  for (const Feature feature : switchedOff_) {
    undo.push_back({Undo::switchOn, 0, feature});
  }
  if (undo.empty()) {
    return std::nullopt;
  }
  const Candidate chosen = undo[random_.next() % undo.size()];
  switch (chosen.undo) {
  case Undo::show:
    dockHidden_ = false;
    return command::DockHidden{false};
  case Undo::clear:
    faults_ = 0;
    return command::InjectFault{};
  case Undo::fast:
    slow_ = false;
    return command::Latency{0};
  case Undo::small:
    oversized_ = false;
    return command::ExtraChildren{0};
  case Undo::accessibility:
    accessibility_ = true;
    return command::Permission{command::Permission::Kind::accessibility, true};
  case Undo::inputMonitoring:
    inputMonitoring_ = true;
    return command::Permission{command::Permission::Kind::inputMonitoring, true};
  case Undo::resume:
    suspended_.erase(chosen.reason);
    return command::Post{suspensions[chosen.reason].second};
  case Undo::switchOn:
    switchedOff_.erase(chosen.feature);
    return command::Switch{chosen.feature, true};
  }
  return std::nullopt;
}

} // namespace lumivane::sim::soak
