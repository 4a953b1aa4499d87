#pragma once

#include "Lumivane/Platform/Workspace.hpp"

#include <QColor>
#include <QPixmap>
#include <optional>
#include <string_view>

class QWidget;

// What the shell needs of the native window system beyond Qt: the × panel's window settings, the
// activation policy and the system's own symbol images. macOS has all three
// (NativeWindowMac.cpp); elsewhere Qt's own behaviour stands (NativeWindowPortable.cpp).
namespace lumivane::shell::native {

// Gives the × panel's window the native panel settings; its native window must exist.
void configureOverlayPanel(QWidget& window);
void setActivationPolicy(platform::ActivationPolicy policy);
// The system's symbol `name` in a square of `size` points, tinted `colour`; absent when the
// system has no symbol images or no symbol of that name.
std::optional<QPixmap> systemSymbol(std::string_view name, double size, const QColor& colour,
                                    double devicePixelRatio);

} // namespace lumivane::shell::native
