#include "Shell/Controls.hpp"

#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace lumivane::shell {

namespace {

QString rgba(const QColor& colour) {
  return QStringLiteral("rgba(%1, %2, %3, %4)")
      .arg(colour.red())
      .arg(colour.green())
      .arg(colour.blue())
      .arg(colour.alphaF());
}

void setTextColour(QWidget& widget, const QColor& colour) {
  if (!colour.isValid()) {
    return;
  }
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, colour);
  palette.setColor(QPalette::Text, colour);
  widget.setPalette(palette);
}

// The header of a disclosure group: a chevron, then the label widget; clicking anywhere on it
// toggles the group.
class DisclosureHeader : public QAbstractButton {
public:
  static constexpr int chevronWidth = 16;

  explicit DisclosureHeader(QWidget* label) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(chevronWidth, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(label);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
  }

  QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(style::secondary(palette()), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    const QPointF centre(6, height() / 2.0);
    QPainterPath chevron;
    if (isChecked()) {
      chevron.moveTo(centre + QPointF(-3.5, -1.75));
      chevron.lineTo(centre + QPointF(0, 1.75));
      chevron.lineTo(centre + QPointF(3.5, -1.75));
    } else {
      chevron.moveTo(centre + QPointF(-1.75, -3.5));
      chevron.lineTo(centre + QPointF(1.75, 0));
      chevron.lineTo(centre + QPointF(-1.75, 3.5));
    }
    painter.drawPath(chevron);
  }
};

} // namespace

QLabel* makeLabel(const QString& text, int size, QFont::Weight weight, const QColor& colour) {
  auto* label = new QLabel(text);
  label->setFont(style::font(size, weight));
  label->setTextFormat(Qt::PlainText);
  setTextColour(*label, colour);
  return label;
}

QPushButton* makeProminentButton(const QString& text, bool large) {
  auto* button = new QPushButton(text);
  button->setFont(style::font(large ? 13 : 11, QFont::Medium));
  const QColor accent = style::blue();
  button->setStyleSheet(
      QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: "
                     "%2px; padding: %3; } QPushButton:pressed { background: %4; }")
          .arg(rgba(accent))
          .arg(large ? 7 : 5)
          .arg(large ? QStringLiteral("7px 18px") : QStringLiteral("3px 10px"))
          .arg(rgba(accent.darker(120))));
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

