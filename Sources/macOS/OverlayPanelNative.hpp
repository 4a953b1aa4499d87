#pragma once

#include "Lumivane/Platform/Workspace.hpp"

#include <cstdint>

namespace lumivane::mac {

// Gives the Qt window that hosts the × button the native settings of the × panel. `nativeView`
// is that window's WId: on macOS the NSView* Qt made for it; the settings go to the view's
// NSWindow, in this order: not opaque; clear background; no shadow; collection behaviour 0x141
// (joins all spaces, left out of window cycling, allowed beside full-screen windows); stays on
// screen when Lumivane deactivates; level 101 (the pop-up-menu level, above the Dock); not
// released when closed; no window animation by AppKit. When the window is an NSPanel it also
// becomes a non-activating, floating panel that becomes key only if needed.
//
// What AppKit allows on a window Qt made: the non-activating style exists for NSPanel only, and
// Qt makes an NSPanel only for Qt::Tool (and pop-up) windows; keyboard focus is refused by Qt's
// own window class when the window has Qt::WindowDoesNotAcceptFocus. So the × window is created
// with Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
// Qt::NoDropShadowWindowHint and the attributes WA_ShowWithoutActivating,
// WA_MacAlwaysShowToolWindow and WA_TranslucentBackground. A plain NSWindow gets every other
// setting, but a click on it activates Lumivane.
//
// Qt recomputes the level and the hide-on-deactivate setting when the window's flags change:
// call this once the native window exists and again after any change of flags.
// Returns false, changing nothing, when the handle is 0, not a view, or not yet in a window.
bool applyOverlayPanelSettings(uintptr_t nativeView);

// The application's activation policy; accessory: no Dock icon and no menu bar of its own.
void setActivationPolicy(platform::ActivationPolicy policy);

} // namespace lumivane::mac
