#pragma once

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "Simulator/Records.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <array>
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
  std::string bundlePath; // application items: the path the Dock recorded; may be empty
  std::string url;        // its "AXURL" as the URL prints itself; empty for none
  uint64_t id = 0;        // given by the Dock; elements name their item by it
  std::string badge{};    // its "AXStatusLabel" (the count on its icon); empty for none
};

// An item's menu while it is open: beside the icon, away from the edge, where it opened.
struct DockMenu {
  uint64_t item = 0; // the id of the item it belongs to
  Rect frame;        // top-left space
  std::vector<Rect> entries;
};

// The Dock's frames at one moment, top-left space.
struct DockLayout {
  Rect list;                           // the item list: the Dock's bar, unmagnified across the edge
  std::vector<Rect> items;             // one per item, in order; empty while it is out of the Dock
  std::vector<Rect> indicators;        // the running indicator under each; empty when not running
  std::optional<std::size_t> labelled; // the item whose name label shows, under the pointer
  Rect label;
  double thickness = 0; // the list's extent across the edge
};

// The Dock: its items, where it sits, how its icons grow under the pointer and move over time,
// and its process.
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
// Nothing magnifies while a tile comes or goes, or while the Dock is not fully shown.
//
// Motion, on the run loop's clock:
//  - a tile that enters the Dock grows from nothing over `tileTime`, and one that leaves shrinks
//    to nothing over the same time while its neighbours slide over; it leaves the Accessibility
//    tree at once and enters it at once;
//  - a bouncing icon hops away from the edge, `bounceHeight` of its size high, once every
//    `bouncePeriod`: without end while its application launches, a given number of times when
//    it asks for attention;
//  - a Dock that hides automatically lies beyond the screen edge until the pointer has stayed at
//    that edge (within a point of it, along the Dock) for `revealDelay`; it then slides in over
//    `slideTime`, stays while the pointer is over it (or over its magnified icons), and slides
//    out `concealDelay` after the pointer left; coming back while it slides out brings it in
//    again.
//
// Name label: while the pointer is over an item's tile and the Dock is fully shown, the item's
// name shows in a label clear of the icon, on the side away from the edge.
//
// Menu: one item's menu may be open, its entries stacked in a box that stays where it opened,
// beside the icon on the side away from the edge; it closes when asked or when its item leaves.
class DockModel {
public:
  static constexpr double defaultIconSize = 64;
  static constexpr double minimumIconSize = 16;
  static constexpr double maximumIconSize = 128;
  static constexpr double maximumMagnifiedSize = 256;
  static constexpr double tileTime = 0.25;
  static constexpr double bouncePeriod = 0.6;
  static constexpr double bounceHeight = 0.4;
  static constexpr double revealDelay = 0.5;
  static constexpr double slideTime = 0.4;
  static constexpr double concealDelay = 0.5;
  static constexpr double labelHeight = 22;
  static constexpr double labelGap = 10;
  static constexpr std::array<std::string_view, 4> menuTitles{"Options", "Show All Windows", "Hide",
                                                              "Quit"};
  static constexpr double menuWidth = 180;
  static constexpr double menuEntryHeight = 22;
  static constexpr double menuPadding = 5;

  explicit DockModel(VirtualRunLoop& clock) : clock_(clock) {}

  // Sizes are clamped to the Dock's own limits; a screen index that names no display puts the
  // Dock on the primary one.
  void place(DockEdge edge, int screen, double iconSize, std::optional<double> magnifiedSize,
             bool autohide = false);
  DockEdge edge() const { return edge_; }
  bool autohides() const { return autohide_; }

