#include "Shell/Popover.hpp"

#include "Shell/QtWindows.hpp"
#include "Shell/ScreenSpace.hpp"
#include "Shell/Style.hpp"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace lumivane::shell {

// The pop-up window. A press outside it closes it; a press on the status item that opened it
// is not passed on, so that the same click does not open the popover again.
class Popover::Window : public QWidget {
public:
  std::function<void()> didClose;
  QRectF anchor; // the status item, Qt global space

  Window() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(style::primary(palette(), 0.15), 1));
    painter.setBrush(style::windowBackground(palette()));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
  }

  void mousePressEvent(QMouseEvent* event) override {
    const bool outside = !rect().contains(event->position().toPoint());
    setAttribute(Qt::WA_NoMouseReplay, outside && anchor.contains(event->globalPosition()));
    QWidget::mousePressEvent(event);
  }

  void hideEvent(QHideEvent* event) override {
    QWidget::hideEvent(event);
    if (didClose) {
      const auto callback = didClose;
      callback();
    }
  }
};

Popover::Popover(const ScreenSpace& space) : space_(space), window_(std::make_unique<Window>()) {}

Popover::~Popover() {
  // Closing now must not call back into a coordinator that is being torn down.
  window_->didClose = nullptr;
}

QWidget& Popover::window() const {
  return *window_;
}

void Popover::configure(std::function<void()> didClose) {
  window_->didClose = std::move(didClose);
}

bool Popover::isShown() {
  return window_->isVisible();
}

void Popover::performClose() {
  window_->close();
}

void Popover::setContent(std::shared_ptr<presentation::ViewController> content) {
  if (const auto* previous = dynamic_cast<const WidgetController*>(content_.get())) {
    if (QWidget* widget = previous->widget()) {
      window_->layout()->removeWidget(widget);
      widget->hide();
    }
  }
  content_ = std::move(content);
  if (const auto* next = dynamic_cast<const WidgetController*>(content_.get())) {
    if (QWidget* widget = next->widget()) {
      window_->layout()->addWidget(widget);
      widget->show();
    }
  }
}

void Popover::show(presentation::StatusItem& anchor) {
  window_->anchor = space_.toGlobal(anchor.buttonScreenFrame());
  window_->adjustSize();
  const QSize size = window_->sizeHint();
  QPointF origin(window_->anchor.center().x() - size.width() / 2.0,
                 window_->anchor.bottom() + anchorGap);
  // Keep the popover on the screen it opens on, as far as it fits.
  if (const auto area = space_.mainVisibleArea()) {
    origin.setX(
        std::clamp(origin.x(), area->left(), std::max(area->left(), area->right() - size.width())));
  }
  window_->move(origin.toPoint());
  window_->show();
  window_->raise();
}

void Popover::makeContentKey() {
  window_->activateWindow();
  if (const auto* current = dynamic_cast<const WidgetController*>(content_.get())) {
    if (QWidget* widget = current->widget()) {
      widget->setFocus(Qt::PopupFocusReason);
    }
  }
}

} // namespace lumivane::shell
