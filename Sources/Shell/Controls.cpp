#include "Shell/Controls.hpp"

#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace lumivane::shell {

namespace {

// Sets the text roles of `widget` to `ink`, resolved against the application's palette.
// Setting the same colours again would only report another palette change.
void applyInk(QWidget& widget, const style::Ink& ink) {
  const QColor colour = ink.resolve(QGuiApplication::palette());
  if (widget.palette().color(QPalette::WindowText) == colour &&
      widget.palette().color(QPalette::ButtonText) == colour) {
    return;
  }
  QPalette colours = widget.palette();
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    colours.setColor(role, colour);
  }
  widget.setPalette(colours);
}

// A change of the application's palette (the appearance switched) reaches a widget as its own
// palette changing, through its window.
bool isPaletteChange(const QEvent& event) {
  return event.type() == QEvent::PaletteChange || event.type() == QEvent::ApplicationPaletteChange;
}

// A stock flat push button whose text keeps its ink through changes of appearance.
class PlainButton : public QPushButton {
public:
  PlainButton(const QString& text, style::Ink ink) : QPushButton(text), ink_(ink) {
    setFlat(true);
    applyInk(*this, ink_);
  }

protected:
  bool event(QEvent* event) override {
    const bool handled = QPushButton::event(event);
    if (isPaletteChange(*event)) {
      applyInk(*this, ink_);
    }
    return handled;
  }

private:
  style::Ink ink_;
};

void setControlSize(QPushButton& button, ControlSize size) {
  const bool small = size == ControlSize::small;
  button.setAttribute(small ? Qt::WA_MacSmallSize : Qt::WA_MacNormalSize);
  button.setFont(style::font(small ? 11 : 13));
}

// The header of a disclosure group: the platform's disclosure indicator (the one its trees
// draw), then the label widget; clicking anywhere on it toggles the group.
class DisclosureHeader : public QAbstractButton {
public:
  static constexpr int indicatorWidth = Disclosure::indicatorWidth;

  DisclosureHeader(const QString& title, QWidget* label, const QMargins& margins) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(margins.left() + indicatorWidth, margins.top(), margins.right(),
                            margins.bottom());
    row->setSpacing(0);
    row->addWidget(label);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
  }

  QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    const QMargins margins = layout()->contentsMargins();
    const int side = std::min(indicatorWidth, height() - margins.top() - margins.bottom());
    option.rect =
        QRect(margins.left() - indicatorWidth,
              margins.top() + (height() - margins.top() - margins.bottom() - side) / 2, side, side);
    option.state |= QStyle::State_Children;
    if (isChecked()) {
      option.state |= QStyle::State_Open;
    }
    style()->drawPrimitive(QStyle::PE_IndicatorBranch, &option, &painter, this);
    if (hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
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
  if (isPaletteChange(*event)) {
    applyInk();
  }
  return handled;
}

void Label::applyInk() {
  shell::applyInk(*this, ink_);
}

Label* makeLabel(const QString& text, int size, QFont::Weight weight, style::Ink ink) {
  auto* label = new Label(text, ink);
  label->setFont(style::font(size, weight));
  return label;
}

QPushButton* makeButton(const QString& text, ControlSize size) {
  auto* button = new QPushButton(text);
  setControlSize(*button, size);
  return button;
}

QPushButton* makeProminentButton(const QString& text, ControlSize size) {
  auto* button = makeButton(text, size);
  // The default look is the accent-coloured one; Return is the view's to give.
  button->setDefault(true);
  button->setAutoDefault(false);
  return button;
}

QPushButton* makePlainButton(const QString& text, ControlSize size, style::Ink ink) {
  auto* button = new PlainButton(text, ink);
  setControlSize(*button, size);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

void paintRoundButton(QPainter& painter, const QRectF& circle, std::string_view symbol,
                      double glyph, const QPalette& palette, std::optional<QColor> lit) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(style::primary(palette, 0.12), 1));
  painter.setBrush(lit ? *lit : style::controlBackground(palette));
  painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
  const QRectF box(circle.center() - QPointF(glyph / 2, glyph / 2), QSizeF(glyph, glyph));
  symbols::paint(painter, box, symbol, lit ? QColor(Qt::white) : style::primary(palette),
                 QFont::DemiBold);
  painter.restore();
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
  symbols::paint(painter, rect(), symbol_, colour(), weight_);
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

void SymbolLabel::setInks(style::Ink symbol, style::Ink text) {
  symbol_->setInk(symbol);
  text_->setInk(text);
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

QColor Switch::trackColour() const {
  return isChecked() ? style::blue(palette()) : style::primary(palette(), 0.5);
}

QColor Switch::knobColour() const {
  return Qt::white;
}

void Switch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setOpacity(isEnabled() ? 1 : 0.4);
  const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const double radius = track.height() / 2;
  painter.setPen(Qt::NoPen);
  painter.setBrush(trackColour());
  painter.drawRoundedRect(track, radius, radius);
  const double knob = track.height() - 3;
  const double x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
  painter.setBrush(knobColour());
  painter.setPen(QPen(style::primary(palette(), 0.15), 0.5));
  painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
  if (hasFocus()) {
    QColor ring = style::blue(palette());
    ring.setAlphaF(0.5f);
    painter.setPen(QPen(ring, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(track.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
  }
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

Disclosure::Disclosure(const QString& title, QWidget* label, QWidget* content,
                       const QMargins& headerMargins, QWidget* parent)
    : QWidget(parent), header_(new DisclosureHeader(title, label, headerMargins)),
      content_(content) {
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
