#include "SimulatedDesktop/SimulatedOverlayHost.hpp"

#include "Shell/Text.hpp"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace lumivane::shell {

SimulatedOverlayHost::SimulatedOverlayHost(QWidget& content, std::function<bool()> isActive)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint |
                           Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      content_(&content), isActive_(std::move(isActive)) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setMouseTracking(true);
  // The hosted widget's own window gives up the screen to the host; Qt still shows, hides and
  // lays it out as a window.
  content.setAttribute(Qt::WA_DontShowOnScreen);
  // What the hosted widget repaints, the host shows.
  content.installEventFilter(this);
}

SimulatedOverlayHost::~SimulatedOverlayHost() {
  if (content_) {
    content_->removeEventFilter(this);
  }
}

void SimulatedOverlayHost::setGeometry(const QRect& geometry) {
  QWidget::setGeometry(geometry);
  // Qt's idea of where its window is follows the view inside the host.
  if (content_) {
    content_->move(geometry.topLeft());
  }
}

void SimulatedOverlayHost::orderFrontRegardless() {
  show();
  raise();
}

void SimulatedOverlayHost::orderOut() {
  hide();
}

void SimulatedOverlayHost::setAccessibility(std::string_view label, std::string_view identifier,
                                            std::function<void()>) {
  setAccessibleName(qtext(label));
  setObjectName(qtext(identifier));
}

void SimulatedOverlayHost::trackPointer(std::function<void(bool inside)> inside) {
  inside_ = std::move(inside);
}

void SimulatedOverlayHost::paintEvent(QPaintEvent*) {
  if (!content_) {
    return;
  }
  QPainter painter(this);
  content_->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
}

void SimulatedOverlayHost::enterEvent(QEnterEvent* event) {
  track(true);
  if (isActive_ && isActive_()) {
    QPointF local;
    if (QWidget* widget = target(event->position(), local)) {
      QEnterEvent enter(local, event->scenePosition(), event->globalPosition());
      QApplication::sendEvent(widget, &enter);
      entered_ = widget;
    }
  }
  QWidget::enterEvent(event);
}

void SimulatedOverlayHost::leaveEvent(QEvent* event) {
  track(false);
  if (isActive_ && isActive_() && entered_) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(entered_, &leave);
  }
  entered_ = nullptr;
  QWidget::leaveEvent(event);
}

void SimulatedOverlayHost::mouseMoveEvent(QMouseEvent* event) {
  track(rect().contains(event->position().toPoint()));
  if (isActive_ && isActive_()) {
    forward(event);
  }
}

void SimulatedOverlayHost::mousePressEvent(QMouseEvent* event) {
  forward(event);
}

void SimulatedOverlayHost::mouseReleaseEvent(QMouseEvent* event) {
  forward(event);
}

void SimulatedOverlayHost::hideEvent(QHideEvent* event) {
  // A hidden panel's tracking area reports nothing: a pointer it leaves behind is forgotten.
  pointerInside_ = false;
  entered_ = nullptr;
  QWidget::hideEvent(event);
}

bool SimulatedOverlayHost::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && event->type() == QEvent::UpdateRequest) {
    update();
  }
  return QWidget::eventFilter(watched, event);
}

void SimulatedOverlayHost::track(bool inside) {
  if (inside == pointerInside_) {
    return;
  }
  pointerInside_ = inside;
  if (inside_) {
    const auto report = inside_;
    report(inside);
  }
  update();
}

QWidget* SimulatedOverlayHost::target(QPointF point, QPointF& local) const {
  if (!content_) {
    return nullptr;
  }
  QWidget* widget = content_->childAt(point.toPoint());
  if (widget == nullptr) {
    widget = content_;
  }
  local = widget->mapFrom(content_, point);
  return widget;
}

void SimulatedOverlayHost::forward(QMouseEvent* event) {
  QPointF local;
  if (QWidget* widget = target(event->position(), local)) {
    QMouseEvent copy(event->type(), local, event->scenePosition(), event->globalPosition(),
                     event->button(), event->buttons(), event->modifiers());
    QApplication::sendEvent(widget, &copy);
  }
}

} // namespace lumivane::shell
