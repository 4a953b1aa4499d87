#include "LumivaneCore/Geometry.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace lumivane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(RectGetters, StandardiseNegativeSizes) {
  const Rect rect{20, 30, -10, -40};
  EXPECT_EQ(rect.minX(), 10);
  EXPECT_EQ(rect.maxX(), 20);
  EXPECT_EQ(rect.midX(), 15);
  EXPECT_EQ(rect.minY(), -10);
  EXPECT_EQ(rect.maxY(), 30);
  EXPECT_EQ(rect.midY(), 10);
  EXPECT_EQ(rect.absWidth(), 10);
  EXPECT_EQ(rect.absHeight(), 40);
  EXPECT_EQ(standardized(rect), (Rect{10, -10, 10, 40}));
}

TEST(RectIntersection, OverlapIsTheCommonPart) {
  EXPECT_EQ(intersection({0, 0, 10, 10}, {5, 2, 10, 4}), (Rect{5, 2, 5, 4}));
  EXPECT_EQ(intersection({10, 10, -10, -10}, {5, 5, 10, 10}), (Rect{5, 5, 5, 5}));
  EXPECT_TRUE(intersects({0, 0, 10, 10}, {9.5, 9.5, 1, 1}));
}

TEST(RectIntersection, DisjointRectanglesGiveNull) {
  const Rect common = intersection({0, 0, 10, 10}, {20, 0, 10, 10});
  EXPECT_TRUE(isNull(common));
  EXPECT_TRUE(isEmpty(common));
  EXPECT_EQ(area(common), 0);
  EXPECT_FALSE(intersects({0, 0, 10, 10}, {0, 11, 10, 10}));
  EXPECT_TRUE(isNull(intersection(Rect::null(), {0, 0, 10, 10})));
  EXPECT_TRUE(isNull(intersection({nan, 0, 10, 10}, {0, 0, 10, 10})));
}

TEST(RectIntersection, TouchingRectanglesDoNotIntersect) {
  const Rect edge = intersection({0, 0, 10, 10}, {10, 0, 10, 10});
  EXPECT_FALSE(isNull(edge));
  EXPECT_TRUE(isEmpty(edge));
  EXPECT_EQ(area(edge), 0);
  EXPECT_FALSE(intersects({0, 0, 10, 10}, {10, 0, 10, 10}));
  EXPECT_FALSE(intersects({0, 0, 10, 10}, {0, 10, 10, 10}));
  EXPECT_FALSE(intersects({0, 0, 10, 10}, {10, 10, 5, 5}));
  EXPECT_FALSE(intersects({10, 0, 10, 10}, {0, 0, 10, 10}));
  EXPECT_FALSE(intersects({0, 10, 10, 10}, {0, 0, 10, 10}));
}

TEST(RectIntersection, ZeroSizedRectanglesIntersectNothing) {
  EXPECT_FALSE(intersects({5, 5, 0, 4}, {0, 0, 10, 10}));
  EXPECT_FALSE(intersects({0, 0, 10, 10}, {5, 5, 4, 0}));
  EXPECT_FALSE(intersects(Rect::null(), {0, 0, 10, 10}));
}

TEST(RectContainsPoint, MinEdgesInsideMaxEdgesOutside) {
  const Rect rect{0, 0, 10, 10};
  EXPECT_TRUE(contains(rect, Point{0, 0}));
  EXPECT_TRUE(contains(rect, Point{9.999, 9.999}));
  EXPECT_FALSE(contains(rect, Point{10, 5}));
  EXPECT_FALSE(contains(rect, Point{5, 10}));
  EXPECT_TRUE(contains(Rect{10, 10, -10, -10}, Point{0, 0}));
  EXPECT_FALSE(contains(Rect::null(), Point{0, 0}));
}

TEST(RectContainsRect, InnerMayTouchOuterEdges) {
  EXPECT_TRUE(contains(Rect{0, 0, 10, 10}, Rect{0, 0, 10, 10}));
  EXPECT_TRUE(contains(Rect{0, 0, 10, 10}, Rect{2, 2, 8, 8}));
  EXPECT_FALSE(contains(Rect{0, 0, 10, 10}, Rect{2, 2, 8.5, 8}));
  EXPECT_FALSE(contains(Rect{0, 0, 10, 10}, Rect{-0.5, 2, 4, 4}));
  EXPECT_TRUE(contains(Rect{10, 10, -10, -10}, Rect{8, 8, -4, -4}));
}

TEST(RectContainsRect, EmptyOrNullIsNeverContained) {
  EXPECT_FALSE(contains(Rect{0, 0, 10, 10}, Rect{5, 5, 0, 4}));
  EXPECT_FALSE(contains(Rect{0, 0, 10, 10}, Rect::null()));
  EXPECT_FALSE(contains(Rect::null(), Rect{0, 0, 1, 1}));
  EXPECT_FALSE(contains(Rect{0, 0, 10, 10}, Rect{nan, 0, 1, 1}));
}

TEST(RectInset, ShrinksEachSide) {
  EXPECT_EQ(inset({0, 0, 100, 50}, 2, 3), (Rect{2, 3, 96, 44}));
  EXPECT_EQ(inset({100, 50, -100, -50}, 2, 2), (Rect{2, 2, 96, 46}));
  EXPECT_EQ(inset({0, 0, 10, 10}, -1, -1), (Rect{-1, -1, 12, 12}));
}

TEST(RectInset, NothingLeftIsNull) {
  EXPECT_TRUE(isNull(inset({0, 0, 3, 100}, 2, 2)));
  EXPECT_TRUE(isNull(inset({0, 0, 100, 3}, 2, 2)));
  EXPECT_TRUE(isNull(inset(Rect::null(), 2, 2)));
}

} // namespace
} // namespace lumivane
