#include "Shell/SegmentedControl.hpp"

#include "Shell/Style.hpp"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <algorithm>

namespace lumivane::shell {

namespace {

// One segment: draws its pill when selected and its title; the track is the control's.
class Segment : public QAbstractButton {
public:
  explicit Segment(const QString& title) {
    setText(title);
    setCheckable(true);
    setAutoExclusive(true);
    setFont(style::font(12));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
  }

  QSize sizeHint() const override {
    return QSize(QFontMetrics(font()).horizontalAdvance(text()) + 24, SegmentedControl::height);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colours = palette();
    const QRectF pill = QRectF(rect()).adjusted(2, 2, -2, -2);
    if (isChecked()) {
      if (style::isDark(colours)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(style::primary(colours, 0.26));
      } else {
        // A light pill with a hairline and a faint drop below, as a raised segment.
        painter.setPen(Qt::NoPen);
        painter.setBrush(style::primary(colours, 0.06));
        painter.drawRoundedRect(pill.translated(0, 0.5), SegmentedControl::radius - 1.5,
                                SegmentedControl::radius - 1.5);
        painter.setPen(QPen(style::primary(colours, 0.08), 0.5));
        painter.setBrush(style::controlBackground(colours));
      }
      painter.drawRoundedRect(pill, SegmentedControl::radius - 1.5, SegmentedControl::radius - 1.5);
    } else if (isDown()) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(style::primary(colours, 0.06));
      painter.drawRoundedRect(pill, SegmentedControl::radius - 1.5, SegmentedControl::radius - 1.5);
    }
    painter.setPen(style::primary(colours, isEnabled() ? 1 : 0.3));
    painter.drawText(QRectF(rect()), Qt::AlignCenter, text());
    if (hasFocus()) {
      QColor ring = style::blue(colours);
      ring.setAlphaF(0.5f);
      painter.setPen(QPen(ring, 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(pill, SegmentedControl::radius - 1.5, SegmentedControl::radius - 1.5);
    }
  }
};

} // namespace

SegmentedControl::SegmentedControl(const QStringList& titles, QWidget* parent)
    : QWidget(parent), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  int width = 0;
  for (const QString& title : titles) {
    auto* segment = new Segment(title);
    width = std::max(width, segment->sizeHint().width());
    row->addWidget(segment);
    group_->addButton(segment, group_->buttons().size());
    connect(segment, &QAbstractButton::toggled, this, [this] { update(); });
  }
  // Equal segments, as the platform draws them.
  for (QAbstractButton* segment : group_->buttons()) {
    segment->setFixedSize(width, height);
  }
  if (!titles.isEmpty()) {
    group_->button(0)->setChecked(true);
  }
}

int SegmentedControl::selected() const {
  return group_->checkedId();
}

void SegmentedControl::setSelected(int index) {
  if (QAbstractButton* segment = group_->button(index)) {
    segment->setChecked(true);
  }
}

QAbstractButton& SegmentedControl::segment(int index) const {
  return *group_->button(index);
}

void SegmentedControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette& colours = palette();
  painter.setPen(Qt::NoPen);
  painter.setBrush(style::primary(colours, style::isDark(colours) ? 0.1 : 0.06));
  painter.drawRoundedRect(QRectF(rect()), radius, radius);
  // Hairlines between two unselected neighbours only.
  const QList<QAbstractButton*> segments = group_->buttons();
  painter.setPen(QPen(style::primary(colours, 0.15), 1));
  for (int index = 1; index < segments.size(); ++index) {
    if (segments[index]->isChecked() || segments[index - 1]->isChecked()) {
      continue;
    }
    const double x = segments[index]->geometry().left() + 0.5;
    painter.drawLine(QPointF(x, height * 0.25), QPointF(x, height * 0.75));
  }
}

} // namespace lumivane::shell
