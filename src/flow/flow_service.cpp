#include "flow/flow_service.hpp"

#include <system_error>

#include "flow/flow_paths.hpp"
#include "tomlio/record_files.hpp"

namespace borvane::flow {

namespace fs = std::filesystem;
using domain::DomainError;

FlowService::FlowService(std::shared_ptr<domain::GitPort> git, std::shared_ptr<domain::ElementExistsPort> exists)
    : git_(std::move(git)), exists_(std::move(exists)) {}

Result<Flow> FlowService::get_flow(const std::string& workspace_id, const std::string& id) const {
  std::lock_guard lock(flows_mutex_);
  auto it = flows_.find({workspace_id, id});
  if (it == flows_.end()) return DomainError::not_found("flow " + id);
  return it->second;
}

Result<std::vector<Flow>> FlowService::list_flows(const std::string& workspace_id) const {
  std::vector<Flow> out;
  std::lock_guard lock(flows_mutex_);
  // Ordered by (workspace, id) with std::string's comparison, which compares
  // bytes as unsigned: contiguous per workspace, ids in byte order.
  for (auto it = flows_.lower_bound({workspace_id, std::string()});
       it != flows_.end() && it->first.first == workspace_id; ++it)
    out.push_back(it->second);
  return out;
}

Result<Stored<Flow>> FlowService::upsert_flow(Flow flow, bool commit) {
  if (auto valid = validate_refs(flow); !valid) return valid.error();
  auto tree = worktree(flow.workspace_id);
  if (!tree) return tree.error();
  auto relative = flow_file_path(flow.id);
  if (!relative) return relative.error();
  flow.path = relative->string();
  const fs::path file = *tree / *relative;

  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  if (error) return DomainError::other(error.message());
  // The file carries the commit id the flow came with; the new commit's id
  // is known only after the file is committed.
  if (auto written = tomlio::write_flow_toml(file, flow); !written) return DomainError::other(written.error());

  std::optional<std::string> commit_id;
  if (commit) {
    auto id = git_->commit(*tree, "flow: " + flow.id + " " + flow.title, {*relative});
    if (!id) return id.error();
    commit_id = std::move(*id);
  }
  flow.git_commit_id = commit_id;
  store(flow);
  return Stored<Flow>{std::move(flow), std::move(commit_id)};
}

Status FlowService::delete_flow(const std::string& workspace_id, const std::string& id, bool commit) {
  auto flow = get_flow(workspace_id, id);
  if (!flow) return flow.error();
  auto tree = worktree(workspace_id);
  if (!tree) return tree.error();
  // The stored path, not one recomputed from the id: a flow loaded from disk
  // lives where its file said. A path that is not a safe one under
  // docs/flows is treated as a file that is already gone.
  if (is_deletable_flow_path(flow->path)) {
    const fs::path file = *tree / flow->path;
    std::error_code error;
    if (fs::is_regular_file(file, error)) {
      fs::remove(file, error);
      if (error) return DomainError::other(error.message());
    }
    if (commit) {
      // Recorded when HEAD tracks the path; a flow that was never committed
      // has nothing to record, and either way the deletion stands.
      (void)git_->commit_removal(*tree, "flow: delete " + id, {flow->path});
    }
  }
  std::lock_guard lock(flows_mutex_);
  flows_.erase({workspace_id, id});
  return domain::ok_status();
}

void FlowService::bind_worktree(const std::string& workspace_id, std::filesystem::path path) {
  std::lock_guard lock(worktrees_mutex_);
  worktrees_[workspace_id] = std::move(path);
}

Result<fs::path> FlowService::worktree(const std::string& workspace_id) const {
  std::lock_guard lock(worktrees_mutex_);
  auto it = worktrees_.find(workspace_id);
  if (it == worktrees_.end()) {
    return DomainError::validation("workspace " + workspace_id + " has no bound worktree (checkout required for Flow)");
  }
  return it->second;
}

void FlowService::clear_workspace(const std::string& workspace_id) {
  std::lock_guard lock(flows_mutex_);
  std::erase_if(flows_, [&](const auto& kv) { return kv.first.first == workspace_id; });
}

Status FlowService::validate_refs(const Flow& flow) const {
  if (auto shape = Flow::validate_shape(flow); !shape) return shape;
  if (flow.scope_element_id && !flow.scope_element_id->empty() && !element_exists(flow, *flow.scope_element_id)) {
    return DomainError::validation("flow scope_element_id '" + *flow.scope_element_id + "' does not exist");
  }
  for (const domain::FlowStep& step : flow.steps) {
    for (const std::string* end : {&step.from_id, &step.to_id}) {
      if (!element_exists(flow, *end)) {
        return DomainError::validation("flow step references missing element '" + *end + "'");
      }
    }
  }
  // Anchors' adr_id and related_adrs are not checked: decisions and flows
  // may be written in either order.
  for (const domain::FlowAnchor& anchor : flow.anchors) {
    if (anchor.element_id && !anchor.element_id->empty() && !element_exists(flow, *anchor.element_id)) {
      return DomainError::validation("flow anchor element_id '" + *anchor.element_id + "' does not exist");
    }
  }
  return domain::ok_status();
}

Result<Stored<Flow>> FlowService::import_from_disk(Flow flow) {
  if (auto valid = validate_refs(flow); !valid) return valid.error();
  store(flow);
  return Stored<Flow>{std::move(flow), std::nullopt};
}

bool FlowService::element_exists(const Flow& flow, const std::string& element_id) const {
  return exists_->element_exists(flow.workspace_id, element_id);
}

void FlowService::store(const Flow& flow) {
  std::lock_guard lock(flows_mutex_);
  flows_.insert_or_assign({flow.workspace_id, flow.id}, flow);
}

}  // namespace borvane::flow
