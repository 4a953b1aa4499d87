#include "Simulator/DockModel.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace lumivane::sim {

namespace {

constexpr double paddingRatio = 0.125;
constexpr double spacingRatio = 0.0625;
constexpr double separatorRatio = 0.25;
constexpr double reachRatio = 2.5;
// The running indicator's side, as a share of the icon size, and its least size.
constexpr double indicatorRatio = 0.06;
constexpr double smallestIndicator = 3;
// A label's width: its margins and the advance of one character.
constexpr double labelMargins = 16;
constexpr double labelAdvance = 7;

// The Dock's frame of reference on its display: "along" runs with the row (x for the bottom,
// y for the sides), "across" away from the screen edge.
struct Frame {
  DockEdge edge;
  Rect screen;

  double alongMin() const { return edge == DockEdge::bottom ? screen.minX() : screen.minY(); }
  double alongMax() const { return edge == DockEdge::bottom ? screen.maxX() : screen.maxY(); }
  double along(Point p) const { return edge == DockEdge::bottom ? p.x : p.y; }
  double along(const Rect& r, bool end) const {
    return edge == DockEdge::bottom ? (end ? r.maxX() : r.minX()) : (end ? r.maxY() : r.minY());
  }
  // Distance of a point from the screen edge the Dock sits on, growing into the screen.
  double across(Point p) const {
    switch (edge) {
    case DockEdge::bottom:
      return screen.maxY() - p.y;
    case DockEdge::left:
      return p.x - screen.minX();
    case DockEdge::right:
      return screen.maxX() - p.x;
    }
    return 0;
  }
  // The rectangle `length` long from `start` along the edge, `depth` deep from `offset` off it.
  Rect rect(double start, double length, double offset, double depth) const {
    switch (edge) {
    case DockEdge::bottom:
      return {start, screen.maxY() - offset - depth, length, depth};
    case DockEdge::left:
      return {screen.minX() + offset, start, depth, length};
    case DockEdge::right:
      return {screen.maxX() - offset - depth, start, depth, length};
    }
    return {};
  }
};

double clampSize(double value, double low, double high, double fallback) {
  return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
}

std::size_t characters(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(
      text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The name label beside `icon`, on the side away from the edge, kept on the screen along it.
Rect labelFor(const Frame& frame, const Rect& icon, std::string_view name) {
  const double width = labelMargins + labelAdvance * static_cast<double>(characters(name));
  const double height = DockModel::labelHeight;
  switch (frame.edge) {
  case DockEdge::bottom: {
    const double x = std::clamp(icon.midX() - width / 2, frame.screen.minX(),
                                std::max(frame.screen.minX(), frame.screen.maxX() - width));
    return {x, icon.minY() - DockModel::labelGap - height, width, height};
  }
  case DockEdge::left:
    return {icon.maxX() + DockModel::labelGap, icon.midY() - height / 2, width, height};
  case DockEdge::right:
    return {icon.minX() - DockModel::labelGap - width, icon.midY() - height / 2, width, height};
  }
  return {};
}

// The menu beside `icon`, on the side away from the edge, kept on the screen along it.
DockMenu menuFor(const Frame& frame, const Rect& icon, uint64_t item) {
  const double width = DockModel::menuWidth;
  const double height =
      DockModel::menuEntryHeight * DockModel::menuTitles.size() + 2 * DockModel::menuPadding;
  Rect box;
  switch (frame.edge) {
  case DockEdge::bottom: {
    const double x = std::clamp(icon.midX() - width / 2, frame.screen.minX(),
                                std::max(frame.screen.minX(), frame.screen.maxX() - width));
    box = {x, icon.minY() - DockModel::labelGap - height, width, height};
    break;
  }
  case DockEdge::left:
  case DockEdge::right: {
    const double y = std::clamp(icon.midY() - height / 2, frame.screen.minY(),
                                std::max(frame.screen.minY(), frame.screen.maxY() - height));
    const double x = frame.edge == DockEdge::left ? icon.maxX() + DockModel::labelGap
                                                  : icon.minX() - DockModel::labelGap - width;
    box = {x, y, width, height};
    break;
  }
  }
  DockMenu menu{item, box, {}};
  for (std::size_t entry = 0; entry < DockModel::menuTitles.size(); ++entry) {
    menu.entries.push_back(
        {box.x,
         box.y + DockModel::menuPadding + DockModel::menuEntryHeight * static_cast<double>(entry),
         width, DockModel::menuEntryHeight});
  }
  return menu;
}

} // namespace

void DockModel::place(DockEdge edge, int screen, double iconSize,
                      std::optional<double> magnifiedSize, bool autohide) {
  edge_ = edge;
  screen_ = screen;
  iconSize_ = clampSize(iconSize, minimumIconSize, maximumIconSize, defaultIconSize);
  magnifiedSize_.reset();
  changed();
  if (magnifiedSize && std::isfinite(*magnifiedSize)) {
    magnifiedSize_ = std::clamp(*magnifiedSize, iconSize_, maximumMagnifiedSize);
  }
  if (autohide != autohide_) {
    autohide_ = autohide;
    reveal_ = autohide ? Reveal{Phase::hidden, now(), 0, {}, {}} : Reveal{};
  }
}

int DockModel::add(DockItem item, bool inDock) {
  item.id = nextID_++;
  items_.push_back(std::move(item));
  tiles_.emplace_back();
  tiles_.back().inDock = inDock;
  changed();
  return static_cast<int>(items_.size()) - 1;
}

std::optional<int> DockModel::indexNamed(std::string_view name) const {
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [&](const DockItem& item) { return item.name == name; });
  if (found == items_.end()) {
    return std::nullopt;
  }
  return static_cast<int>(found - items_.begin());
}

std::optional<std::size_t> DockModel::indexOf(uint64_t id) const {
  const auto found = std::ranges::find(items_, id, &DockItem::id);
  return found == items_.end() ? std::nullopt
                               : std::optional(static_cast<std::size_t>(found - items_.begin()));
}

bool DockModel::inDock(std::size_t index) const {
  return index < tiles_.size() && tiles_[index].inDock;
}

void DockModel::setInDock(std::size_t index, bool inDock) {
  if (index >= tiles_.size() || tiles_[index].inDock == inDock) {
    return;
  }
  Tile& tile = tiles_[index];
  const double t = now();
  // The animation turns round where it is.
  const double grown = scale(tile, t);
  tile.inDock = inDock;
  tile.changedAt = inDock ? t - grown * tileTime : t - (1 - grown) * tileTime;
  changed();
}

void DockModel::move(std::size_t index, std::size_t to) {
  if (index >= items_.size()) {
    return;
  }
  to = std::min(to, items_.size() - 1);
  const auto shift = [&](auto& list) {
    auto item = std::move(list[index]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(to), std::move(item));
  };
  shift(items_);
  shift(tiles_);
  changed();
}

void DockModel::setProcesses(std::size_t index, bool running, bool launching) {
  if (index >= tiles_.size()) {
    return;
  }
  Tile& tile = tiles_[index];
  if (launching && !tile.launching) {
    tile.launchingSince = now();
  }
  if (tile.running != running || tile.launching != launching) {
    tile.running = running;
    tile.launching = launching;
    changed();
  }
}

bool DockModel::isRunning(std::size_t index) const {
  return index < tiles_.size() && tiles_[index].running;
}

void DockModel::bounce(std::size_t index, int hops) {
  if (index < tiles_.size() && hops > 0) {
    tiles_[index].bounceFrom = now();
    tiles_[index].hops = hops;
    changed();
  }
}

void DockModel::setBadge(std::size_t index, std::string badge) {
  if (index < items_.size()) {
    items_[index].badge = std::move(badge);
  }
}

void DockModel::openMenu(std::size_t index, std::span<const Rect> screens) {
  const DockLayout* now = layout(screens);
  if (now == nullptr || !inDock(index)) {
    return;
  }
  menu_ = menuFor({edge_, standardized(screens[*screenIndex(screens)])}, now->items[index],
                  items_[index].id);
}

const DockMenu* DockModel::menu() const {
  if (!menu_) {
    return nullptr;
  }
  const std::optional<std::size_t> index = indexOf(menu_->item);
  return index && inDock(*index) ? &*menu_ : nullptr;
}

void DockModel::setPointer(Point pointer, std::span<const Rect> screens) {
  pointer_ = pointer;
  changed();
  const auto index = screenIndex(screens);
  if (!autohide_ || !index) {
    return;
  }
  const double t = now();
  reveal_ = revealAt(t);
  const Frame frame{edge_, standardized(screens[*index])};
  const DockLayout now = layoutOn(frame.screen, pointer, t);
  const double along = frame.along(pointer);
  const double depth = frame.across(pointer);
  const bool alongDock =
      along >= frame.along(now.list, false) && along < frame.along(now.list, true);
  // The pointer holds the Dock over its bar, and over its icons as they magnify.
  const double size = now.thickness / (1 + 2 * paddingRatio);
  const double magnified = magnifiedSize_.value_or(iconSize_) * size / iconSize_;
  const double hold = std::max(now.thickness, magnified + 2 * paddingRatio * size);
  const bool atEdge = alongDock && depth >= 0 && depth <= 1;
  const bool over = alongDock && depth >= 0 && depth <= hold;
  if (!atEdge) {
    reveal_.atEdgeSince.reset();
  } else if (!reveal_.atEdgeSince) {
    reveal_.atEdgeSince = t;
  }
  if (over) {
    reveal_.awaySince.reset();
  } else if (!reveal_.awaySince) {
    reveal_.awaySince = t;
  }
  if (over && reveal_.phase == Phase::hiding) {
    reveal_ = {Phase::showing, t, share(reveal_, t), reveal_.atEdgeSince, {}};
  }
}

void DockModel::setHidden(bool hidden) {
  hidden_ = hidden;
  changed();
}

double DockModel::shown(std::span<const Rect>) const {
  if (hidden_) {
    return 0;
  }
  return autohide_ ? share(revealAt(now()), now()) : 1;
}

bool DockModel::concealing(std::span<const Rect>) const {
  if (hidden_) {
    return true;
  }
  const Phase phase = revealAt(now()).phase;
  return autohide_ && (phase == Phase::hiding || phase == Phase::hidden);
}

std::optional<std::size_t> DockModel::screenIndex(std::span<const Rect> screens) const {
  if (screens.empty()) {
    return std::nullopt;
  }
  const bool named = screen_ >= 0 && static_cast<std::size_t>(screen_) < screens.size();
  return named ? static_cast<std::size_t>(screen_) : 0;
}

const DockLayout* DockModel::layout(std::span<const Rect> screens) const {
  const auto index = screenIndex(screens);
  if (!index) {
    return nullptr;
  }
  const double t = now();
  if (!cached_ || !std::ranges::equal(cachedScreens_, screens) ||
      (moving(cachedTime_) && cachedTime_ != t)) {
    cached_ = layoutOn(standardized(screens[*index]), pointer_, t);
    cachedScreens_.assign(screens.begin(), screens.end());
    cachedTime_ = t;
  }
  return &*cached_;
}

std::optional<Point> DockModel::restingPoint(std::size_t index,
                                             std::span<const Rect> screens) const {
  const auto screen = screenIndex(screens);
  if (!screen || !inDock(index)) {
    return std::nullopt;
  }
  // Without magnification the icon is where it is.
  if (!magnifiedSize_ || *magnifiedSize_ <= iconSize_) {
    const Rect icon = layout(screens)->items[index];
    return Point{icon.midX(), icon.midY()};
  }
  const Rect display = standardized(screens[*screen]);
  const double t = now();
  // From the unmagnified icon's centre: magnification keeps that spot along the edge under the
  // pointer and grows the icon across it, so the centre settles within a step or two.
  const Rect plain = layoutOn(display, std::nullopt, t).items[index];
  Point point{plain.midX(), plain.midY()};
  for (int step = 0; step < 4; ++step) {
    const Rect icon = layoutOn(display, point, t).items[index];
    const Point centre{icon.midX(), icon.midY()};
    if (centre == point) {
      break;
    }
    point = centre;
  }
  return point;
}

void DockModel::start(int32_t pid) {
  running_ = true;
  pid_ = pid;
  ++generation_;
}

void DockModel::stop() {
  running_ = false;
}

double DockModel::scale(const Tile& tile, double time) const {
  const double progress = (time - tile.changedAt) / tileTime;
  return std::clamp(tile.inDock ? progress : 1 - progress, 0.0, 1.0);
}

// The height of the icon's hop now, as a share of bounceHeight.
double DockModel::hop(const Tile& tile, double time) const {
  double from = 0;
  double until = 0;
  if (tile.launching) {
    from = tile.launchingSince;
    until = std::numeric_limits<double>::infinity();
  } else if (tile.hops > 0) {
    from = tile.bounceFrom;
    until = from + tile.hops * bouncePeriod;
  }
  if (!(time >= from && time < until)) {
    return 0;
  }
  const double phase = std::fmod(time - from, bouncePeriod) / bouncePeriod;
  return 4 * phase * (1 - phase);
}

bool DockModel::moving(double time) const {
  if (autohide_) {
    return true;
  }
  return std::ranges::any_of(tiles_, [&](const Tile& tile) {
    return time - tile.changedAt < tileTime || tile.launching ||
           (tile.hops > 0 && time < tile.bounceFrom + tile.hops * bouncePeriod);
  });
}

DockModel::Reveal DockModel::revealAt(double time) const {
  Reveal reveal = reveal_;
  if (!autohide_) {
    return reveal;
  }
  // Each step moves `since` forward, so the walk ends.
  for (;;) {
    switch (reveal.phase) {
    case Phase::hidden:
      if (reveal.atEdgeSince) {
        const double at = std::max(*reveal.atEdgeSince, reveal.since) + revealDelay;
        if (time >= at) {
          reveal = {Phase::showing, at, 0, reveal.atEdgeSince, reveal.awaySince};
          continue;
        }
      }
      return reveal;
    case Phase::showing: {
      const double end = reveal.since + slideTime * (1 - reveal.from);
      if (time >= end) {
        reveal = {Phase::shown, end, 1, reveal.atEdgeSince, reveal.awaySince};
        continue;
      }
      return reveal;
    }
    case Phase::shown:
      if (reveal.awaySince) {
        const double at = std::max(*reveal.awaySince, reveal.since) + concealDelay;
        if (time >= at) {
          reveal = {Phase::hiding, at, 1, reveal.atEdgeSince, reveal.awaySince};
          continue;
        }
      }
      return reveal;
    case Phase::hiding: {
      const double end = reveal.since + slideTime * reveal.from;
      if (time >= end) {
        reveal = {Phase::hidden, end, 0, reveal.atEdgeSince, reveal.awaySince};
        continue;
      }
      return reveal;
    }
    }
    return reveal;
  }
}

double DockModel::share(const Reveal& reveal, double time) {
  switch (reveal.phase) {
  case Phase::hidden:
    return 0;
  case Phase::shown:
    return 1;
  case Phase::showing:
    return std::min(1.0, reveal.from + (time - reveal.since) / slideTime);
  case Phase::hiding:
    return std::max(0.0, reveal.from - (time - reveal.since) / slideTime);
  }
  return 1;
}

DockLayout DockModel::layoutOn(const Rect& screen, std::optional<Point> pointer,
                               double time) const {
  const Frame frame{edge_, screen};
  // The tiles in the row now, with how far each has grown.
  std::vector<std::size_t> row;
  std::vector<double> grown;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (const double s = scale(tiles_[i], time); s > 0) {
      row.push_back(i);
      grown.push_back(s);
    }
  }
  const std::size_t count = row.size();
  const bool settled = std::ranges::all_of(grown, [](double s) { return s == 1; });
  double grownTiles = 0;
  for (const double s : grown) {
    grownTiles += s;
  }
  const auto isSeparator = [&](std::size_t k) {
    return items_[row[k]].kind == DockItemKind::separator;
  };

