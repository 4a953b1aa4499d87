#include "Simulator/DockModel.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lumivane::sim {

namespace {

constexpr double paddingRatio = 0.125;
constexpr double spacingRatio = 0.0625;
constexpr double separatorRatio = 0.25;
constexpr double reachRatio = 2.5;

// The Dock's frame of reference on its display: "along" runs with the row (x for the bottom,
// y for the sides), "across" away from the screen edge.
struct Frame {
  DockEdge edge;
  Rect screen;

  double alongMin() const { return edge == DockEdge::bottom ? screen.minX() : screen.minY(); }
  double alongMax() const { return edge == DockEdge::bottom ? screen.maxX() : screen.maxY(); }
  double along(Point p) const { return edge == DockEdge::bottom ? p.x : p.y; }
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

} // namespace

void DockModel::place(DockEdge edge, int screen, double iconSize,
                      std::optional<double> magnifiedSize) {
  edge_ = edge;
  screen_ = screen;
  iconSize_ = clampSize(iconSize, minimumIconSize, maximumIconSize, defaultIconSize);
  magnifiedSize_.reset();
  cached_.reset();
  if (magnifiedSize && std::isfinite(*magnifiedSize)) {
    magnifiedSize_ = std::clamp(*magnifiedSize, iconSize_, maximumMagnifiedSize);
  }
}

int DockModel::add(DockItem item) {
  items_.push_back(std::move(item));
  cached_.reset();
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

std::optional<std::size_t> DockModel::screenIndex(std::span<const Rect> screens) const {
  if (screens.empty()) {
    return std::nullopt;
  }
  const bool named = screen_ >= 0 && static_cast<std::size_t>(screen_) < screens.size();
  return named ? static_cast<std::size_t>(screen_) : 0;
}

std::optional<DockLayout> DockModel::layout(std::span<const Rect> screens) const {
  const auto index = screenIndex(screens);
  if (!index) {
    return std::nullopt;
  }
  if (!cached_ || !std::ranges::equal(cachedScreens_, screens)) {
    cached_ = layoutOn(standardized(screens[*index]));
    cachedScreens_.assign(screens.begin(), screens.end());
  }
  return cached_;
}

void DockModel::start(int32_t pid) {
  running_ = true;
  pid_ = pid;
  ++generation_;
}

void DockModel::stop() {
  running_ = false;
}

DockLayout DockModel::layoutOn(const Rect& screen) const {
  const Frame frame{edge_, screen};
  const std::size_t count = items_.size();
  const auto isSeparator = [&](std::size_t i) { return items_[i].kind == DockItemKind::separator; };

  // Plain row length for icon size s: tiles plus spacing; the list adds padding at both ends.
  const auto rowLength = [&](double s) {
    double length = count > 1 ? s * spacingRatio * static_cast<double>(count - 1) : 0;
    for (std::size_t i = 0; i < count; ++i) {
      length += isSeparator(i) ? s * separatorRatio : s;
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

  // Plain tiles: lengths and starts relative to the row's start.
  std::vector<double> plainLength(count);
  std::vector<double> plainOffset(count);
  double offset = 0;
  for (std::size_t i = 0; i < count; ++i) {
    plainLength[i] = isSeparator(i) ? size * separatorRatio : size;
    plainOffset[i] = offset;
    offset += plainLength[i] + spacing;
  }

  const double u = frame.along(pointer_);
  const double depth = frame.across(pointer_);
  const bool magnifying = !hidden_ && magnified > size && u >= plainStart - padding &&
                          u < plainStart + plainRow + padding && depth >= 0 &&
                          depth <= magnified + 2 * padding;

  // Tile sizes (along and across) after magnification; separators never grow.
  std::vector<double> tile = plainLength;
  std::vector<double> tileDepth(count, size);
  if (magnifying) {
    const double reach = reachRatio * size;
    for (std::size_t i = 0; i < count; ++i) {
      if (isSeparator(i)) {
        continue;
      }
      const double distance = std::abs(u - (plainStart + plainOffset[i] + plainLength[i] / 2));
      const double share =
          distance < reach ? 0.5 * (1 + std::cos(std::numbers::pi * distance / reach)) : 0;
      tile[i] = size + (magnified - size) * share;
      tileDepth[i] = tile[i];
    }
  }
  std::vector<double> tileOffset(count);
  offset = 0;
  for (std::size_t i = 0; i < count; ++i) {
    tileOffset[i] = offset;
    offset += tile[i] + spacing;
  }
  const double row = count > 0 ? offset - spacing : 0;

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
      mapped = row + (o - plainRow);
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
  // A hidden Dock has slid its whole thickness out over the screen edge.
  const double shift = hidden_ ? -layout.thickness : 0;
  layout.list = frame.rect(start - padding, row + 2 * padding, shift, layout.thickness);
  layout.items.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    layout.items.push_back(
        frame.rect(start + tileOffset[i], tile[i], padding + shift, tileDepth[i]));
  }
  return layout;
}

} // namespace lumivane::sim
