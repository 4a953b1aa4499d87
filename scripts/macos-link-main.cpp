// The program the macOS check links and never runs: every macOS adapter, reached from plain C++
// as the Qt shell reaches it, linked with the standard-library layers into one Mach-O image, so
// that a definition missing from any of them fails the check.

#include "macOS/MacAccessibility.hpp"
#include "macOS/MacDefaults.hpp"
#include "macOS/MacEventTaps.hpp"
#include "macOS/MacLogger.hpp"
#include "macOS/MacLoginItems.hpp"
#include "macOS/MacMouse.hpp"
#include "macOS/MacNotifications.hpp"
#include "macOS/MacProcess.hpp"
#include "macOS/MacRunLoop.hpp"
#include "macOS/MacScreens.hpp"
#include "macOS/MacWorkspace.hpp"
#include "macOS/OverlayPanelNative.hpp"
#include "macOS/StatusItemNative.hpp"
#include "macOS/SystemSymbols.hpp"
#include "macOS/WindowNative.hpp"

int main() {
  lumivane::mac::MacAccessibility accessibility;
  lumivane::mac::MacWorkspace workspace;
  lumivane::mac::MacEventTaps eventTaps;
  lumivane::mac::MacRunLoop runLoop;
  lumivane::mac::MacNotifications notifications;
  lumivane::mac::MacMouse mouse;
  lumivane::mac::MacScreens screens;
  lumivane::mac::MacDefaults defaults;
  lumivane::mac::MacLoginItems loginItems;
  lumivane::mac::MacLogger logger;
  lumivane::mac::MacProcess process;

  logger.log(lumivane::platform::LogCategory::geometry, lumivane::platform::LogLevel::debug,
             "link check");
  const bool ready =
      accessibility.isProcessTrusted() && eventTaps.preflightListenEventAccess() &&
      workspace.application(process.pid()).has_value() && !screens.frames().empty() &&
      runLoop.uptime() > 0 && defaults.boolForKey("hasSeenWelcome") &&
      loginItems.status() == lumivane::platform::LoginItemStatus::enabled &&
      mouse.pressedButtons() == 0 &&
      notifications.subscribe(lumivane::platform::NotificationCenter::workspace,
                              lumivane::platform::Notification::didWake, [] {}) != 0 &&
      lumivane::mac::renderSystemSymbol("dock.rectangle", 16, 2).has_value() &&
      lumivane::mac::OverlayPanelWindow::create(0) == nullptr && !lumivane::mac::orderFront(0) &&
      !lumivane::mac::applyPopoverMaterial(0, 10) &&
      !lumivane::mac::applyWindowStyle(0, true, true, true, true) &&
      lumivane::mac::ClickMonitor::create([] {}) != nullptr &&
      lumivane::mac::StatusItemButton::create() != nullptr;
  lumivane::mac::setActivationPolicy(lumivane::platform::ActivationPolicy::accessory);
  lumivane::mac::activateIgnoringOtherApps();
  return ready ? 0 : 1;
}
