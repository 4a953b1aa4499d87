#pragma once

#include "Lumivane/Platform/Accessibility.hpp"
#include "Simulator/Desktop.hpp"
#include "Simulator/DockModel.hpp"
#include "Simulator/SimulatedSystem.hpp"
#include "Simulator/SimulatedWindows.hpp"
#include "Simulator/SimulatedWorkspace.hpp"
#include "Simulator/VirtualRunLoop.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace lumivane::sim {

// What lies topmost at a point: an open menu of a Dock item, Lumivane's visible × panel, then
// other applications' windows (the latest added on top; Mission Control covers them), then the
// Dock's name label and its items, then the Dock's list, then Mission Control.
struct Occupant {
  enum class Kind {
    nothing,
    menu,
    menuEntry,
    panel,
    window,
    label,
    dockItem,
    dockList,
    missionControl
  };
  Kind kind = Kind::nothing;
  std::size_t index = 0; // the window or the Dock item (whose label or menu it is)
  std::size_t entry = 0; // the menu's entry
};

// The Accessibility interface over the simulated desktop.
//
// Tree: the Dock's application element ("AXApplication") has the item list ("AXList") among its
// children, whose children are the items in the Dock ("AXDockItem" with subrole
// "AXApplicationDockItem", "AXFolderDockItem", "AXTrashDockItem", "AXSeparatorDockItem",
// "AXDocumentDockItem", "AXURLDockItem", "AXMinimizedWindowDockItem", "AXSpacerDockItem" or
// "AXDockExtraDockItem"; "AXTitle"; "AXURL" when the item has one; "AXIsApplicationRunning" for
// application items; "AXStatusLabel" for an item with a badge; "AXPosition", "AXSize";
// "AXParent"; "AXChildren") and any extra empty children (Apple's "Dock Item Role"; nayzak/
// DockUtils; hs._asm.axuielement #20). An item has no children, except while its menu is open:
// then an "AXMenu" of "AXMenuItem" elements, also its "AXShownMenuUIElement" (Apple's
// documentation; neru #386; DockAltTab.m). No running indicator or inner image is an element of
// its own: nothing attests them. While Mission Control is open the Dock's application has another
// top-level child before the list, an "AXGroup" with "AXIdentifier" "mc" over the primary display
// (Hammerspoon spaces.lua; Hammerspoon #3897). With an item depth d, a device to test a walk
// up the tree that no real Dock is known to need, each item holds a chain of d "AXImage"
// elements with the item's frame; the innermost is what lies at a point on the item. The name
// label under the pointer ("AXStaticText", its "AXValue" the item's name) is a child of the
// Dock's application element. Elements name their item by its id: an item that left the Dock
// answers no more, and one that moved keeps its elements.
//
// Messages: elementAtPosition, attribute and attributes. Each one counts, takes the message
// latency (at most the messaging time-out: the system-wide setting, 6 s by default, or the
// element's own), and fails after the time-out when the latency is longer. Without the
// Accessibility permission every message fails at once. Trust checks, element creation, the
// time-out setting, processID and isSameElement are local calls: neither counted nor delayed.
// Elements of a Dock that has quit, or an earlier Dock process, answer no message (processID still
// gives the pid they were made for, as AXUIElementGetPid does).
class AccessibilityTree final : public platform::Accessibility {
public:
  static constexpr double defaultMessagingTimeout = 6;
  // The pseudo-attribute a fault names to hit elementAtPosition.
  static constexpr std::string_view elementAtPositionAttribute = "AXElementAtPosition";

  AccessibilityTree(VirtualRunLoop& runLoop, const DockModel& dock, const Displays& displays,
                    const SimulatedWorkspace& workspace, const SimulatedWindows& windows,
                    platform::Process& process);

  bool isProcessTrusted() override { return cachedTrust_; }
  void promptForTrust() override { ++trustPrompts_; }
  platform::ElementRef systemWide() override;
  platform::ElementRef application(int32_t pid) override;
  void setMessagingTimeout(const platform::ElementRef& element, float seconds) override;
  std::optional<platform::ElementRef> elementAtPosition(const platform::ElementRef& system, float x,
                                                        float y) override;
  std::optional<int32_t> processID(const platform::ElementRef& element) override;
  bool isSameElement(const platform::ElementRef& a, const platform::ElementRef& b) override;
  std::optional<platform::AXValue> attribute(const platform::ElementRef& element,
                                             std::string_view name) override;
  std::optional<std::vector<platform::AXValue>>
  attributes(const platform::ElementRef& element, std::span<const std::string_view> names) override;

  // The switch in the Accessibility list: the grant and the cached answer together.
  void setTrusted(bool trusted) { cachedTrust_ = granted_ = trusted; }
  // The row removed from the list: the grant goes, the cached answer stays.
  void removeGrant() { granted_ = false; }
  bool isGranted() const { return granted_; }
  void setMissionControl(bool open) { missionControl_ = open; }
  std::size_t trustPrompts() const { return trustPrompts_; }
  void setItemDepth(int depth) { itemDepth_ = std::max(depth, 0); }
  void setExtraListChildren(int count) { extraChildren_ = std::max(count, 0); }
  // A fault on one item by index names the item at that index now, wherever it moves.
  void addFault(const Fault& fault);
  void clearFaults() { faults_.clear(); }
  void setMessageLatency(double seconds);
  std::size_t messageCount() const { return messages_; }

  // Windows of other applications above the Dock, top-left frames.
  std::size_t addWindow(int32_t pid, const Rect& frame);
  void removeWindow(std::size_t index);

  Occupant occupantAt(Point point) const;

  class Node;

private:
  struct Window {
    int32_t pid;
    Rect frame;
    bool present;
  };

  std::optional<platform::AXValue> read(const Node& node, std::string_view name);
  const Fault* faultFor(const Node& node, std::string_view attribute) const;
  // The index of the Dock item an item, inner, label or menu element stands for.
  std::optional<std::size_t> itemIndex(const Node& node) const;
  // The common path of a message: counts it, applies the latency and the faults. False when the
  // message fails; `faults` collects the value faults to apply to a successful answer.
  bool deliver(const Node& node, std::span<const std::string_view> attributes,
               std::vector<const Fault*>& faults);
  bool alive(const Node& node) const;
  std::optional<Rect> frameOf(const Node& node) const;

  VirtualRunLoop& runLoop_;
  const DockModel& dock_;
  const Displays& displays_;
  const SimulatedWorkspace& workspace_;
  const SimulatedWindows& windows_;
  platform::Process& process_;
  bool cachedTrust_ = false;
  bool granted_ = false;
  bool missionControl_ = false;
  std::size_t trustPrompts_ = 0;
  int itemDepth_ = 0;
  int extraChildren_ = 0;
  struct Injected {
    Fault fault;
    uint64_t item = 0; // FaultTarget::item with an index: that item's id
  };
  std::vector<Injected> faults_;
  double latency_ = 0;
  double timeout_ = defaultMessagingTimeout;
  std::size_t messages_ = 0;
  std::vector<Window> foreignWindows_;
};

} // namespace lumivane::sim
