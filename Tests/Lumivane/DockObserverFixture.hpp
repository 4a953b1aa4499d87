#pragma once

// The Dock observer's test fixture: a simulated desktop whose Accessibility answers a test may
// rewrite, and the helpers the observer's suites share.

#include "Lumivane/DockObserver.hpp"
#include "Lumivane/DockReport.hpp"
#include "RewritingAccessibility.hpp"
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
  platform::Platform platform = withAccessibility(desktop.platform(), accessibility);
  std::map<std::string, int32_t> pids;

private:
  std::unique_ptr<DockObserver> observer_;
};

} // namespace lumivane::test
