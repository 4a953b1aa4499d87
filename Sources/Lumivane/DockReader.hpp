#pragma once

#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/QueryBudget.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

// Reads the Dock's Accessibility tree for the Dock observer: the Dock's current process, and the
// frames, texts, children and parents of its elements, each read given up once the query's
// budget is spent (an absent answer, like a failed message). Decides nothing. Main thread.
class DockReader {
public:
  static constexpr float messagingTimeout = 0.02f;
  static constexpr std::size_t maxItems = 128;

  DockReader(platform::Platform& platform, QueryBudget& budget);

  // AXIsProcessTrusted.
  bool isTrusted();
  // Opens a query's budget and finds the Dock's current process, which may have changed since
  // the last query (a Dock restart); false without a Dock, or with a shared budget spent.
  [[nodiscard]] bool begin();
  [[nodiscard]] bool isWithinBudget();
  // The Dock's process as the last query found it.
  int32_t dockPID() const { return dockPID_; }

  // The element at a point (top-left space): an empty handle where nothing is, absent when the
  // message failed or the point is beyond what single precision can name.
  [[nodiscard]] std::optional<platform::ElementRef> elementAt(Point point);
  [[nodiscard]] std::optional<int32_t> processID(const platform::ElementRef& element);
  bool isSameElement(const platform::ElementRef& a, const platform::ElementRef& b);
  // An attribute as the message answers it, within the budget.
  [[nodiscard]] std::optional<platform::AXValue> attribute(const platform::ElementRef& element,
                                                           std::string_view name);
  // The attribute's text; absent when unread or of another type.
  [[nodiscard]] std::optional<std::string> text(const platform::ElementRef& element,
                                                std::string_view name);
  // Position and size in one message, so both describe the same moment of an animating Dock.
  [[nodiscard]] std::optional<Rect> frame(const platform::ElementRef& element);
  // "AXParent", when it is an element.
  [[nodiscard]] std::optional<platform::ElementRef> parent(const platform::ElementRef& element);
  // "AXChildren", every one a real element.
  [[nodiscard]] std::optional<std::vector<platform::ElementRef>>
  children(const platform::ElementRef& element);
  // The same for an item list that can be measured: at least one child and at most maxItems.
  [[nodiscard]] std::optional<std::vector<platform::ElementRef>>
  items(const platform::ElementRef& list);
  // "AXURL" as its text: a URL as it prints itself, or the text some items give.
  [[nodiscard]] std::optional<std::string> url(const platform::ElementRef& element);

  // The Dock's item list: its first top-level element of role "AXList" with a frame on one of
  // `screens`, that frame and that screen. Within the query begin() opened.
  struct List {
    platform::ElementRef element;
    Rect frame;
    Rect screen;
  };
  [[nodiscard]] std::optional<List> list(std::span<const Rect> screens);

  // True when the value is that text.
  static bool isText(const std::optional<platform::AXValue>& value, std::string_view expected);

private:
  platform::Platform& platform_;
  QueryBudget& budget_;
  platform::ElementRef system_;
  int32_t dockPID_ = 0;
};

} // namespace lumivane
