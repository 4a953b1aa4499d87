#pragma once

#include "Lumivane/Platform/Accessibility.hpp"
#include "Simulator/AccessibilityTree.hpp"

#include <cstdint>
#include <optional>

// An element of the simulated Accessibility tree. Private to AccessibilityTree's sources.

namespace lumivane::sim {

class AccessibilityTree::Node final : public platform::Element {
public:
  enum class Kind {
    systemWide,
    application,
    list,
    item,
    inner,
    menu,
    menuEntry,
    label,
    extra,
    missionControl,
    panel,
    window
  };

  Node(Kind kind, int32_t pid, uint64_t generation = 0, uint64_t index = 0, int level = 0)
      : kind(kind), pid(pid), generation(generation), index(index), level(level) {}

  Kind kind;
  int32_t pid;
  uint64_t generation; // of the Dock process, for the Dock's elements
  // The item's id (item, inner, menu and label elements), or the extra child's or the window's
  // index.
  uint64_t index;
  int level; // inner elements: 1 just inside the item; menu entries: the entry from 0
  // AXUIElementSetMessagingTimeout on this element; the system-wide setting otherwise.
  mutable std::optional<double> timeout;
};

} // namespace lumivane::sim
