#pragma once

// Points and rectangles with the semantics of Core Graphics' CGRect functions, so that the
// same arithmetic gives the same answers on macOS and in the simulator.
//
// Edge rule, used everywhere: a rectangle is half-open. A point on its min edges is inside,
// a point on its max edges is outside; two rectangles that only touch along an edge or at a
// corner do not intersect. (This is what CGRectContainsPoint and CGRectIntersectsRect do.)
//
// Getters standardise negative sizes: a rectangle of width -10 at x = 20 spans 10...20.

namespace lumivane {

struct Point {
  double x = 0;
  double y = 0;

  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double minX() const;
  double midX() const;
  double maxX() const;
  double minY() const;
  double midY() const;
  double maxY() const;
  // Magnitudes, as CGRectGetWidth and CGRectGetHeight report them.
  double absWidth() const;
  double absHeight() const;

  // The null rectangle (CGRectNull): the result of intersecting disjoint rectangles.
  static Rect null();

  // Memberwise, like CGRectEqualToRect for standardised rectangles.
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The same rectangle with a non-negative width and height.
Rect standardized(const Rect& rect);
// True for the null rectangle (an infinite origin), as CGRectIsNull.
bool isNull(const Rect& rect);
// True when the rectangle is null or has zero width or height, as CGRectIsEmpty.
bool isEmpty(const Rect& rect);
// The common part of two rectangles, or the null rectangle when they do not overlap.
Rect intersection(const Rect& a, const Rect& b);
bool intersects(const Rect& a, const Rect& b);
bool contains(const Rect& rect, Point point);
// True when `inner` lies entirely within `outer`; an empty `inner` is never contained.
bool contains(const Rect& outer, const Rect& inner);
// Shrinks by dx on the left and right and dy on the top and bottom; null when nothing is left.
Rect inset(const Rect& rect, double dx, double dy);
// Width times height of the standardised rectangle, 0 for the null rectangle.
double area(const Rect& rect);

} // namespace lumivane
