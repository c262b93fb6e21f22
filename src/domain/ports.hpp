#pragma once
// The interfaces through which the services reach each other and the outside
// world. Every operation returns its result or a DomainError.
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "domain/decision.hpp"
#include "domain/element.hpp"
#include "domain/error.hpp"
#include "domain/flow.hpp"

namespace borvane::domain {

class ModelPort {
 public:
  virtual ~ModelPort() = default;
  virtual Result<Element> get_element(const std::string& workspace_id, const std::string& id) const = 0;
  virtual Result<std::vector<Element>> list_elements(const std::string& workspace_id) const = 0;
  virtual Result<Element> upsert_element(Element element) = 0;
  virtual Result<std::vector<Relationship>> list_relationships(const std::string& workspace_id) const = 0;
  virtual Status delete_relationship(const std::string& workspace_id, const std::string& id) = 0;
  virtual Result<Relationship> upsert_relationship(Relationship relationship) = 0;
};

class ElementExistsPort {
 public:
  virtual ~ElementExistsPort() = default;
  virtual bool element_exists(const std::string& workspace_id, const std::string& id) const = 0;
};

// A stored record together with the id of the commit that wrote it, if any.
template <class T>
struct Stored {
  T record;
  std::optional<std::string> commit_id;
};

class AdrPort {
 public:
  virtual ~AdrPort() = default;
  virtual Result<Decision> get_decision(const std::string& workspace_id, const std::string& id) const = 0;
  virtual Result<std::vector<Decision>> list_decisions(const std::string& workspace_id) const = 0;
  virtual Result<Stored<Decision>> upsert_decision(Decision decision, bool commit) = 0;
  virtual Result<Stored<Decision>> set_decision_status(const std::string& workspace_id, const std::string& id,
                                                       DecisionStatus status, std::optional<std::string> reason,
                                                       std::optional<std::string> superseded_by_id,
                                                       bool commit) = 0;
};

class FlowPort {
 public:
  virtual ~FlowPort() = default;
  virtual Result<Flow> get_flow(const std::string& workspace_id, const std::string& id) const = 0;
  virtual Result<std::vector<Flow>> list_flows(const std::string& workspace_id) const = 0;
  virtual Result<Stored<Flow>> upsert_flow(Flow flow, bool commit) = 0;
  virtual Status delete_flow(const std::string& workspace_id, const std::string& id, bool commit) = 0;
};

class GitPort {
 public:
  virtual ~GitPort() = default;
  virtual Result<std::filesystem::path> init_bare(const std::filesystem::path& bare_path) = 0;
  virtual Result<std::filesystem::path> add_worktree(const std::filesystem::path& bare_path,
                                                     const std::filesystem::path& worktree_path,
                                                     const std::string& branch) = 0;
  // Commits exactly `paths` (relative to the worktree) on top of HEAD and
  // returns the new commit id as hexadecimal text.
  virtual Result<std::string> commit(const std::filesystem::path& worktree_path, const std::string& message,
                                     const std::vector<std::filesystem::path>& paths) = 0;
  // Records the removal of `paths` (relative to the worktree) as one commit on
  // top of HEAD whose tree is HEAD's tree without them. Fails when none of
  // the paths is tracked in HEAD (nothing to record).
  virtual Result<std::string> commit_removal(const std::filesystem::path& worktree_path, const std::string& message,
                                             const std::vector<std::filesystem::path>& paths) = 0;
};

}  // namespace borvane::domain
