#include "Shell/Controls.hpp"

#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"
#include "Shell/Text.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace lumivane::shell {

namespace {

// The keyboard focus ring: the accent at half strength around `shape`.
void paintFocusRing(QPainter& painter, const QPalette& palette, const QRectF& shape,
                    double radius) {
  QColor ring = style::blue(palette);
  ring.setAlphaF(0.5f);
  painter.setPen(QPen(ring, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(shape.adjusted(1, 1, -1, -1), radius, radius);
}

// The prominent bordered style: the accent fill with white text, darker while pressed, faded
// while disabled.
class ProminentButton : public QPushButton {
public:
  ProminentButton(const QString& text, bool large)
      : QPushButton(text), radius_(large ? 7 : 5), padding_(large ? 18 : 10, large ? 7 : 3) {
    setFont(style::font(large ? 13 : 11, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
  }

  QSize sizeHint() const override {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 2 * padding_.width(),
                 metrics.height() + 2 * padding_.height());
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = style::blue(palette());
    if (isDown()) {
      fill = fill.darker(120);
    }
    painter.setOpacity(isEnabled() ? 1 : 0.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const QRectF shape(rect());
    painter.drawRoundedRect(shape, radius_, radius_);
    painter.setPen(Qt::white);
    painter.drawText(shape, Qt::AlignCenter, text());
    if (hasFocus()) {
      paintFocusRing(painter, palette(), shape, radius_);
    }
  }

private:
  double radius_;
  QSize padding_;
};

// The plain style: only the text, in its ink, dimmed while pressed.
class PlainButton : public QPushButton {
public:
  PlainButton(const QString& text, int size, style::Ink ink) : QPushButton(text), ink_(ink) {
    setFont(style::font(size));
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
  }

  QSize sizeHint() const override {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 4, metrics.height() + 2);
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.6 : isEnabled() ? 1 : 0.4);
    painter.setPen(ink_.resolve(palette()));
    painter.drawText(QRectF(rect()), Qt::AlignCenter, text());
    if (hasFocus()) {
      paintFocusRing(painter, palette(), QRectF(rect()), 3);
    }
  }

private:
  style::Ink ink_;
};

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

Label::Label(const QString& text, style::Ink ink, QWidget* parent)
    : QLabel(text, parent), ink_(ink) {
  setTextFormat(Qt::PlainText);
  applyInk();
}

void Label::setInk(style::Ink ink) {
  if (!(ink_ == ink)) {
    ink_ = ink;
    applyInk();
  }
}

bool Label::event(QEvent* event) {
  const bool handled = QLabel::event(event);
  // A change of the application's palette (the appearance switched) reaches a label as its own
  // palette changing, through its window; the ink is resolved again then.
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) {
    applyInk();
  }
  return handled;
}

void Label::applyInk() {
  const QColor colour = ink_.resolve(QGuiApplication::palette());
  // Setting the same colours again would only report another palette change.
  if (palette().color(QPalette::WindowText) == colour &&
      palette().color(QPalette::ButtonText) == colour) {
    return;
  }
  QPalette colours = palette();
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    colours.setColor(role, colour);
  }
  setPalette(colours);
}

Label* makeLabel(const QString& text, int size, QFont::Weight weight, style::Ink ink) {
  auto* label = new Label(text, ink);
  label->setFont(style::font(size, weight));
  return label;
}

QPushButton* makeProminentButton(const QString& text, bool large) {
  return new ProminentButton(text, large);
}

QPushButton* makePlainButton(const QString& text, int size, style::Ink ink) {
  return new PlainButton(text, size, ink);
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

SymbolView::SymbolView(std::string_view symbol, int size, style::Ink ink, QFont::Weight weight,
                       QWidget* parent)
    : QWidget(parent), symbol_(symbol), ink_(ink), weight_(weight) {
  setFixedSize(size, size);
}

void SymbolView::setSymbol(std::string_view symbol) {
  if (symbol_ != symbol) {
    symbol_ = symbol;
    update();
  }
}

void SymbolView::setInk(style::Ink ink) {
  if (!(ink_ == ink)) {
    ink_ = ink;
    update();
  }
}

void SymbolView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  Symbols::paint(painter, rect(), symbol_, colour(), weight_);
}

SymbolLabel::SymbolLabel(std::string_view symbol, const QString& text, int size,
                         QFont::Weight weight, style::Ink ink, QWidget* parent)
    : QWidget(parent),
      symbol_(new SymbolView(symbol, static_cast<int>(std::lround(size * 1.15)), ink, weight)),
      text_(makeLabel(text, size, weight, ink)) {
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

void SymbolLabel::setInk(style::Ink ink) {
  symbol_->setInk(ink);
  text_->setInk(ink);
}

void SymbolLabel::setWordWrap(bool wrap) {
  text_->setWordWrap(wrap);
}

Paragraph::Paragraph(const QString& text, const QFont& font, style::Ink ink, double lineSpacing,
                     QWidget* parent)
    : QWidget(parent), text_(text), ink_(ink), lineSpacing_(lineSpacing) {
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
    painter->setPen(ink_.resolve(palette()));
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
  painter.setBrush(isChecked() ? style::blue(palette()) : style::primary(palette(), 0.12));
  painter.drawRoundedRect(track, radius, radius);
  const double knob = track.height() - 3;
  const double x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
  painter.setBrush(Qt::white);
  painter.setPen(QPen(style::primary(palette(), 0.15), 0.5));
  painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
}

Rule::Rule(Qt::Orientation orientation, style::Ink ink, int leadingIndent, int length,
           QWidget* parent)
    : QWidget(parent), orientation_(orientation), ink_(ink), indent_(leadingIndent) {
  if (orientation == Qt::Horizontal) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  } else {
    setFixedSize(1, length);
  }
}

Rule* Rule::divider(double opacity, int leadingIndent) {
  return new Rule(Qt::Horizontal, style::Ink::of(style::Ink::Role::separator, opacity),
                  leadingIndent);
}

void Rule::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = orientation_ == Qt::Horizontal ? rect().adjusted(indent_, 0, 0, 0) : rect();
  painter.fillRect(area, ink_.resolve(palette()));
}