  // Plain row length for icon size s: tiles plus spacing; the list adds padding at both ends.
  const auto rowLength = [&](double s) {
    double length = grownTiles > 1 ? s * spacingRatio * (grownTiles - 1) : 0;
    for (std::size_t k = 0; k < count; ++k) {
      length += (isSeparator(k) ? s * separatorRatio : s) * grown[k];
    }
    return length;
  };
  double size = iconSize_;
  const double room = frame.alongMax() - frame.alongMin();
  const double wanted = rowLength(size) + 2 * size * paddingRatio;
  if (wanted > room && wanted > 0) {
    size *= std::max(room, 0.0) / wanted;
  }
  const double padding = size * paddingRatio;
  const double spacing = size * spacingRatio;
  const double magnified = std::max(magnifiedSize_.value_or(size), size);
  const double plainRow = rowLength(size);
  const double plainStart = (frame.alongMin() + frame.alongMax()) / 2 - plainRow / 2;
  const double revealed = hidden_ ? 0 : autohide_ ? share(revealAt(time), time) : 1;

  // Plain tiles: lengths and starts relative to the row's start.
  std::vector<double> plainLength(count);
  std::vector<double> plainOffset(count);
  double offset = 0;
  for (std::size_t k = 0; k < count; ++k) {
    plainLength[k] = (isSeparator(k) ? size * separatorRatio : size) * grown[k];
    plainOffset[k] = offset;
    offset += plainLength[k] + spacing * grown[k];
  }

