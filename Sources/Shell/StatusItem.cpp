#include "Shell/StatusItem.hpp"

#include "Lumivane/Texts.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <cmath>

namespace lumivane::shell {

QPixmap statusItemImage(std::string_view name, double size, const QColor& ink,
                        std::optional<QColor> badge, double devicePixelRatio,
                        QFont::Weight weight) {
  QPixmap image = symbols::pixmap(name, size, ink, weight, devicePixelRatio);
  if (!badge) {
    return image;
  }
  // A dot of under a third of the symbol, in a ring of clear space about two points wide.
  const double diameter = std::round(size * 0.3);
  const double notch = std::max(1.5, size * 0.12);
  const QRectF dot(size - diameter, 0, diameter, diameter);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setCompositionMode(QPainter::CompositionMode_Clear);
  painter.setBrush(Qt::black);
  painter.drawEllipse(dot.adjusted(-notch, -notch, notch, notch));
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter.setBrush(*badge);
  painter.drawEllipse(dot);
  return image;
}

DescribedStatusButton::DescribedStatusButton(std::unique_ptr<StatusButton> button)
    : button_(std::move(button)) {}

void DescribedStatusButton::setButtonAction(std::function<void()> action) {
  button_->setButtonAction(std::move(action));
}

void DescribedStatusButton::setButtonAccessibilityIdentifier(std::string_view identifier) {
  button_->setButtonAccessibilityIdentifier(identifier);
}

void DescribedStatusButton::setSymbol(std::string_view symbolName,
                                      std::string_view accessibilityDescription) {
  symbol_ = symbolName;
  description_ = accessibilityDescription;
  describe();
}

void DescribedStatusButton::setToolTip(std::string_view toolTip) {
  button_->setToolTip(toolTip);
}

void DescribedStatusButton::setBadge(bool badge) {
  button_->setBadge(badge);
  if (badge != badge_) {
    badge_ = badge;
    // The description travels with the symbol; until the first symbol there is none to amend.
    if (!symbol_.empty()) {
      describe();
    }
  }
}

void DescribedStatusButton::describe() {
  button_->setSymbol(symbol_, texts::statusItemDescription(description_, badge_));
}

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
  return reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick ||
         reason == QSystemTrayIcon::Context;
}

void TrayStatusItem::setButtonAction(std::function<void()> action) {
  action_ = std::move(action);
}

void TrayStatusItem::setButtonAccessibilityIdentifier(std::string_view identifier) {
  tray_.setObjectName(qtext(identifier));
}

void TrayStatusItem::setSymbol(std::string_view symbolName, std::string_view) {
  // A tray icon has no accessibility description of its own; its tooltip names it.
  symbol_ = symbolName;
  showIcon();
}

void TrayStatusItem::setBadge(bool badge) {
  badge_ = badge;
  if (!symbol_.empty()) {
    showIcon();
  }
}

void TrayStatusItem::showIcon() {
  // The mask becomes a template image where the tray has them (macOS), which follows the menu
  // bar's appearance and inverts while pressed; elsewhere it shows in the text colour.
  const QColor ink = QGuiApplication::palette().color(QPalette::WindowText);
  const std::optional<QColor> badge =
      badge_ ? std::optional<QColor>(style::orange()) : std::nullopt;
  QIcon icon;
  for (const double ratio : {1.0, 2.0}) {
    icon.addPixmap(statusItemImage(symbol_, 18, ink, badge, ratio));
  }
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
