#pragma once

#include "Lumivane/Platform/Workspace.hpp"
#include "Lumivane/ProtectedAppRows.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/Geometry.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {
class LiveDiagnostics;
class SettingsManager;
class PermissionManager;
class RuntimeStatus;
} // namespace lumivane

namespace lumivane::presentation {

// The × panel: a 32×32 borderless, shadowless, transparent, non-activating panel that floats
// above the Dock on every space, never takes focus and accepts the first click. Its whole
// content is the round close button. Frames are in the bottom-left space.
class OverlayPanel {
public:
  virtual ~OverlayPanel() = default;
  virtual Rect frame() = 0;
  // setFrame:display: with immediate redisplay.
  virtual void setFrame(const Rect& frame) = 0;
  virtual bool isVisible() = 0;
  virtual double alpha() = 0;
  virtual void setAlpha(double alpha) = 0;
  // Brings the panel to the front without activating this program.
  virtual void orderFrontRegardless() = 0;
  // Hides the panel at once, without a fade.
  virtual void orderOut() = 0;
  // Animates the alpha value to `alpha` over `duration` seconds.
  virtual void animateAlpha(double alpha, double duration) = 0;
  virtual void setButtonAccessibilityLabel(std::string_view label) = 0;
  virtual void setButtonAccessibilityIdentifier(std::string_view identifier) = 0;
  // The process the × stands for. The label names it for the user; a window that has nothing
  // more to show for it keeps this default.
  virtual void setRepresentedProcess(int32_t /*pid*/) {}
  // The button's action: runs on the main thread for each click.
  virtual void setButtonAction(std::function<void()> action) = 0;
};

// The status-bar item (square length) and its button.
class StatusItem {
public:
  virtual ~StatusItem() = default;
  virtual bool hasButton() = 0;
  virtual void setButtonAction(std::function<void()> action) = 0;
  virtual void setButtonAccessibilityIdentifier(std::string_view identifier) = 0;
  // A system symbol by name, with its accessibility description.
  virtual void setSymbol(std::string_view symbolName,
                         std::string_view accessibilityDescription) = 0;
  virtual void setToolTip(std::string_view toolTip) = 0;
  // A small dot on the symbol: an outcome the user has not seen yet. It stays through changes of
  // the symbol until it is taken off.
  virtual void setBadge(bool badge) = 0;
  // The button's frame in screen coordinates (bottom-left space); empty when it has no window.
  virtual Rect buttonScreenFrame() = 0;
};

// Hosted view content (a hosting view controller); opaque to the coordinator.
class ViewController {
public:
  virtual ~ViewController() = default;
};

// What the popover's content is built from.
struct MenuContentModel {
  std::shared_ptr<SettingsManager> settings;
  std::shared_ptr<PermissionManager> permissions;
  std::shared_ptr<RuntimeStatus> runtime;
  DockEdge previewEdge = DockEdge::bottom;
  double contentHeight = 500; // until the content has measured itself
  std::function<void()> showWelcome;
  std::function<void()> showDiagnostics;
  std::function<void()> quit;
  // The running applications the protected-apps editor offers, asked each time it shows them;
  // absent: none.
  std::function<std::vector<ProtectableApp>()> runningApps;
};

// What the welcome window's content is built from.
struct WelcomeContentModel {
  std::shared_ptr<PermissionManager> permissions;
  std::function<void()> close;
  std::function<void()> showDiagnostics;
};

// What the diagnostics window's content is built from: the report it shows, running.
struct DiagnosticsContentModel {
  std::shared_ptr<LiveDiagnostics> diagnostics;
  std::function<void()> close;
};

// The transient popover under the status item.
class Popover {
public:
  virtual ~Popover() = default;
  // Transient behaviour (closes on a click elsewhere) and the delegate's popoverDidClose.
  virtual void configure(std::function<void()> didClose) = 0;
  virtual bool isShown() = 0;
  virtual void performClose() = 0;
  // The content view controller; null drops it.
  virtual void setContent(std::shared_ptr<ViewController> content) = 0;
  virtual bool hasContent() = 0;
  // Shows relative to the status-item button's bounds at the minimum-Y edge.
  virtual void show(StatusItem& anchor) = 0;
  // Makes the window of the popover's content view the key window.
  virtual void makeContentKey() = 0;
};

struct WindowStyle {
  std::string title;
  bool fullSizeContentView = false;
  bool transparentTitlebar = false;
  bool titleHidden = false;
  bool movableByBackground = false;
  // Always titled and closable, not released when closed.
};

class Window {
public:
  virtual ~Window() = default;
  virtual void center() = 0;
  virtual void makeKeyAndOrderFront() = 0;
  virtual void performClose() = 0;
  virtual bool isVisible() = 0;
  // The delegate's windowWillClose.
  virtual void setWillClose(std::function<void()> willClose) = 0;
};

// One item of the application menu.
struct MenuItem {
  enum class Action { custom, performClose, terminate, separator };
  // The standard place of an item in the macOS application menu, where the system has one.
  enum class Role { none, about, preferences, quit };
  std::string title;
  Action action = Action::custom;
  std::function<void()> perform; // for custom actions
  std::string keyEquivalent;     // with the Command modifier; empty for none
  Role role = Role::none;
};

// NSApplication and the windows Lumivane shows: the application's presentation boundary. The
// coordinator and the × overlay see only these interfaces; the Qt shell implements them for the
// product and the simulator records them for the tests.
class Windows {
public:
  virtual ~Windows() = default;
  virtual void setActivationPolicy(platform::ActivationPolicy policy) = 0;
  virtual void activateIgnoringOtherApps() = 0;
  // The main menu: one item whose submenu has `title` and `items`.
  virtual void setApplicationMenu(std::string_view title, std::vector<MenuItem> items) = 0;
  virtual void terminate() = 0;
  // True while any window of this program is visible.
  virtual bool hasVisibleWindows() = 0;

  virtual std::unique_ptr<OverlayPanel> createOverlayPanel(const Rect& contentRect) = 0;
  // Null when the system has no status bar.
  virtual std::unique_ptr<StatusItem> createStatusItem() = 0;
  virtual std::unique_ptr<Popover> createPopover() = 0;
  virtual std::shared_ptr<ViewController> menuContent(const MenuContentModel& model) = 0;
  virtual std::shared_ptr<ViewController> welcomeContent(const WelcomeContentModel& model) = 0;
  virtual std::shared_ptr<ViewController>
  diagnosticsContent(const DiagnosticsContentModel& model) = 0;
  virtual std::shared_ptr<Window> createWindow(const WindowStyle& style,
                                               std::shared_ptr<ViewController> content) = 0;
};

} // namespace lumivane::presentation
