#include "Shell/Card.hpp"

#include "Shell/Style.hpp"

#include <QGuiApplication>

namespace lumivane::shell {

Card::Card(QWidget* parent)
    : RoundedPanel(10, QColor(), style::primary(QGuiApplication::palette(), 0.08), parent) {}

QColor Card::fill() const {
  return style::isDark(palette()) ? QColor::fromRgbF(0.14f, 0.14f, 0.14f) : QColor(Qt::white);
}

} // namespace lumivane::shell
