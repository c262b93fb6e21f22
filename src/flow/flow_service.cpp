#include "flow/flow_service.hpp"

namespace borvane::flow {

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
  for (auto it = flows_.lower_bound({workspace_id, std::string()});
       it != flows_.end() && it->first.first == workspace_id; ++it)
    out.push_back(it->second);
  return out;
}

Result<Stored<Flow>> FlowService::upsert_flow(Flow, bool) {
  return DomainError::other("flow writes are not available yet");
}

Status FlowService::delete_flow(const std::string&, const std::string&, bool) {
  return DomainError::other("flow writes are not available yet");
}

void FlowService::bind_worktree(const std::string& workspace_id, std::filesystem::path path) {
  std::lock_guard lock(worktrees_mutex_);
  worktrees_[workspace_id] = std::move(path);
}

void FlowService::clear_workspace(const std::string& workspace_id) {
  std::lock_guard lock(flows_mutex_);
  std::erase_if(flows_, [&](const auto& kv) { return kv.first.first == workspace_id; });
}

}  // namespace borvane::flow
