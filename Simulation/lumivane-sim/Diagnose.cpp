#include "Diagnose.hpp"

#include "Lumivane/Diagnostics.hpp"
#include "Scenarios/Scenarios.hpp"

#include <memory>
#include <ostream>
#include <sstream>
#include <variant>
#include <vector>

namespace lumivane::sim {

std::string_view diagnoseDesktopScript() {
  return R"scenario(# The desktop of lumivane-sim --diagnose.
screen 1440x900
screen 1920x1080 at 1440,-180
dock bottom icons=48 magnify=96
app Finder
app Safari
app Mail
app Xcode launching
app Notes copies=2
app Pages copies=0
app Terminal bundle=com.apple.Terminal
app Sync background
separator
folder Downloads
url Manual https://example.com/manual
default protectedApps "com.apple.Terminal"
trash
)scenario";
}

namespace {

// Where the pointer rests for each hit test: on the Dock's items in order, over again when
// there are fewer than the hit tests.
std::vector<Point> restingPoints(const Desktop& desktop) {
  std::vector<Point> items;
  for (std::size_t index = 0; index < desktop.dockItemCount(); ++index) {
    if (const auto point = desktop.restingPoint(static_cast<int>(index))) {
      items.push_back(*point);
    }
  }
  std::vector<Point> points;
  for (int test = 0; !items.empty() && test < Diagnostics::hitTests; ++test) {
    points.push_back(items[static_cast<std::size_t>(test) % items.size()]);
  }
  return points;
}

// The Dock's magnification as the script's `dock` line sets it.
bool dockMagnification(const Scenario& scenario) {
  for (const Command& command : scenario.commands) {
    if (const auto* dock = std::get_if<command::Dock>(&command.action)) {
      return dock->magnifiedSize && *dock->magnifiedSize > dock->iconSize;
    }
  }
  return false;
}

} // namespace

int runDiagnose(std::string_view script, std::ostream& out, std::ostream& errors) {
  const auto parsed = parseScenario(script);
  if (const auto* error = std::get_if<ScenarioError>(&parsed)) {
    errors << error->describe() << '\n';
    return scenarioMalformed;
  }
  const Scenario& scenario = std::get<Scenario>(parsed);
  for (const Command& command : scenario.commands) {
    if (std::holds_alternative<command::Launch>(command.action)) {
      errors << "line " << command.line
             << ": --diagnose reports on a desktop; Lumivane is not launched in it\n";
      return scenarioMalformed;
    }
  }

  std::ostringstream setUpTimeline;
  ScenarioRunner runner(setUpTimeline);
  if (const ScenarioResult result = runner.run(scenario); !result.passed) {
    errors << result.failure << '\n';
    return scenarioFailed;
  }
  Desktop& desktop = runner.desktop();
  const std::vector<Point> points = restingPoints(desktop);
  if (!points.empty()) {
    desktop.movePointer(points.front());
  }

  bool finished = false;
  const auto diagnostics = std::make_shared<Diagnostics>(
      desktop.platform(),
      Diagnostics::System{"simulated macOS (lumivane-sim)", dockMagnification(scenario)},
      [&out](std::string_view line) { out << line << '\n'; });
  diagnostics->run([&finished] { finished = true; });
  // Each glide ends well before the next hit test, so every test sees the pointer at rest.
  for (std::size_t test = 0; test < points.size(); ++test) {
    desktop.glide(points[test], 0.8 * Diagnostics::hitTestInterval);
    desktop.advance(Diagnostics::hitTestInterval);
  }
  for (int slice = 0; !finished && slice < 2 * Diagnostics::hitTests; ++slice) {
    desktop.advance(Diagnostics::hitTestInterval / 10);
  }
  if (!finished) {
    errors << "lumivane-sim: the report's hit tests did not end\n";
    return scenarioFailed;
  }
  return scenarioPassed;
}

} // namespace lumivane::sim
