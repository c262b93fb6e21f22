// Benchmarks of the foundation: JSON record decoding, the model store and a
// write-queue round trip.
#include <benchmark/benchmark.h>

#include <string>

#include "domain/record_codec.hpp"
#include "model/memory_model_store.hpp"
#include "queue/write_queue.hpp"

using namespace borvane;

namespace {

std::string decision_json() {
  return R"({"id":"adr-1","workspace_id":"sidecar","title":"Use TOML files","status":"accepted",)"
         R"("decided_at":"2026-01-02","context":"Files in git.","decision":"TOML.","consequences":"Diffs.",)"
         R"("policy":{"mode":"enforce","forbid":[{"from_kind":"person","to_kind":"code","code":"no_code",)"
         R"("severity":"error","message":"People do not call code."}]},"related_flows":["f1","f2"],)"
         R"("refs":[{"url":"https://example.com/doc","title":"Doc"}],"path":"docs/adr/adr-1.toml"})";
}

void BM_DecisionFromJson(benchmark::State& state) {
  const std::string text = decision_json();
  for (auto _ : state) benchmark::DoNotOptimize(domain::from_json<domain::Decision>(text));
}
BENCHMARK(BM_DecisionFromJson);

void BM_DecisionToJson(benchmark::State& state) {
  auto decision = domain::from_json<domain::Decision>(decision_json());
  for (auto _ : state) benchmark::DoNotOptimize(domain::to_json_direct(decision.value()));
}
BENCHMARK(BM_DecisionToJson);

void BM_StoreListElements(benchmark::State& state) {
  model::MemoryModelStore store;
  for (int i = 0; i < state.range(0); ++i) {
    domain::Element e;
    e.id = "e" + std::to_string(i);
    e.workspace_id = "sidecar";
    e.name = e.id;
    (void)store.upsert_element(e);
  }
  for (auto _ : state) benchmark::DoNotOptimize(store.list_elements("sidecar"));
}
BENCHMARK(BM_StoreListElements)->Arg(100)->Arg(10000);

void BM_WriteQueueRoundTrip(benchmark::State& state) {
  auto queue = queue::WriteQueue::start();
  for (auto _ : state) benchmark::DoNotOptimize(queue->submit([] { return queue::JobResult(std::string("ok")); }));
}
BENCHMARK(BM_WriteQueueRoundTrip);

}  // namespace
