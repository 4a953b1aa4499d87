#pragma once

#include <QWidget>

class QAbstractButton;
class QLabel;
class QVariantAnimation;

namespace lumivane::shell {
class Dot;
}

namespace lumivane::shell {

// The harmless quit demonstration: a × that "quits" the middle icon of a small Dock and resets it.
class DockDemo : public QWidget {
  Q_OBJECT

public:
  static constexpr int toggleDuration = 200; // milliseconds, ease-in-out
  static constexpr double dismissedOpacity = 0.35;

  explicit DockDemo(QWidget* parent = nullptr);
  bool dismissed() const { return dismissed_; }
  // The demonstration ×'s action.
  void toggle();
  QAbstractButton& button() const { return *button_; }
  // The demonstrated application's icon opacity, as the animation currently draws it.
  double iconOpacity() const { return iconOpacity_; }

private:
  void render();

  bool dismissed_ = false;
  double iconOpacity_ = 1;
  QAbstractButton* button_;
  QWidget* middleIcon_;
  Dot* middleDot_;
  QLabel* caption_;
  QVariantAnimation* fade_;
};

} // namespace lumivane::shell
