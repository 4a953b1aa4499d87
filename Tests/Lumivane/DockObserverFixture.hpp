#pragma once

// The Dock observer's test fixture: a simulated desktop whose Accessibility answers a test may
// rewrite, and the helpers the observer's suites share.

#include "Lumivane/DockObserver.hpp"
#include "Lumivane/DockReport.hpp"
#include "Simulator/Desktop.hpp"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane::test {

using platform::AXValue;
using Reading = DockObserver::Reading;
using sim::DockItemKind;
using sim::Fault;
using sim::FaultKind;
using sim::FaultTarget;

constexpr std::string_view incompleteSnapshot =
    "Hover layout unavailable: incomplete Dock geometry snapshot";

// Hands every message to the simulated Accessibility interface and lets a test rewrite the
// values that come back, for answers the simulated Dock never gives by itself.
class RewritingAccessibility final : public platform::Accessibility {
public:
  explicit RewritingAccessibility(platform::Accessibility& inner) : inner_(inner) {}

  std::function<void(const platform::ElementRef&, std::string_view, AXValue&)> rewrite;

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
  std::optional<AXValue> attribute(const platform::ElementRef& element,
                                   std::string_view name) override {
    std::optional<AXValue> value = inner_.attribute(element, name);
    if (value && rewrite) {
      rewrite(element, name, *value);
    }
    return value;
  }
  std::optional<std::vector<AXValue>> attributes(const platform::ElementRef& element,
                                                 std::span<const std::string_view> names) override {
    std::optional<std::vector<AXValue>> values = inner_.attributes(element, names);
    for (std::size_t i = 0; values && rewrite && i < names.size(); ++i) {
      rewrite(element, names[i], (*values)[i]);
    }
    return values;
  }

private:
  platform::Accessibility& inner_;
};

inline sim::AppProfile profile(const std::string& name, std::string bundlePath = "") {
  sim::AppProfile result;
  result.name = name;
  result.bundleIdentifier = "com.example." + name;
  result.bundlePath = bundlePath.empty() ? "/Applications/" + name + ".app" : bundlePath;
  return result;
}

inline Point centre(const Rect& rect) {
  return {rect.midX(), rect.midY()};
}

class DockObserverTest : public ::testing::Test {
public:
  void SetUp() override {
    desktop.setAccessibility(true);
    desktop.setScreens({{0, 0, 1440, 900}});
  }

  // A running application with its Dock item; returns the item's index.
  int addApp(const std::string& name, const std::string& bundlePath = "") {
    const sim::AppProfile app = profile(name, bundlePath);
    pids[name] = desktop.launch(app);
    return desktop.addDockApplication(name, app.bundlePath);
  }

  // Made on first use, so that it reads the displays a test has set up.
  DockObserver& observer() {
    if (!observer_) {
      observer_ = std::make_unique<DockObserver>(platform);
    }
    return *observer_;
  }

  std::optional<DockObserver::Hit>
  hitItem(int item, std::optional<HoverLayoutOptions> layout = HoverLayoutOptions::defaults,
          Reading reading = Reading::fresh) {
    return observer().hit(centre(desktop.itemFrame(item)), layout, reading);
  }

  std::optional<DockTarget> targetOf(int item, Reading reading = Reading::fresh) {
    auto hit = hitItem(item, HoverLayoutOptions::defaults, reading);
    return hit ? hit->target : std::nullopt;
  }

  // Changes the answers of every element that has the given role.
  void rewriteForRole(std::string role, std::function<void(std::string_view, AXValue&)> change) {
    accessibility.rewrite = [this, role = std::move(role),
                             change = std::move(change)](const platform::ElementRef& element,
                                                         std::string_view name, AXValue& value) {
      const auto answer = desktop.platform().accessibility.attribute(element, "AXRole");
      const auto* text = answer ? std::get_if<platform::AXText>(&*answer) : nullptr;
      if (text != nullptr && text->value == role) {
        change(name, value);
      }
    };
  }

  std::vector<std::string> geometryLogs() const {
    std::vector<std::string> messages;
    for (const sim::LogRecord& record : desktop.logs()) {
      if (record.category == platform::LogCategory::geometry) {
        EXPECT_EQ(record.level, platform::LogLevel::debug) << record.message;
        messages.push_back(record.message);
      }
    }
    return messages;
  }

  sim::Desktop desktop;
  RewritingAccessibility accessibility{desktop.platform().accessibility};
  platform::Platform platform{
      accessibility,
      desktop.platform().workspace,
      desktop.platform().eventTaps,
      desktop.platform().runLoop,
      desktop.platform().notifications,
      desktop.platform().mouse,
      desktop.platform().screens,
      desktop.platform().defaults,
      desktop.platform().loginItems,
      desktop.platform().logger,
      desktop.platform().process,
  };
  std::map<std::string, int32_t> pids;

private:
  std::unique_ptr<DockObserver> observer_;
};

} // namespace lumivane::test
