// Rendering benchmarks on a 2,000-element model: projection, the layer
// diagrams, the all-layers flowchart and the decision and flow pages.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "domain/decision.hpp"
#include "domain/flow.hpp"
#include "domain/projection.hpp"
#include "render/adr_pages.hpp"
#include "render/flow_pages.hpp"
#include "render/mermaid_c4.hpp"
#include "render/mermaid_flowchart.hpp"

using namespace borvane;
using domain::ElementKind;

namespace {

// 20 systems × 5 containers × 4 components × 4 code classes (2,000 elements
// with people and externals), code-to-code relationships between neighbours.
struct BigModel {
  std::vector<domain::Element> elements;
  std::vector<domain::Relationship> relationships;
  std::vector<domain::Decision> decisions;
  std::vector<domain::Flow> flows;
};

domain::Element element(std::string id, ElementKind kind, std::optional<std::string> parent) {
  domain::Element e;
  e.name = "Name of " + id;
  e.id = std::move(id);
  e.workspace_id = "sidecar";
  e.kind = kind;
  e.parent_id = std::move(parent);
  e.description = "Does something useful";
  e.technology = "Go";
  return e;
}

const BigModel& big_model() {
  static const BigModel model = [] {
    BigModel m;
    for (int p = 0; p < 10; ++p) m.elements.push_back(element("person" + std::to_string(p), ElementKind::Person, {}));
    std::vector<std::string> code_ids;
    for (int s = 0; s < 20; ++s) {
      std::string sys = "sys" + std::to_string(s);
      m.elements.push_back(element(sys, ElementKind::SoftwareSystem, {}));
      for (int c = 0; c < 5; ++c) {
        std::string con = sys + ".c" + std::to_string(c);
        m.elements.push_back(element(con, ElementKind::Container, sys));
        for (int k = 0; k < 4; ++k) {
          std::string comp = con + ".k" + std::to_string(k);
          m.elements.push_back(element(comp, ElementKind::Component, con));
          for (int x = 0; x < 4; ++x) {
            code_ids.push_back(comp + ".x" + std::to_string(x));
            m.elements.push_back(element(code_ids.back(), ElementKind::Code, comp));
          }
        }
      }
    }
    for (std::size_t i = 0; i + 7 < code_ids.size(); ++i) {
      domain::Relationship r{"r" + std::to_string(i), "sidecar", code_ids[i], code_ids[i + 7], "calls", {}};
      m.relationships.push_back(std::move(r));
    }
    for (int d = 0; d < 300; ++d) {
      domain::Decision dec;
      dec.id = "adr-" + std::to_string(d);
      dec.workspace_id = "sidecar";
      dec.title = "Decision " + std::to_string(d);
      dec.decided_at = "2026-01-01";
      dec.context = dec.decision = dec.consequences = std::string(400, 'x');
      m.decisions.push_back(std::move(dec));
    }
    for (int f = 0; f < 100; ++f) {
      domain::Flow flow;
      flow.id = "flow" + std::to_string(f);
      flow.title = "Flow " + std::to_string(f);
      flow.kind = domain::FlowKind::C4Dynamic;
      for (std::uint32_t n = 1; n <= 10; ++n) flow.steps.push_back({n, code_ids[n], code_ids[n + 1], "step"});
      m.flows.push_back(std::move(flow));
    }
    return m;
  }();
  return model;
}

void BM_ProjectContainerLayer(benchmark::State& state) {
  const BigModel& m = big_model();
  for (auto _ : state)
    benchmark::DoNotOptimize(domain::project_relationships(m.elements, m.relationships, domain::C4Layer::Container));
}
BENCHMARK(BM_ProjectContainerLayer)->Unit(benchmark::kMillisecond);

void BM_ContainerDiagram(benchmark::State& state) {
  const BigModel& m = big_model();
  auto projected = domain::project_relationships(m.elements, m.relationships, domain::C4Layer::Container);
  render::ModelView view{m.elements, projected};
  for (auto _ : state)
    benchmark::DoNotOptimize(render::diagram_for_layer(view, domain::C4Layer::Container, std::string("sys3")));
}
BENCHMARK(BM_ContainerDiagram)->Unit(benchmark::kMillisecond);

void BM_AllLayersFlowchart(benchmark::State& state) {
  const BigModel& m = big_model();
  render::ModelView view{m.elements, m.relationships};
  for (auto _ : state) benchmark::DoNotOptimize(render::all_layers_mermaid(view, std::nullopt));
}
BENCHMARK(BM_AllLayersFlowchart)->Unit(benchmark::kMillisecond);

void BM_AdrsIndexPage(benchmark::State& state) {
  const BigModel& m = big_model();
  for (auto _ : state) benchmark::DoNotOptimize(render::adrs_index_html("https://x.example", m.decisions));
}
BENCHMARK(BM_AdrsIndexPage)->Unit(benchmark::kMillisecond);

void BM_FlowDetailPage(benchmark::State& state) {
  const BigModel& m = big_model();
  for (auto _ : state)
    benchmark::DoNotOptimize(render::flow_detail_html("https://x.example", m.flows[0], m.elements, 100, 300));
}
BENCHMARK(BM_FlowDetailPage)->Unit(benchmark::kMillisecond);

}  // namespace
