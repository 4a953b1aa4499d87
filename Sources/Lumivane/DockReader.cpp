#include "Lumivane/DockReader.hpp"

#include "LumivaneCore/DockGeometry.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>
#include <variant>

namespace lumivane {

namespace {

constexpr std::string_view dockBundleIdentifier = "com.apple.dock";
constexpr std::string_view listRole = "AXList";
constexpr std::array<std::string_view, 2> frameAttributes{"AXPosition", "AXSize"};

bool isFinite(const Rect& rect) {
  return std::isfinite(rect.x) && std::isfinite(rect.y) && std::isfinite(rect.width) &&
         std::isfinite(rect.height);
}

} // namespace

DockReader::DockReader(platform::Platform& platform, QueryBudget& budget)
    : platform_(platform), budget_(budget), system_(platform.accessibility.systemWide()) {}

bool DockReader::isTrusted() {
  return platform_.accessibility.isProcessTrusted();
}

bool DockReader::begin() {
  if (!budget_.open()) {
    return false;
  }
  const std::vector<platform::ApplicationInfo> docks =
      platform_.workspace.applications(dockBundleIdentifier);
  if (docks.empty()) {
    return false;
  }
  dockPID_ = docks.front().pid;
  // Bounds every later Accessibility message of the process, not only those to `system_`.
  platform_.accessibility.setMessagingTimeout(system_, messagingTimeout);
  return true;
}

bool DockReader::isWithinBudget() {
  return budget_.isLeft();
}

// Single-precision coordinates for the message; a value out of float range cannot name a
// position on any display.
std::optional<platform::ElementRef> DockReader::elementAt(Point point) {
  constexpr double limit = std::numeric_limits<float>::max();
  if (!(std::fabs(point.x) <= limit && std::fabs(point.y) <= limit)) {
    return platform::ElementRef{};
  }
  return platform_.accessibility.elementAtPosition(system_, static_cast<float>(point.x),
                                                   static_cast<float>(point.y));
}

std::optional<int32_t> DockReader::processID(const platform::ElementRef& element) {
  return platform_.accessibility.processID(element);
}

bool DockReader::isSameElement(const platform::ElementRef& a, const platform::ElementRef& b) {
  return platform_.accessibility.isSameElement(a, b);
}

std::optional<platform::AXValue> DockReader::attribute(const platform::ElementRef& element,
                                                       std::string_view name) {
  if (!isWithinBudget()) {
    return std::nullopt;
  }
  return platform_.accessibility.attribute(element, name);
}

std::optional<std::string> DockReader::text(const platform::ElementRef& element,
                                            std::string_view name) {
  std::optional<platform::AXValue> value = platform_.accessibility.attribute(element, name);
  auto* found = value ? std::get_if<platform::AXText>(&*value) : nullptr;
  return found != nullptr ? std::optional(std::move(found->value)) : std::nullopt;
}

std::optional<Rect> DockReader::frame(const platform::ElementRef& element) {
  if (!isWithinBudget()) {
    return std::nullopt;
  }
  const std::optional<std::vector<platform::AXValue>> values =
      platform_.accessibility.attributes(element, frameAttributes);
  if (!values || values->size() != frameAttributes.size()) {
    return std::nullopt;
  }
  const auto* position = std::get_if<Point>(&(*values)[0]);
  const auto* size = std::get_if<platform::AXSize>(&(*values)[1]);
  if (position == nullptr || size == nullptr) {
    return std::nullopt;
  }
  const Rect result{position->x, position->y, size->width, size->height};
  if (!isFinite(result)) {
    return std::nullopt;
  }
  return result;
}

// A null handle is no element.
std::optional<platform::ElementRef> DockReader::parent(const platform::ElementRef& element) {
  const std::optional<platform::AXValue> value =
      platform_.accessibility.attribute(element, "AXParent");
  const auto* found = value ? std::get_if<platform::ElementRef>(&*value) : nullptr;
  if (found == nullptr || *found == nullptr) {
    return std::nullopt;
  }
  return *found;
}

std::optional<std::vector<platform::ElementRef>>
DockReader::children(const platform::ElementRef& element) {
  std::optional<platform::AXValue> value = platform_.accessibility.attribute(element, "AXChildren");
  auto* elements = value ? std::get_if<std::vector<platform::ElementRef>>(&*value) : nullptr;
  if (elements == nullptr ||
      std::ranges::any_of(*elements, [](const auto& child) { return child == nullptr; })) {
    return std::nullopt;
  }
  return std::move(*elements);
}

std::optional<std::vector<platform::ElementRef>>
DockReader::items(const platform::ElementRef& list) {
  if (!isWithinBudget()) {
    return std::nullopt;
  }
  auto elements = children(list);
  if (!elements || elements->empty() || elements->size() > maxItems) {
    return std::nullopt;
  }
  return elements;
}

std::optional<std::string> DockReader::url(const platform::ElementRef& element) {
  if (!isWithinBudget()) {
    return std::nullopt;
  }
  const std::optional<platform::AXValue> value =
      platform_.accessibility.attribute(element, "AXURL");
  if (!value) {
    return std::nullopt;
  }
  if (const auto* found = std::get_if<platform::AXURL>(&*value)) {
    return found->absoluteString;
  }
  if (const auto* found = std::get_if<platform::AXText>(&*value)) {
    return found->value;
  }
  return std::nullopt;
}

std::optional<DockReader::List> DockReader::list(std::span<const Rect> screens) {
  const platform::ElementRef dock = platform_.accessibility.application(dockPID_);
  if (dock == nullptr || !isWithinBudget()) {
    return std::nullopt;
  }
  const auto elements = children(dock);
  if (!elements) {
    return std::nullopt;
  }
  // The item list is found by its role: the Dock has other top-level elements at times, such as
  // Mission Control's group over the whole display (Hammerspoon spaces.lua, #3897).
  for (const platform::ElementRef& child : *elements) {
    if (!isWithinBudget()) {
      return std::nullopt;
    }
    if (!isText(platform_.accessibility.attribute(child, "AXRole"), listRole)) {
      continue;
    }
    const std::optional<Rect> childFrame = frame(child);
    if (!childFrame) {
      continue;
    }
    if (const std::optional<Rect> screen = DockGeometry::screen(*childFrame, screens)) {
      return List{child, *childFrame, *screen};
    }
  }
  return std::nullopt;
}

bool DockReader::isText(const std::optional<platform::AXValue>& value, std::string_view expected) {
  const auto* found = value ? std::get_if<platform::AXText>(&*value) : nullptr;
  return found != nullptr && found->value == expected;
}

} // namespace lumivane
