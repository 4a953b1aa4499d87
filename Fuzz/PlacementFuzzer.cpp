// Feeds arbitrary rectangles, points and options (NaN, infinities, huge and negative values
// included) into the × placement and the Dock geometry, and traps when a result breaks the
// guarantees the hover feature relies on.

#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using namespace lumivane;

// Reads values from the fuzz input; once it runs out, every value reads as zero.
class Input {
public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() {
    if (offset_ >= size_) {
      return 0;
    }
    return data_[offset_++];
  }

  // Mostly plausible screen coordinates, with special and extreme values mixed in.
  double number() {
    switch (byte() % 8) {
    case 0:
      return std::numeric_limits<double>::quiet_NaN();
    case 1:
      return std::numeric_limits<double>::infinity();
    case 2:
      return -std::numeric_limits<double>::infinity();
    case 3: {
      std::array<uint8_t, sizeof(double)> bits{};
      for (uint8_t& b : bits) {
        b = byte();
      }
      double value = 0;
      std::memcpy(&value, bits.data(), sizeof value);
      return value;
    }
    case 4:
      return std::ldexp(static_cast<double>(static_cast<int8_t>(byte())), 1000);
    default:
      // Quarter points in about ±8192.
      return static_cast<int16_t>(byte() << 8 | byte()) / 4.0;
    }
  }

  Rect rect() {
    Rect rect;
    rect.x = number();
    rect.y = number();
    rect.width = number();
    rect.height = number();
    return rect;
  }

  Point point() {
    Point point;
    point.x = number();
    point.y = number();
    return point;
  }

  std::vector<Rect> rects(size_t limit) {
    std::vector<Rect> rects(byte() % (limit + 1));
    for (Rect& rect : rects) {
      rect = this->rect();
    }
    return rects;
  }

  DockEdge edge() { return allDockEdges[byte() % 3]; }

  HoverLayoutOptions options() {
    const HoverPosition position = allHoverPositions[byte() % 3];
    return {position, allHoverDistances[byte() % 3]};
  }

private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

void require(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

bool isUsable(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height) && rect.width != 0 && rect.height != 0;
}

// A rectangle's edges along each axis, x and x + width in order.
struct Box {
  double minX;
  double maxX;
  double minY;
  double maxY;
};

Box boxOf(const Rect& rect) {
  const double farX = rect.x + rect.width;
  const double farY = rect.y + rect.height;
  return {std::min(rect.x, farX), std::max(rect.x, farX), std::min(rect.y, farY),
          std::max(rect.y, farY)};
}

// Overlap with a positive width and height; shared edges and corners do not count.
bool overlaps(const Box& a, const Box& b) {
  return a.minX < b.maxX && b.minX < a.maxX && a.minY < b.maxY && b.minY < a.maxY;
}

void checkPlacement(const Rect& icon, DockEdge edge, const Rect& screen,
                    const HoverLayoutOptions& options, const std::vector<Rect>& obstacles) {
  const auto placed = HoverLayout::placement(icon, edge, screen, options, obstacles);
  const auto standard =
      HoverLayout::placement(icon, edge, screen, HoverLayoutOptions::defaults, obstacles);
  bool inputUsable = isUsable(icon) && isUsable(screen);
  for (const Rect& obstacle : obstacles) {
    inputUsable = inputUsable && isUsable(obstacle);
  }
  if (!inputUsable) {
    require(!placed && !standard);
    return;
  }
  if (!placed) {
    return;
  }
  const Rect& frame = placed->frame;
  require(frame.width == DockGeometry::hitSize && frame.height == DockGeometry::hitSize);
  require(std::isfinite(frame.x) && std::isfinite(frame.y));
  // Inside the screen inset by 2 on every side, clear of the icon and of every obstacle.
  const Box square = boxOf(frame);
  const Box screenBox = boxOf(screen);
  require(screenBox.minX + 2 <= square.minX && square.maxX <= screenBox.maxX - 2);
  require(screenBox.minY + 2 <= square.minY && square.maxY <= screenBox.maxY - 2);
  require(square.minX < square.maxX && square.minY < square.maxY);
  require(!overlaps(square, boxOf(icon)));
  for (const Rect& obstacle : obstacles) {
    require(!overlaps(square, boxOf(obstacle)));
  }
  if (options == HoverLayoutOptions::defaults) {
    require(!placed->usedFallback);
  }
  if (placed->usedFallback) {
    require(standard && standard->frame == frame);
  }
}

void checkDockGeometry(Input& input) {
  const std::vector<Rect> screens = input.rects(4);
  const Rect rect = input.rect();
  if (const auto chosen = DockGeometry::screen(rect, screens)) {
    bool listed = false;
    for (const Rect& screen : screens) {
      listed = listed || screen == *chosen;
    }
    require(listed && area(intersection(*chosen, rect)) > 0);
  }

  const Rect screen = input.rect();
  const DockEdge edge = DockGeometry::edge(rect, screen);

  const Point point = input.point();
  const Rect icon = input.rect();
  const Rect button = input.rect();
  const Rect previousIcon = input.rect();
  if (contains(button, point)) {
    require(DockGeometry::isOnButtonPath(point, icon, button, edge));
  } else {
    DockGeometry::isOnButtonPath(point, icon, button, edge);
  }
  if (DockGeometry::canRetain(button, previousIcon, icon, edge)) {
    require(DockGeometry::canRetainSelection(button, previousIcon, icon, edge, screen));
    require(!intersects(button, icon));
  } else {
    DockGeometry::canRetainSelection(button, previousIcon, icon, edge, screen);
  }

  const Rect flipped = DockGeometry::appKitRect(rect, input.number());
  require(!(flipped.width < 0) && !(flipped.height < 0));

  if (DockGeometry::nearDockEdge(point, screens, input.number())) {
    bool onScreen = false;
    for (const Rect& candidate : screens) {
      onScreen = onScreen || contains(candidate, point);
    }
    require(onScreen);
  }

  const auto shortcut = DockGeometry::button(icon, edge, screen);
  const auto standard =
      HoverLayout::placement(icon, edge, screen, HoverLayoutOptions::defaults, {});
  require(shortcut.has_value() == standard.has_value());
  require(!shortcut || *shortcut == standard->frame);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  const DockEdge edge = input.edge();
  const HoverLayoutOptions options = input.options();
  const Rect icon = input.rect();
  const Rect screen = input.rect();
  const std::vector<Rect> obstacles = input.rects(40);
  checkPlacement(icon, edge, screen, options, obstacles);
  checkDockGeometry(input);
  return 0;
}
