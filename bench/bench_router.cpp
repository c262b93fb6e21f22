// The port-to-port router on 50, 200 and 1,000 obstacles, reported as the
// median of repetitions (time per route).
//
// - Grid: boxes of one size in rows and columns, the usual shape of siblings
//   in one parent, with long rows and columns of aligned lattice points.
// - Scattered: boxes at random places on a lattice of 20, overlapping at
//   times, with many short lines.
// - Detour: a route past two walls that the search does find, with the
//   other obstacles in a grid beside it.
//
// Links may not run along a box side, so across a whole field of boxes the
// graph seldom connects two far ports, and the grid and scattered routes end
// over the top; their cost is that of building the visibility graph, which
// dominates a route anyway. The counter over_the_top tells which case ran.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "scene/collision.hpp"
#include "scene/ports.hpp"
#include "scene/router.hpp"

using namespace borvane::scene;

namespace {

constexpr double kClearance = 6;

struct Field {
  std::vector<Aabb> obstacles;
  Port from;
  Port to;
  double stub = 28;
};

Port port_on(const Aabb& box, PortSide side) {
  return allocate_side_ports("n", side, 1, box.min_x, box.min_y, box.max_x - box.min_x, box.max_y - box.min_y)[0];
}

// 120 x 60 boxes on a 200 x 130 pitch, starting at `left`.
std::vector<Aabb> grid_of(int count, double left) {
  const int columns = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
  std::vector<Aabb> boxes;
  for (int i = 0; i < count; ++i) {
    boxes.push_back(Aabb::from_rect(left + (i % columns) * 200.0, (i / columns) * 130.0, 120, 60));
  }
  return boxes;
}

// `count` obstacles plus the two end boxes: from the top of the second box
// of the second row to the bottom of the second-last box of the second-last
// full row.
Field grid_field(int count) {
  const std::vector<Aabb> boxes = grid_of(count + 2, 0);
  const int columns = static_cast<int>(std::ceil(std::sqrt(count + 2.0)));
  const int rows = (count + 2) / columns;
  const std::size_t from = static_cast<std::size_t>(columns + 1);
  const std::size_t to = static_cast<std::size_t>((rows - 2) * columns + columns - 2);
  Field field;
  field.from = port_on(boxes[from], PortSide::North);
  field.to = port_on(boxes[to], PortSide::South);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (i != from && i != to) field.obstacles.push_back(boxes[i]);
  }
  return field;
}

// `count` obstacles over a square that they cover about a quarter of, between
// ports to its left and right.
Field scattered_field(int count) {
  std::mt19937 rng(7);
  const int cells = static_cast<int>(std::sqrt(count * 140.0 * 70.0 * 4) / 20);
  Field field;
  for (int i = 0; i < count; ++i) {
    const double x = 20.0 * (rng() % cells), y = 20.0 * (rng() % cells);
    field.obstacles.push_back(Aabb::from_rect(x, y, 100 + 20.0 * (rng() % 4), 40 + 20.0 * (rng() % 3)));
  }
  const double far = 20.0 * cells;
  field.from = port_on(Aabb::from_rect(-300, far / 2, 120, 60), PortSide::East);
  field.to = port_on(Aabb::from_rect(far + 200, far / 3, 120, 60), PortSide::West);
  return field;
}

// Two walls between two north ports, and two boxes whose corners give the
// search a row above the walls; the rest of the obstacles stand to the right.
Field detour_field(int count) {
  Field field;
  field.obstacles = {{200, -80, 260, 40}, {300, -60, 340, 40}, {-60, -120, 34, -100}, {426, -120, 520, -100}};
  const std::vector<Aabb> rest = grid_of(count - 4, 700);
  field.obstacles.insert(field.obstacles.end(), rest.begin(), rest.end());
  field.from = port_on(Aabb::from_rect(0, 0, 80, 40), PortSide::North);
  field.to = port_on(Aabb::from_rect(380, 0, 80, 40), PortSide::North);
  return field;
}

// The fallback runs 20 above the highest of the stub ends and the enlarged
// obstacles.
bool over_the_top(const std::vector<Point>& route, const Field& field) {
  const auto stub_y = [&](const Port& p) {
    return p.side == PortSide::North ? p.y - field.stub : p.side == PortSide::South ? p.y + field.stub : p.y;
  };
  double top = std::min(stub_y(field.from), stub_y(field.to));
  for (const Aabb& b : field.obstacles) top = std::min(top, b.min_y - kClearance);
  return std::any_of(route.begin(), route.end(), [&](const Point& p) { return std::abs(p.second - (top - 20)) < 0.5; });
}

void run(benchmark::State& state, const Field& field) {
  std::vector<Point> route;
  for (auto _ : state) {
    route = route_port_to_port_stubbed(field.from, field.to, field.obstacles, kClearance, field.stub);
    benchmark::DoNotOptimize(route.data());
  }
  state.counters["over_the_top"] = over_the_top(route, field) ? 1 : 0;
}

void BM_RouteGrid(benchmark::State& state) { run(state, grid_field(static_cast<int>(state.range(0)))); }
void BM_RouteScattered(benchmark::State& state) { run(state, scattered_field(static_cast<int>(state.range(0)))); }
void BM_RouteDetour(benchmark::State& state) { run(state, detour_field(static_cast<int>(state.range(0)))); }

void obstacle_counts(benchmark::internal::Benchmark* b) {
  b->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

}  // namespace

BENCHMARK(BM_RouteGrid)->Apply(obstacle_counts);
BENCHMARK(BM_RouteScattered)->Apply(obstacle_counts);
BENCHMARK(BM_RouteDetour)->Apply(obstacle_counts);
