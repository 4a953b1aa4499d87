#pragma once

#include "Lumivane/DockReader.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lumivane {

// The last full measurement of the Dock's item list, and what was learnt of its items since: the
// hover loop's steps reuse it while the Dock shows the same list, list frame and children, the
// asked item still has the frame last measured for it and the measurement is younger than the
// lifetime; an item found to be an application's item in that time keeps its bundle path. Frames
// it reuses that could reach a × are read again (refreshLane). Main thread.
class DockSnapshot {
public:
  static constexpr double lifetime = 2.0;

  DockSnapshot(DockReader& reader, platform::RunLoop& clock);

  // Brings the frames of the items in `list` up to date for `item`, whose frame was just read as
  // `icon`: true when the measurement is reused (`mayReuse`, and the Dock has not visibly
  // changed), false when they were measured now, absent when they cannot be read (the
  // measurement stays as it was).
  [[nodiscard]] std::optional<bool> update(const platform::ElementRef& list, const Rect& listFrame,
                                           const platform::ElementRef& item, const Rect& icon,
                                           bool mayReuse);
  // Measures the items of the measured list again; false, and the measurement dropped, when one
  // cannot be read.
  [[nodiscard]] bool remeasure();
  // Reads again the items other than `item` that share `rect`'s lane across the Dock: the only
  // ones whose own motion (a bounce) can bring them onto it without the Dock visibly changing
  // otherwise. Whether any had moved; absent when one cannot be read. Needs a measurement.
  [[nodiscard]] std::optional<bool> refreshLane(const Rect& rect, const platform::ElementRef& item,
                                                DockEdge edge);
  void drop() { measurement_.reset(); }

  // A measurement of the Dock's current process exists.
  bool exists() const;
  // The frames of the measured items that have an area (separators have none): the obstacles
  // a × may not cover. Needs a measurement.
  std::span<const Rect> obstacles() const { return measurement_->obstacles; }
  // The element is one of the measured list's items; and, for `holds`, the measurement is young.
  bool contains(const platform::ElementRef& element);
  bool holds(const platform::ElementRef& element);
  // The list the element belongs to, while the measurement holds it.
  [[nodiscard]] std::optional<platform::ElementRef> listOf(const platform::ElementRef& element);

  // What was learnt of an item: its role reads "AXDockItem", the canonical bundle path of its
  // application. Only answers that were read successfully are kept, and all are forgotten once
  // older than the lifetime.
  bool isKnownItem(const platform::ElementRef& element);
  [[nodiscard]] std::optional<std::string> knownBundlePath(const platform::ElementRef& element);
  void learn(const platform::ElementRef& element, const std::string& bundlePath);

private:
  struct Measurement {
    int32_t dockPID = 0;
    platform::ElementRef list;
    Rect listFrame;
    std::vector<platform::ElementRef> children;
    std::vector<Rect> frames;    // one per child
    std::vector<Rect> obstacles; // the frames that have an area
    double measuredAt = 0;
    std::vector<bool> isItem;
    std::vector<std::optional<std::string>> bundlePaths;
    double factsSince = 0;
  };

  // Every child's frame, or nothing: one unreadable child, or a budget that runs out half way,
  // spoils the whole measurement, and the one before stays.
  [[nodiscard]] bool measure(const platform::ElementRef& list, const Rect& listFrame,
                             std::vector<platform::ElementRef> elements);
  [[nodiscard]] std::optional<std::size_t> index(const platform::ElementRef& element);
  // The same, for the facts learnt of the element: they are all forgotten first once they are
  // older than the lifetime.
  [[nodiscard]] std::optional<std::size_t> knownIndex(const platform::ElementRef& element);
  // Taken `since` no longer ago than the lifetime.
  bool isYoung(double since);

  DockReader& reader_;
  platform::RunLoop& clock_;
  std::optional<Measurement> measurement_;
};

} // namespace lumivane
