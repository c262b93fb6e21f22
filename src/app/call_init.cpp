#include <filesystem>
#include <memory>
#include <system_error>

#include "app/calls.hpp"
#include "app/docs_binding.hpp"
#include "app/errors.hpp"
#include "app/jobs.hpp"
#include "domain/env.hpp"
#include "git/gix_git_adapter.hpp"

namespace borvane::app::calls {

namespace {

// The data directory is created for the host's benefit only; nothing in the
// state refers to it, so a directory that cannot be made does not stop init.
void create_data_dir(const std::string& data_dir) {
  std::error_code ignored;
  std::filesystem::create_directories(data_dir, ignored);
}

// A fresh, empty state: one store, one git adapter shared by both services,
// and a write queue whose worker is already running.
StatePtr build_state(std::shared_ptr<queue::WriteQueue> queue) {
  auto store = std::make_shared<model::MemoryModelStore>();
  auto git = std::make_shared<git::GixGitAdapter>();
  auto fresh = std::make_shared<AppState>();
  fresh->model = store;
  fresh->adrs = std::make_shared<adr::AdrService>(git, store);
  fresh->flows = std::make_shared<flow::FlowService>(git, store);
  fresh->queue = std::move(queue);
  return fresh;
}

}  // namespace

PyObject* init(const std::string& data_dir) {
  create_data_dir(data_dir);
  std::shared_ptr<queue::WriteQueue> queue;
  try {
    queue = queue::WriteQueue::start();
  } catch (const std::system_error& e) {
    // Without a worker no write could ever finish: keep the old state.
    return raise_panic(e.what());
  }
  const StatePtr fresh = build_state(std::move(queue));
  install(fresh);
  // BORVANE_C4_DOCS binds at once, on this thread rather than through the
  // queue. A failure fails init, but the new state stays installed.
  if (auto docs = domain::env_text("BORVANE_C4_DOCS")) {
    std::lock_guard lock(write_work_mutex());
    if (auto bound = bind_docs_inner(*fresh, *docs); !bound) return map_err(bound.error());
  }
  Py_RETURN_NONE;
}

}  // namespace borvane::app::calls