  // A new item at the end of the row, in the Dock or (without animation) out of it.
  int add(DockItem item, bool inDock = true);
  const std::vector<DockItem>& items() const { return items_; }
  std::optional<int> indexNamed(std::string_view name) const;
  std::optional<std::size_t> indexOf(uint64_t id) const;
  // In the Dock (and its Accessibility tree), growing or grown; false once it has left.
  bool inDock(std::size_t index) const;
  // The tile comes into the Dock or leaves it, animated.
  void setInDock(std::size_t index, bool inDock);
  // Moves an item to position `to` of the row (clamped) at once.
  void move(std::size_t index, std::size_t to);
  // What the Dock shows of an application item's processes: the running indicator, and the
  // launch bounce while one of them is still launching.
  void setProcesses(std::size_t index, bool running, bool launching);
  bool isRunning(std::size_t index) const;
  // `hops` attention bounces from now.
  void bounce(std::size_t index, int hops);
  void setBadge(std::size_t index, std::string badge);

  // Opens the item's menu beside its icon as it is now (closing any other); nothing for an item
  // out of the Dock or without displays.
  void openMenu(std::size_t index, std::span<const Rect> screens);
  void closeMenu() { menu_.reset(); }
  // The open menu, while its item is in the Dock.
  const DockMenu* menu() const;

  void setPointer(Point pointer, std::span<const Rect> screens);
  // Hidden: the list and items lie just beyond the screen edge, whatever the pointer does.
  void setHidden(bool hidden);
  bool hidden() const { return hidden_; }
  // How far the Dock is in sight now: 0 beyond the edge, 1 fully shown.
  double shown(std::span<const Rect> screens) const;
  // The Dock is sliding out of sight (or is out of it): a shown × must go.
  bool concealing(std::span<const Rect> screens) const;

  // The display the Dock is on, among `screens` (top-left frames, primary first).
  std::optional<std::size_t> screenIndex(std::span<const Rect> screens) const;
  // The layout now; nothing without displays. Kept until the Dock, the pointer, the displays or
  // (while something moves) the clock change, since every Accessibility read of a frame asks
  // for it. Valid until the next call or change.
  const DockLayout* layout(std::span<const Rect> screens) const;
  // Where the pointer rests on the item's centre as the Dock magnifies around it there.
  std::optional<Point> restingPoint(std::size_t index, std::span<const Rect> screens) const;

  // The Dock's process. Each start makes a new generation: elements of an earlier one are dead.
  bool running() const { return running_; }
  int32_t pid() const { return pid_; }
  uint64_t generation() const { return generation_; }
  void start(int32_t pid);
  void stop();

private:
  struct Tile {
    bool inDock = true;
    double changedAt = -1e300; // when it last entered or left the Dock
    bool running = false;
    bool launching = false;
    double launchingSince = 0;
    double bounceFrom = 0;
    int hops = 0;
  };
  enum class Phase { hidden, showing, shown, hiding };
  struct Reveal {
    Phase phase = Phase::shown;
    double since = 0; // when the phase began
    double from = 1;  // the share shown when it began
    std::optional<double> atEdgeSince;
    std::optional<double> awaySince; // the pointer left the Dock
  };

  double now() const { return clock_.uptime(); }
  double scale(const Tile& tile, double time) const;
  double hop(const Tile& tile, double time) const;
  bool moving(double time) const;
  Reveal revealAt(double time) const;
  static double share(const Reveal& reveal, double time);
  DockLayout layoutOn(const Rect& screen, std::optional<Point> pointer, double time) const;
  void changed() { cached_.reset(); }

  VirtualRunLoop& clock_;
  DockEdge edge_ = DockEdge::bottom;
  int screen_ = 0;
  double iconSize_ = defaultIconSize;
  std::optional<double> magnifiedSize_;
  bool autohide_ = false;
  std::vector<DockItem> items_;
  std::vector<Tile> tiles_;
  uint64_t nextID_ = 1;
  Point pointer_;
  bool hidden_ = false;
  Reveal reveal_;
  bool running_ = false;
  int32_t pid_ = 0;
  uint64_t generation_ = 0;
  std::optional<DockMenu> menu_;
  mutable std::optional<DockLayout> cached_;
  mutable std::vector<Rect> cachedScreens_;
  mutable double cachedTime_ = 0;
};

} // namespace lumivane::sim
