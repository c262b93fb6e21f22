#include "domain/projection.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>

namespace borvane::domain {
namespace {

constexpr std::array<ElementKind, 3> kContextKinds{ElementKind::Person, ElementKind::SoftwareSystem,
                                                   ElementKind::External};
constexpr std::array<ElementKind, 2> kContainerKinds{ElementKind::Container, ElementKind::External};
constexpr std::array<ElementKind, 2> kComponentKinds{ElementKind::Component, ElementKind::External};

bool is_visible(ElementKind kind, std::span<const ElementKind> visible) {
  return std::find(visible.begin(), visible.end(), kind) != visible.end();
}

struct PairKey {
  std::string_view from;
  std::string_view to;
  bool operator==(const PairKey&) const = default;
};

struct PairHash {
  std::size_t operator()(const PairKey& k) const noexcept {
    std::size_t h = std::hash<std::string_view>{}(k.from);
    return h ^ (std::hash<std::string_view>{}(k.to) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
  }
};

// One merged relationship and how many model relationships fell on it.
struct Merged {
  Relationship relationship;
  std::size_t count = 1;
};

Relationship first_of_pair(const Relationship& r, const Element& from, const Element& to, C4Layer layer) {
  Relationship merged;
  merged.id.reserve(6 + layer.text().size() + from.id.size() + to.id.size() + 2);
  merged.id.append("proj:").append(layer.text()).append(":").append(from.id).append(":").append(to.id);
  merged.workspace_id = r.workspace_id;
  merged.from_id = from.id;
  merged.to_id = to.id;
  merged.description = r.description;
  merged.technology = r.technology;
  return merged;
}

// "3× uses", "2× calls the API": the multiplicity in front of the first
// relationship's description.
std::string counted_description(std::size_t count, const std::optional<std::string>& description) {
  std::string text = std::to_string(count);
  text += "\u00d7 ";
  text += description ? *description : std::string("uses");
  return text;
}

}  // namespace

std::span<const ElementKind> visible_kinds(C4Layer layer) {
  switch (layer) {
    case C4Layer::Landscape:
    case C4Layer::Context:
      return kContextKinds;
    case C4Layer::Container:
      return kContainerKinds;
    case C4Layer::Component:
      return kComponentKinds;
    case C4Layer::Code:
    case C4Layer::Adr:
      break;
  }
  return {};
}

ElementIndex index_elements(const std::vector<Element>& elements) {
  ElementIndex index;
  index.reserve(elements.size());
  for (const Element& e : elements) index.emplace(e.id, &e);
  return index;
}

const Element* project_up(std::string_view id, const ElementIndex& index, std::span<const ElementKind> visible) {
  auto found = index.find(id);
  if (found == index.end()) return nullptr;
  const Element* current = found->second;
  for (int ancestors = 0;; ++ancestors) {
    if (is_visible(current->kind, visible)) return current;
    if (!current->parent_id || ancestors == kMaxProjectionAncestors) return nullptr;
    auto parent = index.find(*current->parent_id);
    if (parent == index.end()) return nullptr;
    current = parent->second;
  }
}

std::vector<Relationship> project_relationships(const std::vector<Element>& elements,
                                                const std::vector<Relationship>& relationships, C4Layer layer) {
  if (layer == C4Layer::Code || layer == C4Layer::Adr) return relationships;
  const ElementIndex index = index_elements(elements);
  const std::span<const ElementKind> visible = visible_kinds(layer);

  std::vector<Merged> merged;
  std::unordered_map<PairKey, std::size_t, PairHash> slot_of_pair;
  for (const Relationship& r : relationships) {
    const Element* from = project_up(r.from_id, index, visible);
    const Element* to = project_up(r.to_id, index, visible);
    if (from == nullptr || to == nullptr || from == to) continue;
    auto [slot, inserted] = slot_of_pair.try_emplace(PairKey{from->id, to->id}, merged.size());
    if (inserted)
      merged.push_back(Merged{first_of_pair(r, *from, *to, layer)});
    else
      ++merged[slot->second].count;
  }

  std::vector<Relationship> out;
  out.reserve(merged.size());
  for (Merged& m : merged) {
    if (m.count > 1) m.relationship.description = counted_description(m.count, m.relationship.description);
    out.push_back(std::move(m.relationship));
  }
  std::stable_sort(out.begin(), out.end(), [](const Relationship& a, const Relationship& b) {
    if (a.from_id != b.from_id) return a.from_id < b.from_id;
    return a.to_id < b.to_id;
  });
  return out;
}

}  // namespace borvane::domain
