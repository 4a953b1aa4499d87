#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

// Fonts and colours of the views. Sizes are points in the macOS sense, which are Qt's
// device-independent pixels, so a 13-point text has the same height next to a 360-point-wide
// popover on every system.
namespace lumivane::shell::style {

// The interface font at `size` points: the system font on macOS, Noto Sans CJK SC elsewhere so
// that Chinese text gets Simplified Chinese glyph forms.
QFont font(int size, QFont::Weight weight = QFont::Normal);

// True when the palette is a dark appearance (a dark window background).
bool isDark(const QPalette& palette);

// The label colour ("primary") at an opacity; the secondary and tertiary label styles.
QColor primary(const QPalette& palette, double opacity = 1);
QColor secondary(const QPalette& palette);
QColor tertiary(const QPalette& palette);
QColor windowBackground(const QPalette& palette);
QColor controlBackground(const QPalette& palette);

// The platform's standard accent colours (macOS system colours, light appearance).
QColor blue();
QColor green();
QColor orange();
QColor red();
QColor cyan();

} // namespace lumivane::shell::style
