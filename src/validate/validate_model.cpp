// Workspace validation in four passes over one snapshot. The findings are
// advice: nothing here blocks a write.
#include "validate/validate_model.hpp"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "domain/text.hpp"

namespace borvane::validate {
namespace {

using domain::C4Layer;
using domain::ElementKind;
using domain::Severity;

// The elements by id (later ones replace earlier ones) and the children of
// every parent id, in element order.
struct ElementIndex {
  std::unordered_map<std::string_view, const Element*> by_id;
  std::unordered_map<std::string_view, std::vector<const Element*>> children;

  bool has(std::string_view id) const { return by_id.contains(id); }
};

ElementIndex index_elements(const std::vector<Element>& elements) {
  ElementIndex index;
  for (const Element& e : elements) {
    index.by_id[e.id] = &e;
    if (e.parent_id) index.children[*e.parent_id].push_back(&e);
  }
  return index;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool blank(const std::optional<std::string>& text) { return !text || domain::is_blank(*text); }

// "CONTEXT layer: " and so on: the layer text in ASCII upper case.
std::string layer_prefix(C4Layer layer) {
  std::string word(layer.text());
  for (char& c : word)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return word + " layer: ";
}

Problem element_problem(Severity severity, std::string code, const Element& e, std::string_view detail) {
  const C4Layer layer = domain::layer_of_kind(e.kind);
  return {severity, layer, std::move(code), e.id, layer_prefix(layer) + std::string(detail), std::nullopt};
}

// "container \"Api\" missing technology": the kind, the quoted name, the tail.
std::string about(const Element& e, std::string_view tail) {
  return std::string(e.kind.text()) + " " + quoted(e.name) + std::string(tail);
}

Problem relationship_problem(Severity severity, std::string code, const Relationship& r, std::string_view tail) {
  return {severity, C4Layer::Context, std::move(code), r.id,
          layer_prefix(C4Layer::Context) + "relationship " + quoted(r.id) + std::string(tail), std::nullopt};
}

bool needs_technology(ElementKind kind) { return kind != ElementKind::Person && kind != ElementKind::SoftwareSystem; }

void check_elements(std::vector<Problem>& out, const std::vector<Element>& elements, const ElementIndex& index) {
  for (const Element& e : elements) {
    if (blank(e.description))
      out.push_back(
          element_problem(Severity::Warning, "element.missing_description", e, about(e, " missing description")));
    if (needs_technology(e.kind) && blank(e.technology))
      out.push_back(
          element_problem(Severity::Warning, "element.missing_technology", e, about(e, " missing technology")));
    // An empty parent id never names an element, even one with an empty id.
    if (e.parent_id && (e.parent_id->empty() || !index.has(*e.parent_id)))
      out.push_back(element_problem(Severity::Error, "element.dangling_parent", e,
                                    "element " + quoted(e.id) + " parent " + quoted(*e.parent_id) + " not found"));
  }
}

// Only relationships connect; parent and child links do not. A lone element
// has nothing to connect to, so it is never reported.
void check_connections(std::vector<Problem>& out, const std::vector<Element>& elements,
                       const std::vector<Relationship>& relationships) {
  if (elements.size() < 2) return;
  std::unordered_set<std::string_view> connected;
  for (const Relationship& r : relationships) {
    connected.insert(r.from_id);
    connected.insert(r.to_id);
  }
  for (const Element& e : elements)
    if (!connected.contains(e.id))
      out.push_back(element_problem(Severity::Warning, "element.disconnected", e, about(e, " is disconnected")));
}

void check_relationships(std::vector<Problem>& out, const std::vector<Relationship>& relationships,
                         const ElementIndex& index) {
  for (const Relationship& r : relationships) {
    if (!index.has(r.from_id) || !index.has(r.to_id))
      out.push_back(
          relationship_problem(Severity::Error, "relationship.dangling_endpoint", r, " references missing element"));
    if (blank(r.description))
      out.push_back(
          relationship_problem(Severity::Warning, "relationship.missing_description", r, " missing description"));
  }
}

bool has_container_child(const Element& system, const ElementIndex& index) {
  auto it = index.children.find(system.id);
  if (it == index.children.end()) return false;
  for (const Element* child : it->second)
    if (child->kind == ElementKind::Container) return true;
  return false;
}

// Any decision counts, whatever its status, as long as it is scoped to the system.
bool has_scoped_decision(const Element& system, const std::vector<Decision>& decisions) {
  for (const Decision& d : decisions)
    if (d.scope_element_id && *d.scope_element_id == system.id) return true;
  return false;
}

void check_system_decisions(std::vector<Problem>& out, const ModelSnapshot& snapshot, const ElementIndex& index) {
  for (const Element& e : snapshot.elements) {
    if (e.kind != ElementKind::SoftwareSystem || !has_container_child(e, index)) continue;
    if (has_scoped_decision(e, snapshot.decisions)) continue;
    out.push_back({Severity::Warning, C4Layer::Adr, "system.missing_decisions", e.id,
                   "ADR layer: software system " + quoted(e.name) + " has containers but no ADRs scoped to it",
                   std::nullopt});
  }
}

}  // namespace

std::vector<Problem> validate_model(const ModelSnapshot& snapshot) {
  if (snapshot.elements.empty())
    return {Problem{Severity::Error, C4Layer::Landscape, "model.empty", std::nullopt,
                    "LANDSCAPE layer: model has no elements", std::nullopt}};
  const ElementIndex index = index_elements(snapshot.elements);
  std::vector<Problem> problems;
  check_elements(problems, snapshot.elements, index);
  check_connections(problems, snapshot.elements, snapshot.relationships);
  check_relationships(problems, snapshot.relationships, index);
  check_system_decisions(problems, snapshot, index);
  return problems;
}

}  // namespace borvane::validate
