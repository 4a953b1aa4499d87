#include "InteractiveDesktop.hpp"

#include "Lumivane/AppDelegate.hpp"
#include "Shell/QtDefaults.hpp"
#include "Shell/QtWindows.hpp"
#include "SimulatedDesktop/SimulatorWindow.hpp"

#include <QApplication>
#include <QScreen>
#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace lumivane::shell {

int runDesktop(int argc, char** argv) {
  QApplication application(argc, argv);
  const QScreen* display = QGuiApplication::primaryScreen();
  if (display == nullptr) {
    std::cerr << "lumivane-sim: --desktop needs a display\n";
    return 2;
  }
  QApplication::setQuitOnLastWindowClosed(false);
  const QRect available = display->availableGeometry();
  const QSize screenSize(std::clamp(available.width() - 40, 800, 1440),
                         std::clamp(available.height() - 140, 500, 900));

  sim::Desktop desktop;
  std::vector<DockTile> tiles = populateDesktop(desktop, screenSize);
  desktop.setAccessibility(true);
  desktop.setInputMonitoring(true);
  std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  std::erase(arguments, "--desktop");
  desktop.setArguments(std::move(arguments));

  QtDefaults defaults(QStringLiteral("Lumivane"), QStringLiteral("lumivane-sim"));
  SimulatorWindow window(desktop, std::move(tiles));
  QtWindows windows(window.space());
  platform::Platform& simulated = desktop.platform();
  platform::Platform platform{
      simulated.accessibility, simulated.workspace, simulated.eventTaps, simulated.runLoop,
      simulated.notifications, simulated.mouse,     simulated.screens,   defaults,
      simulated.loginItems,    simulated.logger,    simulated.process};
  const auto delegate = std::make_shared<AppDelegate>(platform, windows);
  window.show();
  delegate->applicationDidFinishLaunching();
  window.setApplicationMenu(windows.applicationMenu());
  QObject::connect(&application, &QCoreApplication::aboutToQuit,
                   [&delegate] { delegate->applicationWillTerminate(); });
  window.startClock();
  return QApplication::exec();
}

} // namespace lumivane::shell
