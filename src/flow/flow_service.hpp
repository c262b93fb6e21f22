#pragma once
// Flows of all workspaces: checked against the record rules and the model,
// persisted as TOML files (optionally committed).
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
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
  // Sorted by id in ascending byte order.
  Result<std::vector<Flow>> list_flows(const std::string& workspace_id) const override;
  // Checks, writes docs/flows/<id>.toml, commits it when asked, and only then
  // stores the flow. A failure after the write leaves the file on disk and
  // the previous flow in memory.
  Result<Stored<Flow>> upsert_flow(Flow flow, bool commit) override;
  // Removes the stored flow's file (when its path is a safe one under
  // docs/flows) and the record; with `commit`, records the removal in git.
  // The commit's outcome does not change the result.
  Status delete_flow(const std::string& workspace_id, const std::string& id, bool commit) override;

  void bind_worktree(const std::string& workspace_id, std::filesystem::path path);
  Result<std::filesystem::path> worktree(const std::string& workspace_id) const;
  void clear_workspace(const std::string& workspace_id);
  // The shape check, then every element the flow names must exist.
  Status validate_refs(const Flow& flow) const;
  // Stores a flow read from the docs directory after validate_refs; no file
  // write, no commit.
  Result<Stored<Flow>> import_from_disk(Flow flow);

 private:
  bool element_exists(const Flow& flow, const std::string& element_id) const;
  void store(const Flow& flow);

  std::shared_ptr<domain::GitPort> git_;
  std::shared_ptr<domain::ElementExistsPort> exists_;
  mutable std::mutex flows_mutex_;
  std::map<std::pair<std::string, std::string>, Flow> flows_;
  mutable std::mutex worktrees_mutex_;
  std::map<std::string, std::filesystem::path> worktrees_;
};

}  // namespace borvane::flow
