#include "app/docs_binding.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/record_codec.hpp"
#include "model/memory_model_store.hpp"
#include "tomlio/docs_dir.hpp"
#include "tomlio/legacy.hpp"
#include "tomlio/record_files.hpp"

namespace borvane::app {

namespace fs = std::filesystem;
using domain::DomainError;
using domain::Result;
using domain::Status;

namespace {

template <class T>
Result<T> from_outcome(tomlio::Outcome<T> outcome) {
  if (outcome) return std::move(outcome).value();
  return DomainError::other(std::move(outcome).error());
}

struct Prepared {
  fs::path docs;       // canonical docs directory
  fs::path repo_root;  // where decision and flow files are written
  std::size_t rewrote_adrs = 0;
  std::size_t rewrote_flows = 0;
};

// Steps that only look at or prepare the directory: nothing in memory changes.
Result<Prepared> prepare_docs_dir(const std::string& docs_dir) {
  if (auto ok = from_outcome(tomlio::validate_docs_dir(docs_dir)); !ok) return std::move(ok).error();
  if (auto ok = from_outcome(tomlio::ensure_docs_layout(docs_dir)); !ok) return std::move(ok).error();
  std::error_code ec;
  Prepared p;
  p.docs = fs::canonical(docs_dir, ec);
  if (ec) return DomainError::other("docs_dir canonicalize failed for " + docs_dir + ": " + ec.message());
  auto adrs = from_outcome(tomlio::rewrite_legacy_adrs(p.docs));
  if (!adrs) return std::move(adrs).error();
  auto flows = from_outcome(tomlio::rewrite_legacy_flows(p.docs));
  if (!flows) return std::move(flows).error();
  p.rewrote_adrs = *adrs;
  p.rewrote_flows = *flows;
  fs::path root = tomlio::repo_root_from_docs(p.docs);
  fs::path canonical_root = fs::canonical(root, ec);
  p.repo_root = ec ? root : canonical_root;
  if (p.repo_root.empty()) return DomainError::other("cannot derive repo root from docs_dir " + p.docs.string());
  return p;
}

// Reads model.toml into a scratch store first, so that a file that does not
// load (a syntax error, a relationship whose end is missing) fails the
// binding before anything bound or loaded earlier is touched. Otherwise the
// next model write would replace the file with whatever had loaded so far.
Status load_model(const fs::path& docs, model::MemoryModelStore& scratch) {
  auto file = from_outcome(tomlio::read_model_toml(docs / "model.toml"));
  if (!file) return std::move(file).error();
  for (domain::Element& e : file->elements) {
    e.workspace_id = kWorkspaceId;
    if (auto stored = scratch.upsert_element(std::move(e)); !stored) return std::move(stored).error();
  }
  for (domain::Relationship& r : file->relationships) {
    r.workspace_id = kWorkspaceId;
    if (auto stored = scratch.upsert_relationship(std::move(r)); !stored) return std::move(stored).error();
  }
  return domain::ok_status();
}

Status copy_model(const model::MemoryModelStore& from, model::MemoryModelStore& to) {
  auto elements = from.list_elements(kWorkspaceId);
  auto relationships = from.list_relationships(kWorkspaceId);
  if (!elements) return std::move(elements).error();
  if (!relationships) return std::move(relationships).error();
  for (domain::Element& e : *elements)
    if (auto stored = to.upsert_element(std::move(e)); !stored) return std::move(stored).error();
  for (domain::Relationship& r : *relationships)
    if (auto stored = to.upsert_relationship(std::move(r)); !stored) return std::move(stored).error();
  return domain::ok_status();
}

// The record files of `dir` (regular files with the extension "toml"), in
// name order. Links, FIFOs and other special entries are skipped: a cloned
// repository can carry them, and opening a FIFO would block the binding.
Result<std::vector<fs::path>> record_files(const fs::path& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return files;
  fs::directory_iterator it(dir, ec);
  if (ec) return DomainError::other(ec.message());
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return DomainError::other(ec.message());
    const fs::path& path = it->path();
    if (path.extension() != ".toml") continue;
    if (!fs::is_regular_file(it->symlink_status(ec))) continue;
    files.push_back(path);
  }
  if (ec) return DomainError::other(ec.message());
  std::sort(files.begin(), files.end());
  return files;
}

Status load_decisions(AppState& state, const fs::path& docs) {
  auto files = record_files(docs / "adr");
  if (!files) return std::move(files).error();
  for (const fs::path& path : *files) {
    auto decision = from_outcome(tomlio::read_adr_toml(path));
    if (!decision) return std::move(decision).error();
    decision->workspace_id = kWorkspaceId;
    if (auto stored = state.adrs->import_from_disk(std::move(decision).value()); !stored)
      return std::move(stored).error();
  }
  return domain::ok_status();
}

Status load_flows(AppState& state, const fs::path& docs) {
  auto files = record_files(docs / "flows");
  if (!files) return std::move(files).error();
  for (const fs::path& path : *files) {
    auto flow = from_outcome(tomlio::read_flow_toml(path));
    if (!flow) return std::move(flow).error();
    flow->workspace_id = kWorkspaceId;
    if (auto stored = state.flows->import_from_disk(std::move(flow).value()); !stored)
      return std::move(stored).error();
  }
  return domain::ok_status();
}

std::string binding_result(const Prepared& p) {
  nlohmann::ordered_json out;
  out["docs"] = p.docs.string();
  out["rewrote_adr_json"] = p.rewrote_adrs;
  out["rewrote_flow_json"] = p.rewrote_flows;
  return domain::dump_compact(out);
}

}  // namespace

Result<std::string> bind_docs_inner(AppState& state, const std::string& docs_dir) {
  auto prepared = prepare_docs_dir(docs_dir);
  if (!prepared) return std::move(prepared).error();
  model::MemoryModelStore scratch;
  if (auto loaded = load_model(prepared->docs, scratch); !loaded) return std::move(loaded).error();

  state.adrs->bind_worktree(kWorkspaceId, prepared->repo_root);
  state.flows->bind_worktree(kWorkspaceId, prepared->repo_root);
  state.set_docs_dir(prepared->docs);

  state.model->clear_workspace(kWorkspaceId);
  state.adrs->clear_workspace(kWorkspaceId);
  state.flows->clear_workspace(kWorkspaceId);
  if (Status s = copy_model(scratch, *state.model); !s) return std::move(s).error();
  if (Status s = load_decisions(state, prepared->docs); !s) return std::move(s).error();
  if (Status s = load_flows(state, prepared->docs); !s) return std::move(s).error();
  return binding_result(*prepared);
}

Status persist_model_toml(const AppState& state) {
  auto docs = state.docs_dir();
  if (!docs) return DomainError::other("sidecar has no docs bind (call bind_docs)");
  auto elements = state.model->list_elements(kWorkspaceId);
  if (!elements) return std::move(elements).error();
  auto relationships = state.model->list_relationships(kWorkspaceId);
  if (!relationships) return std::move(relationships).error();
  tomlio::ModelFile file{kWorkspaceId, std::move(elements).value(), std::move(relationships).value()};
  auto written = tomlio::write_model_toml(*docs / "model.toml", file);
  if (!written) return DomainError::other(std::move(written).error());
  return domain::ok_status();
}

}  // namespace borvane::app
