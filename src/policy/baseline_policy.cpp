// The whole-model scan and the decision whether a write's problems block it.
#include "policy/baseline_policy.hpp"

#include <string_view>
#include <unordered_map>

namespace borvane::policy {
namespace {

using domain::PolicyMode;
using domain::Severity;
using ElementIndex = std::unordered_map<std::string_view, const Element*>;

// Later elements with the same id replace earlier ones.
ElementIndex index_by_id(const std::vector<Element>& elements) {
  ElementIndex index;
  for (const Element& e : elements) index[e.id] = &e;
  return index;
}

const Element* find(const ElementIndex& index, std::string_view id) {
  auto it = index.find(id);
  return it == index.end() ? nullptr : it->second;
}

void append(std::vector<Problem>& out, std::vector<Problem> more) {
  for (Problem& p : more) out.push_back(std::move(p));
}

// An error is excused only by a listed decision whose policy is in audit mode.
bool excused(const Problem& problem, const std::vector<Decision>& decisions) {
  if (!problem.adr_id) return false;
  for (const Decision& d : decisions)
    if (d.id == *problem.adr_id) return d.policy && d.policy->mode == PolicyMode::Audit;
  return false;
}

}  // namespace

std::vector<Problem> scan_model(const std::vector<Element>& elements, const std::vector<Relationship>& relationships,
                                const std::vector<Decision>& decisions) {
  const ElementIndex index = index_by_id(elements);
  std::vector<Problem> problems;
  for (const Element& e : elements) {
    const Element* parent = e.parent_id ? find(index, *e.parent_id) : nullptr;
    append(problems, check_parent(e, parent));
  }
  // The scan reports; it never asks for the stricter atom rules. Relationships
  // with a missing end are left to workspace validation.
  for (const Relationship& r : relationships) {
    const Element* from = find(index, r.from_id);
    const Element* to = find(index, r.to_id);
    if (from == nullptr || to == nullptr) continue;
    append(problems, check_relationship_mode(from->kind, to->kind, r.id, decisions, false));
  }
  return problems;
}

bool blocks_write(const std::vector<Problem>& problems, const std::vector<Decision>& decisions) {
  for (const Problem& p : problems)
    if (p.severity == Severity::Error && !excused(p, decisions)) return true;
  return false;
}

}  // namespace borvane::policy
