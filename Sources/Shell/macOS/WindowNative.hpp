#pragma once

#include "Lumivane/Platform/Workspace.hpp"

#include <cstdint>
#include <functional>
#include <memory>

// AppKit window settings the Qt shell asks for by a Qt window's WId (its NSView). Each returns
// false, changing nothing, when the handle is 0, not a view, or not yet in a window.
namespace lumivane::mac {

// The application's activation policy; accessory: no Dock icon and no menu bar of its own.
void setActivationPolicy(platform::ActivationPolicy policy);
// Makes Lumivane the active application ([NSApp activate] from macOS 14, before it
// [NSApp activateIgnoringOtherApps:YES]): only where the coordinator asks for activation.
void activateIgnoringOtherApps();
// Orders the view's window to the front without activating the application (QWindow::raise
// would: QCocoaWindow::raise calls activateIgnoringOtherApps unless QT_MAC_SET_RAISE_PROCESS=0).
bool orderFront(uintptr_t nativeView);
// The popover's look: the system's popover material (NSVisualEffectView, behind-window
// blending, always active) under the window's content view, masked to corners of
// `cornerRadius`, a clear non-opaque window and the system shadow, which follows the rounded
// material.
bool applyPopoverMaterial(uintptr_t nativeView, double cornerRadius);
// The title-bar parts of a window style; only the given ones are set. A full-size content view
// survives Qt's later style-mask updates (QCocoaWindow::windowStyleMask keeps it).
bool applyWindowStyle(uintptr_t nativeView, bool fullSizeContentView, bool transparentTitlebar,
                      bool titleHidden, bool movableByBackground);

// A global monitor of mouse presses, which AppKit reports only for other applications; removed
// when the object goes.
class ClickMonitor {
public:
  static std::unique_ptr<ClickMonitor> create(std::function<void()> onClick);
  ~ClickMonitor();
  ClickMonitor(const ClickMonitor&) = delete;
  ClickMonitor& operator=(const ClickMonitor&) = delete;

private:
  struct Objects;
  explicit ClickMonitor(std::unique_ptr<Objects> objects);

  std::unique_ptr<Objects> objects_;
};

} // namespace lumivane::mac
