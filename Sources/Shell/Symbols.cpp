#include "Shell/Symbols.hpp"

#include "Shell/NativeWindow.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>
#include <array>
#include <cmath>

namespace lumivane::shell::symbols {

namespace {

// Stroke width on the 24-point grid for a font weight, as the system symbols thicken with it.
double strokeWidth(QFont::Weight weight) {
  if (weight >= QFont::Bold) {
    return 2.3;
  }
  if (weight >= QFont::DemiBold) {
    return 2.05;
  }
  if (weight >= QFont::Medium) {
    return 1.85;
  }
  return 1.6;
}

QPainterPath capsule(double x, double y, double width, double height) {
  QPainterPath path;
  const double radius = std::min(width, height) / 2;
  path.addRoundedRect(QRectF(x, y, width, height), radius, radius);
  return path;
}

QPainterPath circle(double cx, double cy, double radius) {
  QPainterPath path;
  path.addEllipse(QPointF(cx, cy), radius, radius);
  return path;
}

QPainterPath line(QPointF from, QPointF to) {
  QPainterPath path(from);
  path.lineTo(to);
  return path;
}

QPainterPath shield() {
  QPainterPath path(QPointF(12, 2.5));
  path.lineTo(19.5, 5.5);
  path.lineTo(19.5, 11);
  path.cubicTo(19.5, 16, 16, 19.5, 12, 21.5);
  path.cubicTo(8, 19.5, 4.5, 16, 4.5, 11);
  path.lineTo(4.5, 5.5);
  path.closeSubpath();
  return path;
}

QPainterPath checkmark() {
  QPainterPath path(QPointF(8.5, 12));
  path.lineTo(11, 14.5);
  path.lineTo(15.5, 9.2);
  return path;
}

// A raised hand as one outline: four fingers, the palm and the thumb.
QPainterPath hand() {
  QPainterPath shape = capsule(7, 5, 2.6, 10);
  shape = shape.united(capsule(9.8, 2.5, 2.6, 12));
  shape = shape.united(capsule(12.6, 3.2, 2.6, 12));
  shape = shape.united(capsule(15.4, 5.5, 2.6, 10));
  QPainterPath palm;
  palm.addRoundedRect(QRectF(7, 11, 11, 10.5), 4.5, 4.5);
  shape = shape.united(palm);
  QTransform thumbTilt;
  thumbTilt.translate(7.5, 17).rotate(-40).translate(-7.5, -17);
  shape = shape.united(thumbTilt.map(capsule(3, 15.7, 7, 2.6)));
  return shape.simplified();
}

struct Drawing {
  QPainterPath strokes; // stroked with round caps and joins
  QPainterPath fills;   // filled
  QPainterPath cutouts; // stroked, punched out of what is drawn
  // Then, on top: a badge disc, set off from the rest by a punched-out ring, with its own
  // cut-outs (stroked) punched out of it.
  QPainterPath badge;
  QPainterPath badgeCutouts;
};

// The disc at the bottom trailing corner that carries a badge, on the 24-point grid.
constexpr QPointF badgeCentre(18.5, 17.5);
constexpr double badgeRadius = 5.2;
constexpr double badgeRing = 1.6;

Drawing drawing(std::string_view name) {
  Drawing d;
  if (name == dockRectangle) {
    d.strokes.addRoundedRect(QRectF(2.5, 4, 19, 16), 3, 3);
    d.fills.addRoundedRect(QRectF(6, 15, 12, 2.6), 1.3, 1.3);
  } else if (name == dockRectangleBadgeExclamationmark) {
    d = drawing(dockRectangle);
    d.badge = circle(badgeCentre.x(), badgeCentre.y(), badgeRadius);
    d.badgeCutouts = line(badgeCentre + QPointF(0, -2.6), badgeCentre + QPointF(0, 0.4));
    d.badgeCutouts.addPath(line(badgeCentre + QPointF(0, 2.7), badgeCentre + QPointF(0, 2.75)));
  } else if (name == exclamationmarkCircle) {
    d.strokes = circle(12, 12, 9.5);
    d.strokes.addPath(line({12, 7}, {12, 13}));
    d.fills = circle(12, 16.6, 1.25);
  } else if (name == xmark) {
    d.strokes = line({6, 6}, {18, 18});
    d.strokes.addPath(line({18, 6}, {6, 18}));
  } else if (name == arrowCounterclockwise) {
    // Nearly a full turn, starting at the top and ending at the upper left; the head sits at
    // the top and points left, the counterclockwise direction there.
    const QRectF ring(5, 5.5, 14, 14);
    d.strokes.arcMoveTo(ring, 90);
    d.strokes.arcTo(ring, 90, -300);
    d.strokes.moveTo(13, 3);
    d.strokes.lineTo(10.2, 5.5);
    d.strokes.lineTo(13, 8);
  } else if (name == folderFill) {
    QPainterPath tab(QPointF(2, 6.5));
    tab.quadTo(2, 4.5, 4, 4.5);
    tab.lineTo(9, 4.5);
    tab.lineTo(11, 6.5);
    tab.lineTo(11, 8);
    tab.lineTo(2, 8);
    tab.closeSubpath();
    d.fills.addRoundedRect(QRectF(2, 7, 20, 13), 2.2, 2.2);
    d.fills = d.fills.united(tab);
  } else if (name == safari) {
    d.strokes = circle(12, 12, 9.5);
    QPainterPath needle(QPointF(16.5, 7.5));
    needle.lineTo(13.4, 13.4);
    needle.lineTo(7.5, 16.5);
    needle.lineTo(10.6, 10.6);
    needle.closeSubpath();
    d.fills = needle;
  } else if (name == noteText) {
    d.strokes.addRoundedRect(QRectF(4.5, 3, 15, 18), 2.5, 2.5);
    d.strokes.addPath(line({8, 8}, {16, 8}));
    d.strokes.addPath(line({8, 12}, {16, 12}));
    d.strokes.addPath(line({8, 16}, {13, 16}));
  } else if (name == cursorarrow) {
    QPainterPath pointer(QPointF(7, 3));
    pointer.lineTo(7, 19);
    pointer.lineTo(10.8, 15.4);
    pointer.lineTo(13.6, 21);
    pointer.lineTo(15.8, 20);
    pointer.lineTo(13.1, 14.5);
    pointer.lineTo(18.3, 14.3);
    pointer.closeSubpath();
    d.strokes = pointer;
  } else if (name == computermouse) {
    d.strokes.addRoundedRect(QRectF(7, 3, 10, 18), 5, 5);
    d.strokes.addPath(line({12, 6.5}, {12, 9.5}));
  } else if (name == sunrise) {
    const QRectF sun(7, 12, 10, 10);
    d.strokes.arcMoveTo(sun, 0);
    d.strokes.arcTo(sun, 0, 180);
    d.strokes.addPath(line({2.5, 20}, {21.5, 20}));
    d.strokes.addPath(line({3.5, 14}, {5, 15}));
    d.strokes.addPath(line({20.5, 14}, {19, 15}));
    d.strokes.addPath(line({12, 2.5}, {12, 8.5}));
    d.strokes.moveTo(9.5, 5);
    d.strokes.lineTo(12, 2.5);
    d.strokes.lineTo(14.5, 5);
  } else if (name == handRaised) {
    d.strokes = hand();
  } else if (name == handRaisedFill) {
    d.fills = hand();
  } else if (name == checkmarkShield) {
    d.strokes = shield();
    d.strokes.addPath(checkmark());
  } else if (name == checkmarkShieldFill) {
    d.fills = shield();
    d.cutouts = checkmark();
  } else if (name == pauseCircle) {
    d.strokes = circle(12, 12, 9.5);
    d.strokes.addPath(line({10, 8.5}, {10, 15.5}));
    d.strokes.addPath(line({14, 8.5}, {14, 15.5}));
  } else if (name == infoCircle) {
    d.strokes = circle(12, 12, 9.5);
    d.strokes.addPath(line({12, 11}, {12, 17}));
    d.fills = circle(12, 7.6, 1.25);
  }
  return d;
}

constexpr std::array knownNames = {dockRectangle,
                                   dockRectangleBadgeExclamationmark,
                                   exclamationmarkCircle,
                                   xmark,
                                   arrowCounterclockwise,
                                   folderFill,
                                   safari,
                                   noteText,
                                   cursorarrow,
                                   computermouse,
                                   sunrise,
                                   handRaised,
                                   handRaisedFill,
                                   checkmarkShield,
                                   checkmarkShieldFill,
                                   pauseCircle,
                                   infoCircle};

} // namespace

bool isKnown(std::string_view name) {
  return std::find(knownNames.begin(), knownNames.end(), name) != knownNames.end();
}

QRectF fit(const QSizeF& symbol, const QRectF& square) {
  if (symbol.isEmpty() || square.isEmpty()) {
    return QRectF(square.center(), QSizeF(0, 0));
  }
  const double scale =
      std::min({1.0, square.width() / symbol.width(), square.height() / symbol.height()});
  const QSizeF size = symbol * scale;
  return QRectF(square.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QPixmap pixmap(std::string_view name, double size, const QColor& colour, QFont::Weight weight,
               double devicePixelRatio) {
  const int pixels = std::max(1, static_cast<int>(std::ceil(size * devicePixelRatio)));
  QPixmap image(pixels, pixels);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);
  if (const auto system = native::systemSymbol(name, size, colour, devicePixelRatio)) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF own = QSizeF(system->size()) / system->devicePixelRatio();
    painter.drawPixmap(fit(own, QRectF(0, 0, size, size)), *system, QRectF(system->rect()));
    return image;
  }
  if (!isKnown(name)) {
    return image;
  }
  const Drawing d = drawing(name);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 24, size / 24);
  const QPen pen(colour, strokeWidth(weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.fillPath(d.fills, colour);
  painter.strokePath(d.strokes, pen);
  if (!d.cutouts.isEmpty()) {
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.strokePath(d.cutouts, pen);
  }
  if (!d.badge.isEmpty()) {
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillPath(circle(badgeCentre.x(), badgeCentre.y(), badgeRadius + badgeRing), colour);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillPath(d.badge, colour);
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.strokePath(d.badgeCutouts, pen);
  }
  return image;
}

void paint(QPainter& painter, const QRectF& box, std::string_view name, const QColor& colour,
           QFont::Weight weight) {
  const double side = std::min(box.width(), box.height());
  if (side <= 0) {
    return;
  }
  const double ratio = std::max(1.0, painter.device()->devicePixelRatioF());
  const QRectF square(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
  painter.drawPixmap(square.topLeft(), pixmap(name, side, colour, weight, ratio * 2));
}

} // namespace lumivane::shell::symbols
