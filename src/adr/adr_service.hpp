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

#include "adr/adr_rules.hpp"
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
  // Sorted by id in ascending byte order.
  Result<std::vector<Decision>> list_decisions(const std::string& workspace_id) const override;
  // Agent statuses only for a new record or one still in an agent status; a
  // record in a process status keeps that status (its content may change).
  Result<Stored<Decision>> upsert_decision(Decision decision, bool commit) override;
  // Process statuses only; the one way to reach them.
  Result<Stored<Decision>> set_decision_status(const std::string& workspace_id, const std::string& id,
                                               domain::DecisionStatus status, std::optional<std::string> reason,
                                               std::optional<std::string> superseded_by_id,
                                               bool commit) override;

  void bind_worktree(const std::string& workspace_id, std::filesystem::path path);
  void clear_workspace(const std::string& workspace_id);
  // Stores a record read from the docs directory after the record rules (any
  // status): no file write, no commit, no check of the scope element.
  Result<Stored<Decision>> import_from_disk(Decision decision);
  // Writes docs/adr/<id>.toml in the workspace's working tree, commits it
  // when asked, and only then stores the record. A failure after the write
  // leaves the file on disk and the previous record in memory.
  Result<Stored<Decision>> persist(Decision decision, bool commit);

 private:
  std::optional<Decision> stored(const std::string& workspace_id, const std::string& id) const;
  Result<std::filesystem::path> worktree(const std::string& workspace_id) const;
  Status check_scope_element(const Decision& decision) const;
  Status check_unloaded_file(const Decision& decision, const std::filesystem::path& file) const;
  void store(const Decision& decision);

  std::shared_ptr<domain::GitPort> git_;
  std::shared_ptr<domain::ElementExistsPort> exists_;
  mutable std::mutex decisions_mutex_;
  std::map<std::pair<std::string, std::string>, Decision> decisions_;
  mutable std::mutex worktrees_mutex_;
  std::map<std::string, std::filesystem::path> worktrees_;
};

}  // namespace borvane::adr
