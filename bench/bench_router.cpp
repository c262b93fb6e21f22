// The port-to-port router on 50, 200 and 1,000 obstacles: boxes on a grid
// (the usual shape of siblings in one parent, with many aligned sides) and
// boxes scattered over a square. Each route crosses the whole field.
// Reported as the median of repetitions.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "scene/collision.hpp"
#include "scene/ports.hpp"
#include "scene/router.hpp"

using namespace borvane::scene;

namespace {

struct Field {
  std::vector<Aabb> obstacles;
  Port from;
  Port to;
  double stub = 28;
};

Port port_on(const Aabb& box, PortSide side) {
  return allocate_side_ports("n", side, 1, box.min_x, box.min_y, box.max_x - box.min_x, box.max_y - box.min_y)[0];
}

// `count` obstacles plus the two end boxes, 120 x 60 on a 200 x 130 pitch.
// The stub equals the clearance, so the stub ends lie on the rows along the
// enlarged box tops and bottoms, and the search runs through the corridors
// between the boxes: from the top of the second box of the second row to the
// bottom of the second-last box of the second-last full row.
Field grid_field(int count) {
  const int columns = static_cast<int>(std::ceil(std::sqrt(count + 2.0)));
  const int total = count + 2;
  const int rows = total / columns;  // full rows
  const int from_index = columns + 1;
  const int to_index = (rows - 2) * columns + columns - 2;
  std::vector<Aabb> boxes;
  for (int i = 0; i < total; ++i) boxes.push_back(Aabb::from_rect((i % columns) * 200.0, (i / columns) * 130.0, 120, 60));
  Field field;
  field.from = port_on(boxes[from_index], PortSide::North);
  field.to = port_on(boxes[to_index], PortSide::South);
  for (int i = 0; i < total; ++i) {
    if (i != from_index && i != to_index) field.obstacles.push_back(boxes[i]);
  }
  field.stub = 6;
  return field;
}

// `count` obstacles at random places on a lattice of 20 over a square that
// they cover about a quarter of; they may overlap. Sides on the lattice line
// up often enough for the search to find routes between the boxes.
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

void run(benchmark::State& state, const Field& field) {
  std::size_t points = 0;
  for (auto _ : state) {
    auto route = route_port_to_port_stubbed(field.from, field.to, field.obstacles, 6, field.stub);
    points = route.size();
    benchmark::DoNotOptimize(route);
  }
  state.counters["route_points"] = static_cast<double>(points);
}

void BM_RouteGrid(benchmark::State& state) { run(state, grid_field(static_cast<int>(state.range(0)))); }
void BM_RouteScattered(benchmark::State& state) { run(state, scattered_field(static_cast<int>(state.range(0)))); }

}  // namespace

BENCHMARK(BM_RouteGrid)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RouteScattered)
    ->Arg(50)
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
