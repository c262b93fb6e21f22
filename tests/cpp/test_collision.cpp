// The collision module: the grid index over boxes, the segment-against-box
// test, the detour around one box and near-duplicate removal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "scene/collision.hpp"

using borvane::scene::Aabb;
using borvane::scene::detour_around;
using borvane::scene::Point;
using borvane::scene::segment_hits_aabb;
using borvane::scene::simplify_polyline;
using borvane::scene::SpatialHash;

namespace {

std::vector<std::uint32_t> cell_of(const SpatialHash& hash, std::int32_t column, std::int32_t row) {
  auto cell = hash.cell(column, row);
  return {cell.begin(), cell.end()};
}

bool clear_of(const Aabb& box, const std::vector<Point>& path) {
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (segment_hits_aabb(box, path[i - 1].first, path[i - 1].second, path[i].first, path[i].second)) return false;
  }
  return true;
}

}  // namespace

// ---- SpatialHash ----

TEST(SpatialHash, SmallCellSizeIsRaisedTo16) {
  std::vector<Aabb> boxes{{0, 0, 20, 5}};
  SpatialHash hash = SpatialHash::build(boxes, 4);
  EXPECT_EQ(hash.cell_size(), 16);
  EXPECT_EQ(cell_of(hash, 0, 0), std::vector<std::uint32_t>{0});
  EXPECT_EQ(cell_of(hash, 1, 0), std::vector<std::uint32_t>{0});
  EXPECT_TRUE(cell_of(hash, 2, 0).empty());
  EXPECT_EQ(SpatialHash::build(boxes, 64).cell_size(), 64);
}

TEST(SpatialHash, NegativeCoordinatesHaveNegativeCells) {
  std::vector<Aabb> boxes{{-1, -1, 1, 1}};
  SpatialHash hash = SpatialHash::build(boxes, 64);
  for (std::int32_t column : {-1, 0}) {
    for (std::int32_t row : {-1, 0}) EXPECT_EQ(cell_of(hash, column, row), std::vector<std::uint32_t>{0});
  }
  EXPECT_TRUE(cell_of(hash, 1, 0).empty());
  EXPECT_TRUE(cell_of(hash, -2, -1).empty());
}

TEST(SpatialHash, CellsListEachBoxOnceInAscendingOrder) {
  // Box 2 covers the cell twice over; boxes 0 and 2 share cell (0, 0).
  std::vector<Aabb> boxes{{10, 10, 20, 20}, {100, 100, 110, 110}, {0, 0, 63, 63}};
  SpatialHash hash = SpatialHash::build(boxes, 64);
  EXPECT_EQ(cell_of(hash, 0, 0), (std::vector<std::uint32_t>{0, 2}));
  EXPECT_EQ(cell_of(hash, 1, 1), std::vector<std::uint32_t>{1});
}

TEST(SpatialHash, InsideOutAndNonFiniteBoxes) {
  // An inside-out box spans the cells from its min corner's to its max
  // corner's: none when they differ, its one cell when they coincide.
  std::vector<Aabb> boxes{
      {100, 10, 5, 20}, {0, 0, std::numeric_limits<double>::infinity(), 1}, {0, 0, 1, 1}, {30, 10, 20, 5}};
  SpatialHash hash = SpatialHash::build(boxes, 64);
  EXPECT_EQ(hash.query_aabb({-1000, -1000, 1000, 1000}), (std::vector<std::size_t>{2, 3}));
}

// The query is a candidate set: it contains every box that overlaps the
// query box, each once.
TEST(SpatialHash, QueryFindsEveryOverlappingBox) {
  std::mt19937 rng(7);
  auto coord = [&](int span) { return static_cast<double>(static_cast<int>(rng() % (2 * span)) - span) / 2; };
  for (int round = 0; round < 200; ++round) {
    std::vector<Aabb> boxes;
    for (int i = 0; i < 40; ++i) {
      double x = coord(800), y = coord(800);
      boxes.push_back({x, y, x + coord(150) + 75, y + coord(150) + 75});
    }
    double qx = coord(800), qy = coord(800);
    Aabb query{qx, qy, qx + coord(100) + 50, qy + coord(100) + 50};
    // Every other round a far box spreads the boxes thin, so the index keeps
    // only its occupied cells.
    if (round % 2 == 1) boxes.push_back({1e7, 1e7, 1e7 + 10, 1e7 + 10});
    SpatialHash hash = SpatialHash::build(boxes, 16 + rng() % 100);
    std::vector<std::size_t> found = hash.query_aabb(query);
    ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
    ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const Aabb& b = boxes[i];
      bool overlaps =
          b.min_x <= query.max_x && query.min_x <= b.max_x && b.min_y <= query.max_y && query.min_y <= b.max_y;
      if (!overlaps) continue;
      EXPECT_TRUE(std::binary_search(found.begin(), found.end(), i)) << "round " << round;
    }
  }
}

// ---- segment_hits_aabb ----

struct SegmentCase {
  const char* name;
  double x1, y1, x2, y2;
  bool hits;
};

