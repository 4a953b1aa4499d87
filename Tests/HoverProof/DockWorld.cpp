#include "DockWorld.hpp"

#include "LumivaneCore/MiddleGesture.hpp"
#include "Simulator/DockModel.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string_view>

namespace lumivane::proof {

namespace {

constexpr std::array<const char*, iconCount> appNames{"Mail", "Notes", "Pages"};

// A point `depth` points from the screen edge the Dock sits on, `along` points along it.
Point onDock(DockEdge edge, double along, double depth) {
  const Rect screen = DockWorld::screen();
  switch (edge) {
  case DockEdge::bottom:
    return {along, screen.maxY() - depth};
  case DockEdge::left:
    return {screen.minX() + depth, along};
  case DockEdge::right:
    return {screen.maxX() - depth, along};
  }
  return {};
}

Rect unite(const Rect& a, const Rect& b) {
  const double minX = std::min(a.minX(), b.minX());
  const double minY = std::min(a.minY(), b.minY());
  return {minX, minY, std::max(a.maxX(), b.maxX()) - minX, std::max(a.maxY(), b.maxY()) - minY};
}

std::string_view roleText(Role role) {
  switch (role) {
  case Role::app:
    return "app";
  case Role::finder:
    return "Finder";
  case Role::protectedApp:
    return "protected";
  }
  return "";
}

constexpr std::array<const char*, iconCount> ordinals{"first", "middle", "last"};

} // namespace

sim::command::Dock Configuration::dockCommand() const {
  return {edge, iconSize, magnifiedSize, 0, false};
}

std::string Configuration::describe() const {
  std::string text = sim::scriptLine(dockCommand()) + ", " +
                     std::string(rawValue(layout.position)) + " " +
                     std::string(rawValue(layout.distance));
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    if (roles[icon] != Role::app) {
      text += ", " + std::string(roleText(roles[icon])) + " " + ordinals[icon];
    }
  }
  return text;
}

Rect DockWorld::screen() {
  return {0, 0, 1440, 900};
}

DockWorld::DockWorld(const Configuration& configuration) : configuration_(configuration) {
  sim::VirtualRunLoop clock;
  sim::DockModel dock(clock);
  dock.place(configuration.edge, 0, configuration.iconSize, configuration.magnifiedSize);
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    names_[icon] = configuration.roles[icon] == Role::finder ? "Finder" : appNames[icon];
    dock.add({sim::DockItemKind::application, names_[icon], "/A/" + names_[icon] + ".app", "", 0});
    dock.setProcesses(icon, true, false);
    identities_.emplace_back(static_cast<int32_t>(100 + icon), "/A/" + names_[icon] + ".app",
                             std::chrono::system_clock::time_point(std::chrono::seconds(icon)));
  }

  // The grid covers all of it, with a step of room around for the gaps beside.
  const Rect covered = extent(dock);
  const Rect display = screen();
  const double step = configuration.spacing;
  const double minX = std::max(display.minX(), std::floor(covered.minX() - step));
  const double minY = std::max(display.minY(), std::floor(covered.minY() - step));
  const double maxX = std::min(display.maxX() - 1, covered.maxX() + step);
  const double maxY = std::min(display.maxY() - 1, covered.maxY() + step);
  origin_ = {minX, minY};
  columns_ = static_cast<std::size_t>(std::floor((maxX - minX) / step)) + 1;
  rows_ = static_cast<std::size_t>(std::floor((maxY - minY) / step)) + 1;
  for (std::size_t row = 0; row < rows_; ++row) {
    for (std::size_t column = 0; column < columns_; ++column) {
      scenes_.push_back(look(dock, {minX + static_cast<double>(column) * step,
                                    minY + static_cast<double>(row) * step}));
    }
  }

  const int reach = configuration.reach;
  moves_.resize(scenes_.size());
  for (std::size_t cell = 0; cell < scenes_.size(); ++cell) {
    const auto row = static_cast<int>(cell / columns_);
    const auto column = static_cast<int>(cell % columns_);
    for (int down = -reach; down <= reach; ++down) {
      for (int across = -reach; across <= reach; ++across) {
        const int toRow = row + down;
        const int toColumn = column + across;
        if (toRow >= 0 && toColumn >= 0 && toRow < static_cast<int>(rows_) &&
            toColumn < static_cast<int>(columns_)) {
          moves_[cell].push_back(static_cast<std::size_t>(toRow) * columns_ +
                                 static_cast<std::size_t>(toColumn));
        }
      }
    }
  }
}

