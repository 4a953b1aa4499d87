#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Fonts and colours of the views. Sizes are points in the macOS sense, which are Qt's
// device-independent pixels, so a 13-point text has the same height next to a 360-point-wide
// popover on every system. Colours are named by their role and resolved against a palette each
// time they are drawn, so that every view follows the appearance (light or dark) as it changes.
namespace lumivane::shell::style {

// The interface font at `size` points: the system font on macOS, Noto Sans CJK SC elsewhere so
// that Chinese text gets Simplified Chinese glyph forms.
QFont font(int size, QFont::Weight weight = QFont::Normal);

enum class Appearance { light, dark };

// A palette with the macOS standard colours of an appearance, for systems whose own palette
// is not the Mac's (and for the snapshots of both appearances). On macOS Qt's palette is the
// system's and follows its appearance by itself.
QPalette palette(Appearance appearance);

// True when the palette is a dark appearance (a dark window background).
bool isDark(const QPalette& palette);

// A colour by its role, at an opacity.
struct Ink {
  enum class Role {
    label,          // the primary text colour
    secondaryLabel, // secondary text, captions and version lines
    separator,      // dividers: the label colour at a tenth
    windowBackground,
    controlBackground,
    cardBackground, // white in the light appearance; in the dark one a step above the window
    blue,
    green,
    orange,
    red,
    cyan,
    clear,
  };

  Role role = Role::label;
  double opacity = 1;

  static constexpr Ink label(double opacity = 1) { return {Role::label, opacity}; }
  static constexpr Ink secondary() { return {Role::secondaryLabel, 1}; }
  static constexpr Ink of(Role role, double opacity = 1) { return {role, opacity}; }

  QColor resolve(const QPalette& palette) const;
  bool operator==(const Ink&) const = default;
};

// The label colour ("primary") at an opacity.
QColor primary(const QPalette& palette, double opacity = 1);
// Secondary text: the label colour dimmed only as far as small text keeps WCAG's 4.5:1 on the
// window background and on cards in both appearances (the system's own secondary label, at
// half strength, stays under 4:1 on a light window).
QColor secondary(const QPalette& palette);
QColor windowBackground(const QPalette& palette);
QColor controlBackground(const QPalette& palette);
// Grouped content: white on a light window; on a dark one a step lighter than the window, as
// grouped boxes are on the Mac, never darker.
QColor cardBackground(const QPalette& palette);

// The platform's standard accent colours in the palette's appearance; without a palette, in the
// application's.
QColor blue(const QPalette& palette);
QColor green(const QPalette& palette);
QColor orange(const QPalette& palette);
QColor red(const QPalette& palette);
QColor cyan(const QPalette& palette);
QColor blue();
QColor green();
QColor orange();
QColor red();
QColor cyan();

// The colour a translucent `colour` shows over an opaque `background`.
QColor composite(const QColor& colour, const QColor& background);
// The WCAG 2 contrast ratio of two opaque colours, from 1 to 21.
double contrastRatio(const QColor& first, const QColor& second);

} // namespace lumivane::shell::style
