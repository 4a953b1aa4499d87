#include "Lumivane/DockObserver.hpp"
#include "Simulator/Desktop.hpp"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

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
      sim::AppSpec spec;
      spec.name = name;
      spec.bundleIdentifier = "com.example." + name;
      spec.bundlePath = "/Applications/" + name + ".app";
      desktop.addDockApplication(name, spec.bundlePath);
      desktop.launch(spec);
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

// Accessibility messages per call, as a benchmark counter.
void countMessages(benchmark::State& state, const sim::Desktop& desktop, std::size_t before) {
  state.counters["messages"] =
      benchmark::Counter(static_cast<double>(desktop.accessibilityMessageCount() - before),
                         benchmark::Counter::kAvgIterations);
}

void hitWithLayout(benchmark::State& state) {
  FortyItemDock dock;
  const Point point = dock.hoveredCentre();
  const HoverLayoutOptions layout{HoverPosition::automatic, HoverDistance::standard};
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->hit(point, layout));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK(hitWithLayout);

void hitWithoutLayout(benchmark::State& state) {
  FortyItemDock dock;
  const Point point = dock.hoveredCentre();
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->hit(point, std::nullopt));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK(hitWithoutLayout);

void refresh(benchmark::State& state) {
  FortyItemDock dock;
  const auto hit = dock.observer->hit(dock.hoveredCentre(), HoverLayoutOptions::defaults);
  if (!hit || !hit->target) {
    state.SkipWithError("no target under the hovered item");
    return;
  }
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->refresh(*hit->target, HoverLayoutOptions::defaults));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK(refresh);

void selectedApplication(benchmark::State& state) {
  FortyItemDock dock;
  const auto hit = dock.observer->hit(dock.hoveredCentre(), HoverLayoutOptions::defaults);
  if (!hit || !hit->target) {
    state.SkipWithError("no target under the hovered item");
    return;
  }
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->selectedApplication(*hit->target));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK(selectedApplication);

// The pointer far from every Dock edge: the pre-filter answers without a message.
void hitAwayFromDock(benchmark::State& state) {
  FortyItemDock dock;
  const std::size_t before = dock.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    benchmark::DoNotOptimize(dock.observer->hit({1280, 500}, HoverLayoutOptions::defaults));
  }
  countMessages(state, dock.desktop, before);
}
BENCHMARK(hitAwayFromDock);

} // namespace
} // namespace lumivane
