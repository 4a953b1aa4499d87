#include "Promises.hpp"

#include <algorithm>
#include <cmath>

namespace lumivane::proof {

namespace {

// How far the point lies from the rectangle; 0 inside it.
double distance(Point point, const Rect& rect) {
  const double dx = std::max({rect.minX() - point.x, 0.0, point.x - rect.maxX()});
  const double dy = std::max({rect.minY() - point.y, 0.0, point.y - rect.maxY()});
  return std::hypot(dx, dy);
}

// The two rectangles share some area: touching edges do not count.
bool overlap(const Rect& a, const Rect& b) {
  return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

std::string nameOf(const DockWorld& world, std::size_t icon) {
  switch (world.configuration().roles[icon]) {
  case Role::app:
    return world.name(icon);
  case Role::finder:
    return "the Finder";
  case Role::protectedApp:
    return world.name(icon) + " (protected)";
  }
  return world.name(icon);
}

std::string restedText(const DockWorld& world, const Watch& watch) {
  return watch.rested ? "on " + nameOf(world, *watch.rested) : "on no icon";
}

} // namespace

std::string_view describe(Promise promise) {
  switch (promise) {
  case Promise::standsForLastRest:
    return "a visible × stands for the icon the pointer last rested on";
  case Promise::goneAfterRest:
    return "no × shows while the pointer has rested on another item longer than the hide delay";
  case Promise::coversNothing:
    return "a visible × covers no icon";
  case Promise::clickQuitsItsApp:
    return "a click on the × asks to quit its application only";
  case Promise::middleQuitsUnderPointer:
    return "a middle press asks to quit only the application under the pointer";
  case Promise::sparesTheUnquittable:
    return "no × and no quit request for the Finder or a protected application";
  }
  return "";
}

namespace promises {

Watch follow(const Watch& watch, const Scene* before, const Scene& after,
             const std::optional<ShownButton>& shown) {
  const bool closer =
      shown && before &&
      distance(after.pointer, shown->frame) < distance(before->pointer, shown->frame);
  const bool sameIcon = before && before->under == after.under;
  Watch next;
  next.rested = watch.rested;
  if (after.under && sameIcon && !closer) {
    next.lingered = std::min<uint8_t>(watch.lingered + 1, Watch::restTicks);
  }
  if (after.under && next.lingered >= Watch::restTicks) {
    next.rested = after.under;
  }
  return next;
}

std::vector<Broken> checkScreen(const DockWorld& world, const Watch& watch, const Scene& scene,
                                const std::optional<ShownButton>& shown) {
  std::vector<Broken> broken;
  if (!shown) {
    return broken;
  }
  const std::size_t icon = shown->icon;
  const std::string name = nameOf(world, icon);
  if (!world.isQuittable(icon)) {
    broken.push_back({Promise::sparesTheUnquittable, "a × shows for " + name});
  }
  for (std::size_t other = 0; other < iconCount; ++other) {
    if (area(scene.icons[other]) > 0 && overlap(shown->frame, scene.icons[other])) {
      broken.push_back({Promise::coversNothing,
                        "the × for " + name + " covers the icon of " + nameOf(world, other)});
    }
  }
  if (scene.under && *scene.under != icon && watch.lingered >= Watch::restTicks) {
    broken.push_back(
        {Promise::goneAfterRest, "the × for " + name + " shows while the pointer has rested on " +
                                     nameOf(world, *scene.under) + " longer than the hide delay"});
  }
  if (watch.rested != icon) {
    broken.push_back(
        {Promise::standsForLastRest,
         "the × stands for " + name + ", but the pointer last rested " + restedText(world, watch)});
  }
  return broken;
}

std::vector<Broken> checkClick(const DockWorld& world, const Watch& watch, const Scene& scene,
                               const std::optional<ShownButton>& shown,
                               const AppIdentity& requested) {
  std::vector<Broken> broken;
  const std::optional<std::size_t> icon = world.iconOf(requested);
  if (!icon) {
    broken.push_back(
        {Promise::clickQuitsItsApp, "a click asked to quit an application of no icon"});
    return broken;
  }
  const std::string name = nameOf(world, *icon);
  if (!world.isQuittable(*icon)) {
    broken.push_back({Promise::sparesTheUnquittable, "a click on the × asked to quit " + name});
  }
  if (!shown || !contains(shown->frame, scene.pointer)) {
    broken.push_back({Promise::clickQuitsItsApp, "a click beside any × asked to quit " + name});
  } else if (shown->icon != *icon) {
    broken.push_back(
        {Promise::clickQuitsItsApp,
         "a click on the × for " + nameOf(world, shown->icon) + " asked to quit " + name});
  } else if (watch.rested != icon) {
    broken.push_back({Promise::clickQuitsItsApp, "a click on the × asked to quit " + name +
                                                     ", but the pointer last rested " +
                                                     restedText(world, watch)});
  }
  return broken;
}

std::vector<Broken> checkMiddlePress(const DockWorld& world, const Scene& scene,
                                     const AppIdentity& requested) {
  std::vector<Broken> broken;
  const std::optional<std::size_t> icon = world.iconOf(requested);
  if (!icon) {
    broken.push_back({Promise::middleQuitsUnderPointer,
                      "a middle press asked to quit an application of no icon"});
    return broken;
  }
  const std::string name = nameOf(world, *icon);
  if (scene.under != icon) {
    broken.push_back(
        {Promise::middleQuitsUnderPointer,
         "a middle press " +
             (scene.under ? "on " + nameOf(world, *scene.under) : std::string("beside the icons")) +
             " asked to quit " + name});
  }
  if (!world.isQuittable(*icon)) {
    broken.push_back({Promise::sparesTheUnquittable, "a middle press asked to quit " + name});
  }
  return broken;
}

} // namespace promises

} // namespace lumivane::proof
