// Label placement on generated grids of cards with L-shaped routes.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "scene/labels.hpp"

namespace {

using borvane::scene::SceneEdge;
using borvane::scene::SceneNode;
using borvane::scene::ScenePort;

struct Drawing {
  std::vector<SceneNode> nodes;
  std::vector<ScenePort> ports;
  std::vector<SceneEdge> edges;
};

// About one card per edge on a square grid; every edge joins two random
// cards with an L-shaped route and has a label of 4 to 28 characters.
Drawing drawing_with(std::size_t edge_count) {
  std::mt19937 rng(42);
  std::size_t side = 1;
  while (side * side < edge_count) ++side;
  Drawing d;
  for (std::size_t i = 0; i < side * side; ++i) {
    SceneNode n;
    n.id = "n" + std::to_string(i);
    n.x = static_cast<double>(i % side) * 320;
    n.y = static_cast<double>(i / side) * 240;
    n.w = 200;
    n.h = 100;
    d.ports.push_back({n.id + ":e:0", n.id, n.x + n.w, n.y + 50});
    d.nodes.push_back(std::move(n));
  }
  std::uniform_int_distribution<std::size_t> pick(0, d.nodes.size() - 1);
  std::uniform_int_distribution<int> length(4, 28);
  for (std::size_t i = 0; i < edge_count; ++i) {
    const SceneNode& a = d.nodes[pick(rng)];
    const SceneNode& b = d.nodes[pick(rng)];
    SceneEdge e;
    e.id = "e" + std::to_string(i);
    e.from = a.id;
    e.to = b.id;
    e.label = std::string(static_cast<std::size_t>(length(rng)), 'x');
    e.points = {{a.x + a.w, a.y + 50}, {b.x + b.w / 2, a.y + 50}, {b.x + b.w / 2, b.y}};
    d.edges.push_back(std::move(e));
  }
  return d;
}

void BM_PlaceEdgeLabels(benchmark::State& state) {
  Drawing d = drawing_with(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    std::vector<SceneEdge> edges = d.edges;
    borvane::scene::place_edge_labels(edges, d.nodes, d.ports);
    benchmark::DoNotOptimize(edges.data());
  }
}
BENCHMARK(BM_PlaceEdgeLabels)->Arg(100)->Arg(1000);

}  // namespace
