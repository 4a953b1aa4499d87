#include "Shell/NativeWindow.hpp"

#include <QWidget>

// Without macOS: Qt's window flags already make the × panel a frameless tool window that stays
// on top and takes no focus, raising a window activates nothing, there is no activation policy
// and no popover material, the status item is Qt's system tray icon, and the symbols are our
// drawings.
namespace lumivane::shell::native {

void setActivationPolicy(platform::ActivationPolicy) {}

void activateIgnoringOtherApps() {}

void orderFront(QWidget& window) {
  window.raise();
}

std::unique_ptr<OverlayHost> hostOverlay(QWidget&) {
  return nullptr;
}

bool configurePopover(QWidget&, double) {
  return false;
}

std::unique_ptr<ClickWatch> watchClicksInOtherApplications(std::function<void()>) {
  return nullptr;
}

bool configureWindow(QWidget&, const presentation::WindowStyle&) {
  return false;
}

std::unique_ptr<StatusButton> createStatusButton() {
  return nullptr;
}

std::optional<QPixmap> systemSymbol(std::string_view, double, const QColor&, double) {
  return std::nullopt;
}

} // namespace lumivane::shell::native
