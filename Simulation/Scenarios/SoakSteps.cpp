#include "SoakSession.hpp"
#include "Timeline.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

// The steps of a session. Where one step draws several numbers, they are drawn in the order the
// session has always drawn them (the later words of a line first), so that a seed keeps naming
// the same session.

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

PointerTarget itemTarget(std::string name) {
  return {PointerTarget::Kind::item, {}, std::move(name)};
}

PointerTarget buttonTarget() {
  return {PointerTarget::Kind::button, {}, {}};
}

// A point in whole points, as the pointer lines write it.
PointerTarget pointTarget(Point point) {
  return {PointerTarget::Kind::point,
          {scriptRounded(std::round(point.x)), scriptRounded(std::round(point.y))},
          {}};
}

command::Mouse clickOnButton() {
  return {command::Mouse::Action::click, buttonTarget()};
}

} // namespace

std::optional<Action> Session::step(Desktop& desktop, double elapsed) {
  desktop_ = &desktop;
  fault_ = false;
  // A step planned by the one before, unless it needs a × that has gone; the plan is finished
  // before the session ends.
  while (!planned_.empty()) {
    auto [action, needsButton] = std::move(planned_.front());
    planned_.pop_front();
    if ((!needsButton || desktop.panel().visible) && stillPossible(action)) {
      return action;
    }
  }
  if (elapsed >= duration_) {
    return std::nullopt;
  }
  for (;;) {
    if (auto action = draw(desktop)) {
      return action;
    }
  }
}

std::string Session::anyItem() {
  std::vector<std::string> named;
  for (const std::string& item : items_) {
    if (desktop_ == nullptr || desktop_->dockItemNamed(item)) {
      named.push_back(item);
    }
  }
  // While every item is in the Dock the draw is the one a session has always made.
  return named.size() == items_.size() || named.empty() ? random_.pick(items_)
                                                        : random_.pick(named);
}

std::pair<std::string, std::string> Session::ends() {
  std::optional<std::string> first;
  std::optional<std::string> last;
  for (const std::string& item : items_) {
    if (desktop_->dockItemNamed(item)) {
      first = first.value_or(item);
      last = item;
    }
  }
  return {first.value_or(items_.front()), last.value_or(items_.back())};
}

bool Session::stillPossible(const Action& action) const {
  const auto inDock = [&](const std::optional<PointerTarget>& target) {
    return !target || target->kind != PointerTarget::Kind::item ||
           desktop_->dockItemNamed(target->item);
  };
  if (const auto* glide = std::get_if<command::Glide>(&action)) {
    return inDock(glide->target);
  }
  if (const auto* mouse = std::get_if<command::Mouse>(&action)) {
    return inDock(mouse->target);
  }
  if (const auto* event = std::get_if<command::AppEvent>(&action)) {
    return event->kind == command::AppEvent::Kind::start || desktop_->pidOf(event->name);
  }
  if (const auto* popover = std::get_if<command::Popover>(&action)) {
    return desktop_->shell().popoverShown != popover->shown;
  }
  if (std::holds_alternative<command::Reopen>(action)) {
    return lineOffersReopen();
  }
  return true;
}

bool Session::lineInView() const {
  const ShellRecord& shell = desktop_->shell();
  return shell.popoverShown || std::ranges::any_of(shell.windows, [](const WindowRecord& window) {
           return window.visible && window.content == "menu";
         });
}

// As the view shows it: the content last put in the popover or the settings window.
bool Session::lineOffersReopen() const {
  const auto& content = desktop_->shell().lastMenuContent;
  return lineInView() && content && content->runtime && content->runtime->offersReopen();
}

