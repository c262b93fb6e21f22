#pragma once
// The process-wide application state that every module function works on.
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

#include "adr/adr_service.hpp"
#include "flow/flow_service.hpp"
#include "model/memory_model_store.hpp"
#include "queue/write_queue.hpp"

namespace borvane::app {

// The one workspace of this module.
inline constexpr const char* kWorkspaceId = "sidecar";

struct AppState {
  std::shared_ptr<model::MemoryModelStore> model;
  std::shared_ptr<adr::AdrService> adrs;
  std::shared_ptr<flow::FlowService> flows;
  std::shared_ptr<queue::WriteQueue> queue;

  // Set by the docs binding, read when model.toml is rewritten.
  mutable std::mutex bound_docs_mutex;
  std::optional<std::filesystem::path> bound_docs_dir;

  std::optional<std::filesystem::path> docs_dir() const {
    std::lock_guard lock(bound_docs_mutex);
    return bound_docs_dir;
  }
  void set_docs_dir(std::optional<std::filesystem::path> dir) {
    std::lock_guard lock(bound_docs_mutex);
    bound_docs_dir = std::move(dir);
  }
};

}  // namespace borvane::app
