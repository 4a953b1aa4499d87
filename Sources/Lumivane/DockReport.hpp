#pragma once

#include "Lumivane/DockObserver.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <optional>
#include <string>
#include <vector>

// The Dock as the diagnostics report shows it, read through the Dock observer's own code: every
// item of its list read afresh, and the item under a point. Top-left space. Main thread.

namespace lumivane {

// One item of the Dock's list as the observer reads it.
struct ItemReading {
  std::optional<std::string> subrole;
  std::optional<std::string> title;
  std::optional<Rect> frame;
  std::optional<std::string> url; // "AXURL" as its text
  DockObserver::Resolution resolution = DockObserver::NoApplication::unreadable;
};

struct DockReading {
  Rect listFrame;
  DockEdge edge = DockEdge::bottom;
  std::vector<ItemReading> items;
};

// Every item, each read as a query of its own (the report reads far more than one query may);
// absent when the list cannot be found (no permission, no Dock, no list on a screen).
[[nodiscard]] std::optional<DockReading> readDock(DockObserver& observer);
// The item under `point`, read as readDock reads each item; absent where the hit test finds no
// Dock item to walk up to.
[[nodiscard]] std::optional<ItemReading> readItemAt(DockObserver& observer, Point point);

} // namespace lumivane
