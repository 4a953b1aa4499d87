#include "Shell/StatusItem.hpp"

#include "Shell/ScreenSpace.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QGuiApplication>

namespace lumivane::shell {

TrayStatusItem::TrayStatusItem(const ScreenSpace& space) : space_(space) {
  QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (isClick(reason) && action_) {
                       const auto action = action_;
                       action();
                     }
                   });
}

bool TrayStatusItem::isClick(QSystemTrayIcon::ActivationReason reason) {
  return reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick;
}

void TrayStatusItem::setButtonAction(std::function<void()> action) {
  action_ = std::move(action);
}

void TrayStatusItem::setButtonAccessibilityIdentifier(std::string_view identifier) {
  tray_.setObjectName(qtext(identifier));
}

void TrayStatusItem::setSymbol(std::string_view symbolName, std::string_view) {
  // A tray icon has no accessibility description of its own; its tooltip names it. The mask
  // becomes a template image where the tray has them (macOS), which follows the menu bar's
  // appearance and inverts while pressed; elsewhere it shows in the text colour.
  QIcon icon =
      Symbols::icon(symbolName, 18, QGuiApplication::palette().color(QPalette::WindowText));
  icon.setIsMask(true);
  tray_.setIcon(icon);
  tray_.show();
}

void TrayStatusItem::setToolTip(std::string_view toolTip) {
  tray_.setToolTip(qtext(toolTip));
}

Rect TrayStatusItem::buttonScreenFrame() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    return {};
  }
  const QRect geometry = tray_.geometry();
  if (geometry.isEmpty()) {
    return {};
  }
  return space_.fromGlobal(QRectF(geometry));
}

} // namespace lumivane::shell
