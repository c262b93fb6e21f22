#include "render/mermaid_flowchart.hpp"

#include <cstdint>
#include <unordered_set>

#include "domain/text.hpp"
#include "render/mermaid_text.hpp"

namespace borvane::render {
namespace {

using domain::Element;
using domain::ElementKind;
using domain::Relationship;

constexpr std::string_view kHeader =
    "flowchart TB\n"
    "  classDef person fill:#08427B,color:#fff,stroke:#052E56\n"
    "  classDef system fill:#1168BD,color:#fff,stroke:#0B4884\n"
    "  classDef external fill:#999999,color:#fff,stroke:#6b7280\n"
    "  classDef container fill:#23A2D9,color:#fff,stroke:#0B4884\n"
    "  classDef component fill:#a5b4fc,color:#1e1b4b,stroke:#6366f1\n"
    "  classDef code fill:#ddd6fe,color:#1e1b4b,stroke:#6d28d9\n";

// Whether each element lies below the focus by its parent chain. Answers
// are memoised so that every element is walked once; an element met again
// on the walk in progress closes a cycle, and nothing on it is below the
// focus (each of its parent ids was already compared).
class FocusWalk {
 public:
  FocusWalk(const std::vector<Element>& elements, std::string_view focus)
      : elements_(elements), focus_(focus), state_(elements.size(), State::Unknown) {
    index_.reserve(elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) index_.emplace(elements[i].id, i);
  }

  bool below_focus(std::size_t start) {
    std::vector<std::size_t> path;
    std::size_t at = start;
    bool answer = false;
    for (;;) {
      if (state_[at] != State::Unknown) {
        answer = state_[at] == State::Below;
        break;
      }
      state_[at] = State::InProgress;
      path.push_back(at);
      const Element& e = elements_[at];
      if (!e.parent_id) break;
      if (*e.parent_id == focus_) {
        answer = true;
        break;
      }
      auto parent = index_.find(*e.parent_id);
      if (parent == index_.end()) break;
      at = parent->second;
    }
    for (std::size_t i : path) state_[i] = answer ? State::Below : State::NotBelow;
    return answer;
  }

 private:
  // A node met in progress reads as "not below": the cycle check above.
  enum class State : std::uint8_t { Unknown, InProgress, Below, NotBelow };

