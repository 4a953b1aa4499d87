#include "Lumivane/DockSnapshot.hpp"

#include <algorithm>
#include <utility>

namespace lumivane {

DockSnapshot::DockSnapshot(DockReader& reader, platform::RunLoop& clock)
    : reader_(reader), clock_(clock) {}

std::optional<bool> DockSnapshot::update(const platform::ElementRef& list, const Rect& listFrame,
                                         const platform::ElementRef& item, const Rect& icon,
                                         bool mayReuse) {
  std::optional<std::vector<platform::ElementRef>> elements = reader_.items(list);
  if (!elements) {
    return std::nullopt;
  }
  const auto same = [&](const platform::ElementRef& a, const platform::ElementRef& b) {
    return reader_.isSameElement(a, b);
  };
  const auto reusable = [&] {
    if (!mayReuse || !exists() || !isYoung(measurement_->measuredAt) ||
        !same(measurement_->list, list) || measurement_->listFrame != listFrame ||
        !std::ranges::equal(measurement_->children, *elements, same)) {
      return false;
    }
    const std::optional<std::size_t> at = index(item);
    return at && measurement_->frames[*at] == icon;
  };
  if (reusable()) {
    return true;
  }
  if (!measure(list, listFrame, std::move(*elements))) {
    return std::nullopt;
  }
  return false;
}

bool DockSnapshot::remeasure() {
  const platform::ElementRef list = measurement_->list;
  const Rect listFrame = measurement_->listFrame;
  std::vector<platform::ElementRef> elements = measurement_->children;
  if (!measure(list, listFrame, std::move(elements))) {
    drop();
    return false;
  }
  return true;
}

bool DockSnapshot::measure(const platform::ElementRef& list, const Rect& listFrame,
                           std::vector<platform::ElementRef> elements) {
  Measurement measured;
  measured.dockPID = reader_.dockPID();
  measured.list = list;
  measured.listFrame = listFrame;
  measured.frames.reserve(elements.size());
  for (const platform::ElementRef& child : elements) {
    const std::optional<Rect> childFrame = reader_.frame(child);
    if (!childFrame) {
      return false;
    }
    measured.frames.push_back(*childFrame);
    if (childFrame->absWidth() > 0 && childFrame->absHeight() > 0) {
      measured.obstacles.push_back(*childFrame);
    }
  }
  measured.measuredAt = clock_.uptime();
  // What was learnt of the items stays with them while the children are the same elements.
  if (exists() && isYoung(measurement_->factsSince) &&
      std::ranges::equal(measurement_->children, elements, [&](const auto& a, const auto& b) {
        return reader_.isSameElement(a, b);
      })) {
    measured.isItem = std::move(measurement_->isItem);
    measured.bundlePaths = std::move(measurement_->bundlePaths);
    measured.factsSince = measurement_->factsSince;
  } else {
    measured.isItem.assign(elements.size(), false);
    measured.bundlePaths.assign(elements.size(), std::nullopt);
    measured.factsSince = measured.measuredAt;
  }
  measured.children = std::move(elements);
  measurement_ = std::move(measured);
  return true;
}

std::optional<bool> DockSnapshot::refreshLane(const Rect& rect, const platform::ElementRef& item,
                                              DockEdge edge) {
  const std::optional<std::size_t> own = index(item);
  bool changed = false;
  for (std::size_t at = 0; at < measurement_->children.size(); ++at) {
    const Rect& known = measurement_->frames[at];
    if (at == own || !(area(known) > 0) || !DockGeometry::sharesLane(known, rect, edge)) {
      continue;
    }
    const std::optional<Rect> now = reader_.frame(measurement_->children[at]);
    if (!now) {
      return std::nullopt;
    }
    if (*now != known) {
      measurement_->frames[at] = *now;
      changed = true;
    }
  }
  if (changed) {
    measurement_->obstacles.clear();
    for (const Rect& known : measurement_->frames) {
      if (area(known) > 0) {
        measurement_->obstacles.push_back(known);
      }
    }
  }
  return changed;
}

bool DockSnapshot::exists() const {
  return measurement_ && measurement_->dockPID == reader_.dockPID();
}

bool DockSnapshot::contains(const platform::ElementRef& element) {
  return index(element).has_value();
}

bool DockSnapshot::holds(const platform::ElementRef& element) {
  return exists() && isYoung(measurement_->measuredAt) && contains(element);
}

// A child of the measured list has that list as its parent, while the measurement lives.
std::optional<platform::ElementRef> DockSnapshot::listOf(const platform::ElementRef& element) {
  return measurement_ && isYoung(measurement_->measuredAt) && contains(element)
             ? std::optional(measurement_->list)
             : std::nullopt;
}

bool DockSnapshot::isKnownItem(const platform::ElementRef& element) {
  const std::optional<std::size_t> known = knownIndex(element);
  return known && measurement_->isItem[*known];
}

std::optional<std::string> DockSnapshot::knownBundlePath(const platform::ElementRef& element) {
  const std::optional<std::size_t> known = knownIndex(element);
  return known ? measurement_->bundlePaths[*known] : std::nullopt;
}

void DockSnapshot::learn(const platform::ElementRef& element, const std::string& bundlePath) {
  if (const std::optional<std::size_t> known = knownIndex(element)) {
    measurement_->isItem[*known] = true;
    measurement_->bundlePaths[*known] = bundlePath;
  }
}

std::optional<std::size_t> DockSnapshot::index(const platform::ElementRef& element) {
  if (!exists()) {
    return std::nullopt;
  }
  const auto found = std::ranges::find_if(measurement_->children, [&](const auto& child) {
    return reader_.isSameElement(child, element);
  });
  if (found == measurement_->children.end()) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - measurement_->children.begin());
}

std::optional<std::size_t> DockSnapshot::knownIndex(const platform::ElementRef& element) {
  const std::optional<std::size_t> at = index(element);
  if (at && !isYoung(measurement_->factsSince)) {
    measurement_->isItem.assign(measurement_->children.size(), false);
    measurement_->bundlePaths.assign(measurement_->children.size(), std::nullopt);
    measurement_->factsSince = clock_.uptime();
  }
  return at;
}

bool DockSnapshot::isYoung(double since) {
  return clock_.uptime() - since <= lifetime;
}

} // namespace lumivane
