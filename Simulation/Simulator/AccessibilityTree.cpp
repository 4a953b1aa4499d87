#include "Simulator/AccessibilityNode.hpp"

#include <cmath>
#include <limits>

// The Accessibility interface's messages: elements at a point, their liveness, the latency and
// the injected faults. What each element answers is in AccessibilityAttributes.cpp.

namespace lumivane::sim {

namespace {

using Node = AccessibilityTree::Node;
using platform::AXValue;

const Node* asNode(const platform::ElementRef& element) {
  return dynamic_cast<const Node*>(element.get());
}

// The value a wrongType fault hands back instead: texts become numbers, a position a size and a
// size a position (AXValues of the other kind), an element list a list of something else.
AXValue wrongTypeOf(const AXValue& value) {
  if (std::holds_alternative<platform::AXText>(value)) {
    return platform::AXNumber{0};
  }
  if (const auto* point = std::get_if<Point>(&value)) {
    return platform::AXSize{point->x, point->y};
  }
  if (const auto* size = std::get_if<platform::AXSize>(&value)) {
    return Point{size->width, size->height};
  }
  if (std::holds_alternative<std::vector<platform::ElementRef>>(value)) {
    return platform::AXOther{};
  }
  if (std::holds_alternative<platform::AXURL>(value)) {
    return platform::AXNumber{1};
  }
  if (std::holds_alternative<platform::AXOther>(value)) {
    return value;
  }
  return platform::AXText{"AXUnknown"};
}

AXValue nonFiniteOf(const AXValue& value) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double infinity = std::numeric_limits<double>::infinity();
  if (std::holds_alternative<Point>(value)) {
    return Point{nan, nan};
  }
  if (std::holds_alternative<platform::AXSize>(value)) {
    return platform::AXSize{infinity, nan};
  }
  return value;
}

AXValue applyFault(const Fault* fault, AXValue value) {
  if (fault == nullptr) {
    return value;
  }
  switch (fault->kind) {
  case FaultKind::wrongType:
    return wrongTypeOf(value);
  case FaultKind::nonFinite:
    return nonFiniteOf(value);
  case FaultKind::error:
  case FaultKind::timeout:
    break;
  }
  return value;
}

} // namespace

AccessibilityTree::AccessibilityTree(VirtualRunLoop& runLoop, const DockModel& dock,
                                     const Displays& displays, const SimulatedWorkspace& workspace,
                                     const SimulatedWindows& windows, platform::Process& process)
    : runLoop_(runLoop), dock_(dock), displays_(displays), workspace_(workspace), windows_(windows),
      process_(process) {}

platform::ElementRef AccessibilityTree::systemWide() {
  return std::make_shared<Node>(Node::Kind::systemWide, 0);
}

platform::ElementRef AccessibilityTree::application(int32_t pid) {
  const uint64_t generation = pid == dock_.pid() ? dock_.generation() : 0;
  return std::make_shared<Node>(Node::Kind::application, pid, generation);
}

void AccessibilityTree::setMessagingTimeout(const platform::ElementRef& element, float seconds) {
  const Node* node = asNode(element);
  if (node == nullptr || !std::isfinite(seconds) || seconds < 0) {
    return;
  }
  // Zero restores the default.
  if (node->kind == Node::Kind::systemWide) {
    timeout_ = seconds == 0 ? defaultMessagingTimeout : static_cast<double>(seconds);
  } else {
    node->timeout = seconds == 0 ? std::nullopt : std::optional<double>(seconds);
  }
}