  const std::vector<Element>& elements_;
  std::string_view focus_;
  std::vector<State> state_;
  std::unordered_map<std::string_view, std::size_t> index_;
};

void append_node(std::string& out, std::string_view indent, const Element& e, std::string_view css_class) {
  out.append(indent).append(sanitize_alias(e.id)).append("[\"").append(html_label(e.name)).append("\"]:::");
  out.append(css_class).append("\n");
}

const std::vector<const Element*>& children_of(const FlowchartSelection& selected, std::string_view id) {
  static const std::vector<const Element*> kNone;
  auto found = selected.children.find(id);
  return found == selected.children.end() ? kNone : found->second;
}

bool has_child_of_kind(const FlowchartSelection& selected, std::string_view id, ElementKind kind) {
  for (const Element* child : children_of(selected, id))
    if (child->kind == kind) return true;
  return false;
}

void append_external(std::string& out, const Element& e) {
  std::string_view technology = e.technology ? domain::trim(*e.technology) : std::string_view();
  if (technology.empty()) technology = "external";
  out.append("  ").append(sanitize_alias(e.id)).append("[\"").append(html_label(e.name)).append("\\n[");
  out.append(html_label(technology)).append("]\"]:::external\n");
}

void append_system(std::string& out, const FlowchartSelection& selected, const Element& system) {
  if (!has_child_of_kind(selected, system.id, ElementKind::Container)) {
    append_node(out, "  ", system, "system");
    return;
  }
  const std::string alias = sanitize_alias(system.id);
  out.append("  subgraph ").append(alias).append("[\"").append(html_label(system.name)).append("\"]\n");
  out += "    direction LR\n";
  for (const Element* child : children_of(selected, system.id))
    if (child->kind == ElementKind::Container) emit_container_subgraph(out, selected, *child, 2);
  out += "  end\n";
  out.append("  style ").append(alias).append(" fill:#dbeafe,stroke:#1168BD,stroke-width:2px,color:#0f172a\n");
}

void append_component(std::string& out, const FlowchartSelection& selected, const Element& k,
                      const std::string& indent) {
  if (!has_child_of_kind(selected, k.id, ElementKind::Code)) {
    append_node(out, indent + "  ", k, "component");
    return;
  }
  const std::string alias = sanitize_alias(k.id);
  out.append(indent).append("  subgraph ").append(alias).append("[\"").append(html_label(k.name)).append("\"]\n");
  out.append(indent).append("    direction LR\n");
  for (const Element* x : children_of(selected, k.id))
    if (x->kind == ElementKind::Code) append_node(out, indent + "    ", *x, "code");
  out.append(indent).append("  end\n");
  out.append(indent).append("  style ").append(alias);
  out += " fill:#eef2ff,stroke:#6366f1,stroke-width:1.5px,color:#1e1b4b\n";
}

// Containers whose parent is none of the selected software systems.
bool drawn_inside_system(const Element& container, const std::unordered_set<std::string_view>& systems) {
  return container.parent_id && systems.contains(*container.parent_id);
}

void append_edges(std::string& out, const std::vector<Relationship>& relationships,
                  const std::unordered_set<std::string_view>& ids) {
  for (const Relationship& r : relationships) {
    if (!ids.contains(r.from_id) || !ids.contains(r.to_id)) continue;
    out.append("  ").append(sanitize_alias(r.from_id)).append(" -->|\"").append(flowchart_edge_label(r.description));
    out.append("\"| ").append(sanitize_alias(r.to_id)).append("\n");
  }
}

}  // namespace

FlowchartSelection select_for_focus(const ModelView& view, const std::optional<std::string>& focus) {
  FlowchartSelection selected;
  selected.elements.reserve(view.elements.size());
  std::optional<FocusWalk> walk;
  if (focus) walk.emplace(view.elements, *focus);
  for (std::size_t i = 0; i < view.elements.size(); ++i) {
    const Element& e = view.elements[i];
    if (focus && e.id != *focus && !walk->below_focus(i)) continue;
    selected.elements.push_back(&e);
    if (e.parent_id) selected.children[*e.parent_id].push_back(&e);
  }
  return selected;
}

std::string all_layers_mermaid(const ModelView& view, const std::optional<std::string>& focus) {
  const FlowchartSelection selected = select_for_focus(view, focus);
  std::string out(kHeader);
  out.reserve(kHeader.size() + selected.elements.size() * 72 + view.relationships.size() * 48);

  std::unordered_set<std::string_view> ids;
  std::unordered_set<std::string_view> systems;
  for (const Element* e : selected.elements) {
    ids.insert(e->id);
    if (e->kind == ElementKind::SoftwareSystem) systems.insert(e->id);
  }
  for (const Element* e : selected.elements)
    if (e->kind == ElementKind::Person) append_node(out, "  ", *e, "person");
  for (const Element* e : selected.elements)
    if (e->kind == ElementKind::External) append_external(out, *e);
  for (const Element* e : selected.elements)
    if (e->kind == ElementKind::SoftwareSystem) append_system(out, selected, *e);
  for (const Element* e : selected.elements)
    if (e->kind == ElementKind::Container && !drawn_inside_system(*e, systems))
      emit_container_subgraph(out, selected, *e, 1);
  append_edges(out, view.relationships, ids);
  if (selected.elements.empty()) out += "  empty[\"No elements\"]\n";
  return out;
}

void emit_container_subgraph(std::string& out, const FlowchartSelection& selected, const Element& c, int depth) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  const std::string alias = sanitize_alias(c.id);
  std::string title = c.name;
  if (c.technology) {
    std::string_view technology = domain::trim(*c.technology);
    if (!technology.empty()) title.append("\\n[").append(technology).append("]");
  }
  if (!has_child_of_kind(selected, c.id, ElementKind::Component)) {
    out.append(indent).append(alias).append("[\"").append(html_label(title)).append("\"]:::container\n");
    return;
  }
  out.append(indent).append("subgraph ").append(alias).append("[\"").append(html_label(title)).append("\"]\n");
  out.append(indent).append("  direction TB\n");
  for (const Element* k : children_of(selected, c.id))
    if (k->kind == ElementKind::Component) append_component(out, selected, *k, indent);
  out.append(indent).append("end\n");
  out.append(indent).append("style ").append(alias);
  out += " fill:#e0f2fe,stroke:#0284c7,stroke-width:2px,color:#0f172a\n";
}

}  // namespace borvane::render