Session::Step Session::draw(Desktop& desktop) {
  // Weights of the kinds of step; a kind that does not fit the moment draws again.
  struct Kind {
    double weight;
    Step (Session::*make)(Desktop&);
  };
  static constexpr std::array<Kind, 33> kinds{{
      {16, &Session::rest},        {12, &Session::pause},       {14, &Session::toButton},
      {10, &Session::clickButton}, {4, &Session::sweep},        {5, &Session::away},
      {4, &Session::aroundDock},   {2, &Session::jump},         {5, &Session::mouse},
      {8, &Session::middle},       {3, &Session::otherButtons}, {2, &Session::switches},
      {1, &Session::layout},       {8, &Session::appEvent},     {3, &Session::accessibility},
      {2, &Session::latency},      {2, &Session::dock},         {2, &Session::permission},
      {1, &Session::tap},          {3, &Session::power},        {1, &Session::displays},
      {1, &Session::space},        {10, &Session::restore},     {3, &Session::race},
      {2, &Session::rearrange},    {1, &Session::attention},    {2, &Session::holdButton},
      {1, &Session::oneTurn},      {3, &Session::toEdge},       {2, &Session::protection},
      {6, &Session::travel},       {3, &Session::reopen},       {2, &Session::realDock},
  }};
  double total = 0;
  for (const Kind& kind : kinds) {
    total += kind.weight;
  }
  double roll = random_.uniform(0, total);
  for (const Kind& kind : kinds) {
    if (roll < kind.weight) {
      return (this->*kind.make)(desktop);
    }
    roll -= kind.weight;
  }
  return std::nullopt;
}

Point Session::pointOnAScreen() {
  const Rect& screen = random_.pick(screens_);
  return {random_.uniform(screen.minX(), screen.maxX() - 1),
          random_.uniform(screen.minY(), screen.maxY() - 1)};
}

// Rests on an item: the pointer comes to it and mostly stays long enough for the ×.
Session::Step Session::rest(Desktop&) {
  if (random_.chance(0.7)) {
    planned_.emplace_back(command::Wait{seconds(0.1, 0.6)}, false);
  }
  const double duration = seconds(0.05, 0.4);
  return command::Glide{itemTarget(anyItem()), duration};
}

Session::Step Session::pause(Desktop&) {
  const double kind = random_.uniform(0, 1);
  if (kind < 0.7) {
    return command::Wait{seconds(0.05, 0.6)};
  }
  return command::Wait{kind < 0.95 ? seconds(0.6, 3) : seconds(4, 13)};
}

Session::Step Session::toButton(Desktop& desktop) {
  if (!desktop.panel().visible) {
    return std::nullopt;
  }
  if (random_.chance(0.6)) {
    planned_.emplace_back(clickOnButton(), true);
  }
  return command::Glide{buttonTarget(), seconds(0.05, 0.3)};
}

// From the icon to its × the long way round: through a point off the straight line but within
// the path's width, with a pause there (on a magnifying Dock often over a grown neighbour), then
// on to the ×, mostly clicking it.
Session::Step Session::travel(Desktop& desktop) {
  const PanelRecord& panel = desktop.panel();
  if (!panel.visible) {
    return std::nullopt;
  }
  const Rect button = DockGeometry::appKitRect(panel.frame, primaryTop(desktop));
  const Point from = desktop.pointer();
  const double share = random_.uniform(0.3, 0.8);
  const double aside = random_.uniform(-14, 14);
  const Point via{from.x + (button.midX() - from.x) * share,
                  from.y + (button.midY() - from.y) * share};
  planned_.emplace_back(command::Wait{seconds(0, 0.6)}, true);
  planned_.emplace_back(command::Glide{buttonTarget(), seconds(0.05, 0.3)}, true);
  if (random_.chance(0.7)) {
    planned_.emplace_back(clickOnButton(), true);
  }
  const Point across =
      dockEdge_ == DockEdge::bottom ? Point{via.x + aside, via.y} : Point{via.x, via.y + aside};
  return command::Glide{pointTarget(across), seconds(0.05, 0.3)};
}

Session::Step Session::clickButton(Desktop& desktop) {
  if (!desktop.panel().visible) {
    return std::nullopt;
  }
  return clickOnButton();
}

// A fast pass along the Dock to its first or last item.
Session::Step Session::sweep(Desktop&) {
  const auto [first, last] = ends();
  const std::string& item = random_.chance(0.5) ? first : last;
  return command::Glide{itemTarget(item), seconds(0.05, 0.25)};
}

Session::Step Session::away(Desktop&) {
  const double duration = seconds(0.1, 0.6);
  return command::Glide{pointTarget(pointOnAScreen()), duration};
}

