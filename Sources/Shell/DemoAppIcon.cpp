#include "Shell/DemoAppIcon.hpp"

#include "Shell/Style.hpp"
#include "Shell/Symbols.hpp"

#include <QPainter>

namespace lumivane::shell {

DemoAppIcon::DemoAppIcon(std::string_view symbol, style::Ink colour, QWidget* parent)
    : QWidget(parent), symbol_(symbol), colour_(colour) {
  setFixedSize(side, side);
}

void DemoAppIcon::paint(QPainter& painter, QPointF centre, std::string_view symbol,
                        style::Ink colour, const QPalette& palette) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF tile(centre - QPointF(side / 2.0, side / 2.0), QSizeF(side, side));
  painter.setPen(Qt::NoPen);
  painter.setBrush(style::controlBackground(palette));
  painter.drawRoundedRect(tile, 11, 11);
  const double glyph = 28;
  symbols::paint(painter, QRectF(centre - QPointF(glyph / 2, glyph / 2), QSizeF(glyph, glyph)),
                 symbol, colour.resolve(palette), QFont::Medium);
  painter.restore();
}

void DemoAppIcon::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paint(painter, QRectF(rect()).center(), symbol_, colour_, palette());
}

} // namespace lumivane::shell
