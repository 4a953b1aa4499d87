// CPU per hover-loop tick over a 40-item Dock on the simulated desktop, and the Accessibility
// messages each tick sends. One iteration advances the virtual clock by one tick interval, so
// the time includes the simulator answering the messages.

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/DockObserver.hpp"
#include "Lumivane/HoverController.hpp"
#include "Lumivane/QuitOverlay.hpp"
#include "Simulator/Desktop.hpp"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace lumivane {
namespace {

constexpr int dockApplications = 40;
constexpr int restingItem = 20;

struct HoverDesktop {
  HoverDesktop() {
    desktop.setScreens({{0, 0, 1920, 1080}});
    desktop.placeDock(DockEdge::bottom, 0, 40);
    for (int index = 0; index < dockApplications; ++index) {
      const std::string name = "App " + std::to_string(index);
      const std::string path = "/Applications/" + name + ".app";
      desktop.launch({.name = name,
                      .bundleIdentifier = "com.example.app" + std::to_string(index),
                      .bundlePath = path});
      desktop.addDockApplication(name, path);
    }
    desktop.setAccessibility(true);
    platform::Platform& platform = desktop.platform();
    observer = std::make_shared<DockObserver>(platform);
    overlay = std::make_shared<QuitOverlay>(desktop.windows(), platform.workspace);
    quitter = AppQuitService::create(platform);
    hover = HoverController::create(observer, overlay, quitter, platform);
    hover->start();
  }

  // Rests on an icon until its × shows.
  bool showButton() {
    const Rect icon = desktop.itemFrame(restingItem);
    desktop.movePointer({icon.midX(), icon.midY()});
    desktop.advance(0.5);
    return desktop.panel().visible;
  }

  sim::Desktop desktop;
  std::shared_ptr<DockObserver> observer;
  std::shared_ptr<QuitOverlay> overlay;
  std::shared_ptr<AppQuitService> quitter;
  std::shared_ptr<HoverController> hover;
};

void report(benchmark::State& state, HoverDesktop& bench, std::size_t messagesBefore) {
  if (!bench.desktop.panel().visible) {
    state.SkipWithError("the × did not stay up");
  }
  state.counters["ax_messages_per_tick"] = benchmark::Counter(
      static_cast<double>(bench.desktop.accessibilityMessageCount() - messagesBefore),
      benchmark::Counter::kAvgIterations);
}

void HoverTickResting(benchmark::State& state) {
  HoverDesktop bench;
  if (!bench.showButton()) {
    state.SkipWithError("no × on the resting icon");
    return;
  }
  const std::size_t messagesBefore = bench.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    bench.desktop.advance(HoverController::tickInterval);
  }
  report(state, bench, messagesBefore);
}
BENCHMARK(HoverTickResting);

// Back and forth between the icon's centre and the ×'s centre, one position per tick.
void HoverTickTravelling(benchmark::State& state) {
  HoverDesktop bench;
  if (!bench.showButton()) {
    state.SkipWithError("no × on the resting icon");
    return;
  }
  const Point from = bench.desktop.pointer();
  const Rect panel = bench.desktop.panel().frame; // bottom-left space
  const Point to{panel.midX(), bench.observer->primaryTop() - panel.midY()};
  constexpr int legs = 16;
  int step = 0;
  const std::size_t messagesBefore = bench.desktop.accessibilityMessageCount();
  for (auto _ : state) {
    const int position = step < legs ? step : 2 * legs - step;
    step = (step + 1) % (2 * legs);
    const double share = static_cast<double>(position) / legs;
    bench.desktop.movePointer({from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share});
    bench.desktop.advance(HoverController::tickInterval);
  }
  report(state, bench, messagesBefore);
}
BENCHMARK(HoverTickTravelling);

} // namespace
} // namespace lumivane
