#include "model/memory_model_store.hpp"

#include <uuid/uuid.h>

#include <algorithm>
#include <functional>
#include <random>

namespace borvane::model {

using domain::DomainError;

namespace {

// Mixes `value` into `hash` (the boost hash_combine step, widened to 64 bits).
void mix(std::size_t& hash, std::size_t value) {
  hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
}

// Sorts copies taken from a map by id in ascending byte order. Runs after the
// map's lock has been released so no lock is held while sorting.
template <class Record>
std::vector<Record> sorted_by_id(std::vector<Record> records) {
  std::stable_sort(records.begin(), records.end(),
                   [](const Record& a, const Record& b) { return a.id < b.id; });
  return records;
}

// Copies every value of `map` whose key lies in `workspace_id`.
template <class Map>
auto copy_workspace(const Map& map, const std::string& workspace_id) {
  std::vector<typename Map::mapped_type> out;
  for (const auto& [key, value] : map)
    if (key.workspace_id == workspace_id) out.push_back(value);
  return out;
}

}  // namespace

WorkspaceKeyHash::WorkspaceKeyHash() {
  std::random_device device;
  seed = (static_cast<std::size_t>(device()) << 32) ^ device();
}

std::size_t WorkspaceKeyHash::operator()(const WorkspaceKey& key) const noexcept {
  std::size_t hash = seed;
  mix(hash, std::hash<std::string>{}(key.workspace_id));
  mix(hash, std::hash<std::string>{}(key.id));
  return hash;
}

std::string new_uuid_v4() {
  uuid_t raw;
  uuid_generate_random(raw);
  char text[37];
  uuid_unparse_lower(raw, text);
  return text;
}

MemoryModelStore::MemoryModelStore() = default;

void MemoryModelStore::clear_workspace(const std::string& workspace_id) {
  auto in_workspace = [&](const auto& entry) { return entry.first.workspace_id == workspace_id; };
  {
    std::lock_guard lock(elements_mutex_);
    std::erase_if(elements_, in_workspace);
  }
  // Taken only after the element lock is released: the two locks are never
  // held together, so there is no lock order to get wrong.
  std::lock_guard lock(relationships_mutex_);
  std::erase_if(relationships_, in_workspace);
}

bool MemoryModelStore::element_exists(const std::string& workspace_id, const std::string& id) const {
  std::lock_guard lock(elements_mutex_);
  return elements_.contains({workspace_id, id});
}

Result<Element> MemoryModelStore::get_element(const std::string& workspace_id, const std::string& id) const {
  std::lock_guard lock(elements_mutex_);
  auto it = elements_.find({workspace_id, id});
  if (it == elements_.end()) return DomainError::not_found("element " + id);
  return it->second;
}

Result<std::vector<Element>> MemoryModelStore::list_elements(const std::string& workspace_id) const {
  std::vector<Element> copies;
  {
    std::lock_guard lock(elements_mutex_);
    copies = copy_workspace(elements_, workspace_id);
  }
  return sorted_by_id(std::move(copies));
}

Result<Element> MemoryModelStore::upsert_element(Element element) {
  // Checked as given, without trimming: an id of one space is a valid id.
  if (element.id.empty() || element.workspace_id.empty())
    return DomainError::validation("element id and workspace_id required");
  std::lock_guard lock(elements_mutex_);
  // Whole-record replacement: fields absent from the new version stay absent.
  elements_.insert_or_assign(WorkspaceKey{element.workspace_id, element.id}, element);
  return element;
}

Result<std::vector<Relationship>> MemoryModelStore::list_relationships(const std::string& workspace_id) const {
  std::vector<Relationship> copies;
  {
    std::lock_guard lock(relationships_mutex_);
    copies = copy_workspace(relationships_, workspace_id);
  }
  return sorted_by_id(std::move(copies));
}

Result<Relationship> MemoryModelStore::upsert_relationship(Relationship relationship) {
  if (relationship.id.empty()) relationship.id = new_uuid_v4();
  // The endpoint checks take and release the element lock before the
  // relationship lock is taken below; the from end is checked first.
  const std::string& ws = relationship.workspace_id;
  if (!element_exists(ws, relationship.from_id))
    return DomainError::validation("relationship from_id '" + relationship.from_id +
                                   "' does not exist in workspace '" + ws + "'");
  if (!element_exists(ws, relationship.to_id))
    return DomainError::validation("relationship to_id '" + relationship.to_id +
                                   "' does not exist in workspace '" + ws + "'");
  std::lock_guard lock(relationships_mutex_);
  relationships_.insert_or_assign(WorkspaceKey{ws, relationship.id}, relationship);
  return relationship;
}

Status MemoryModelStore::delete_relationship(const std::string& workspace_id, const std::string& id) {
  std::lock_guard lock(relationships_mutex_);
  if (relationships_.erase({workspace_id, id}) == 0) return DomainError::not_found("relationship " + id);
  return domain::ok_status();
}

}  // namespace borvane::model
