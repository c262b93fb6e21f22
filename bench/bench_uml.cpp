// The code view of one component with 60 classes and 120 relationships of
// all three kinds.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "scene/uml.hpp"

namespace {

using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Relationship;

struct Model {
  std::vector<Element> elements;
  std::vector<Relationship> relationships;
};

// Every tenth class is implemented or extended by a few others; the rest of
// the relationships are associations with descriptions of varying length.
Model component_with(std::size_t classes, std::size_t relationships) {
  std::mt19937 rng(7);
  Model m;
  Element component;
  component.id = "orders";
  component.workspace_id = "sidecar";
  component.kind = ElementKind::Component;
  component.name = "Orders";
  m.elements.push_back(component);
  for (std::size_t i = 0; i < classes; ++i) {
    Element e;
    e.id = "c" + std::to_string(i);
    e.workspace_id = "sidecar";
    e.kind = ElementKind::Code;
    e.parent_id = "orders";
    e.name = "OrderClass" + std::to_string(i);
    e.description = "+find_by_id(id: int) Order; -cache_size : int; +save(order: Order)";
    m.elements.push_back(std::move(e));
  }
  std::uniform_int_distribution<std::size_t> pick(0, classes - 1);
  std::uniform_int_distribution<std::size_t> length(3, 40);
  for (std::size_t i = 0; i < relationships; ++i) {
    std::size_t from = pick(rng);
    std::size_t to = pick(rng);
    std::string description;
    if (i % 6 == 0) {
      to = to / 10 * 10;
      description = i % 12 == 0 ? "implements" : "extends";
    } else {
      description = std::string(length(rng), 'r');
    }
    m.relationships.push_back({"r" + std::to_string(i), "sidecar", "c" + std::to_string(from),
                               "c" + std::to_string(to), description, std::nullopt});
  }
  return m;
}

void BM_BuildCodeUml(benchmark::State& state) {
  Model m = component_with(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  const std::optional<std::string> focus = "orders";
  for (auto _ : state) {
    borvane::scene::SceneGraph g = borvane::scene::build_code_uml(m.elements, m.relationships, focus);
    benchmark::DoNotOptimize(g.edges.data());
  }
}
BENCHMARK(BM_BuildCodeUml)->Args({60, 120})->Unit(benchmark::kMillisecond);

}  // namespace