TEST(SegmentHitsAabb, Table) {
  const Aabb box{0, 0, 100, 50};
  const SegmentCase cases[] = {
      {"crosses the middle", -10, 25, 110, 25, true},
      {"ends exactly on the left side", -10, 25, 0, 25, false},
      {"starts exactly on the right side going out", 100, 25, 150, 25, false},
      {"lies on the top side", 10, 0, 90, 0, true},
      {"runs along the top side past both corners", -10, 0, 110, 0, true},
      {"zero length on the border", 100, 50, 100, 50, true},
      {"zero length inside", 50, 20, 50, 20, true},
      {"zero length outside", 101, 20, 101, 20, false},
      {"misses above", -10, -1, 110, -1, false},
      {"vertical through the box", 50, -20, 50, 70, true},
      {"vertical ending on the bottom side", 50, 80, 50, 50, false},
      {"diagonal through a corner region", -10, -10, 10, 10, true},
      {"diagonal missing the corner", -10, 5, 5, -10, false},
      {"enters only in the last ten-thousandth", -9999.5, 25, 0.5, 25, false},
      {"enters before the last ten-thousandth", -9998, 25, 2, 25, true},
      {"inside entirely", 10, 10, 20, 10, true},
  };
  for (const auto& c : cases) EXPECT_EQ(segment_hits_aabb(box, c.x1, c.y1, c.x2, c.y2), c.hits) << c.name;
}

// ---- detour_around ----

TEST(DetourAround, HorizontalThroughMiddlePrefersTopOnATie) {
  const Aabb box{100, 0, 200, 100};
  std::vector<Point> path = detour_around(box, {0, 50}, {300, 50});
  EXPECT_EQ(path, (std::vector<Point>{{0, 50}, {0, -8}, {300, -8}, {300, 50}}));
}

TEST(DetourAround, TakesTheShorterSideOfTopAndBottom) {
  const Aabb box{100, 0, 200, 100};
  std::vector<Point> path = detour_around(box, {0, 70}, {300, 70});
  EXPECT_EQ(path, (std::vector<Point>{{0, 70}, {0, 108}, {300, 108}, {300, 70}}));
}

TEST(DetourAround, VerticalThroughMiddleGoesLeftOnATie) {
  const Aabb box{0, 100, 100, 200};
  std::vector<Point> path = detour_around(box, {50, 0}, {50, 300});
  EXPECT_EQ(path, (std::vector<Point>{{50, 0}, {-8, 0}, {-8, 300}, {50, 300}}));
}

TEST(DetourAround, FallsBackToTheTopWhenNothingIsClear) {
  // Both ends inside the box: every candidate crosses it.
  const Aabb box{0, 0, 100, 100};
  std::vector<Point> path = detour_around(box, {10, 10}, {90, 90});
  EXPECT_EQ(path, (std::vector<Point>{{10, 10}, {10, -8}, {90, -8}, {90, 90}}));
}

// Whatever the ends outside the box, the detour is orthogonal, keeps its ends
// and misses the box.
TEST(DetourAround, GeneratedEndsAroundABoxAreClear) {
  std::mt19937 rng(11);
  const Aabb box{100, 100, 200, 180};
  int checked = 0;
  while (checked < 300) {
    Point a{static_cast<double>(rng() % 300), static_cast<double>(rng() % 280)};
    Point b{static_cast<double>(rng() % 300), static_cast<double>(rng() % 280)};
    const Aabb grown = box.expanded(8);
    auto outside = [&](Point p) {
      return p.first < grown.min_x || p.first > grown.max_x || p.second < grown.min_y || p.second > grown.max_y;
    };
    if (!outside(a) || !outside(b)) continue;
    ++checked;
    std::vector<Point> path = detour_around(box, a, b);
    ASSERT_EQ(path.front(), a);
    ASSERT_EQ(path.back(), b);
    EXPECT_TRUE(clear_of(box, path)) << a.first << "," << a.second << " -> " << b.first << "," << b.second;
    for (std::size_t i = 1; i < path.size(); ++i) {
      EXPECT_TRUE(path[i].first == path[i - 1].first || path[i].second == path[i - 1].second);
    }
  }
}

// ---- simplify_polyline ----

TEST(SimplifyPolyline, DropsPointsWithinHalfAUnitOfTheLastKeptOne) {
  struct Case {
    std::vector<Point> in;
    std::vector<Point> out;
  };
  const Case cases[] = {
      {{}, {}},
      {{{1, 1}}, {{1, 1}}},
      {{{0, 0}, {0.4, 0.4}, {0.8, 0.8}, {10, 0}}, {{0, 0}, {0.8, 0.8}, {10, 0}}},
      {{{0, 0}, {0.5, 0}, {0.5, 0.2}}, {{0, 0}, {0.5, 0}}},
      {{{0, 0}, {0, 0}, {0, 10}, {0, 10.49}}, {{0, 0}, {0, 10}}},
  };
  for (const auto& c : cases) EXPECT_EQ(simplify_polyline(c.in), c.out);
}
