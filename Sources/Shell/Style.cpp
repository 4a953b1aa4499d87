#include "Shell/Style.hpp"

#include <QFontDatabase>

namespace lumivane::shell::style {

QFont font(int size, QFont::Weight weight) {
#ifdef Q_OS_MACOS
  QFont result = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
#else
  QFont result(QStringLiteral("Noto Sans CJK SC"));
#endif
  result.setPixelSize(size);
  result.setWeight(weight);
  return result;
}

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() < 128;
}

QColor primary(const QPalette& palette, double opacity) {
  QColor colour = palette.color(QPalette::WindowText);
  colour.setAlphaF(static_cast<float>(colour.alphaF() * opacity));
  return colour;
}

QColor secondary(const QPalette& palette) {
  return primary(palette, 0.55);
}

QColor tertiary(const QPalette& palette) {
  return primary(palette, 0.3);
}

QColor windowBackground(const QPalette& palette) {
  return palette.color(QPalette::Window);
}

QColor controlBackground(const QPalette& palette) {
  return palette.color(QPalette::Base);
}

QColor blue() {
  return QColor(0, 122, 255);
}

QColor green() {
  return QColor(52, 199, 89);
}

QColor orange() {
  return QColor(255, 149, 0);
}

QColor red() {
  return QColor(255, 59, 48);
}

QColor cyan() {
  return QColor(50, 173, 230);
}

} // namespace lumivane::shell::style