Dot::Dot(int diameter, style::Ink ink, QWidget* parent) : QWidget(parent), ink_(ink) {
  setFixedSize(diameter, diameter);
}

void Dot::setInk(style::Ink ink) {
  if (!(ink_ == ink)) {
    ink_ = ink;
    update();
  }
}

void Dot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour());
  painter.drawEllipse(QRectF(rect()));
}

RoundedPanel::RoundedPanel(double radius, style::Ink fill, std::optional<style::Ink> stroke,
                           QWidget* parent)
    : QWidget(parent), radius_(radius), fill_(fill), stroke_(stroke),
      column_(new QVBoxLayout(this)) {
  column_->setContentsMargins(0, 0, 0, 0);
  column_->setSpacing(0);
}

void RoundedPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF shape = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(stroke_ ? QPen(stroke_->resolve(palette()), 1) : QPen(Qt::NoPen));
  painter.setBrush(fill_.resolve(palette()));
  painter.drawRoundedRect(shape, radius_, radius_);
}

QWidget* disclosureTitle(const QString& title, QLabel* note) {
  auto* label = new QWidget;
  auto* row = new QHBoxLayout(label);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(makeLabel(title, 13, QFont::Medium));
  row->addStretch(1);
  row->addWidget(note);
  return label;
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
  const bool changed = expanded != expanded_;
  expanded_ = expanded;
  header_->setChecked(expanded);
  content_->setVisible(expanded);
  header_->update();
  if (changed && onExpandedChange) {
    onExpandedChange(expanded);
  }
}

} // namespace lumivane::shell
