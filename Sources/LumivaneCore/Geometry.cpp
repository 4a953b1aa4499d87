#include "LumivaneCore/Geometry.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumivane {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

} // namespace

double Rect::minX() const {
  return standardized(*this).x;
}
double Rect::midX() const {
  return x + width / 2;
}
double Rect::maxX() const {
  const Rect s = standardized(*this);
  return s.x + s.width;
}
double Rect::minY() const {
  return standardized(*this).y;
}
double Rect::midY() const {
  return y + height / 2;
}
double Rect::maxY() const {
  const Rect s = standardized(*this);
  return s.y + s.height;
}
double Rect::absWidth() const {
  return std::fabs(width);
}
double Rect::absHeight() const {
  return std::fabs(height);
}

Rect Rect::null() {
  return {infinity, infinity, 0, 0};
}

Rect standardized(const Rect& rect) {
  Rect result = rect;
  if (result.width < 0) {
    result.x += result.width;
    result.width = -result.width;
  }
  if (result.height < 0) {
    result.y += result.height;
    result.height = -result.height;
  }
  return result;
}

bool isNull(const Rect& rect) {
  return rect.x == infinity || rect.y == infinity;
}

bool isEmpty(const Rect& rect) {
  return isNull(rect) || rect.width == 0 || rect.height == 0;
}

// Rectangles that share only an edge or a corner give a zero-sized, non-null result;
// intersects() reports them as disjoint.
Rect intersection(const Rect& a, const Rect& b) {
  if (isNull(a) || isNull(b)) {
    return Rect::null();
  }
  const Rect sa = standardized(a);
  const Rect sb = standardized(b);
  const double minX = std::max(sa.x, sb.x);
  const double maxX = std::min(sa.x + sa.width, sb.x + sb.width);
  const double minY = std::max(sa.y, sb.y);
  const double maxY = std::min(sa.y + sa.height, sb.y + sb.height);
  // Written so that a NaN extent also gives the null rectangle.
  if (!(minX <= maxX) || !(minY <= maxY)) {
    return Rect::null();
  }
  return {minX, minY, maxX - minX, maxY - minY};
}

// The common part must have a positive width and height; touching edges do not count. Every
// comparison fails on a NaN, and the null rectangle's infinite origin leaves it no extent, so
// neither intersects anything.
bool intersects(const Rect& a, const Rect& b) {
  const Rect sa = standardized(a);
  const Rect sb = standardized(b);
  const double aMaxX = sa.x + sa.width;
  const double bMaxX = sb.x + sb.width;
  const double aMaxY = sa.y + sa.height;
  const double bMaxY = sb.y + sb.height;
  return sa.x < aMaxX && sb.x < bMaxX && sa.x < bMaxX && sb.x < aMaxX && sa.y < aMaxY &&
         sb.y < bMaxY && sa.y < bMaxY && sb.y < aMaxY;
}

bool contains(const Rect& rect, Point point) {
  if (isNull(rect)) {
    return false;
  }
  const Rect s = standardized(rect);
  return s.x <= point.x && point.x < s.x + s.width && s.y <= point.y && point.y < s.y + s.height;
}

bool contains(const Rect& outer, const Rect& inner) {
  if (isEmpty(outer) || isEmpty(inner)) {
    return false;
  }
  const Rect o = standardized(outer);
  const Rect i = standardized(inner);
  return o.x <= i.x && i.x + i.width <= o.x + o.width && o.y <= i.y &&
         i.y + i.height <= o.y + o.height;
}

Rect inset(const Rect& rect, double dx, double dy) {
  if (isNull(rect)) {
    return Rect::null();
  }
  Rect result = standardized(rect);
  result.x += dx;
  result.y += dy;
  result.width -= 2 * dx;
  result.height -= 2 * dy;
  if (result.width < 0 || result.height < 0) {
    return Rect::null();
  }
  return result;
}

double area(const Rect& rect) {
  if (isNull(rect)) {
    return 0;
  }
  return rect.absWidth() * rect.absHeight();
}

} // namespace lumivane
