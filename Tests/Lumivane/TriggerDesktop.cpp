#include "TriggerDesktop.hpp"

namespace lumivane::test {

namespace {

struct DockApp {
  const char* name;
  const char* bundleIdentifier;
  const char* bundlePath;
  sim::QuitBehaviour quit;
};

constexpr DockApp dockApps[] = {
    {"Finder", "com.apple.finder", "/System/Library/CoreServices/Finder.app",
     sim::QuitBehaviour::immediately},
    {"Safari", "com.apple.Safari", "/Applications/Safari.app", sim::QuitBehaviour::immediately},
    {"Mail", "com.apple.mail", "/System/Applications/Mail.app", sim::QuitBehaviour::immediately},
    {"Notes", "com.apple.Notes", "/System/Applications/Notes.app", sim::QuitBehaviour::never},
};

} // namespace

TriggerDesktop::TriggerDesktop(const DockSetup& setup) {
  desktop.setScreens(setup.screens);
  desktop.placeDock(setup.edge, 0, setup.iconSize, setup.magnifiedSize);
  for (const DockApp& app : dockApps) {
    desktop.launch({.name = app.name,
                    .bundleIdentifier = app.bundleIdentifier,
                    .bundlePath = app.bundlePath,
                    .quit = app.quit});
    desktop.addDockApplication(app.name, app.bundlePath);
  }
  desktop.addDockItem(sim::DockItemKind::folder, "Downloads");
  desktop.addDockItem(sim::DockItemKind::trash, "Trash");
  desktop.setAccessibility(true);
  desktop.setInputMonitoring(true);
  // A machine that has been up a while, as every real one is.
  desktop.advance(60);

  observer = std::make_shared<DockObserver>(platform);
  overlay = std::make_shared<QuitOverlay>(desktop.windows(), platform.workspace);
  quitter = AppQuitService::create(platform);
  hover = HoverController::create(observer, overlay, quitter, platform);
  monitor = std::make_shared<MiddleClickMonitor>(platform.eventTaps, platform.runLoop);
  monitor->resolve = [observer = observer](Point point) {
    return observer->hit(point, std::nullopt);
  };
  monitor->onQuit = [quitter = quitter](const RunningApp& app) { quitter->request(app); };
}

Rect TriggerDesktop::icon(std::string_view item) const {
  return desktop.itemFrame(desktop.dockItemNamed(item).value());
}

Point TriggerDesktop::centre(std::string_view item) const {
  const Rect frame = icon(item);
  return {frame.midX(), frame.midY()};
}

Rect TriggerDesktop::buttonAbove(const Rect& icon) {
  return {icon.midX() - 16, icon.minY() - 5 - 36 - 6 - 32, 32, 32};
}

Rect TriggerDesktop::panelFrame() const {
  const Rect frame = desktop.panel().frame;
  return {frame.x, observer->primaryTop() - frame.maxY(), frame.width, frame.height};
}

int32_t TriggerDesktop::pid(std::string_view name) const {
  return desktop.pidOf(name).value();
}

std::vector<sim::LogRecord> TriggerDesktop::hoverLog() const {
  std::vector<sim::LogRecord> records;
  for (const sim::LogRecord& record : desktop.logs()) {
    if (record.category == platform::LogCategory::hover) {
      records.push_back(record);
    }
  }
  return records;
}

} // namespace lumivane::test
