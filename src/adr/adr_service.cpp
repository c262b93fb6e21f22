#include "adr/adr_service.hpp"

namespace borvane::adr {

using domain::DomainError;

AdrService::AdrService(std::shared_ptr<domain::GitPort> git, std::shared_ptr<domain::ElementExistsPort> exists)
    : git_(std::move(git)), exists_(std::move(exists)) {}

Result<Decision> AdrService::get_decision(const std::string& workspace_id, const std::string& id) const {
  std::lock_guard lock(decisions_mutex_);
  auto it = decisions_.find({workspace_id, id});
  if (it == decisions_.end()) return DomainError::not_found("decision " + id);
  return it->second;
}

Result<std::vector<Decision>> AdrService::list_decisions(const std::string& workspace_id) const {
  std::vector<Decision> out;
  std::lock_guard lock(decisions_mutex_);
  for (auto it = decisions_.lower_bound({workspace_id, std::string()});
       it != decisions_.end() && it->first.first == workspace_id; ++it)
    out.push_back(it->second);
  return out;
}

Result<Stored<Decision>> AdrService::upsert_decision(Decision, bool) {
  return DomainError::other("decision writes are not available yet");
}

Result<Stored<Decision>> AdrService::set_decision_status(const std::string&, const std::string&,
                                                         domain::DecisionStatus, std::optional<std::string>,
                                                         std::optional<std::string>, bool) {
  return DomainError::other("decision writes are not available yet");
}

void AdrService::bind_worktree(const std::string& workspace_id, std::filesystem::path path) {
  std::lock_guard lock(worktrees_mutex_);
  worktrees_[workspace_id] = std::move(path);
}

void AdrService::clear_workspace(const std::string& workspace_id) {
  std::lock_guard lock(decisions_mutex_);
  std::erase_if(decisions_, [&](const auto& kv) { return kv.first.first == workspace_id; });
}

}  // namespace borvane::adr
