// The Accessibility messages the two triggers send over a 40-item bottom Dock on the simulated
// desktop, in the situations a user spends time in, and the CPU each loop step takes. One
// iteration advances the virtual clock (by one tick interval, or by a second for the rates), so
// the time includes the simulator answering the messages.
//
// Counters: ax_messages_per_second while resting on an icon and while idle far from the Dock;
// ax_messages_per_step for the moving cases (one step: one tick of the hover loop) and for the
// middle click (one step: one click).

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/DockObserver.hpp"
#include "Lumivane/HoverController.hpp"
#include "Lumivane/MiddleClickMonitor.hpp"
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
  explicit HoverDesktop(DockEdge edge = DockEdge::bottom) {
    desktop.setScreens({{0, 0, 1920, 1080}});
    desktop.placeDock(edge, 0, edge == DockEdge::bottom ? 40 : 24);
    for (int index = 0; index < dockApplications; ++index) {
      const std::string name = "App " + std::to_string(index);
      const std::string path = "/Applications/" + name + ".app";
      // Each keeps a save prompt open, so a middle click leaves it running; later clicks find
      // its request pending until it times out.
      desktop.launch({.name = name,
                      .bundleIdentifier = "com.example.app" + std::to_string(index),
                      .bundlePath = path,
                      .quit = sim::QuitBehaviour::never});
      desktop.addDockApplication(name, path);
    }
    desktop.setAccessibility(true);
    desktop.setInputMonitoring(true);
    // A machine that has been up a while, as every real one is.
    desktop.advance(60);
    platform::Platform& platform = desktop.platform();
    observer = std::make_shared<DockObserver>(platform);
    overlay = std::make_shared<QuitOverlay>(desktop.windows(), platform.workspace);
    quitter = AppQuitService::create(platform);
    hover = HoverController::create(observer, overlay, quitter, platform);
    hover->start();
  }

  Point centre(int item) const {
    const Rect icon = desktop.itemFrame(item);
    return {icon.midX(), icon.midY()};
  }

  // Rests on an icon until its × shows.
  bool showButton() {
    desktop.movePointer(centre(restingItem));
    desktop.advance(0.5);
    return desktop.panel().visible;
  }

  std::size_t messages() const { return desktop.accessibilityMessageCount(); }

  sim::Desktop desktop;
  std::shared_ptr<DockObserver> observer;
  std::shared_ptr<QuitOverlay> overlay;
  std::shared_ptr<AppQuitService> quitter;
  std::shared_ptr<HoverController> hover;
};

// Messages since `before`, averaged over the iterations, under `name`.
void countMessages(benchmark::State& state, const HoverDesktop& bench, std::size_t before,
                   const char* name) {
  state.counters[name] = benchmark::Counter(static_cast<double>(bench.messages() - before),
                                            benchmark::Counter::kAvgIterations);
}

// The same, for a run that must end with the × still shown.
void countMessagesKeepingButton(benchmark::State& state, const HoverDesktop& bench,
                                std::size_t before, const char* name) {
  if (!bench.desktop.panel().visible) {
    state.SkipWithError("the × did not stay up");
  }
  countMessages(state, bench, before, name);
}

// Resting on an icon with its × shown, one virtual second per iteration.
void rest(benchmark::State& state, HoverDesktop& bench) {
  if (!bench.showButton()) {
    state.SkipWithError("no × on the resting icon");
    return;
  }
  const std::size_t before = bench.messages();
  for (auto _ : state) {
    bench.desktop.advance(1.0);
  }
  countMessagesKeepingButton(state, bench, before, "ax_messages_per_second");
}

void HoverResting(benchmark::State& state) {
  HoverDesktop bench;
  rest(state, bench);
}
BENCHMARK(HoverResting);

// The same on a left Dock of 24-point icons with the trailing layout: the × sits below the name
// band, beside the next icons, whose frames each look reads too.
void HoverRestingBesideANeighbour(benchmark::State& state) {
  HoverDesktop bench(DockEdge::left);
  bench.hover->layout = {HoverPosition::trailing, HoverDistance::standard};
  rest(state, bench);
}
BENCHMARK(HoverRestingBesideANeighbour);

// Along the row at the icons' centre line, 12 points a step (360 points a second), between the
// tenth and the thirtieth icon and back: a new icon every three or four steps.
void HoverGliding(benchmark::State& state) {
  HoverDesktop bench;
  const Point first = bench.centre(10);
  const Point last = bench.centre(30);
  bench.desktop.movePointer(first);
  bench.desktop.advance(HoverController::tickInterval);
  double x = first.x;
  double direction = 12;
  const std::size_t before = bench.messages();
  for (auto _ : state) {
    x += direction;
    if (x >= last.x || x <= first.x) {
      direction = -direction;
    }
    bench.desktop.movePointer({x, first.y});
    bench.desktop.advance(HoverController::tickInterval);
  }
  countMessages(state, bench, before, "ax_messages_per_step");
}
BENCHMARK(HoverGliding);

// Back and forth between the icon's centre and the ×'s centre, one position per step.
void HoverHeadingToButton(benchmark::State& state) {
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
  const std::size_t before = bench.messages();
  for (auto _ : state) {
    const int position = step < legs ? step : 2 * legs - step;
    step = (step + 1) % (2 * legs);
    const double share = static_cast<double>(position) / legs;
    bench.desktop.movePointer({from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share});
    bench.desktop.advance(HoverController::tickInterval);
  }
  countMessagesKeepingButton(state, bench, before, "ax_messages_per_step");
}
BENCHMARK(HoverHeadingToButton);

// A middle click on an icon, resolved through the event tap as the coordinator wires it.
void MiddleClick(benchmark::State& state) {
  HoverDesktop bench;
  bench.hover->stop();
  platform::Platform& platform = bench.desktop.platform();
  const auto monitor = std::make_shared<MiddleClickMonitor>(platform.eventTaps, platform.runLoop);
  monitor->resolve = [&bench](Point point) { return bench.observer->hit(point, std::nullopt); };
  monitor->onQuit = [&bench](const RunningApp& app) { bench.quitter->request(app); };
  if (!monitor->start()) {
    state.SkipWithError("no event tap");
    return;
  }
  bench.desktop.movePointer(bench.centre(restingItem));
  const std::size_t before = bench.messages();
  for (auto _ : state) {
    bench.desktop.middleClick();
    bench.desktop.advance(HoverController::tickInterval);
  }
  if (bench.desktop.quitRequests().empty()) {
    state.SkipWithError("no click reached the quit service");
  }
  countMessages(state, bench, before, "ax_messages_per_step");
}
BENCHMARK(MiddleClick);

// Moving about far from every Dock edge, one virtual second per iteration.
void HoverIdle(benchmark::State& state) {
  HoverDesktop bench;
  bench.desktop.movePointer({960, 300});
  bool across = false;
  const std::size_t before = bench.messages();
  for (auto _ : state) {
    across = !across;
    bench.desktop.glide(across ? Point{1500, 500} : Point{420, 300}, 1.0);
    bench.desktop.advance(1.0);
  }
  countMessages(state, bench, before, "ax_messages_per_second");
}
BENCHMARK(HoverIdle);

} // namespace
} // namespace lumivane
