#pragma once

#include "Lumivane/Presentation.hpp"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QVariantAnimation;

namespace lumivane::shell::native {
class OverlayHost;
}

namespace lumivane::shell {

class ScreenSpace;

// The round × in its own coordinates (32 by 32): a 28-point circle inset by 2, red with a white
// cross while the pointer is inside, otherwise the control background with a label-coloured
// cross; a faint outline. Its tooltip and accessibility label name the application it quits.
// It learns where the pointer is from Qt's enter and leave events, or, once told to follow
// reports, only from setPointerInside.
class CloseButton : public QAbstractButton {
  Q_OBJECT

public:
  static constexpr int side = 32;

  explicit CloseButton(QWidget* parent = nullptr);
  bool hovering() const { return hovering_; }
  QSize sizeHint() const override { return QSize(side, side); }
  // From now on the pointer is reported by whoever tracks it (the × panel's native host), and
  // Qt's enter and leave events change nothing.
  void followReportedPointer() { reported_ = true; }
  void setPointerInside(bool inside);

protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  bool hovering_ = false;
  bool reported_ = false;
};

// The × panel: a frameless, shadowless, transparent tool window that stays on top, never takes
// focus and is shown without activating this program; the button reacts to the first click.
// On macOS (and on the simulated desktop, which behaves the same) its content lives in a native
// non-activating panel, the host (Qt's tool window would activate Lumivane when raised or
// clicked). The content is shown to Qt exactly while the host is, so that Qt and the window
// server agree on whether the × is visible; the host's tracking area lights the ×, since Qt's
// view reports the pointer only while Lumivane is active. Frames are in the bottom-left space,
// placed through the ScreenSpace.
class OverlayPanel final : public presentation::OverlayPanel {
public:
  OverlayPanel(const ScreenSpace& space, const Rect& contentRect);
  ~OverlayPanel() override;

  Rect frame() override { return frame_; }
  void setFrame(const Rect& frame) override;
  bool isVisible() override;
  double alpha() override;
  void setAlpha(double alpha) override;
  void orderFrontRegardless() override;
  void orderOut() override;
  void animateAlpha(double alpha, double duration) override;
  void setButtonAccessibilityLabel(std::string_view label) override;
  void setButtonAccessibilityIdentifier(std::string_view identifier) override;
  void setButtonAction(std::function<void()> action) override;

  // The widget that draws the ×: the window itself, or the native panel's content.
  QWidget& window() const { return *window_; }
  CloseButton& button() const { return *button_; }

private:
  void press();
  void applyAlpha(double alpha);
  void updateNativeAccessibility();

  const ScreenSpace& space_;
  Rect frame_;
  std::unique_ptr<QWidget> window_;
  CloseButton* button_;
  std::unique_ptr<native::OverlayHost> host_;
  QVariantAnimation* fade_;
  std::function<void()> action_;
  std::string label_;
  std::string identifier_;
};

} // namespace lumivane::shell
