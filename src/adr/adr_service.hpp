#pragma once
// Decision records of all workspaces: record rules, the status workflow,
// and persistence as TOML files (optionally committed).
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "domain/ports.hpp"

namespace borvane::adr {

using domain::Decision;
using domain::Result;
using domain::Status;
using domain::Stored;

class AdrService final : public domain::AdrPort {
 public:
  AdrService(std::shared_ptr<domain::GitPort> git, std::shared_ptr<domain::ElementExistsPort> exists);

  Result<Decision> get_decision(const std::string& workspace_id, const std::string& id) const override;
  Result<std::vector<Decision>> list_decisions(const std::string& workspace_id) const override;
  Result<Stored<Decision>> upsert_decision(Decision decision, bool commit) override;
  Result<Stored<Decision>> set_decision_status(const std::string& workspace_id, const std::string& id,
                                               domain::DecisionStatus status, std::optional<std::string> reason,
                                               std::optional<std::string> superseded_by_id,
                                               bool commit) override;

  void bind_worktree(const std::string& workspace_id, std::filesystem::path path);
  void clear_workspace(const std::string& workspace_id);

 private:
  std::shared_ptr<domain::GitPort> git_;
  std::shared_ptr<domain::ElementExistsPort> exists_;
  mutable std::mutex decisions_mutex_;
  std::map<std::pair<std::string, std::string>, Decision> decisions_;
  mutable std::mutex worktrees_mutex_;
  std::map<std::string, std::filesystem::path> worktrees_;
};

}  // namespace borvane::adr