  const double u = pointer ? frame.along(*pointer) : 0;
  const double depth = pointer ? frame.across(*pointer) : -1;
  const bool magnifying = settled && revealed == 1 && magnified > size &&
                          u >= plainStart - padding && u < plainStart + plainRow + padding &&
                          depth >= 0 && depth <= magnified + 2 * padding;

  // Tile sizes (along and across) after magnification; separators never grow.
  std::vector<double> tile = plainLength;
  std::vector<double> tileDepth(count);
  for (std::size_t k = 0; k < count; ++k) {
    tileDepth[k] = size * grown[k];
  }
  if (magnifying) {
    const double reach = reachRatio * size;
    for (std::size_t k = 0; k < count; ++k) {
      if (isSeparator(k)) {
        continue;
      }
      const double distance = std::abs(u - (plainStart + plainOffset[k] + plainLength[k] / 2));
      const double share =
          distance < reach ? 0.5 * (1 + std::cos(std::numbers::pi * distance / reach)) : 0;
      tile[k] = size + (magnified - size) * share;
      tileDepth[k] = tile[k];
    }
  }
  std::vector<double> tileOffset(count);
  offset = 0;
  for (std::size_t k = 0; k < count; ++k) {
    tileOffset[k] = offset;
    offset += tile[k] + spacing * grown[k];
  }
  const double rowEnd = count > 0 ? offset - spacing * grown.back() : 0;

