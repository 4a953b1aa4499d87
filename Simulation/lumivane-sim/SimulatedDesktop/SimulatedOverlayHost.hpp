#pragma once

#include "Shell/NativeWindow.hpp"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>

namespace lumivane::shell {

// The × panel's native host on the simulated desktop, a window of the simulated window server
// that behaves as the Mac's does (Shell/macOS/OverlayPanelNative):
// - It shows the hosted widget while Qt goes on treating that widget as a window of its own:
//   the widget's own window never appears, and hiding the host leaves the widget as visible to
//   Qt as it was (a QCocoaWindow whose view lives in another window is embedded, and Qt leaves
//   that window alone: qcocoawindow.mm, isEmbedded and setVisible).
// - Ordering the hosted widget's window front orders the host front: on the Mac the widget's
//   view is in the host's panel, which is the window ordered (NSView.window).
// - It receives the mouse and hands it to the hosted widget as Qt's Cocoa view does: presses
//   and releases always (the view accepts the first mouse), entering, leaving and moves only
//   while Lumivane is the active application (qnsview_mouse.mm: `if (!NSApp.active) return;`).
// - Its own tracking area is active always (NSTrackingActiveAlways): it reports the pointer
//   entering and leaving whatever the application's state.
// It carries the accessibility element's label (its accessible name) and identifier (its object
// name); the element's press stays with the hosted button, which Qt presents itself here.
class SimulatedOverlayHost final : public QWidget, public native::OverlayHost {
public:
  // `isActive`: whether Lumivane is the active application now.
  SimulatedOverlayHost(QWidget& content, std::function<bool()> isActive);
  ~SimulatedOverlayHost() override;

  bool hosts(const QWidget& widget) const { return &widget == content_.data(); }

  void setGeometry(const QRect& geometry) override;
  void orderFrontRegardless() override;
  void orderOut() override;
  bool isVisible() override { return QWidget::isVisible(); }
  double alpha() override { return windowOpacity(); }
  void setAlpha(double alpha) override { setWindowOpacity(alpha); }
  void setAccessibility(std::string_view label, std::string_view identifier,
                        std::function<void()> press) override;
  void trackPointer(std::function<void(bool inside)> inside) override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void track(bool inside);
  // The hosted widget under a point of the host, and the point in its coordinates.
  QWidget* target(QPointF point, QPointF& local) const;
  void forward(QMouseEvent* event);

  QPointer<QWidget> content_;
  std::function<bool()> isActive_;
  std::function<void(bool)> inside_;
  bool pointerInside_ = false;
  // The hosted widget Qt's view last told about the pointer entering.
  QPointer<QWidget> entered_;
};

} // namespace lumivane::shell
