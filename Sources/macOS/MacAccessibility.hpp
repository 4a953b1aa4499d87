#pragma once

#include "Lumivane/Platform/Accessibility.hpp"

namespace lumivane::mac {

// The Accessibility port on HIServices' AXUIElement API. The elements it hands out own one
// reference to their AXUIElementRef each. An element made by another implementation of the port
// is never dereferenced: every message about it fails (an empty answer).
class MacAccessibility final : public platform::Accessibility {
public:
  bool isProcessTrusted() override;
  void promptForTrust() override;

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
};

} // namespace lumivane::mac
