#include "Simulator/AccessibilityNode.hpp"

// What each element of the simulated tree answers: its role, subrole, title, URL, frame,
// parent and children, as AccessibilityTree.hpp describes them.

namespace lumivane::sim {

namespace {

using Node = AccessibilityTree::Node;
using platform::AXValue;

std::string_view subroleOf(DockItemKind kind) {
  switch (kind) {
  case DockItemKind::application:
    return "AXApplicationDockItem";
  case DockItemKind::folder:
    return "AXFolderDockItem";
  case DockItemKind::trash:
    return "AXTrashDockItem";
  case DockItemKind::separator:
    return "AXSeparatorDockItem";
  case DockItemKind::document:
    return "AXDocumentDockItem";
  case DockItemKind::url:
    return "AXURLDockItem";
  case DockItemKind::minimizedWindow:
    return "AXMinimizedWindowDockItem";
  case DockItemKind::spacer:
    return "AXSpacerDockItem";
  case DockItemKind::extra:
    return "AXDockExtraDockItem";
  }
  return "";
}

AXValue text(std::string_view value) {
  return platform::AXText{std::string(value)};
}

} // namespace

std::optional<Rect> AccessibilityTree::frameOf(const Node& node) const {
  if (node.kind == Node::Kind::panel) {
    return displays_.toTopLeft(windows_.panel().frame);
  }
  if (node.kind == Node::Kind::window) {
    return standardized(foreignWindows_[node.index].frame);
  }
  const auto layout = dock_.layout(displays_.topLeftFrames());
  if (!layout) {
    return std::nullopt;
  }
  const auto index = itemIndex(node);
  switch (node.kind) {
  case Node::Kind::list:
    return layout->list;
  case Node::Kind::item:
  case Node::Kind::inner:
    return index ? std::optional(layout->items[*index]) : std::nullopt;
  case Node::Kind::menu:
  case Node::Kind::menuEntry: {
    const DockMenu* menu = dock_.menu();
    if (menu == nullptr) {
      return std::nullopt;
    }
    return node.kind == Node::Kind::menu ? menu->frame
                                         : menu->entries.at(static_cast<std::size_t>(node.level));
  }
  case Node::Kind::label:
    return layout->label;
  case Node::Kind::extra:
    return Rect{layout->list.x, layout->list.y, 0, 0};
  case Node::Kind::missionControl:
    return displays_.topLeftFrames().front();
  default:
    return std::nullopt;
  }
}

std::optional<AXValue> AccessibilityTree::read(const Node& node, std::string_view name) {
  const auto element = [&](Node::Kind kind, uint64_t index = 0, int level = 0) -> AXValue {
    return platform::ElementRef(
        std::make_shared<Node>(kind, dock_.pid(), dock_.generation(), index, level));
  };
  const auto children = [&](std::vector<platform::ElementRef> list) -> AXValue { return list; };

  if (name == "AXPosition" || name == "AXSize") {
    const auto frame = frameOf(node);
    if (!frame) {
      return std::nullopt;
    }
    if (name == "AXPosition") {
      return Point{frame->x, frame->y};
    }
    return platform::AXSize{frame->width, frame->height};
  }

  switch (node.kind) {
  case Node::Kind::systemWide:
    if (name == "AXRole") {
      return text("AXSystemWide");
    }
    break;
  case Node::Kind::application: {
    const bool isDock = node.pid == dock_.pid();
    if (name == "AXRole") {
      return text("AXApplication");
    }
    if (name == "AXTitle") {
      const auto profile = workspace_.profileOf(node.pid);
      return text(profile ? nfc(profile->name).value_or("") : "");
    }
    if (name == "AXChildren") {
      if (!isDock) {
        return children({});
      }
      // The order of the two is not attested; Mission Control's group comes first, where a
      // reader that takes the first child with a frame would take it for the list.
      std::vector<platform::ElementRef> list;
      if (missionControl_) {
        list.push_back(std::get<platform::ElementRef>(element(Node::Kind::missionControl)));
      }
      list.push_back(std::get<platform::ElementRef>(element(Node::Kind::list)));
      return children(std::move(list));
    }
    break;
  }
  case Node::Kind::missionControl:
    if (name == "AXRole") {
      return text("AXGroup");
    }
    if (name == "AXIdentifier") {
      return text("mc");
    }
    if (name == "AXParent") {
      return application(dock_.pid());
    }
    if (name == "AXChildren") {
      return children({});
    }
    break;
  case Node::Kind::list:
    if (name == "AXRole") {
      return text("AXList");
    }
    if (name == "AXParent") {
      return application(dock_.pid());
    }
    if (name == "AXChildren") {
      std::vector<platform::ElementRef> list;
      for (std::size_t i = 0; i < dock_.items().size(); ++i) {
        if (dock_.inDock(i)) {
          list.push_back(
              std::get<platform::ElementRef>(element(Node::Kind::item, dock_.items()[i].id)));
        }
      }
      for (int i = 0; i < extraChildren_; ++i) {
        list.push_back(
            std::get<platform::ElementRef>(element(Node::Kind::extra, static_cast<uint64_t>(i))));
      }
      return children(std::move(list));
    }
    break;
  case Node::Kind::item: {
    const std::size_t index = *itemIndex(node);
    const DockItem& item = dock_.items()[index];
    if (name == "AXRole") {
      return text("AXDockItem");
    }
    if (name == "AXSubrole") {
      return text(subroleOf(item.kind));
    }
    if (name == "AXTitle") {
      // A spacer's name is only the script's handle on it.
      return text(item.kind == DockItemKind::spacer ? "" : item.name);
    }
    if (name == "AXURL" && !item.url.empty()) {
      return platform::AXURL{item.url};
    }
    if (name == "AXIsApplicationRunning" && item.kind == DockItemKind::application) {
      return platform::AXNumber{dock_.isRunning(index) ? 1.0 : 0.0};
    }
    if (name == "AXStatusLabel" && !item.badge.empty()) {
      return text(item.badge);
    }
    const DockMenu* menu = dock_.menu();
    const bool menuOpen = menu != nullptr && menu->item == node.index;
    if (name == "AXShownMenuUIElement" && menuOpen) {
      return element(Node::Kind::menu, node.index);
    }
    if (name == "AXParent") {
      return element(Node::Kind::list);
    }
    if (name == "AXChildren") {
      std::vector<platform::ElementRef> inside;
      if (menuOpen) {
        inside.push_back(std::get<platform::ElementRef>(element(Node::Kind::menu, node.index)));
      } else if (itemDepth_ > 0) {
        inside.push_back(std::get<platform::ElementRef>(element(Node::Kind::inner, node.index, 1)));
      }
      return children(std::move(inside));
    }
    break;
  }
  case Node::Kind::menu:
    if (name == "AXRole") {
      return text("AXMenu");
    }
    if (name == "AXParent") {
      return element(Node::Kind::item, node.index);
    }
    if (name == "AXChildren") {
      std::vector<platform::ElementRef> entries;
      for (std::size_t entry = 0; entry < DockModel::menuTitles.size(); ++entry) {
        entries.push_back(std::get<platform::ElementRef>(
            element(Node::Kind::menuEntry, node.index, static_cast<int>(entry))));
      }
      return children(std::move(entries));
    }
    break;
  case Node::Kind::menuEntry:
    if (name == "AXRole") {
      return text("AXMenuItem");
    }
    if (name == "AXTitle") {
      return text(DockModel::menuTitles.at(static_cast<std::size_t>(node.level)));
    }
    if (name == "AXParent") {
      return element(Node::Kind::menu, node.index);
    }
    if (name == "AXChildren") {
      return children({});
    }
    break;
  case Node::Kind::label:
    if (name == "AXRole") {
      return text("AXStaticText");
    }
    if (name == "AXValue") {
      return text(dock_.items()[*itemIndex(node)].name);
    }
    if (name == "AXParent") {
      return application(dock_.pid());
    }
    break;
  case Node::Kind::inner:
    if (name == "AXRole") {
      return text("AXImage");
    }
    if (name == "AXParent") {
      return node.level == 1 ? element(Node::Kind::item, node.index)
                             : element(Node::Kind::inner, node.index, node.level - 1);
    }
    if (name == "AXChildren") {
      if (node.level >= itemDepth_) {
        return children({});
      }
      return children(
          {std::get<platform::ElementRef>(element(Node::Kind::inner, node.index, node.level + 1))});
    }
    break;
  case Node::Kind::extra:
    if (name == "AXRole") {
      return text("AXDockItem");
    }
    if (name == "AXSubrole") {
      return text(subroleOf(DockItemKind::separator));
    }
    if (name == "AXParent") {
      return element(Node::Kind::list);
    }
    if (name == "AXChildren") {
      return children({});
    }
    break;
  case Node::Kind::panel:
    if (name == "AXRole") {
      return text("AXButton");
    }
    if (name == "AXIdentifier") {
      return text(windows_.panel().identifier);
    }
    if (name == "AXDescription") {
      return text(windows_.panel().label);
    }
    break;
  case Node::Kind::window:
    if (name == "AXRole") {
      return text("AXWindow");
    }
    break;
  }
  return std::nullopt;
}

} // namespace lumivane::sim
