#include "LumivaneCore/HoverDecision.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lumivane {

HoverMemory::HoverMemory() : state(HoverDecision::showDelay, HoverDecision::hideDelay) {}

namespace HoverDecision {

namespace {

// How far the point lies from the rectangle; 0 inside it.
double distance(Point point, const Rect& rect) {
  const double dx = std::max({rect.minX() - point.x, 0.0, point.x - rect.maxX()});
  const double dy = std::max({rect.minY() - point.y, 0.0, point.y - rect.maxY()});
  return std::hypot(dx, dy);
}

// The trip after the pointer came to `pointer`: a move counts as towards the × when it brings
// the pointer closer to it by at least half the distance moved (within 60° of straight at it).
HoverTrip follow(const HoverTrip& trip, Point pointer, const Rect& button, double now) {
  const double moved = std::hypot(pointer.x - trip.from.x, pointer.y - trip.from.y);
  if (moved < minimumMotion) {
    return trip;
  }
  HoverTrip next{pointer, false, trip.approachedAt};
  next.approaching = distance(trip.from, button) - distance(pointer, button) >= moved / 2;
  if (next.approaching) {
    next.approachedAt = now;
  }
  return next;
}

// Which rule a step follows.
enum class Rule {
  pressed,         // a button is down
  leaveAlone,      // the left button is down on the visible ×: a click is under way
  notAnApp,        // an item that stands for no quittable application
  noRoom,          // a quittable application with no room for its ×
  ownIconOnTheWay, // its own icon, grown or shrunk under the pointer on the way to the ×
  adopt,           // the application under the pointer is the target
  onTheWay,        // off the icon, on the way to the visible × (or validated for it)
  followIcon,      // off the icon and off the way: measure the icon where it is now
  idle,            // nothing under the pointer, and no × showing
};

struct Reading {
  Rule rule = Rule::idle;
  HoverTrip trip;
  HoverSighting seen;
  bool heading = false;     // on the way from the icon to the visible ×
  bool passingOver = false; // another item under the pointer was passed over
};

Reading read(const HoverMemory& memory, const HoverSample& sample) {
  Reading reading;
  const Point pointer = sample.pointer;
  const bool visible = memory.state.isVisible() && memory.mark.has_value();
  const bool onButton = isOnVisibleButton(memory, pointer, sample.panelVisible);
  if (sample.pressed != PressedButtons::none) {
    reading.rule =
        sample.pressed == PressedButtons::leftOnly && onButton ? Rule::leaveAlone : Rule::pressed;
    return reading;
  }
  reading.trip = visible ? follow(memory.trip, pointer, memory.mark->button, sample.now)
                         : HoverTrip{pointer, false, 0};
  reading.heading = visible && DockGeometry::isOnButtonPath(pointer, memory.mark->icon,
                                                            memory.mark->button, memory.mark->edge);
  reading.seen = onButton ? HoverSighting::nothing() : sample.sighting;

  // Crossing another item on the way to the ×: the × stays only while the pointer keeps moving
  // towards it. Once the pointer has rested there for the hide delay, or moves elsewhere, the
  // item under it wins as any other would.
  const bool travelling = reading.heading && reading.trip.approaching &&
                          sample.now - reading.trip.approachedAt < hideDelay;
  const HoverSighting::Kind kind = reading.seen.kind;
  if (travelling &&
      (kind == HoverSighting::Kind::item || kind == HoverSighting::Kind::appWithoutButton ||
       (kind == HoverSighting::Kind::app && reading.seen.application != memory.mark->app))) {
    reading.seen = HoverSighting::nothing();
    reading.passingOver = true;
  }

  switch (reading.seen.kind) {
  case HoverSighting::Kind::item:
    reading.rule = Rule::notAnApp;
    break;
  case HoverSighting::Kind::appWithoutButton:
    reading.rule = Rule::noRoom;
    break;
  case HoverSighting::Kind::app: {
    const HoverMark& seen = *reading.seen.mark;
    reading.rule = reading.heading && seen.app == memory.mark->app &&
                           seen.edge == memory.mark->edge &&
                           DockGeometry::canRetain(memory.mark->button, memory.mark->icon,
                                                   seen.icon, memory.mark->edge)
                       ? Rule::ownIconOnTheWay
                       : Rule::adopt;
    break;
  }
  case HoverSighting::Kind::nothing:
  case HoverSighting::Kind::unreadable:
    if (!visible) {
      reading.rule = Rule::idle;
    } else if (reading.heading || memory.validatedForTrip) {
      reading.rule = Rule::onTheWay;
    } else {
      reading.rule = Rule::followIcon;
    }
    break;
  }
  return reading;
}

HoverVerdict reset() {
  return {HoverMemory(), HoverEffect::reset, false};
}

// The common end of a step: the × shows while the state says so, and the loop stops once the
// state has no target.
HoverVerdict settle(HoverMemory memory, bool adopted) {
  if (!memory.state.target()) {
    return reset();
  }
  const HoverEffect effect =
      memory.state.isVisible() && memory.mark ? HoverEffect::show : HoverEffect::hide;
  return {std::move(memory), effect, adopted};
}

} // namespace

bool isOnVisibleButton(const HoverMemory& memory, Point pointer, bool panelVisible) {
  return memory.mark && memory.state.isVisible() && panelVisible &&
         contains(memory.mark->button, pointer);
}

Check check(const HoverMemory& memory, const HoverSample& sample) {
  switch (read(memory, sample).rule) {
  case Rule::ownIconOnTheWay:
  case Rule::onTheWay:
    return Check::validate;
  case Rule::followIcon:
    return Check::remeasure;
  default:
    return Check::none;
  }
}

HoverVerdict decide(const HoverMemory& memory, const HoverSample& sample) {
  const Reading reading = read(memory, sample);
  const double now = sample.now;
  HoverMemory next = memory;
  next.trip = reading.trip;
  next.passingOver = reading.passingOver;

  switch (reading.rule) {
  case Rule::leaveAlone:
    return {memory, HoverEffect::keep, false};
  case Rule::pressed:
  case Rule::notAnApp:
    return reset();
  case Rule::noRoom:
    next.mark.reset();
    next.validatedForTrip = false;
    next.state.update(reading.seen.application, /*retainingCurrent=*/false,
                      /*layoutAvailable=*/false, now);
    if (!next.state.target()) {
      return reset();
    }
    return {std::move(next), HoverEffect::hide, false};
  case Rule::ownIconOnTheWay:
    // The × stays where the pointer is heading, as long as the item still validates there.
    if (!sample.validated) {
      return reset();
    }
    next.validatedForTrip = false;
    next.state.update(memory.mark->app, /*retainingCurrent=*/false, /*layoutAvailable=*/true, now);
    return {std::move(next), HoverEffect::keep, false};
  case Rule::adopt:
    next.mark = reading.seen.mark;
    next.validatedForTrip = false;
    if (!memory.mark || memory.mark->app != next.mark->app) {
      next.trip = HoverTrip{sample.pointer, false, 0};
    }
    next.state.update(next.mark->app, /*retainingCurrent=*/false, /*layoutAvailable=*/true, now);
    return settle(std::move(next), true);
  case Rule::onTheWay: {
    // Validate the remembered item instead of re-measuring it: the × must not move under a
    // pointer on its way there. An unreadable Dock keeps nothing: the pointer may be resting on
    // another item, so the hide delay runs.
    if (!sample.validated) {
      return reset();
    }
    next.validatedForTrip = true;
    const bool retaining = reading.heading && reading.seen.kind == HoverSighting::Kind::nothing;
    next.state.update(std::nullopt, /*retainingCurrent=*/retaining, /*layoutAvailable=*/true, now);
    if (!next.state.target()) {
      return reset();
    }
    return {std::move(next), HoverEffect::keep, false};
  }
  case Rule::followIcon: {
    // The × stays where it is for the hide delay, or while the pointer heads there from the
    // icon's new place; not where another item has come to lie under it (a neighbour grown
    // into it as the pointer moves towards that neighbour).
    const HoverMark& mark = *memory.mark;
    const std::optional<HoverMark>& fresh = sample.remeasured;
    if (!fresh || fresh->app != mark.app || fresh->edge != mark.edge ||
        sample.rememberedButtonCovered ||
        !DockGeometry::canRetain(mark.button, mark.icon, fresh->icon, mark.edge)) {
      return reset();
    }
    // The icon moved away under the pointer (magnification): the × stays where it is while the
    // pointer is on its way there from the icon's new place.
    if (DockGeometry::isOnButtonPath(sample.pointer, fresh->icon, mark.button, mark.edge) &&
        !contains(fresh->icon, sample.pointer)) {
      next.state.update(std::nullopt, /*retainingCurrent=*/true, /*layoutAvailable=*/true, now);
      return {std::move(next), HoverEffect::keep, false};
    }
    next.state.update(std::nullopt, /*retainingCurrent=*/false, /*layoutAvailable=*/true, now);
    return settle(std::move(next), false);
  }
  case Rule::idle:
    next.state.update(std::nullopt, /*retainingCurrent=*/false, /*layoutAvailable=*/true, now);
    return settle(std::move(next), false);
  }
  return reset();
}

bool isSettled(const HoverMemory& memory) {
  return memory.state.isSettled() && !memory.passingOver;
}

} // namespace HoverDecision

} // namespace lumivane
