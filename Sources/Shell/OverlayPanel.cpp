#include "Shell/OverlayPanel.hpp"

#include "Shell/Accessibility.hpp"
#include "Shell/Controls.hpp"
#include "Shell/NativeWindow.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QEasingCurve>
#include <QEnterEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

namespace lumivane::shell {

CloseButton::CloseButton(QWidget* parent) : QAbstractButton(parent) {
  setFixedSize(side, side);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

void CloseButton::setPointerInside(bool inside) {
  if (hovering_ != inside) {
    hovering_ = inside;
    update();
  }
}

void CloseButton::enterEvent(QEnterEvent* event) {
  if (!reported_) {
    setPointerInside(true);
  }
  QAbstractButton::enterEvent(event);
}

void CloseButton::leaveEvent(QEvent* event) {
  if (!reported_) {
    setPointerInside(false);
  }
  QAbstractButton::leaveEvent(event);
}

void CloseButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintRoundButton(painter, QRectF(2, 2, side - 4, side - 4), symbols::xmark, 16, palette(),
                   hovering_ ? std::optional<QColor>(style::red(palette())) : std::nullopt);
}

OverlayPanel::OverlayPanel(const ScreenSpace& space, const Rect& contentRect)
    : space_(space), frame_(contentRect), window_(std::make_unique<QWidget>()),
      button_(new CloseButton), fade_(new QVariantAnimation(window_.get())) {
  window_->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint |
                          Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
  window_->setAttribute(Qt::WA_TranslucentBackground);
  window_->setAttribute(Qt::WA_ShowWithoutActivating);
  window_->setAttribute(Qt::WA_NoSystemBackground);
  // On macOS a tool window is an NSPanel, hidden while Lumivane is inactive unless told otherwise.
  window_->setAttribute(Qt::WA_MacAlwaysShowToolWindow);
  auto* layout = new QVBoxLayout(window_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(button_);
  window_->setGeometry(space_.toGlobal(frame_).toRect());
  host_ = space_.hostOverlay(*window_);
  if (host_) {
    host_->setGeometry(window_->geometry());
    // The host is destroyed before the button (members go in reverse order).
    button_->followReportedPointer();
    host_->trackPointer([this](bool inside) { button_->setPointerInside(inside); });
  }
  fade_->setEasingCurve(QEasingCurve::Linear);
  QObject::connect(fade_, &QVariantAnimation::valueChanged, window_.get(),
                   [this](const QVariant& value) { applyAlpha(value.toDouble()); });
  QObject::connect(button_, &QAbstractButton::clicked, window_.get(), [this] { press(); });
}

OverlayPanel::~OverlayPanel() {
  fade_->stop();
}

void OverlayPanel::press() {
  if (action_) {
    const auto action = action_;
    action();
  }
}

void OverlayPanel::setFrame(const Rect& frame) {
  // A frame that cannot be a window's is refused; the panel stays where it is.
  if (!std::isfinite(frame.x) || !std::isfinite(frame.y) || !std::isfinite(frame.width) ||
      !std::isfinite(frame.height)) {
    return;
  }
  frame_ = frame;
  const QRect geometry = space_.toGlobal(frame).toRect();
  if (host_) {
    host_->setGeometry(geometry);
    window_->resize(geometry.size());
  } else {
    window_->setGeometry(geometry);
  }
  window_->update();
}

bool OverlayPanel::isVisible() {
  return host_ ? host_->isVisible() : window_->isVisible();
}

double OverlayPanel::alpha() {
  return host_ ? host_->alpha() : window_->windowOpacity();
}

void OverlayPanel::applyAlpha(double alpha) {
  if (host_) {
    host_->setAlpha(alpha);
  } else {
    window_->setWindowOpacity(alpha);
  }
}

void OverlayPanel::setAlpha(double alpha) {
  fade_->stop();
  applyAlpha(alpha);
}

void OverlayPanel::orderFrontRegardless() {
  // Hosted, showing the content only unhides it inside the host; the host alone comes forward.
  window_->show();
  if (host_) {
    host_->orderFrontRegardless();
    return;
  }
  // Raising here activates nothing: only the native panel (macOS) could, and it is not this one.
  space_.orderFront(*window_);
}

void OverlayPanel::orderOut() {
  fade_->stop();
  if (host_) {
    host_->orderOut();
    // No tracking area reports a pointer that a hidden panel leaves behind.
    button_->setPointerInside(false);
  }
  window_->hide();
}

void OverlayPanel::animateAlpha(double alpha, double duration) {
  fade_->stop();
  fade_->setDuration(std::max(0, static_cast<int>(std::lround(duration * 1000))));
  fade_->setStartValue(this->alpha());
  fade_->setEndValue(alpha);
  fade_->start();
}

void OverlayPanel::setButtonAccessibilityLabel(std::string_view label) {
  // The label names the application the × quits; its tooltip says the same to a sighted user.
  button_->setAccessibleName(qtext(label));
  button_->setToolTip(qtext(label));
  label_ = label;
  updateNativeAccessibility();
}

void OverlayPanel::setButtonAccessibilityIdentifier(std::string_view identifier) {
  // The accessible name carries the label ("退出 …"); Qt has no identifier of its own to give
  // the system, so the object name holds it here and the native panel hands it to AppKit.
  accessibility::setIdentifier(*button_, identifier);
  identifier_ = identifier;
  updateNativeAccessibility();
}

void OverlayPanel::updateNativeAccessibility() {
  if (host_) {
    host_->setAccessibility(label_, identifier_, [this] { press(); });
  }
}

void OverlayPanel::setButtonAction(std::function<void()> action) {
  action_ = std::move(action);
}

} // namespace lumivane::shell