QPushButton* makePlainButton(const QString& text, int size, const QColor& colour) {
  auto* button = new QPushButton(text);
  button->setFont(style::font(size));
  button->setFlat(true);
  button->setStyleSheet(
      QStringLiteral("QPushButton { border: none; background: transparent; color: %1; padding: "
                     "0px; } QPushButton:pressed { color: %2; }")
          .arg(rgba(colour), rgba(colour.darker(150))));
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

QPushButton* makeButton(const QString& text, int size) {
  auto* button = new QPushButton(text);
  button->setFont(style::font(size));
  return button;
}

void setIdentifier(QWidget& widget, std::string_view identifier) {
  const QString name = qtext(identifier);
  widget.setObjectName(name);
  widget.setAccessibleName(name);
}

void runAction(const std::function<void()>& action) {
  if (action) {
    const auto copy = action;
    copy();
  }
}

SymbolView::SymbolView(std::string_view symbol, int size, const QColor& colour,
                       QFont::Weight weight, QWidget* parent)
    : QWidget(parent), symbol_(symbol), colour_(colour), weight_(weight) {
  setFixedSize(size, size);
}

void SymbolView::setSymbol(std::string_view symbol) {
  if (symbol_ != symbol) {
    symbol_ = symbol;
    update();
  }
}

void SymbolView::setColour(const QColor& colour) {
  if (colour_ != colour) {
    colour_ = colour;
    update();
  }
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QColor colour = colour_.isValid() ? colour_ : palette().color(QPalette::WindowText);
  Symbols::paint(painter, rect(), symbol_, colour, weight_);
}

SymbolLabel::SymbolLabel(std::string_view symbol, const QString& text, int size,
                         QFont::Weight weight, const QColor& colour, QWidget* parent)
    : QWidget(parent),
      symbol_(new SymbolView(symbol, static_cast<int>(std::lround(size * 1.15)), colour, weight)),
      text_(makeLabel(text, size, weight, colour)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(std::max(4, size / 2));
  // The symbol sits centred on the first line of text, also when the text wraps.
  auto* symbolColumn = new QVBoxLayout;
  symbolColumn->setContentsMargins(
      0, std::max(0, (QFontMetrics(text_->font()).height() - symbol_->height()) / 2), 0, 0);
  symbolColumn->addWidget(symbol_);
  symbolColumn->addStretch(1);
  row->addLayout(symbolColumn);
  row->addWidget(text_, 1);
}

void SymbolLabel::setText(const QString& text) {
  text_->setText(text);
}

void SymbolLabel::setColour(const QColor& colour) {
  symbol_->setColour(colour);
  setTextColour(*text_, colour);
}

void SymbolLabel::setWordWrap(bool wrap) {
  text_->setWordWrap(wrap);
}

Paragraph::Paragraph(const QString& text, const QFont& font, const QColor& colour,
                     double lineSpacing, QWidget* parent)
    : QWidget(parent), text_(text), colour_(colour), lineSpacing_(lineSpacing) {
  setFont(font);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

double Paragraph::layOut(double width, QPainter* painter) const {
  QTextLayout layout(text_, font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  double y = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(std::max(1.0, width));
    line.setPosition(QPointF(0, y));
    y += line.height() + lineSpacing_;
  }
  layout.endLayout();
  if (painter != nullptr) {
    painter->setPen(colour_);
    layout.draw(painter, QPointF(0, 0));
  }
  return std::max(0.0, y - lineSpacing_);
}

int Paragraph::heightForWidth(int width) const {
  return static_cast<int>(std::ceil(layOut(width, nullptr)));
}

QSize Paragraph::sizeHint() const {
  const int width = QFontMetrics(font()).horizontalAdvance(text_);
  return QSize(std::min(width, 480), heightForWidth(std::min(width, 480)));
}

// The height follows the width the layout gives (heightForWidth); a minimum measured at a narrow
// width would hold the whole column open.
QSize Paragraph::minimumSizeHint() const {
  return QSize(40, QFontMetrics(font()).height());
}

void Paragraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  layOut(width(), &painter);
}

Switch::Switch(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Switch::sizeHint() const {
  return QSize(32, 18);
}

void Switch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const double radius = track.height() / 2;
  painter.setPen(Qt::NoPen);
  painter.setBrush(isChecked() ? style::blue() : style::primary(palette(), 0.12));
  painter.drawRoundedRect(track, radius, radius);
  const double knob = track.height() - 3;
  const double x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
  painter.setBrush(Qt::white);
  painter.setPen(QPen(style::primary(palette(), 0.15), 0.5));
  painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
}

Rule::Rule(Qt::Orientation orientation, const QColor& colour, int leadingIndent, int length,
           QWidget* parent)
    : QWidget(parent), orientation_(orientation), colour_(colour), indent_(leadingIndent) {
  if (orientation == Qt::Horizontal) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  } else {
    setFixedSize(1, length);
  }
}

Rule* Rule::divider(const QPalette& palette, double opacity, int leadingIndent) {
  // The platform's separator: the label colour at a tenth, under the divider's own opacity.
  return new Rule(Qt::Horizontal, style::primary(palette, 0.1 * opacity), leadingIndent);
}

void Rule::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = orientation_ == Qt::Horizontal ? rect().adjusted(indent_, 0, 0, 0) : rect();
  painter.fillRect(area, colour_);
}

Dot::Dot(int diameter, const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour) {
  setFixedSize(diameter, diameter);
}

void Dot::setColour(const QColor& colour) {
  if (colour_ != colour) {
    colour_ = colour;
    update();
  }
}

void Dot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour_);
  painter.drawEllipse(QRectF(rect()));
}

RoundedPanel::RoundedPanel(double radius, const QColor& fill, const QColor& stroke, QWidget* parent)
    : QWidget(parent), radius_(radius), fill_(fill), stroke_(stroke),
      column_(new QVBoxLayout(this)) {
  column_->setContentsMargins(0, 0, 0, 0);
  column_->setSpacing(0);
}

void RoundedPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(stroke_.isValid() ? QPen(stroke_, 1) : QPen(Qt::NoPen));
  painter.setBrush(fill());
  painter.drawRoundedRect(shape, radius_, radius_);
}

Disclosure::Disclosure(QWidget* label, QWidget* content, QWidget* parent)
    : QWidget(parent), header_(new DisclosureHeader(label)), content_(content) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(header_);
  column->addWidget(content_);
  content_->setVisible(false);
  connect(header_, &QAbstractButton::toggled, this, [this](bool on) { setExpanded(on); });
}

void Disclosure::setExpanded(bool expanded) {
  expanded_ = expanded;
  header_->setChecked(expanded);
  content_->setVisible(expanded);
  header_->update();
}

} // namespace lumivane::shell
