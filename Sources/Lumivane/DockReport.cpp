#include "Lumivane/DockReport.hpp"

namespace lumivane {

namespace {

ItemReading readItem(DockObserver& observer, const platform::ElementRef& item) {
  DockReader& reader = observer.reader();
  return {reader.text(item, "AXSubrole"), reader.text(item, "AXTitle"), reader.frame(item),
          reader.url(item), observer.resolution(item)};
}

} // namespace

std::optional<DockReading> readDock(DockObserver& observer) {
  const std::optional<DockReader::List> list = observer.dockList();
  if (!list) {
    return std::nullopt;
  }
  DockReading reading{list->frame, DockGeometry::edge(list->frame, list->screen), {}};
  DockReader& reader = observer.reader();
  const auto elements = reader.children(list->element);
  if (!elements) {
    return reading;
  }
  for (const platform::ElementRef& item : *elements) {
    if (!reader.begin()) {
      break;
    }
    reading.items.push_back(readItem(observer, item));
  }
  return reading;
}

std::optional<ItemReading> readItemAt(DockObserver& observer, Point point) {
  const std::optional<platform::ElementRef> item = observer.itemUnder(point);
  return item ? std::optional(readItem(observer, *item)) : std::nullopt;
}

} // namespace lumivane
