#include "macOS/MacAccessibility.hpp"

#include "macOS/MacText.hpp"

#import <ApplicationServices/ApplicationServices.h>
#import <Foundation/Foundation.h>

namespace lumivane::mac {

namespace {

class MacElement final : public platform::Element {
public:
  // Takes over a reference the caller owns (from a Create or Copy function, or a CFRetain).
  explicit MacElement(AXUIElementRef element) : element_(element) {}
  ~MacElement() override { CFRelease(element_); }
  MacElement(const MacElement&) = delete;
  MacElement& operator=(const MacElement&) = delete;

  AXUIElementRef get() const { return element_; }

private:
  AXUIElementRef element_;
};

// Null for a null reference.
platform::ElementRef adopt(AXUIElementRef element) {
  if (element == nullptr) {
    return nullptr;
  }
  return std::make_shared<const MacElement>(element);
}

// Null for a null handle or one this adapter did not make.
AXUIElementRef unwrap(const platform::ElementRef& element) {
  const auto* mac = dynamic_cast<const MacElement*>(element.get());
  return mac != nullptr ? mac->get() : nullptr;
}

// A list counts as elements only when every item is one.
platform::AXValue elementList(CFArrayRef list) {
  const CFIndex count = CFArrayGetCount(list);
  std::vector<platform::ElementRef> elements;
  elements.reserve(static_cast<size_t>(count));
  for (CFIndex index = 0; index < count; ++index) {
    const CFTypeRef item = CFArrayGetValueAtIndex(list, index);
    if (item == nullptr || CFGetTypeID(item) != AXUIElementGetTypeID()) {
      return platform::AXOther{};
    }
    elements.push_back(adopt(static_cast<AXUIElementRef>(CFRetain(item))));
  }
  return elements;
}

platform::AXValue structure(AXValueRef value) {
  switch (AXValueGetType(value)) {
  case kAXValueTypeCGPoint: {
    CGPoint point{};
    if (AXValueGetValue(value, kAXValueTypeCGPoint, &point)) {
      return Point{point.x, point.y};
    }
    break;
  }
  case kAXValueTypeCGSize: {
    CGSize size{};
    if (AXValueGetValue(value, kAXValueTypeCGSize, &size)) {
      return platform::AXSize{size.width, size.height};
    }
    break;
  }
  default:
    break;
  }
  return platform::AXOther{};
}

platform::AXValue convert(CFTypeRef value) {
  if (value == nullptr) {
    return platform::AXOther{};
  }
  const CFTypeID type = CFGetTypeID(value);
  if (type == CFStringGetTypeID()) {
    if (auto text = nfcUTF8(static_cast<CFStringRef>(value))) {
      return platform::AXText{std::move(*text)};
    }
  } else if (type == AXUIElementGetTypeID()) {
    return adopt(static_cast<AXUIElementRef>(CFRetain(value)));
  } else if (type == CFArrayGetTypeID()) {
    return elementList(static_cast<CFArrayRef>(value));
  } else if (type == CFURLGetTypeID()) {
    if (auto text = utf8((__bridge CFStringRef)((__bridge NSURL*)value).absoluteString)) {
      return platform::AXURL{std::move(*text)};
    }
  } else if (type == AXValueGetTypeID()) {
    return structure(static_cast<AXValueRef>(value));
  } else if (type == CFNumberGetTypeID()) {
    double number = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberDoubleType, &number);
    return platform::AXNumber{number};
  }
  return platform::AXOther{};
}

} // namespace

bool MacAccessibility::isProcessTrusted() {
  return AXIsProcessTrusted();
}

void MacAccessibility::promptForTrust() {
  NSDictionary* options = @{(__bridge NSString*)kAXTrustedCheckOptionPrompt : @YES};
  AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
}

platform::ElementRef MacAccessibility::systemWide() {
  return adopt(AXUIElementCreateSystemWide());
}

platform::ElementRef MacAccessibility::application(int32_t pid) {
  return adopt(AXUIElementCreateApplication(pid));
}

void MacAccessibility::setMessagingTimeout(const platform::ElementRef& element, float seconds) {
  if (AXUIElementRef target = unwrap(element)) {
    AXUIElementSetMessagingTimeout(target, seconds);
  }
}

std::optional<platform::ElementRef>
MacAccessibility::elementAtPosition(const platform::ElementRef& system, float x, float y) {
  AXUIElementRef target = unwrap(system);
  if (target == nullptr) {
    return std::nullopt;
  }
  AXUIElementRef found = nullptr;
  const AXError error = AXUIElementCopyElementAtPosition(target, x, y, &found);
  platform::ElementRef element = adopt(found);
  // AXUIElement.h: kAXErrorNoValue, "the requested value or AXUIElementRef does not exist".
  if (error == kAXErrorNoValue) {
    return platform::ElementRef{};
  }
  if (error != kAXErrorSuccess || element == nullptr) {
    return std::nullopt;
  }
  return element;
}

std::optional<int32_t> MacAccessibility::processID(const platform::ElementRef& element) {
  AXUIElementRef target = unwrap(element);
  pid_t pid = 0;
  if (target == nullptr || AXUIElementGetPid(target, &pid) != kAXErrorSuccess) {
    return std::nullopt;
  }
  return pid;
}

// AXUIElement.h: AXUIElementRefs are CFTypes and compare with CFEqual.
bool MacAccessibility::isSameElement(const platform::ElementRef& a, const platform::ElementRef& b) {
  AXUIElementRef first = unwrap(a);
  AXUIElementRef second = unwrap(b);
  return first != nullptr && second != nullptr && CFEqual(first, second);
}

std::optional<platform::AXValue> MacAccessibility::attribute(const platform::ElementRef& element,
                                                             std::string_view name) {
  AXUIElementRef target = unwrap(element);
  NSString* attributeName = CFBridgingRelease(createString(name));
  if (target == nullptr || attributeName == nil) {
    return std::nullopt;
  }
  CFTypeRef copied = nullptr;
  const AXError error =
      AXUIElementCopyAttributeValue(target, (__bridge CFStringRef)attributeName, &copied);
  id value = CFBridgingRelease(copied);
  if (error != kAXErrorSuccess || value == nil) {
    return std::nullopt;
  }
  return convert((__bridge CFTypeRef)value);
}

std::optional<std::vector<platform::AXValue>>
MacAccessibility::attributes(const platform::ElementRef& element,
                             std::span<const std::string_view> names) {
  AXUIElementRef target = unwrap(element);
  if (target == nullptr) {
    return std::nullopt;
  }
  NSMutableArray<NSString*>* attributeNames = [NSMutableArray arrayWithCapacity:names.size()];
  for (const std::string_view name : names) {
    NSString* attributeName = CFBridgingRelease(createString(name));
    if (attributeName == nil) {
      return std::nullopt;
    }
    [attributeNames addObject:attributeName];
  }
  // Options 0: a value that cannot be read comes back in its place as an AXValue of the error
  // type, which converts to AXOther; the other values still arrive.
  CFArrayRef copied = nullptr;
  const AXError error = AXUIElementCopyMultipleAttributeValues(
      target, (__bridge CFArrayRef)attributeNames, 0, &copied);
  NSArray* values = CFBridgingRelease(copied);
  // One value per name, in order, or no answer at all: callers index the values by position.
  if (error != kAXErrorSuccess || values == nil || values.count != names.size()) {
    return std::nullopt;
  }
  std::vector<platform::AXValue> converted;
  converted.reserve(values.count);
  for (id value in values) {
    converted.push_back(convert((__bridge CFTypeRef)value));
  }
  return converted;
}

} // namespace lumivane::mac
