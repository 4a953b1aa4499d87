#pragma once

#include "LumivaneCore/AppIdentity.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverDecision.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "Scenarios/Scenarios.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The checker's own model of a small Dock: three icons on one edge of a 1440 × 900 display, drawn
// by the simulator's Dock model (magnification included) for each point of a grid the pointer
// moves over, and the answers the Dock observer gives the hover loop at each point, worked out
// from those frames and the × placement rather than asked of the observer. Top-left space, points.

namespace lumivane::sim {
class DockModel;
} // namespace lumivane::sim

namespace lumivane::proof {

inline constexpr std::size_t iconCount = 3;

// What an icon stands for. The Finder and a protected application are items the user cannot quit.
enum class Role { app, finder, protectedApp };

struct Configuration {
  DockEdge edge = DockEdge::bottom;
  HoverLayoutOptions layout;
  double iconSize = 48;
  std::optional<double> magnifiedSize;
  std::array<Role, iconCount> roles{Role::app, Role::app, Role::app};
  // Points between neighbouring grid points, and how many of them the pointer may cross, along
  // and across, in one loop tick.
  int spacing = 12;
  int reach = 1;

  // The Dock as a scenario script sets it up.
  sim::command::Dock dockCommand() const;
  // "dock left icons=48 magnify=128, leading compact, Finder first", for reports.
  std::string describe() const;
};

// What the Dock shows with the pointer at one grid point.
struct Scene {
  Point pointer;
  std::array<Rect, iconCount> icons;
  // The icon under the pointer, if any.
  std::optional<std::size_t> under;
  // Where the hover loop would place each application's × now; nothing for the Finder, a
  // protected application, or an icon without room for a ×.
  std::array<std::optional<Rect>, iconCount> buttons;
};

class DockWorld {
public:
  explicit DockWorld(const Configuration& configuration);

  const Configuration& configuration() const { return configuration_; }
  static Rect screen();

  std::size_t cellCount() const { return scenes_.size(); }
  const Scene& scene(std::size_t cell) const { return scenes_[cell]; }
  // The grid point at `point`, if it is one.
  std::optional<std::size_t> cellAt(Point point) const;
  // The cells the pointer can be at one tick later, its own among them.
  const std::vector<std::size_t>& moves(std::size_t cell) const { return moves_[cell]; }

  const AppIdentity& identity(std::size_t icon) const { return identities_[icon]; }
  std::optional<std::size_t> iconOf(const AppIdentity& identity) const;
  // The name the icon's item carries in a scenario script.
  const std::string& name(std::size_t icon) const { return names_[icon]; }
  bool isQuittable(std::size_t icon) const { return configuration_.roles[icon] == Role::app; }

  // What the hover loop sees under the pointer at the cell (the × panel aside).
  HoverSighting sighting(std::size_t cell) const;
  // The observer's answer to validating the remembered item with the pointer at the cell: it
  // still shows its application, the × still belongs beside it, and no icon covers the ×.
  bool validates(std::size_t cell, const HoverMark& mark) const;
  // The remembered item measured again with the pointer at the cell, its × placed afresh.
  std::optional<HoverMark> remeasure(std::size_t cell, const HoverMark& mark) const;
  // An icon covers `button` with the pointer at the cell.
  bool isCovered(std::size_t cell, const Rect& button) const;
  // The application a middle press at the cell asks to quit: the item under the pointer as the
  // middle-click path finds it, under the × panel when that shows at `panel`.
  std::optional<AppIdentity> middlePress(std::size_t cell, const std::optional<Rect>& panel) const;

private:
  // What the Dock shows with the pointer at `point`.
  Scene look(sim::DockModel& dock, Point point) const;
  // The frame around every icon and × the Dock shows, wherever the pointer is.
  Rect extent(sim::DockModel& dock) const;

  Configuration configuration_;
  std::vector<Scene> scenes_;
  std::vector<std::vector<std::size_t>> moves_;
  // The grid: its first point, and how many points it has across and down.
  Point origin_;
  std::size_t columns_ = 0;
  std::size_t rows_ = 0;
  std::vector<AppIdentity> identities_;
  std::array<std::string, iconCount> names_;
};

} // namespace lumivane::proof
