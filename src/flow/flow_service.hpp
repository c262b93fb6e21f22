#pragma once
// Flows of all workspaces: checked against the record rules and the model,
// persisted as TOML files (optionally committed).
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "domain/ports.hpp"

namespace borvane::flow {

using domain::Flow;
using domain::Result;
using domain::Status;
using domain::Stored;

class FlowService final : public domain::FlowPort {
 public:
  FlowService(std::shared_ptr<domain::GitPort> git, std::shared_ptr<domain::ElementExistsPort> exists);

  Result<Flow> get_flow(const std::string& workspace_id, const std::string& id) const override;
  Result<std::vector<Flow>> list_flows(const std::string& workspace_id) const override;
  Result<Stored<Flow>> upsert_flow(Flow flow, bool commit) override;
  Status delete_flow(const std::string& workspace_id, const std::string& id, bool commit) override;

  void bind_worktree(const std::string& workspace_id, std::filesystem::path path);
  void clear_workspace(const std::string& workspace_id);

 private:
  std::shared_ptr<domain::GitPort> git_;
  std::shared_ptr<domain::ElementExistsPort> exists_;
  mutable std::mutex flows_mutex_;
  std::map<std::pair<std::string, std::string>, Flow> flows_;
  mutable std::mutex worktrees_mutex_;
  std::map<std::string, std::filesystem::path> worktrees_;
};

}  // namespace borvane::flow