// Near an item, off it towards the screen or along the Dock.
Session::Step Session::aroundDock(Desktop& desktop) {
  const auto index = desktop.dockItemNamed(random_.pick(items_));
  if (!index) {
    return std::nullopt;
  }
  const Rect icon = desktop.itemFrame(*index);
  const Point point{icon.midX() + random_.uniform(-1.5, 1.5) * icon.width,
                    icon.midY() + random_.uniform(-1.5, 1.5) * icon.height};
  return command::Glide{pointTarget(point), seconds(0.05, 0.4)};
}

// Now and then far beyond every display, where the next glide starts from.
Session::Step Session::jump(Desktop&) {
  if (random_.chance(0.1)) {
    return command::Pointer{
        {PointerTarget::Kind::point, {random_.chance(0.5) ? 1e300 : -1e300, -1e300}, {}}};
  }
  return command::Pointer{pointTarget(pointOnAScreen())};
}

Session::Step Session::mouse(Desktop&) {
  using MouseAction = command::Mouse::Action;
  static constexpr std::array<MouseAction, 4> actions{MouseAction::click, MouseAction::rightClick,
                                                      MouseAction::scroll, MouseAction::drag};
  const MouseAction action = random_.pick(actions);
  const double where = random_.uniform(0, 1);
  if (where < 0.4) {
    return command::Mouse{action, std::nullopt};
  }
  return command::Mouse{action,
                        where < 0.7 ? itemTarget(anyItem()) : pointTarget(pointOnAScreen())};
}

// Middle clicks on items and elsewhere, and presses left without their release.
Session::Step Session::middle(Desktop&) {
  if (pressed_.contains(2)) {
    if (random_.chance(0.4)) {
      return std::nullopt;
    }
    pressed_.erase(2);
    return command::Button{2, false};
  }
  const double kind = random_.uniform(0, 1);
  if (kind < 0.2) {
    pressHeld(2);
    return command::Button{2, true};
  }
  if (kind < 0.85) {
    return command::Mouse{command::Mouse::Action::middleClick, itemTarget(anyItem())};
  }
  return command::Mouse{command::Mouse::Action::middleClick, pointTarget(pointOnAScreen())};
}

// Side buttons, never swallowed.
Session::Step Session::otherButtons(Desktop&) {
  const int button = random_.between(3, 4);
  if (pressed_.contains(button)) {
    pressed_.erase(button);
    return command::Button{button, false};
  }
  pressHeld(button);
  return command::Button{button, true};
}

// A press mostly released a moment later, after a short move; now and then left held.
void Session::pressHeld(int button) {
  if (random_.chance(0.2)) {
    pressed_.insert(button);
    return;
  }
  if (random_.chance(0.5)) {
    const double duration = seconds(0.05, 0.3);
    planned_.emplace_back(command::Glide{itemTarget(anyItem()), duration}, false);
  } else {
    planned_.emplace_back(command::Wait{seconds(0.02, 0.5)}, false);
  }
  planned_.emplace_back(command::Button{button, false}, false);
}

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

// The application behind the shown × changes, and the user acts on the item at once, before
// the hover loop has looked again: a click on the stale ×, or a middle click on the item.
Session::Step Session::race(Desktop& desktop) {
  using Kind = command::AppEvent::Kind;
  const PanelRecord& panel = desktop.panel();
  const std::optional<std::string> name = desktop.appName(panel.pid);
  if (!panel.visible || !name || std::ranges::find(apps_, *name) == apps_.end() ||
      !desktop.pidOf(*name)) {
    return std::nullopt;
  }
  static constexpr std::array<Kind, 4> events{Kind::relaunch, Kind::relaunchSamePID, Kind::quits,
                                              Kind::start};
  const Kind event = random_.pick(events);
  if (random_.chance(0.6)) {
    planned_.emplace_back(clickOnButton(), true);
  } else {
    planned_.emplace_back(command::Mouse{command::Mouse::Action::middleClick, itemTarget(*name)},
                          false);
  }
  return command::AppEvent{event, *name};
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
