#pragma once

#include "Lumivane/Presentation.hpp"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QPropertyAnimation;

namespace lumivane::shell {

class ScreenSpace;

// The round × in its own coordinates (32 by 32): a 28-point circle inset by 2, red with a white
// cross while the pointer is inside, otherwise the control background with a label-coloured
// cross; a faint outline.
class CloseButton : public QAbstractButton {
  Q_OBJECT

public:
  static constexpr int side = 32;

  explicit CloseButton(QWidget* parent = nullptr);
  bool hovering() const { return hovering_; }
  QSize sizeHint() const override { return QSize(side, side); }

protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  bool hovering_ = false;
};

// The × panel: a frameless, shadowless, transparent tool window that stays on top, never takes
// focus and is shown without activating this program; the button reacts to the first click.
// Frames are in the bottom-left space, placed through the ScreenSpace.
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

  QWidget& window() const { return *window_; }
  CloseButton& button() const { return *button_; }

private:
  const ScreenSpace& space_;
  Rect frame_;
  std::unique_ptr<QWidget> window_;
  CloseButton* button_;
  QPropertyAnimation* fade_;
  std::function<void()> action_;
};

} // namespace lumivane::shell
