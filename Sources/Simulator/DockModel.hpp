#pragma once

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "Simulator/Desktop.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::sim {

struct DockItem {
  DockItemKind kind = DockItemKind::application;
  std::string name;       // NFC
  std::string bundlePath; // application items: the path as the Dock recorded it; may be empty
};

// The Dock's frames at one moment, top-left space.
struct DockLayout {
  Rect list;               // the item list: the Dock's bar, unmagnified across the edge
  std::vector<Rect> items; // one per item, in order
  double thickness = 0;    // the list's extent across the edge
};

// The Dock: its items, where it sits and how its icons grow under the pointer, and its process.
//
// Layout: items sit in one row centred along the edge, first item leftmost (bottom) or topmost
// (left and right), each tile `iconSize` square (separators a quarter as long), 1/16 of the icon
// size apart, 1/8 of it from the screen edge; the list adds that padding around the row. A row
// longer than its display is scaled down to fit, as the Dock does.
//
// Magnification: while the pointer is over the Dock (along the list, and no farther from the
// screen edge than a fully magnified icon reaches), an icon at distance d from the pointer, along
// the edge, grows to size + (magnified − size)·(1 + cos(π·d/r))/2 with r = 2.5 icon sizes, and
// to its plain size beyond r. The row stretches so the spot under the pointer stays under it.
class DockModel {
public:
  static constexpr double defaultIconSize = 64;
  static constexpr double minimumIconSize = 16;
  static constexpr double maximumIconSize = 128;
  static constexpr double maximumMagnifiedSize = 256;

  // Sizes are clamped to the Dock's own limits; a screen index that names no display puts the
  // Dock on the primary one.
  void place(DockEdge edge, int screen, double iconSize, std::optional<double> magnifiedSize);
  DockEdge edge() const { return edge_; }

  int add(DockItem item);
  const std::vector<DockItem>& items() const { return items_; }
  std::optional<int> indexNamed(std::string_view name) const;

  void setPointer(Point pointer) {
    pointer_ = pointer;
    cached_.reset();
  }
  // Hidden: the list and items lie just beyond the screen edge and never magnify.
  void setHidden(bool hidden) {
    hidden_ = hidden;
    cached_.reset();
  }
  bool hidden() const { return hidden_; }

  // The display the Dock is on, among `screens` (top-left frames, primary first).
  std::optional<std::size_t> screenIndex(std::span<const Rect> screens) const;
  // The layout now; nothing without displays. Kept until the Dock, the pointer or the displays
  // change, since every Accessibility read of a frame asks for it.
  std::optional<DockLayout> layout(std::span<const Rect> screens) const;

  // The Dock's process. Each start makes a new generation: elements of an earlier one are dead.
  bool running() const { return running_; }
  int32_t pid() const { return pid_; }
  uint64_t generation() const { return generation_; }
  void start(int32_t pid);
  void stop();

private:
  DockLayout layoutOn(const Rect& screen) const;

  DockEdge edge_ = DockEdge::bottom;
  int screen_ = 0;
  double iconSize_ = defaultIconSize;
  std::optional<double> magnifiedSize_;
  std::vector<DockItem> items_;
  Point pointer_;
  bool hidden_ = false;
  bool running_ = false;
  int32_t pid_ = 0;
  uint64_t generation_ = 0;
  mutable std::optional<DockLayout> cached_;
  mutable std::vector<Rect> cachedScreens_;
};

} // namespace lumivane::sim
