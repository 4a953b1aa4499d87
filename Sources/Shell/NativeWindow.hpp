#pragma once

#include "Lumivane/Platform/Workspace.hpp"
#include "Lumivane/Presentation.hpp"
#include "Shell/StatusItem.hpp"

#include <QColor>
#include <QPixmap>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

class QWidget;

// What the shell needs of the native window system beyond Qt: activation, the × panel's own
// non-activating panel, the popover's material and shadow, the welcome window's title bar, the
// status item, and the system's own symbol images. macOS has them (NativeWindowMac.cpp);
// elsewhere Qt's own behaviour stands (NativeWindowPortable.cpp) and the absent results say so.
namespace lumivane::shell::native {

void setActivationPolicy(platform::ActivationPolicy policy);
// Makes Lumivane the active application, ignoring the others: only where the coordinator asks.
void activateIgnoringOtherApps();
// Brings one of our windows to the front without activating the application. (On macOS
// QWidget::raise() also activates the whole application.)
void orderFront(QWidget& window);

// A native window that hosts one of our top-level widgets, for the × panel: a panel that is
// non-activating from its creation, floats above the Dock on every space and never becomes key,
// so that neither showing it nor clicking it ever activates Lumivane. Qt goes on treating the
// hosted widget as a window of its own, whose visibility the host does not change. Geometry in
// Qt's global space.
class OverlayHost {
public:
  virtual ~OverlayHost() = default;
  virtual void setGeometry(const QRect& geometry) = 0;
  // Puts the panel on every space at its level again, then brings it to the front without
  // activating Lumivane: the window server can drop a panel's place in all spaces after a
  // display sleeps or changes.
  virtual void orderFrontRegardless() = 0;
  virtual void orderOut() = 0;
  virtual bool isVisible() = 0;
  virtual double alpha() = 0;
  virtual void setAlpha(double alpha) = 0;
  // The one accessibility element the panel shows: a button with this label and identifier,
  // whose press runs `press`.
  virtual void setAccessibility(std::string_view label, std::string_view identifier,
                                std::function<void()> press) = 0;
  // The panel's own tracking area, which works whether or not Lumivane is the active
  // application (Qt's view tells the hosted widget about the pointer only while it is): runs
  // `inside` with true when the pointer enters the panel and with false when it leaves.
  virtual void trackPointer(std::function<void(bool inside)> inside) = 0;
};

// Moves `content` (a frameless top-level widget) into a native panel of our own; absent where
// Qt's own tool window already behaves (everywhere but macOS).
std::unique_ptr<OverlayHost> hostOverlay(QWidget& content);

// Gives the popover's window the system's popover material under its content, clipped to
// `cornerRadius`, and the system's shadow. True when the system draws both; the window must then
// draw neither and keep its content clear.
bool configurePopover(QWidget& window, double cornerRadius);

// Watches for mouse presses in other applications, which a transient popover closes on; the
// watch ends with the returned object. Absent where the system does not report them.
class ClickWatch {
public:
  virtual ~ClickWatch() = default;
};
std::unique_ptr<ClickWatch> watchClicksInOtherApplications(std::function<void()> onClick);

// Applies the title-bar parts of a window style: full-size content, a transparent title bar, a
// hidden title, movable by its background. False where the window system has none of them.
bool configureWindow(QWidget& window, const presentation::WindowStyle& style);

// The status item of the system status bar, with what Qt's tray icon does not reach: the
// button's exact accessibility identifier, a template image and its highlight while the popover
// is open. Absent where Qt's system tray stands in.
std::unique_ptr<StatusButton> createStatusButton();

// The system's symbol `name` at `size` points, tinted `colour`, in its own proportions (a wide
// symbol is wider than `size`); absent when the system has no symbol images or no symbol of
// that name.
std::optional<QPixmap> systemSymbol(std::string_view name, double size, const QColor& colour,
                                    double devicePixelRatio);

} // namespace lumivane::shell::native
