// The program the macOS check links for arm64 and x86_64 into one universal Mach-O and never runs:
// the adapter aggregate, the shell's native seam and `--diagnose`, reached from plain C++ as the
// app reaches them, linked with every source of the layers the check lists, so that a definition
// missing from any of them fails the link. To link more in, add its folder to the check's list and
// reach its entry point from main() below.

#include "Shell/macOS/OverlayPanelNative.hpp"
#include "Shell/macOS/StatusItemNative.hpp"
#include "Shell/macOS/SystemSymbols.hpp"
#include "Shell/macOS/WindowNative.hpp"
#include "macOS/MacDiagnose.hpp"
#include "macOS/MacPlatform.hpp"

namespace {

// The adapter aggregate, each port reached once through the bundle the services see.
bool portsAnswer(lumivane::platform::Platform& ports) {
  using namespace lumivane::platform;
  ports.logger.log(LogCategory::geometry, LogLevel::debug, "link check");
  return ports.accessibility.isProcessTrusted() && ports.eventTaps.preflightListenEventAccess() &&
         ports.workspace.application(ports.process.pid()).has_value() &&
         !ports.process.systemVersion().empty() && !ports.screens.frames().empty() &&
         ports.runLoop.uptime() > 0 && ports.defaults.boolForKey("hasSeenWelcome") &&
         ports.loginItems.status() == LoginItemStatus::enabled &&
         ports.mouse.pressedButtons() == 0 &&
         ports.notifications.subscribe(NotificationCenter::workspace, Notification::didWake,
                                       [] {}) != 0;
}

// The shell's native seam: the × panel's own window with its tracking area, window styles, the
// status item's button, the popover's material, the click monitor, activation and system symbols.
bool nativeSeamAnswers() {
  lumivane::mac::setActivationPolicy(lumivane::platform::ActivationPolicy::accessory);
  lumivane::mac::activateIgnoringOtherApps();
  const auto panel = lumivane::mac::OverlayPanelWindow::create(0);
  if (panel) {
    panel->trackPointer([](bool) {});
    panel->orderFrontRegardless();
  }
  return lumivane::mac::renderSystemSymbol("dock.rectangle", 16, 2).has_value() &&
         panel == nullptr && !lumivane::mac::orderFront(0) &&
         !lumivane::mac::applyPopoverMaterial(0, 10) &&
         !lumivane::mac::applyWindowStyle(0, true, true, true, true) &&
         lumivane::mac::ClickMonitor::create([] {}) != nullptr &&
         lumivane::mac::StatusItemButton::create() != nullptr;
}

} // namespace

int main(int argc, char* argv[]) {
  (void)argv;
  if (argc > 1) {
    return lumivane::mac::runDiagnose();
  }
  lumivane::mac::MacPlatform mac;
  return portsAnswer(mac.platform()) && nativeSeamAnswers() ? 0 : 1;
}
