#include "SoakSession.hpp"
#include "Timeline.hpp"

#include <algorithm>
#include <cmath>

// Drawing a session's steps, and the steps of the user's pointer and buttons.

namespace lumivane::sim::soak {

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

} // namespace lumivane::sim::soak
