#pragma once

#include "LumivaneCore/Geometry.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lumivane::platform {

// An Accessibility element (AXUIElementRef on macOS). Opaque; copies share the element, which
// is released with the last copy.
class Element {
public:
  virtual ~Element() = default;
};
using ElementRef = std::shared_ptr<const Element>;

// An attribute value with its type kept visible, so that callers can refuse the wrong type.
struct AXText {
  std::string value; // NFC
};
struct AXURL {
  std::string absoluteString; // as the URL object prints itself, e.g. "file:///Applications/A.app/"
};
struct AXSize {
  double width = 0;
  double height = 0;
};
struct AXNumber {
  double value = 0;
};
// Anything else: a value of a type the observer never accepts (including a list that holds
// something other than elements, and an AXValue of another kind than point or size).
struct AXOther {};
using AXValue = std::variant<AXText, ElementRef, std::vector<ElementRef>, AXURL, Point, AXSize,
                             AXNumber, AXOther>;

// The Accessibility interface of the window server. Every message may fail (an error, the
// element vanished, or the messaging time-out passed); a failed message is an empty optional.
class Accessibility {
public:
  virtual ~Accessibility() = default;

  // AXIsProcessTrusted.
  virtual bool isProcessTrusted() = 0;
  // AXIsProcessTrustedWithOptions with the prompt option: asks the system to show its prompt.
  virtual void promptForTrust() = 0;

  // AXUIElementCreateSystemWide.
  virtual ElementRef systemWide() = 0;
  // AXUIElementCreateApplication.
  virtual ElementRef application(int32_t pid) = 0;
  // AXUIElementSetMessagingTimeout; on the system-wide element it bounds every later message.
  virtual void setMessagingTimeout(const ElementRef& element, float seconds) = 0;

  // AXUIElementCopyElementAtPosition, asked of `system`; top-left space, single precision. An
  // empty handle when no element is there (kAXErrorNoValue), nothing on any other error.
  [[nodiscard]] virtual std::optional<ElementRef> elementAtPosition(const ElementRef& system,
                                                                    float x, float y) = 0;
  // AXUIElementGetPid.
  [[nodiscard]] virtual std::optional<int32_t> processID(const ElementRef& element) = 0;
  // CFEqual: the two handles stand for one element (handles from separate messages may). A local
  // comparison; no message is sent.
  virtual bool isSameElement(const ElementRef& a, const ElementRef& b) = 0;
  // AXUIElementCopyAttributeValue.
  [[nodiscard]] virtual std::optional<AXValue> attribute(const ElementRef& element,
                                                         std::string_view name) = 0;
  // AXUIElementCopyMultipleAttributeValues with options 0: one message, values in the order
  // asked (a value that could not be read comes back as AXOther).
  virtual std::optional<std::vector<AXValue>>
  attributes(const ElementRef& element, std::span<const std::string_view> names) = 0;
};

} // namespace lumivane::platform
