#include "Shell/Style.hpp"

#include <QFontDatabase>
#include <QGuiApplication>
#include <cmath>

namespace lumivane::shell::style {

namespace {

// macOS system colours, light and dark appearance.
struct Accent {
  QColor light;
  QColor dark;

  QColor in(const QPalette& palette) const { return isDark(palette) ? dark : light; }
};

const Accent blueAccent{QColor(0, 122, 255), QColor(10, 132, 255)};
const Accent greenAccent{QColor(52, 199, 89), QColor(48, 209, 88)};
const Accent orangeAccent{QColor(255, 149, 0), QColor(255, 159, 10)};
const Accent redAccent{QColor(255, 59, 48), QColor(255, 69, 58)};
const Accent cyanAccent{QColor(50, 173, 230), QColor(100, 210, 255)};

QColor withOpacity(QColor colour, double opacity) {
  colour.setAlphaF(static_cast<float>(colour.alphaF() * opacity));
  return colour;
}

double linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
         0.0722 * linear(colour.blueF());
}

} // namespace

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

QPalette palette(Appearance appearance) {
  const bool dark = appearance == Appearance::dark;
  // labelColor is black (white) at 85 %; the window, control and text backgrounds are AppKit's.
  const QColor label = dark ? QColor(255, 255, 255, 217) : QColor(0, 0, 0, 217);
  const QColor window = dark ? QColor(50, 50, 50) : QColor(236, 236, 236);
  const QColor base = dark ? QColor(30, 30, 30) : QColor(255, 255, 255);
  const QColor button = dark ? QColor(92, 92, 95) : QColor(255, 255, 255);
  QPalette result(label, button, button.lighter(120), button.darker(150), button.darker(120), label,
                  label, base, window);
  result.setColor(QPalette::ButtonText, label);
  result.setColor(QPalette::PlaceholderText, withOpacity(label, 0.3));
  result.setColor(QPalette::Highlight, dark ? blueAccent.dark : blueAccent.light);
  result.setColor(QPalette::HighlightedText, Qt::white);
  result.setColor(QPalette::AlternateBase, dark ? QColor(40, 40, 40) : QColor(244, 245, 245));
  result.setColor(QPalette::ToolTipBase, window);
  result.setColor(QPalette::ToolTipText, label);
  result.setColor(QPalette::Link, dark ? blueAccent.dark : blueAccent.light);
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    result.setColor(QPalette::Disabled, role, withOpacity(label, 0.3));
  }
  return result;
}

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() < 128;
}

QColor Ink::resolve(const QPalette& palette) const {
  switch (role) {
  case Role::label:
    return primary(palette, opacity);
  case Role::secondaryLabel:
    return withOpacity(style::secondary(palette), opacity);
  case Role::separator:
    return primary(palette, 0.1 * opacity);
  case Role::windowBackground:
    return withOpacity(windowBackground(palette), opacity);
  case Role::controlBackground:
    return withOpacity(controlBackground(palette), opacity);
  case Role::cardBackground:
    return withOpacity(cardBackground(palette), opacity);
  case Role::blue:
    return withOpacity(blue(palette), opacity);
  case Role::green:
    return withOpacity(green(palette), opacity);
  case Role::orange:
    return withOpacity(orange(palette), opacity);
  case Role::red:
    return withOpacity(red(palette), opacity);
  case Role::cyan:
    return withOpacity(cyan(palette), opacity);
  case Role::clear:
    break;
  }
  return QColor(Qt::transparent);
}

QColor primary(const QPalette& palette, double opacity) {
  return withOpacity(palette.color(QPalette::WindowText), opacity);
}

QColor secondary(const QPalette& palette) {
  return primary(palette, 0.7);
}

QColor windowBackground(const QPalette& palette) {
  return palette.color(QPalette::Window);
}

QColor controlBackground(const QPalette& palette) {
  return palette.color(QPalette::Base);
}

QColor cardBackground(const QPalette& palette) {
  if (!isDark(palette)) {
    return Qt::white;
  }
  QColor lift(Qt::white);
  lift.setAlphaF(0.05f);
  return composite(lift, windowBackground(palette));
}

QColor blue(const QPalette& palette) {
  return blueAccent.in(palette);
}

QColor green(const QPalette& palette) {
  return greenAccent.in(palette);
}

QColor orange(const QPalette& palette) {
  return orangeAccent.in(palette);
}

QColor red(const QPalette& palette) {
  return redAccent.in(palette);
}

QColor cyan(const QPalette& palette) {
  return cyanAccent.in(palette);
}

QColor blue() {
  return blue(QGuiApplication::palette());
}

QColor green() {
  return green(QGuiApplication::palette());
}

QColor orange() {
  return orange(QGuiApplication::palette());
}

QColor red() {
  return red(QGuiApplication::palette());
}

QColor cyan() {
  return cyan(QGuiApplication::palette());
}

QColor composite(const QColor& colour, const QColor& background) {
  const double alpha = colour.alphaF();
  const auto mix = [alpha](double top, double bottom) {
    return top * alpha + bottom * (1 - alpha);
  };
  return QColor::fromRgbF(static_cast<float>(mix(colour.redF(), background.redF())),
                          static_cast<float>(mix(colour.greenF(), background.greenF())),
                          static_cast<float>(mix(colour.blueF(), background.blueF())));
}

double contrastRatio(const QColor& first, const QColor& second) {
  const double a = luminance(first);
  const double b = luminance(second);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

} // namespace lumivane::shell::style
