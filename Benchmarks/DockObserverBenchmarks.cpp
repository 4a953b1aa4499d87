#include "Lumivane/DockObserver.hpp"
#include "Simulator/Desktop.hpp"

#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace lumivane {
namespace {

constexpr int itemCount = 40;
constexpr int hovered = itemCount / 2;

// A 40-item bottom Dock of running applications on a wide display, no message latency.
struct FortyItemDock {
  FortyItemDock() {
    desktop.setScreens({{0, 0, 2560, 1440}});
    desktop.setAccessibility(true);
    desktop.placeDock(DockEdge::bottom, 0, 48);
    for (int i = 0; i < itemCount; ++i) {
      const std::string name = "App" + std::to_string(i);
      sim::AppProfile profile;
      profile.name = name;
      profile.bundleIdentifier = "com.example." + name;
      profile.bundlePath = "/Applications/" + name + ".app";
      desktop.addDockApplication(name, profile.bundlePath);
      desktop.launch(profile);
    }
    observer = std::make_unique<DockObserver>(desktop.platform());
  }

  Point hoveredCentre() const {
    const Rect frame = desktop.itemFrame(hovered);
    return {frame.midX(), frame.midY()};
  }

  sim::Desktop desktop;
  std::unique_ptr<DockObserver> observer;
};

// Replays the simulated Dock's first answer to every Accessibility message, so that a loop
// measures the observer's own work rather than the simulator's.
class ReplayedAccessibility final : public platform::Accessibility {
public:
  explicit ReplayedAccessibility(platform::Accessibility& recorded) : recorded_(recorded) {}

  bool isProcessTrusted() override { return recorded_.isProcessTrusted(); }
  void promptForTrust() override {}
  platform::ElementRef systemWide() override { return wrap(recorded_.systemWide()); }
  platform::ElementRef application(int32_t pid) override {
    return wrap(recorded_.application(pid));
  }
  void setMessagingTimeout(const platform::ElementRef& element, float seconds) override {
    recorded_.setMessagingTimeout(recording(element).inner, seconds);
  }
  std::optional<platform::ElementRef> elementAtPosition(const platform::ElementRef& system, float x,
                                                        float y) override {
    const std::pair key{x, y};
    auto found = positions_.find(key);
    if (found == positions_.end()) {
      auto element = recorded_.elementAtPosition(recording(system).inner, x, y);
      found = positions_.emplace(key, element && *element ? std::optional(wrap(*element)) : element)
                  .first;
    }
    return found->second;
  }
  std::optional<int32_t> processID(const platform::ElementRef& element) override {
    return recording(element).pid;
  }
  bool isSameElement(const platform::ElementRef& a, const platform::ElementRef& b) override {
    return recorded_.isSameElement(recording(a).inner, recording(b).inner);
  }
  std::optional<platform::AXValue> attribute(const platform::ElementRef& element,
                                             std::string_view name) override {
    const Recording& answers = recording(element);
    auto found = answers.values.find(name);
    if (found == answers.values.end()) {
      found = answers.values.emplace(name, wrap(recorded_.attribute(answers.inner, name))).first;
    }
    return found->second;
  }
  // The observer asks one list of attributes only: position and size.
  std::optional<std::vector<platform::AXValue>>
  attributes(const platform::ElementRef& element,
             std::span<const std::string_view> names) override {
    const Recording& answers = recording(element);
    if (!answers.frame) {
      answers.frame = recorded_.attributes(answers.inner, names);
    }
    return *answers.frame;
  }

private:
  struct Recording final : platform::Element {
    platform::ElementRef inner;
    std::optional<int32_t> pid;
    mutable std::map<std::string_view, std::optional<platform::AXValue>> values;
    mutable std::optional<std::optional<std::vector<platform::AXValue>>> frame;
  };

  static const Recording& recording(const platform::ElementRef& element) {
    return static_cast<const Recording&>(*element);
  }
  platform::ElementRef wrap(const platform::ElementRef& element) {
    auto answers = std::make_shared<Recording>();
    answers->inner = element;
    answers->pid = recorded_.processID(element);
    return answers;
  }
  std::optional<platform::AXValue> wrap(std::optional<platform::AXValue> value) {
    if (!value) {
      return value;
    }
    if (auto* element = std::get_if<platform::ElementRef>(&*value)) {
      *element = wrap(*element);
    } else if (auto* list = std::get_if<std::vector<platform::ElementRef>>(&*value)) {
      for (auto& child : *list) {
        child = wrap(child);
      }
    }
    return value;
  }

  platform::Accessibility& recorded_;
  std::map<std::pair<float, float>, std::optional<platform::ElementRef>> positions_;
};

// Replays the workspace's first answers: the application list and canonical paths.
class ReplayedWorkspace final : public platform::Workspace {
public:
  explicit ReplayedWorkspace(platform::Workspace& recorded) : recorded_(recorded) {}

