#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace lumivane::mac {

// The × panel's own window: a borderless NSPanel created with the non-activating style
// (NSWindowStyleMaskNonactivatingPanel takes effect only from the panel's creation; set later, on
// the panel Qt makes for a tool window, it leaves clicks activating Lumivane, and Qt's
// setWindowFlags rewrites the style mask without it). It never becomes key or main, is not
// opaque, has a clear background and no shadow, joins all spaces, stays out of window cycling
// and beside full-screen windows (collection behaviour 0x141), stays on screen when Lumivane
// deactivates, floats at level 101 (the pop-up-menu level, above the Dock), is not released when
// closed and is never animated by AppKit. The window server can drop a panel's membership of all
// spaces after a display sleeps or changes (codeburn PR #1246), so every show sets the
// collection behaviour and the level again.
//
// It hosts a Qt window's view: Qt treats a view inside a window of another class as embedded
// (QCocoaWindow::isEmbedded) and then leaves that window alone, so neither showing nor raising
// the Qt window orders anything in or activates the application; showing or hiding it only
// unhides or hides the view inside the panel (QCocoaWindow::setVisible).
//
// Qt's view drops mouse entered, exited and moved events while the application is not active
// (qnsview_mouse.mm), and Lumivane is inactive whenever the user is at the Dock: the panel has
// a tracking area of its own, active always, that reports the pointer entering and leaving.
class OverlayPanelWindow {
public:
  // Moves the view `nativeView` (a Qt window's WId: its NSView) into a new panel. Null when the
  // handle is 0 or not a view.
  static std::unique_ptr<OverlayPanelWindow> create(uintptr_t nativeView);
  ~OverlayPanelWindow();
  OverlayPanelWindow(const OverlayPanelWindow&) = delete;
  OverlayPanelWindow& operator=(const OverlayPanelWindow&) = delete;

  // Top-left space of the primary display (Qt's global space), points.
  void setFrameTopLeft(double x, double y, double width, double height);
  void orderFrontRegardless();
  void orderOut();
  bool isVisible() const;
  double alpha() const;
  void setAlpha(double alpha);
  // The panel's one accessibility element: a button with `label` and `identifier`, exactly as
  // given; pressing it (VoiceOver, Accessibility clients) runs `press`.
  void setAccessibility(std::string_view label, std::string_view identifier,
                        std::function<void()> press);
  // `inside` runs with true when the pointer enters the panel, false when it leaves, whether or
  // not Lumivane is active.
  void trackPointer(std::function<void(bool inside)> inside);

private:
  struct Objects;
  explicit OverlayPanelWindow(std::unique_ptr<Objects> objects);

  std::unique_ptr<Objects> objects_;
};

} // namespace lumivane::mac
