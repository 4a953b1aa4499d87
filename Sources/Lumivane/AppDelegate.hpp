#pragma once

#include "Lumivane/AppQuitService.hpp"
#include "Lumivane/AppReopenService.hpp"
#include "Lumivane/DockObserver.hpp"
#include "Lumivane/HoverController.hpp"
#include "Lumivane/LiveDiagnostics.hpp"
#include "Lumivane/MiddleClickMonitor.hpp"
#include "Lumivane/PermissionManager.hpp"
#include "Lumivane/Platform/Platform.hpp"
#include "Lumivane/Presentation.hpp"
#include "Lumivane/QuitOverlay.hpp"
#include "Lumivane/RuntimeStatus.hpp"
#include "Lumivane/SettingsManager.hpp"
#include "Lumivane/Texts.hpp"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumivane {

// The coordinator: owns every service, wires them together, decides which feature runs
// (reconciliation), pauses both while the Mac sleeps or is locked, and drives the status item,
// the popover and the windows. Main thread; every callback it installs holds it weakly.
// Create with make_shared.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
  static constexpr std::string_view welcomeArgument = "--welcome";

  AppDelegate(platform::Platform& platform, presentation::Windows& windows);

  // Entry points called by the platform.
  void applicationDidFinishLaunching();
  void applicationWillTerminate();
  void applicationDidBecomeActive();
  bool applicationShouldHandleReopen(bool hasVisibleWindows);
  void popoverDidClose();
  void windowWillClose(const presentation::Window* window);

  // Actions of the status item, the menu and the views.
  void togglePopover();
  void showWelcome();
  // The diagnostics window: the report of `--diagnose`, read with Lumivane's own permissions and
  // following the pointer while it is open. A second call brings the same window forward.
  void showDiagnostics();

  const std::shared_ptr<SettingsManager>& settings() const { return settings_; }
  const std::shared_ptr<PermissionManager>& permissions() const { return permissions_; }
  const std::shared_ptr<RuntimeStatus>& runtime() const { return runtime_; }
  const std::shared_ptr<DockObserver>& observer() const { return observer_; }
  const std::shared_ptr<QuitOverlay>& overlay() const { return overlay_; }
  const std::shared_ptr<AppQuitService>& quitter() const { return quitter_; }
  const std::shared_ptr<AppReopenService>& reopener() const { return reopener_; }
  const std::shared_ptr<MiddleClickMonitor>& middle() const { return middle_; }
  // Created on first use.
  HoverController& hover();
  presentation::StatusItem* statusItem() const { return statusItem_.get(); }
  presentation::Popover& popover() const { return *popover_; }
  const std::shared_ptr<presentation::Window>& welcome() const { return welcome_; }
  const std::shared_ptr<presentation::Window>& settingsWindow() const { return settingsWindow_; }
  const std::shared_ptr<presentation::Window>& diagnosticsWindow() const {
    return diagnosticsWindow_;
  }
  bool isSuspended() const { return !suspensionReasons_.empty(); }
  // The status item's badge is on: a refused quit or a time-out came since the popover or the
  // settings window last showed the status line.
  bool isBadged() const { return badged_; }

private:
  enum class SuspensionReason { sleep, display, session, lock };

  void reconcile();
  // Shows the line until a service reports another, and takes back the offer to reopen that the
  // line it replaces carried; a failure the user must see, out of view, also raises the badge.
  void showStatus(StatusLine line);
  void setBadge(bool badge);
  // The popover or the settings window is on screen: the status line is in view.
  bool isStatusLineInView() const;
  void clearBadgeOnceInView();
  void setSuspended(bool suspended, SuspensionReason reason);
  void configureLifecycle();
  void observe(platform::NotificationCenter center, platform::Notification name,
               std::function<void(AppDelegate&)> action);
  void configureApplicationMenu();
  void configureStatusItem();
  void presentSettings();
  std::shared_ptr<presentation::ViewController> menuController();
  // The regular applications running besides Lumivane, for the protected-apps editor.
  std::vector<ProtectableApp> protectableApps() const;
  // Routes the window's will-close to windowWillClose, holding this coordinator weakly.
  void reportClose(presentation::Window& window);
  void applyLayout(const HoverLayoutOptions& layout);
  // Wraps a member action so that it holds this coordinator weakly.
  std::function<void()> weakAction(void (AppDelegate::*action)());

  platform::Platform& platform_;
  presentation::Windows& windows_;
  std::shared_ptr<SettingsManager> settings_;
  std::shared_ptr<PermissionManager> permissions_;
  std::shared_ptr<RuntimeStatus> runtime_;
  std::shared_ptr<DockObserver> observer_;
  std::shared_ptr<QuitOverlay> overlay_;
  std::shared_ptr<AppQuitService> quitter_;
  std::shared_ptr<AppReopenService> reopener_;
  std::shared_ptr<MiddleClickMonitor> middle_;
  std::shared_ptr<HoverController> hover_;
  std::unique_ptr<presentation::StatusItem> statusItem_;
  std::unique_ptr<presentation::Popover> popover_;
  std::shared_ptr<presentation::Window> welcome_;
  std::shared_ptr<presentation::Window> settingsWindow_;
  std::shared_ptr<presentation::Window> diagnosticsWindow_;
  std::vector<std::pair<platform::NotificationCenter, platform::SubscriptionToken>> notifications_;
  std::set<SuspensionReason> suspensionReasons_;
  bool badged_ = false;
};

} // namespace lumivane