std::optional<platform::ElementRef>
AccessibilityTree::elementAtPosition(const platform::ElementRef& system, float x, float y) {
  const Node* node = asNode(system);
  if (node == nullptr) {
    return std::nullopt;
  }
  std::vector<const Fault*> faults;
  const std::string_view name = elementAtPositionAttribute;
  if (!deliver(*node, std::span(&name, 1), faults) || node->kind != Node::Kind::systemWide) {
    return std::nullopt;
  }
  const Occupant occupant = occupantAt({x, y});
  switch (occupant.kind) {
  case Occupant::Kind::nothing:
    return platform::ElementRef{};
  case Occupant::Kind::panel:
    return std::make_shared<Node>(Node::Kind::panel, process_.pid());
  case Occupant::Kind::window:
    return std::make_shared<Node>(Node::Kind::window, foreignWindows_[occupant.index].pid, 0,
                                  occupant.index);
  case Occupant::Kind::dockItem: {
    const uint64_t id = dock_.items()[occupant.index].id;
    if (itemDepth_ > 0) {
      return std::make_shared<Node>(Node::Kind::inner, dock_.pid(), dock_.generation(), id,
                                    itemDepth_);
    }
    return std::make_shared<Node>(Node::Kind::item, dock_.pid(), dock_.generation(), id);
  }
  case Occupant::Kind::label:
    return std::make_shared<Node>(Node::Kind::label, dock_.pid(), dock_.generation(),
                                  dock_.items()[occupant.index].id);
  case Occupant::Kind::menu:
  case Occupant::Kind::menuEntry:
    return std::make_shared<Node>(occupant.kind == Occupant::Kind::menu ? Node::Kind::menu
                                                                        : Node::Kind::menuEntry,
                                  dock_.pid(), dock_.generation(), dock_.items()[occupant.index].id,
                                  static_cast<int>(occupant.entry));
  case Occupant::Kind::dockList:
    return std::make_shared<Node>(Node::Kind::list, dock_.pid(), dock_.generation());
  case Occupant::Kind::missionControl:
    return std::make_shared<Node>(Node::Kind::missionControl, dock_.pid(), dock_.generation());
  }
  return std::nullopt;
}

std::optional<int32_t> AccessibilityTree::processID(const platform::ElementRef& element) {
  const Node* node = asNode(element);
  if (node == nullptr || node->kind == Node::Kind::systemWide) {
    return std::nullopt;
  }
  return node->pid;
}

// Elements made by separate messages for the same part of the tree are the same element.
bool AccessibilityTree::isSameElement(const platform::ElementRef& a,
                                      const platform::ElementRef& b) {
  const Node* first = asNode(a);
  const Node* second = asNode(b);
  if (first == nullptr || second == nullptr) {
    return false;
  }
  return first->kind == second->kind && first->pid == second->pid &&
         first->generation == second->generation && first->index == second->index &&
         first->level == second->level;
}

std::optional<AXValue> AccessibilityTree::attribute(const platform::ElementRef& element,
                                                    std::string_view name) {
  const Node* node = asNode(element);
  if (node == nullptr) {
    return std::nullopt;
  }
  std::vector<const Fault*> faults;
  if (!deliver(*node, std::span(&name, 1), faults)) {
    return std::nullopt;
  }
  auto value = read(*node, name);
  if (!value) {
    return std::nullopt;
  }
  return applyFault(faults.front(), std::move(*value));
}

std::optional<std::vector<AXValue>>
AccessibilityTree::attributes(const platform::ElementRef& element,
                              std::span<const std::string_view> names) {
  const Node* node = asNode(element);
  if (node == nullptr) {
    return std::nullopt;
  }
  std::vector<const Fault*> faults;
  if (!deliver(*node, names, faults)) {
    return std::nullopt;
  }
  std::vector<AXValue> values;
  values.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto value = read(*node, names[i]);
    values.push_back(value ? applyFault(faults[i], std::move(*value)) : platform::AXOther{});
  }
  return values;
}

