#pragma once

#include "Lumivane/Platform/Platform.hpp"

#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace lumivane::test {

// Hands every message to the simulated Accessibility interface and lets a test rewrite the
// values that come back, for answers the simulated Dock never gives by itself.
class RewritingAccessibility final : public platform::Accessibility {
public:
  explicit RewritingAccessibility(platform::Accessibility& inner) : inner_(inner) {}

  std::function<void(const platform::ElementRef&, std::string_view, platform::AXValue&)> rewrite;

  bool isProcessTrusted() override { return inner_.isProcessTrusted(); }
  void promptForTrust() override { inner_.promptForTrust(); }
  platform::ElementRef systemWide() override { return inner_.systemWide(); }
  platform::ElementRef application(int32_t pid) override { return inner_.application(pid); }
  void setMessagingTimeout(const platform::ElementRef& element, float seconds) override {
    inner_.setMessagingTimeout(element, seconds);
  }
  std::optional<platform::ElementRef> elementAtPosition(const platform::ElementRef& system, float x,
                                                        float y) override {
    return inner_.elementAtPosition(system, x, y);
  }
  std::optional<int32_t> processID(const platform::ElementRef& element) override {
    return inner_.processID(element);
  }
  bool isSameElement(const platform::ElementRef& a, const platform::ElementRef& b) override {
    return inner_.isSameElement(a, b);
  }
  std::optional<platform::AXValue> attribute(const platform::ElementRef& element,
                                             std::string_view name) override {
    std::optional<platform::AXValue> value = inner_.attribute(element, name);
    if (value && rewrite) {
      rewrite(element, name, *value);
    }
    return value;
  }
  std::optional<std::vector<platform::AXValue>>
  attributes(const platform::ElementRef& element,
             std::span<const std::string_view> names) override {
    std::optional<std::vector<platform::AXValue>> values = inner_.attributes(element, names);
    for (std::size_t i = 0; values && rewrite && i < names.size(); ++i) {
      rewrite(element, names[i], (*values)[i]);
    }
    return values;
  }

private:
  platform::Accessibility& inner_;
};

// The same ports with `accessibility` in place of the platform's own.
inline platform::Platform withAccessibility(const platform::Platform& base,
                                            platform::Accessibility& accessibility) {
  return {accessibility,      base.workspace, base.eventTaps, base.runLoop,
          base.notifications, base.mouse,     base.screens,   base.defaults,
          base.loginItems,    base.logger,    base.process};
}

} // namespace lumivane::test
