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
                     if (reason == QSystemTrayIcon::Trigger && action_) {
                       const auto action = action_;
                       action();
                     }
                   });
}

void TrayStatusItem::setButtonAction(std::function<void()> action) {
  action_ = std::move(action);
}

void TrayStatusItem::setButtonAccessibilityIdentifier(std::string_view identifier) {
  tray_.setObjectName(qtext(identifier));
}

void TrayStatusItem::setSymbol(std::string_view symbolName, std::string_view) {
  // A tray icon has no accessibility description of its own; its tooltip names it.
  tray_.setIcon(
      Symbols::icon(symbolName, 18, QGuiApplication::palette().color(QPalette::WindowText)));
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
