#include "LumivaneCore/LumivaneCore.hpp"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace lumivane {
namespace {

const Rect screen{0, 0, 1728, 1117};

// A Dock of `count` 24-point icons, 2 points apart, centred along `edge`.
std::vector<Rect> dockItems(DockEdge edge, int count) {
  const double size = 24;
  const double step = size + 2;
  std::vector<Rect> items;
  for (int i = 0; i < count; ++i) {
    const double along = step * (i - count / 2.0);
    switch (edge) {
    case DockEdge::bottom:
      items.push_back({screen.midX() + along, screen.maxY() - size - 4, size, size});
      break;
    case DockEdge::left:
      items.push_back({screen.minX() + 4, screen.midY() + along, size, size});
      break;
    case DockEdge::right:
      items.push_back({screen.maxX() - size - 4, screen.midY() + along, size, size});
      break;
    }
  }
  return items;
}

// The × for an icon in the middle of a 40-item Dock, tested against all of its items.
void placementWithObstacles(benchmark::State& state, DockEdge edge) {
  const std::vector<Rect> items = dockItems(edge, 40);
  const Rect icon = items[20];
  const HoverLayoutOptions options{HoverPosition::automatic, HoverDistance::spacious};
  for (auto _ : state) {
    benchmark::DoNotOptimize(HoverLayout::placement(icon, edge, screen, options, items));
  }
}
BENCHMARK_CAPTURE(placementWithObstacles, bottom, DockEdge::bottom);
BENCHMARK_CAPTURE(placementWithObstacles, left, DockEdge::left);

void isOnButtonPath(benchmark::State& state) {
  const Rect icon{840, 1065, 48, 48};
  const Rect button{848, 954, 32, 32};
  Point point{850, 1020};
  for (auto _ : state) {
    benchmark::DoNotOptimize(point);
    benchmark::DoNotOptimize(DockGeometry::isOnButtonPath(point, icon, button, DockEdge::bottom));
  }
}
BENCHMARK(isOnButtonPath);

void canRetainSelection(benchmark::State& state) {
  const Rect button{848, 954, 32, 32};
  const Rect previousIcon{840, 1065, 48, 48};
  // The icon receded past what canRetain allows, so the fallback test runs too.
  Rect icon{842, 1085, 44, 44};
  for (auto _ : state) {
    benchmark::DoNotOptimize(icon);
    benchmark::DoNotOptimize(
        DockGeometry::canRetainSelection(button, previousIcon, icon, DockEdge::bottom, screen));
  }
}
BENCHMARK(canRetainSelection);

AppIdentity identity(int32_t pid, std::string path) {
  return {pid, std::move(path), std::chrono::system_clock::time_point{std::chrono::hours{pid}}};
}

// 80 running applications named by `pathOf`; the Dock item's bundle is the last one.
template <typename PathOf> void resolveAmong80(benchmark::State& state, PathOf pathOf) {
  std::vector<RunningApp> apps;
  for (int32_t index = 0; index < 80; ++index) {
    apps.push_back({identity(100 + index, pathOf(index)), "com.example.app" + std::to_string(index),
                    "Application", true, true, false});
  }
  const std::string path = apps.back().identity.bundlePath();
  for (auto _ : state) {
    benchmark::DoNotOptimize(AppResolver::resolve(path, apps, 1));
  }
}

// Bundle paths of assorted lengths, as application names have.
void resolve(benchmark::State& state) {
  resolveAmong80(state, [](int32_t index) {
    return "/Applications/" + std::string(4 + index * 7 % 29, static_cast<char>('A' + index % 26)) +
           ".app";
  });
}
BENCHMARK(resolve);

// The worst case: every path has the same length and differs only near its end.
void resolveSameLengthPaths(benchmark::State& state) {
  resolveAmong80(state, [](int32_t index) {
    return "/Applications/Application " + std::to_string(100 + index) + ".app";
  });
}
BENCHMARK(resolveSameLengthPaths);

// One hover tick on a visible target, the candidate copied in as a caller would.
void hoverStateUpdate(benchmark::State& state) {
  const AppIdentity safari = identity(321, "/Applications/Safari.app");
  HoverState hover(0.25, 0.15);
  double now = 1000;
  hover.update(safari, false, true, now);
  for (auto _ : state) {
    now += 1.0 / 30;
    hover.update(safari, false, true, now);
    benchmark::DoNotOptimize(hover.isVisible());
  }
}
BENCHMARK(hoverStateUpdate);

// One hover tick without a candidate: the pointer is on its way to the ×.
void hoverStateUpdateRetaining(benchmark::State& state) {
  HoverState hover(0.25, 0.15);
  double now = 1000;
  hover.update(identity(321, "/Applications/Safari.app"), false, true, now);
  hover.update(identity(321, "/Applications/Safari.app"), false, true, now + 1);
  for (auto _ : state) {
    now += 1.0 / 30;
    hover.update(std::nullopt, true, true, now);
    benchmark::DoNotOptimize(hover.isVisible());
  }
}
BENCHMARK(hoverStateUpdateRetaining);

// The pending check's tick: ten requests in flight, none overdue.
void quitLedgerExpire(benchmark::State& state) {
  QuitLedger ledger;
  for (int32_t pid = 100; pid < 110; ++pid) {
    if (!ledger.begin(identity(pid, "/Applications/Application " + std::to_string(pid) + ".app"),
                      50)) {
      state.SkipWithError("a request was not recorded");
      return;
    }
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(ledger.expire(55, 12));
  }
}
BENCHMARK(quitLedgerExpire);

} // namespace
} // namespace lumivane