void AccessibilityTree::setMessageLatency(double seconds) {
  latency_ = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

std::size_t AccessibilityTree::addWindow(int32_t pid, const Rect& frame) {
  foreignWindows_.push_back({pid, frame, true});
  return foreignWindows_.size() - 1;
}

void AccessibilityTree::removeWindow(std::size_t index) {
  if (index < foreignWindows_.size()) {
    foreignWindows_[index].present = false;
  }
}

Occupant AccessibilityTree::occupantAt(Point point) const {
  const DockMenu* menu = dock_.running() ? dock_.menu() : nullptr;
  if (menu != nullptr && contains(menu->frame, point)) {
    const std::size_t item = *dock_.indexOf(menu->item);
    for (std::size_t entry = 0; entry < menu->entries.size(); ++entry) {
      if (contains(menu->entries[entry], point)) {
        return {Occupant::Kind::menuEntry, item, entry};
      }
    }
    return {Occupant::Kind::menu, item};
  }
  if (const auto panel = windows_.visiblePanelFrame(); panel && contains(*panel, point)) {
    return {Occupant::Kind::panel, 0};
  }
  const bool missionControl = missionControl_ && dock_.running() &&
                              !displays_.topLeftFrames().empty() &&
                              contains(displays_.topLeftFrames().front(), point);
  for (std::size_t i = foreignWindows_.size(); i-- > 0 && !missionControl;) {
    if (foreignWindows_[i].present && contains(standardized(foreignWindows_[i].frame), point)) {
      return {Occupant::Kind::window, i};
    }
  }
  const auto layout = dock_.layout(displays_.topLeftFrames());
  if (!dock_.running() || !layout) {
    return {};
  }
  if (layout->labelled && contains(layout->label, point)) {
    return {Occupant::Kind::label, *layout->labelled};
  }
  for (std::size_t i = 0; i < layout->items.size(); ++i) {
    if (dock_.inDock(i) && contains(layout->items[i], point)) {
      return {Occupant::Kind::dockItem, i};
    }
  }
  // A running indicator lies in the list's padding; what answers there is not attested, and the
  // list is the element around it.
  if (contains(layout->list, point)) {
    return {Occupant::Kind::dockList, 0};
  }
  if (missionControl) {
    return {Occupant::Kind::missionControl, 0};
  }
  return {};
}

void AccessibilityTree::addFault(const Fault& fault) {
  const bool oneItem = fault.target == FaultTarget::item && fault.itemIndex >= 0;
  const auto index = static_cast<std::size_t>(fault.itemIndex);
  faults_.push_back(
      {fault, oneItem && index < dock_.items().size() ? dock_.items()[index].id : uint64_t{0}});
}

std::optional<std::size_t> AccessibilityTree::itemIndex(const Node& node) const {
  return dock_.indexOf(node.index);
}

const Fault* AccessibilityTree::faultFor(const Node& node, std::string_view attribute) const {
  for (const auto& [fault, item] : faults_) {
    if (!fault.attribute.empty() && fault.attribute != attribute) {
      continue;
    }
    bool targeted = false;
    switch (fault.target) {
    case FaultTarget::item:
      targeted = node.kind == Node::Kind::item && (fault.itemIndex < 0 || node.index == item);
      break;
    case FaultTarget::list:
      targeted = node.kind == Node::Kind::list;
      break;
    case FaultTarget::dockApplication:
      targeted = node.kind == Node::Kind::application && node.pid == dock_.pid();
      break;
    case FaultTarget::anyElement:
      targeted = true;
      break;
    }
    if (targeted) {
      return &fault;
    }
  }
  return nullptr;
}

bool AccessibilityTree::deliver(const Node& node, std::span<const std::string_view> attributes,
                                std::vector<const Fault*>& faults) {
  ++messages_;
  if (!granted_ || !alive(node)) {
    return false;
  }
  const Fault* failing = nullptr;
  faults.clear();
  for (const std::string_view attribute : attributes) {
    const Fault* fault = faultFor(node, attribute);
    const bool fails =
        fault != nullptr && (fault->kind == FaultKind::error || fault->kind == FaultKind::timeout);
    if (fails && (failing == nullptr || fault->kind == FaultKind::timeout)) {
      failing = fault;
    }
    faults.push_back(fails ? nullptr : fault);
  }
  const double timeout = node.timeout.value_or(timeout_);
  if ((failing != nullptr && failing->kind == FaultKind::timeout) || latency_ > timeout) {
    runLoop_.block(timeout);
    return false;
  }
  runLoop_.block(latency_);
  // The element may have died while the message was under way.
  return failing == nullptr && alive(node);
}

bool AccessibilityTree::alive(const Node& node) const {
  const bool dockElement =
      dock_.running() && node.pid == dock_.pid() && node.generation == dock_.generation();
  switch (node.kind) {
  case Node::Kind::systemWide:
  case Node::Kind::panel:
    return true;
  case Node::Kind::application:
    return node.pid == dock_.pid() ? dockElement : workspace_.isRunning(node.pid);
  case Node::Kind::list:
    return dockElement;
  case Node::Kind::item:
  case Node::Kind::inner:
  case Node::Kind::menu:
  case Node::Kind::menuEntry:
  case Node::Kind::label: {
    const auto index = dockElement ? itemIndex(node) : std::nullopt;
    if (!index || !dock_.inDock(*index)) {
      return false;
    }
    if (node.kind == Node::Kind::inner) {
      return node.level <= itemDepth_;
    }
    if (node.kind == Node::Kind::menu || node.kind == Node::Kind::menuEntry) {
      const DockMenu* menu = dock_.menu();
      return menu != nullptr && menu->item == node.index;
    }
    if (node.kind == Node::Kind::label) {
      const auto layout = dock_.layout(displays_.topLeftFrames());
      return layout && layout->labelled == index;
    }
    return true;
  }
  case Node::Kind::extra:
    return dockElement && node.index < static_cast<std::size_t>(extraChildren_);
  case Node::Kind::missionControl:
    return dockElement && missionControl_;
  case Node::Kind::window:
    return node.index < foreignWindows_.size() && foreignWindows_[node.index].present;
  }
  return false;
}

} // namespace lumivane::sim
