#include "Shell/DockDemo.hpp"

#include "Shell/Accessibility.hpp"
#include "Shell/Controls.hpp"
#include "Shell/DemoAppIcon.hpp"
#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"

#include <QEasingCurve>
#include <QEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <optional>

namespace lumivane::shell {

namespace {

// The demonstration ×, drawn as the real one is: it lights red under the pointer, as the × over
// the Dock does; reset, it lights in the accent colour instead (it quits nothing).
class DemoButton : public QAbstractButton {
public:
  std::string symbol{symbols::xmark};

  DemoButton() {
    setFixedSize(28, 28);
    setCursor(Qt::PointingHandCursor);
  }

  // The colour it lights in now; absent while the pointer is elsewhere.
  std::optional<QColor> lit() const {
    if (!hovering_) {
      return std::nullopt;
    }
    return symbol == symbols::xmark ? style::red(palette()) : style::blue(palette());
  }

protected:
  void enterEvent(QEnterEvent* event) override {
    hovering_ = true;
    update();
    QAbstractButton::enterEvent(event);
  }

  void leaveEvent(QEvent* event) override {
    hovering_ = false;
    update();
    QAbstractButton::leaveEvent(event);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    paintRoundButton(painter, QRectF(rect()), symbol, 12, palette(), lit());
  }

private:
  bool hovering_ = false;
};

// One demonstration Dock icon above its running dot, hidden from assistive technologies: the
// caption says what the demonstration shows. `dot` receives the running dot when set.
QWidget* demoIcon(std::string_view symbol, style::Ink colour, Dot** dot = nullptr) {
  auto* column = new QWidget;
  accessibility::hide(*column);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  layout->addWidget(new DemoAppIcon(symbol, colour), 0, Qt::AlignHCenter);
  auto* running = new Dot(4, style::Ink::secondary());
  layout->addWidget(running, 0, Qt::AlignHCenter);
  if (dot != nullptr) {
    *dot = running;
  }
  return column;
}

QEasingCurve easeInOut() {
  QEasingCurve curve(QEasingCurve::BezierSpline);
  curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
  return curve;
}

} // namespace

DockDemo::DockDemo(QWidget* parent)
    : QWidget(parent), button_(new DemoButton),
      caption_(makeLabel(QString(), 11, QFont::Normal, style::Ink::secondary())),
      fade_(new QVariantAnimation(this)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(8);
  column->addWidget(button_, 0, Qt::AlignHCenter);

  auto* dock = new RoundedPanel(19, style::Ink::label(0.045), style::Ink::label(0.07));
  auto* icons = new QHBoxLayout;
  icons->setContentsMargins(22, 12, 22, 12);
  icons->setSpacing(8);
  icons->addWidget(demoIcon(symbols::folderFill, style::Ink::of(style::Ink::Role::blue)));
  middleIcon_ = demoIcon(symbols::safari, style::Ink::of(style::Ink::Role::cyan), &middleDot_);
  auto* effect = new QGraphicsOpacityEffect(middleIcon_);
  effect->setOpacity(1);
  middleIcon_->setGraphicsEffect(effect);
  icons->addWidget(middleIcon_);
  icons->addWidget(demoIcon(symbols::noteText, style::Ink::of(style::Ink::Role::orange)));
  dock->column()->addLayout(icons);
  column->addWidget(dock, 0, Qt::AlignHCenter);
  column->addWidget(caption_, 0, Qt::AlignHCenter);

  fade_->setDuration(toggleDuration);
  fade_->setEasingCurve(easeInOut());
  connect(fade_, &QVariantAnimation::valueChanged, this, [this, effect](const QVariant& value) {
    iconOpacity_ = value.toDouble();
    effect->setOpacity(iconOpacity_);
  });
  connect(button_, &QAbstractButton::clicked, this, [this] { toggle(); });
  render();
}

void DockDemo::toggle() {
  dismissed_ = !dismissed_;
  fade_->stop();
  fade_->setStartValue(iconOpacity_);
  fade_->setEndValue(dismissed_ ? dismissedOpacity : 1.0);
  fade_->start();
  render();
}

void DockDemo::render() {
  auto& face = static_cast<DemoButton&>(*button_);
  face.symbol = dismissed_ ? symbols::arrowCounterclockwise : symbols::xmark;
  face.update();
  button_->setToolTip(dismissed_ ? QStringLiteral("重置演示") : QStringLiteral("试试退出演示"));
  button_->setAccessibleName(dismissed_ ? QStringLiteral("重置演示")
                                        : QStringLiteral("体验退出演示"));
  middleDot_->setInk(dismissed_ ? style::Ink::of(style::Ink::Role::clear)
                                : style::Ink::secondary());
  caption_->setText(dismissed_ ? QStringLiteral("演示应用已退出")
                               : QStringLiteral("点击上方 ×，体验一下"));
}

} // namespace lumivane::shell