  // Anchor the stretched row so the pointer keeps its place within its cell: its tile with half
  // the spacing on either side. A pointer on an icon's centre stays on it.
  double start = plainStart;
  if (magnifying) {
    const double o = u - plainStart;
    const double half = spacing / 2;
    double mapped = o;
    if (count == 0 || o < -half) {
      // Before the first cell the row keeps its plain start.
    } else if (o >= plainRow + half) {
      mapped = rowEnd + (o - plainRow);
    } else {
      std::size_t k = 0;
      while (k + 1 < count && o >= plainOffset[k + 1] - half) {
        ++k;
      }
      const double cell = (o - (plainOffset[k] - half)) / (plainLength[k] + spacing);
      mapped = tileOffset[k] - half + cell * (tile[k] + spacing);
    }
    start = u - mapped;
  }

  DockLayout layout;
  layout.thickness = size + 2 * padding;
  // A Dock out of sight has slid its whole thickness out over the screen edge.
  const double shift = revealed < 1 ? -layout.thickness * (1 - revealed) : 0;
  layout.list = frame.rect(start - padding, rowEnd + 2 * padding, shift, layout.thickness);
  layout.items.assign(items_.size(), Rect{});
  layout.indicators.assign(items_.size(), Rect{});
  std::size_t next = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (next < count && row[next] == i) {
      const std::size_t k = next++;
      const double lift = hop(tiles_[i], time) * bounceHeight * size;
      layout.items[i] =
          frame.rect(start + tileOffset[k], tile[k], padding + shift + lift, tileDepth[k]);
      if (tiles_[i].running && items_[i].kind == DockItemKind::application) {
        const double dot = std::max(smallestIndicator, size * indicatorRatio) * grown[k];
        layout.indicators[i] = frame.rect(start + tileOffset[k] + (tile[k] - dot) / 2, dot,
                                          std::max(0.0, padding - dot) / 2 + shift, dot);
      }
      if (pointer && revealed == 1 && items_[i].kind != DockItemKind::separator &&
          items_[i].kind != DockItemKind::spacer && contains(layout.items[i], *pointer)) {
        layout.labelled = i;
        layout.label = labelFor(frame, layout.items[i], items_[i].name);
      }
    } else {
      // Out of the Dock: nothing, where it would begin.
      const double at = next < count ? tileOffset[next] : rowEnd;
      layout.items[i] = frame.rect(start + at, 0, padding + shift, 0);
    }
  }
  return layout;
}

} // namespace lumivane::sim