Scene DockWorld::look(sim::DockModel& dock, Point point) const {
  const std::vector<Rect> screens{screen()};
  dock.setPointer(point, screens);
  const sim::DockLayout& layout = *dock.layout(screens);
  Scene scene{point, {}, std::nullopt, {}};
  std::vector<Rect> obstacles;
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    scene.icons[icon] = layout.items[icon];
    if (area(scene.icons[icon]) > 0) {
      obstacles.push_back(scene.icons[icon]);
    }
    if (!scene.under && contains(scene.icons[icon], point)) {
      scene.under = icon;
    }
  }
  for (std::size_t icon = 0; icon < iconCount; ++icon) {
    if (isQuittable(icon)) {
      if (const auto placement = HoverLayout::placement(
              scene.icons[icon], configuration_.edge, screen(), configuration_.layout, obstacles)) {
        scene.buttons[icon] = placement->frame;
      }
    }
  }
  return scene;
}

// With the pointer far away, and at every point along the middle of the row and a little beyond.
Rect DockWorld::extent(sim::DockModel& dock) const {
  const Scene plain = look(dock, {screen().midX(), screen().midY()});
  const DockEdge edge = configuration_.edge;
  const bool bottom = edge == DockEdge::bottom;
  const double first = bottom ? plain.icons.front().minX() : plain.icons.front().minY();
  const double last = bottom ? plain.icons.back().maxX() : plain.icons.back().maxY();
  const double size = configuration_.iconSize;
  Rect covered = plain.icons.front();
  const auto cover = [&](const Scene& scene) {
    for (std::size_t icon = 0; icon < iconCount; ++icon) {
      covered = unite(covered, scene.icons[icon]);
      if (scene.buttons[icon]) {
        covered = unite(covered, *scene.buttons[icon]);
      }
    }
  };
  cover(plain);
  for (double along = first - size; along <= last + size; along += 1) {
    cover(look(dock, onDock(edge, along, size * 0.625)));
  }
  return covered;
}

std::optional<std::size_t> DockWorld::cellAt(Point point) const {
  const double step = configuration_.spacing;
  const double column = (point.x - origin_.x) / step;
  const double row = (point.y - origin_.y) / step;
  if (!(column >= 0 && row >= 0) || column != std::floor(column) || row != std::floor(row) ||
      column >= static_cast<double>(columns_) || row >= static_cast<double>(rows_)) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(row) * columns_ + static_cast<std::size_t>(column);
}

std::optional<std::size_t> DockWorld::iconOf(const AppIdentity& identity) const {
  const auto found = std::ranges::find(identities_, identity);
  if (found == identities_.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - identities_.begin());
}

// The hit test finds the item whose frame holds the point; the Finder and a protected
// application resolve to no application one may quit.
HoverSighting DockWorld::sighting(std::size_t cell) const {
  const Scene& seen = scenes_[cell];
  if (!seen.under) {
    return HoverSighting::nothing();
  }
  const std::size_t icon = *seen.under;
  if (!isQuittable(icon)) {
    return HoverSighting::item();
  }
  if (!seen.buttons[icon]) {
    return HoverSighting::appWithoutButton(identities_[icon]);
  }
  return HoverSighting::app(
      {identities_[icon], seen.icons[icon], *seen.buttons[icon], configuration_.edge});
}

// As the observer validates a selection: the item's icon now must still hold the × placed for
// it (the retain test a click is checked with), and no icon may cover the ×. The icons here are
// always wholly on the display, on the Dock's edge, and their applications never change.
bool DockWorld::validates(std::size_t cell, const HoverMark& mark) const {
  const Scene& now = scenes_[cell];
  const auto icon = iconOf(mark.app);
  return icon &&
         DockGeometry::canRetainSelection(mark.button, mark.icon, now.icons[*icon], mark.edge,
                                          screen()) &&
         !isCovered(cell, mark.button);
}

bool DockWorld::isCovered(std::size_t cell, const Rect& button) const {
  return std::ranges::any_of(scenes_[cell].icons, [&](const Rect& icon) {
    return area(icon) > 0 && intersects(icon, button);
  });
}

std::optional<HoverMark> DockWorld::remeasure(std::size_t cell, const HoverMark& mark) const {
  const Scene& now = scenes_[cell];
  const auto icon = iconOf(mark.app);
  if (!icon || !now.buttons[*icon]) {
    return std::nullopt;
  }
  return HoverMark{mark.app, now.icons[*icon], *now.buttons[*icon], configuration_.edge};
}

// The element at a point on the × panel is the panel's own, not the Dock's.
std::optional<AppIdentity> DockWorld::middlePress(std::size_t cell,
                                                  const std::optional<Rect>& panel) const {
  const Scene& seen = scenes_[cell];
  const bool onPanel = panel && contains(*panel, seen.pointer);
  const bool isDockItem = !onPanel && seen.under.has_value();
  const bool canQuit = isDockItem && isQuittable(*seen.under);
  MiddleGesture gesture;
  const auto decision =
      gesture.handle(MiddleGesture::middleButton, MiddleGesture::Phase::down, isDockItem, canQuit);
  if (!decision.requestQuit || !canQuit) {
    return std::nullopt;
  }
  return identities_[*seen.under];
}

} // namespace lumivane::proof