  std::vector<platform::ApplicationInfo> runningApplications() override {
    if (!running_) {
      running_ = recorded_.runningApplications();
    }
    return *running_;
  }
  std::optional<platform::ApplicationInfo> application(int32_t pid) override {
    return recorded_.application(pid);
  }
  // The observer asks for the Dock only.
  std::vector<platform::ApplicationInfo> applications(std::string_view bundleIdentifier) override {
    if (!docks_) {
      docks_ = recorded_.applications(bundleIdentifier);
    }
    return *docks_;
  }
  bool terminate(int32_t) override { return false; }
  // The observer opens no application.
  void openApplication(std::string_view,
                       std::function<void(std::optional<platform::ApplicationInfo>)>) override {}
  std::optional<std::string> canonicalPath(std::string_view path) override {
    auto found = paths_.find(path);
    if (found == paths_.end()) {
      found = paths_.emplace(std::string(path), recorded_.canonicalPath(path)).first;
    }
    return found->second;
  }
  bool openURL(std::string_view) override { return false; }
  void revealInFileViewer(std::string_view) override {}
  bool reduceMotion() override { return false; }

private:
  platform::Workspace& recorded_;
  std::optional<std::vector<platform::ApplicationInfo>> running_;
  std::optional<std::vector<platform::ApplicationInfo>> docks_;
  std::map<std::string, std::optional<std::string>, std::less<>> paths_;
};

// Accessibility messages per call, as a benchmark counter.
void countMessages(benchmark::State& state, const sim::Desktop& desktop, std::size_t before) {
  state.counters["messages"] =
      benchmark::Counter(static_cast<double>(desktop.accessibilityMessageCount() - before),
                         benchmark::Counter::kAvgIterations);
}

// One hit test on the middle icon, with the × layout of the hover loop or none (middle click).
void dockObserverHit(benchmark::State& state, std::optional<HoverLayoutOptions> layout) {
  FortyItemDock dock;
  const Point point = dock.hoveredCentre();
  if (!dock.observer->hit(point, layout)) {
    state.SkipWithError("nothing under the hovered item");
    return;
  }
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->hit(point, layout));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK_CAPTURE(dockObserverHit, automaticStandard, HoverLayoutOptions::defaults);
BENCHMARK_CAPTURE(dockObserverHit, trailingSpacious,
                  HoverLayoutOptions{HoverPosition::trailing, HoverDistance::spacious});
BENCHMARK_CAPTURE(dockObserverHit, withoutLayout, std::nullopt);

// The same hit test with every answer replayed: the observer's own CPU time.
void dockObserverHitReplayed(benchmark::State& state, std::optional<HoverLayoutOptions> layout) {
  FortyItemDock dock;
  platform::Platform& simulated = dock.desktop.platform();
  ReplayedAccessibility accessibility(simulated.accessibility);
  ReplayedWorkspace workspace(simulated.workspace);
  platform::Platform replayed{
      accessibility,           workspace,        simulated.eventTaps, simulated.runLoop,
      simulated.notifications, simulated.mouse,  simulated.screens,   simulated.defaults,
      simulated.loginItems,    simulated.logger, simulated.process};
  DockObserver observer(replayed);
  const Point point = dock.hoveredCentre();
  const auto first = observer.hit(point, layout);
  if (!first || (layout && !first->target)) {
    state.SkipWithError("nothing under the hovered item");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(observer.hit(point, layout));
  }
}
BENCHMARK_CAPTURE(dockObserverHitReplayed, automaticStandard, HoverLayoutOptions::defaults);
BENCHMARK_CAPTURE(dockObserverHitReplayed, withoutLayout, std::nullopt);

// Runs `query` on the target under the hovered item, counting its Accessibility messages.
template <typename Query> void benchmarkTargetQuery(benchmark::State& state, Query query) {
  FortyItemDock dock;
  const auto hit = dock.observer->hit(dock.hoveredCentre(), HoverLayoutOptions::defaults);
  if (!hit || !hit->target) {
    state.SkipWithError("no target under the hovered item");
    return;
  }
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(query(*dock.observer, *hit->target));
  }
  countMessages(state, dock.desktop, before);
}

void dockObserverRefresh(benchmark::State& state) {
  benchmarkTargetQuery(state, [](DockObserver& observer, const DockTarget& target) {
    return observer.refresh(target, HoverLayoutOptions::defaults);
  });
}
BENCHMARK(dockObserverRefresh);

void dockObserverSelectedApplication(benchmark::State& state) {
  benchmarkTargetQuery(state, [](DockObserver& observer, const DockTarget& target) {
    return observer.selectedApplication(target);
  });
}
BENCHMARK(dockObserverSelectedApplication);

// The pointer far from every Dock edge: the pre-filter answers without a message.
void dockObserverHitAwayFromDock(benchmark::State& state) {
  FortyItemDock dock;
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->hit({1280, 500}, HoverLayoutOptions::defaults));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK(dockObserverHitAwayFromDock);

} // namespace
} // namespace lumivane
