// Which kind may sit under which parent: persons and software systems stand
// alone, a container sits in a software system, a component in a container,
// code in a component, and an external either alone or in a software system.
#include <optional>
#include <string>

#include "policy/baseline_policy.hpp"

namespace borvane::policy {
namespace {

using domain::C4Layer;
using domain::Severity;

std::string cannot_be_parent(ElementKind parent, ElementKind child) {
  return "C4 baseline: " + std::string(parent.text()) + " cannot be parent of " + std::string(child.text());
}

std::string needs_parent(ElementKind child) {
  if (child == ElementKind::Code) return "C4 baseline: code elements must have a component parent";
  return "C4 baseline: " + std::string(child.text()) + " must not have empty/invalid parent";
}

std::string external_misplaced(ElementKind parent) {
  return "C4 baseline: external may only sit at context or under software_system (not under " +
         std::string(parent.text()) + ")";
}

// The kind a child must sit under, or none for kinds that stand alone.
std::optional<ElementKind> required_parent(ElementKind child) {
  switch (child) {
    case ElementKind::Container: return ElementKind::SoftwareSystem;
    case ElementKind::Component: return ElementKind::Container;
    case ElementKind::Code: return ElementKind::Component;
    case ElementKind::Person:
    case ElementKind::SoftwareSystem:
    case ElementKind::External: return std::nullopt;
  }
  return std::nullopt;
}

// The violation message, or none when the placement is allowed.
std::optional<std::string> parent_violation(ElementKind child, const Element* parent) {
  if (child == ElementKind::External) {
    if (parent == nullptr || parent->kind == ElementKind::SoftwareSystem) return std::nullopt;
    return external_misplaced(parent->kind);
  }
  const auto required = required_parent(child);
  if (parent == nullptr) {
    if (required) return needs_parent(child);
    return std::nullopt;
  }
  if (required && parent->kind == *required) return std::nullopt;
  return cannot_be_parent(parent->kind, child);
}

}  // namespace

std::vector<Problem> check_parent(const Element& child, const Element* parent) {
  auto message = parent_violation(child.kind, parent);
  if (!message) return {};
  return {Problem{Severity::Error, domain::layer_of_kind(child.kind), "policy.baseline.illegal_parent", child.id,
                  std::move(*message), std::nullopt}};
}

}  // namespace borvane::policy
