#include "Shell/NativeWindow.hpp"

// Without macOS: Qt's window flags already make the × panel a frameless tool window that stays
// on top and takes no focus, there is no activation policy, and the symbols are our drawings.
namespace lumivane::shell::native {

void configureOverlayPanel(QWidget&) {}

void setActivationPolicy(platform::ActivationPolicy) {}

std::optional<QPixmap> systemSymbol(std::string_view, double, const QColor&, double) {
  return std::nullopt;
}

} // namespace lumivane::shell::native
