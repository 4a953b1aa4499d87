#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <string_view>

class QPainter;

// The system symbols the interface shows, named as on macOS, drawn here as vector paths of our
// own on a 24-point design grid. The one place that knows the symbol names.
namespace lumivane::shell::symbols {

inline constexpr std::string_view dockRectangle = "dock.rectangle";
// The status item's symbol while a permission is missing: Lumivane's own symbol, so that the
// item keeps its identity, with an exclamation mark on a badge at its bottom trailing corner.
// The system has no such symbol; this drawing stands in for it.
inline constexpr std::string_view dockRectangleBadgeExclamationmark =
    "dock.rectangle.badge.exclamationmark";
inline constexpr std::string_view exclamationmarkCircle = "exclamationmark.circle";
inline constexpr std::string_view xmark = "xmark";
inline constexpr std::string_view arrowCounterclockwise = "arrow.counterclockwise";
inline constexpr std::string_view folderFill = "folder.fill";
inline constexpr std::string_view safari = "safari";
inline constexpr std::string_view noteText = "note.text";
inline constexpr std::string_view cursorarrow = "cursorarrow";
inline constexpr std::string_view computermouse = "computermouse";
inline constexpr std::string_view sunrise = "sunrise";
inline constexpr std::string_view handRaised = "hand.raised";
inline constexpr std::string_view handRaisedFill = "hand.raised.fill";
inline constexpr std::string_view checkmarkShield = "checkmark.shield";
inline constexpr std::string_view checkmarkShieldFill = "checkmark.shield.fill";
inline constexpr std::string_view pauseCircle = "pause.circle";
inline constexpr std::string_view infoCircle = "info.circle";

// Whether `name` is one of the symbols above.
bool isKnown(std::string_view name);

// Where a symbol of its own `symbol` size goes in `square`: centred, in its own proportions,
// scaled down only as far as a wide (or tall) symbol must be to stay whole.
QRectF fit(const QSizeF& symbol, const QRectF& square);
// The symbol in a square of `size` points, in `colour`; heavier weights draw thicker strokes.
// An unknown name gives a transparent image of the same size.
QPixmap pixmap(std::string_view name, double size, const QColor& colour,
               QFont::Weight weight = QFont::Normal, double devicePixelRatio = 2);
// Draws the symbol centred in `box` (a square of the box's smaller side).
void paint(QPainter& painter, const QRectF& box, std::string_view name, const QColor& colour,
           QFont::Weight weight = QFont::Normal);

} // namespace lumivane::shell::symbols
