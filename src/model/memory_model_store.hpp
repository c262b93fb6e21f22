#pragma once
// Every element and relationship of every workspace, in memory.
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "domain/ports.hpp"

namespace borvane::model {

using domain::Element;
using domain::Relationship;
using domain::Result;
using domain::Status;

// Map key: (workspace id, record id).
struct WorkspaceKey {
  std::string workspace_id;
  std::string id;
  bool operator==(const WorkspaceKey&) const = default;
};

// Hash of a WorkspaceKey, seeded randomly per map so that nothing can come to
// depend on iteration order (every listing is sorted before it leaves).
struct WorkspaceKeyHash {
  std::size_t seed;
  WorkspaceKeyHash();
  std::size_t operator()(const WorkspaceKey& key) const noexcept;
};

class MemoryModelStore final : public domain::ModelPort, public domain::ElementExistsPort {
 public:
  MemoryModelStore();

  void clear_workspace(const std::string& workspace_id);
  bool element_exists(const std::string& workspace_id, const std::string& id) const override;

  Result<Element> get_element(const std::string& workspace_id, const std::string& id) const override;
  Result<std::vector<Element>> list_elements(const std::string& workspace_id) const override;
  Result<Element> upsert_element(Element element) override;
  Result<std::vector<Relationship>> list_relationships(const std::string& workspace_id) const override;
  Result<Relationship> upsert_relationship(Relationship relationship) override;
  Status delete_relationship(const std::string& workspace_id, const std::string& id) override;

 private:
  mutable std::mutex elements_mutex_;
  std::unordered_map<WorkspaceKey, Element, WorkspaceKeyHash> elements_;
  mutable std::mutex relationships_mutex_;
  std::unordered_map<WorkspaceKey, Relationship, WorkspaceKeyHash> relationships_;
};

// A random UUID version 4 in its 36-character lower-case text form.
std::string new_uuid_v4();

}  // namespace borvane::model
