#include "scene/lib.hpp"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "domain/text.hpp"
#include "scene/uml.hpp"

namespace borvane::scene {

using domain::Element;
using domain::ElementKind;
using domain::Relationship;

ViewMode ViewMode::parse(std::string_view text) {
  std::string word = domain::ascii_lower(domain::trim(text));
  if (word == "landscape_all" || word == "full" || word == "all") return All;
  return Layer;
}

std::string_view layer_text_of_kind(ElementKind kind) {
  switch (kind) {
    case ElementKind::Container:
    case ElementKind::Component:
    case ElementKind::Code:
    case ElementKind::External:
      return kind.text();
    case ElementKind::Person:
    case ElementKind::SoftwareSystem:
      break;
  }
  return "context";
}

std::string truncate_label(std::string_view text, std::size_t limit) {
  std::string_view trimmed = domain::trim(text);
  std::size_t keep = limit < 3 ? 0 : limit - 3;
  std::size_t count = 0;
  std::size_t cut = 0;  // byte offset just after the first `keep` characters
  for (std::size_t i = 0; i < trimmed.size();) {
    domain::next_char(trimmed, i);
    ++count;
    if (count == keep) cut = i;
  }
  if (count <= limit) return std::string(trimmed);
  std::string out(trimmed.substr(0, cut));
  out += "...";
  return out;
}

namespace {

// ---- placeholder for the view that a later stage provides ----

// Stand-in for the nested box layout of all layers: an empty drawing that
// keeps the caller's focus. The nested layout replaces this body.
SceneGraph build_nested_view(std::span<const Element> /*elements*/, std::span<const Relationship> /*relationships*/,
                             const std::optional<std::string>& focus) {
  SceneGraph graph;
  graph.mode = "all";
  graph.focus = focus;
  return graph;
}

// ---- layer grid ----

constexpr double kGridMargin = 40;
constexpr double kCardWidth = 200;
constexpr double kCardHeight = 88;
constexpr double kColumnGap = 40;
constexpr double kRowGap = 36;
constexpr std::size_t kColumns = 3;
constexpr std::size_t kEdgeLabelLimit = 28;
constexpr double kMinWidth = 400;
constexpr double kMinHeight = 300;

// A set of element kinds, one bit per kind value.
using KindSet = unsigned;
constexpr KindSet kind_bit(ElementKind::Value kind) { return 1u << kind; }
constexpr KindSet kPersonsAndSystems = kind_bit(ElementKind::Person) | kind_bit(ElementKind::SoftwareSystem);
constexpr KindSet kContextKinds = kPersonsAndSystems | kind_bit(ElementKind::External);

KindSet visible_kinds(std::string_view layer) {
  if (layer == "container") return kind_bit(ElementKind::Container);
  if (layer == "component") return kind_bit(ElementKind::Component);
  return kPersonsAndSystems;
}

bool in(KindSet set, ElementKind kind) { return (set & kind_bit(kind)) != 0; }

// Decides which elements of a focused layer view lie under the focus: the
// focus is the element itself, its parent, or an ancestor reached through
// parent links. Results are remembered per element, so every parent chain
// is walked once; a chain that runs into itself ends without a match.
class FocusFilter {
 public:
  FocusFilter(std::span<const Element> elements, const std::optional<std::string>& focus)
      : elements_(elements), focus_(focus), marks_(focus ? elements.size() : 0, Mark::Unknown) {
    if (!focus) return;
    index_of_id_.reserve(elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) index_of_id_.emplace(elements[i].id, i);
  }

  bool keeps(std::size_t index) {
    if (!focus_) return true;
    ElementKind kind = elements_[index].kind;
    if (kind != ElementKind::Container && kind != ElementKind::Component && kind != ElementKind::Code) return true;
    return under_focus(index);
  }

 private:
  enum class Mark : std::uint8_t { Unknown, Walking, Under, NotUnder };

  bool matches_directly(const Element& e) const {
    return e.id == *focus_ || (e.parent_id && *e.parent_id == *focus_);
  }

  // The index of the element the parent link of `e` names, if any.
  std::optional<std::size_t> parent_index(const Element& e) const {
    if (!e.parent_id) return std::nullopt;
    auto it = index_of_id_.find(*e.parent_id);
    if (it == index_of_id_.end()) return std::nullopt;
    return it->second;
  }

  bool under_focus(std::size_t start) {
    path_.clear();
    Mark result = Mark::NotUnder;
    std::optional<std::size_t> current = start;
    while (current) {
      Mark mark = marks_[*current];
      if (mark == Mark::Under || mark == Mark::NotUnder) {
        result = mark;
        break;
      }
      if (mark == Mark::Walking) break;  // the chain closed on itself
      marks_[*current] = Mark::Walking;
      path_.push_back(*current);
      const Element& e = elements_[*current];
      if (matches_directly(e)) {
        result = Mark::Under;
        break;
      }
      current = parent_index(e);
    }
    for (std::size_t i : path_) marks_[i] = result;
    return result == Mark::Under;
  }

  std::span<const Element> elements_;
  const std::optional<std::string>& focus_;
  std::vector<Mark> marks_;
  std::vector<std::size_t> path_;
  std::unordered_map<std::string_view, std::size_t> index_of_id_;
};

std::vector<const Element*> grid_elements(std::span<const Element> elements, std::string_view layer,
                                          const std::optional<std::string>& focus) {
  std::vector<const Element*> chosen;
  if (layer == "context" || layer == "landscape") {
    // The context views show every person, system and external element.
    for (const Element& e : elements)
      if (in(kContextKinds, e.kind)) chosen.push_back(&e);
    return chosen;
  }
  KindSet kinds = visible_kinds(layer);
  FocusFilter filter(elements, focus);
  for (std::size_t i = 0; i < elements.size(); ++i)
    if (in(kinds, elements[i].kind) && filter.keeps(i)) chosen.push_back(&elements[i]);
  return chosen;
}

SceneNode grid_node(const Element& e, std::size_t index) {
  SceneNode node;
  node.id = e.id;
  node.kind = std::string(e.kind.text());
  node.layer = std::string(layer_text_of_kind(e.kind));
  node.name = e.name;
  node.parent_id = e.parent_id;
  node.x = kGridMargin + static_cast<double>(index % kColumns) * (kCardWidth + kColumnGap);
  node.y = kGridMargin + static_cast<double>(index / kColumns) * (kCardHeight + kRowGap);
  node.w = kCardWidth;
  node.h = kCardHeight;
  node.url = e.url;
  return node;
}

std::vector<SceneEdge> grid_edges(std::span<const Relationship> relationships, const std::vector<SceneNode>& nodes) {
  std::unordered_set<std::string_view> shown;
  shown.reserve(nodes.size());
  for (const SceneNode& n : nodes) shown.insert(n.id);
  std::vector<SceneEdge> edges;
  for (const Relationship& r : relationships) {
    if (!shown.contains(r.from_id) || !shown.contains(r.to_id)) continue;
    SceneEdge edge;
    edge.id = r.id;
    edge.from = r.from_id;
    edge.to = r.to_id;
    edge.label = truncate_label(r.description ? std::string_view(*r.description) : "uses", kEdgeLabelLimit);
    edges.push_back(std::move(edge));
  }
  return edges;
}

}  // namespace

SceneGraph build_layer_grid(std::span<const Element> elements, std::span<const Relationship> relationships,
                            std::string_view layer, const std::optional<std::string>& focus) {
  std::vector<const Element*> chosen = grid_elements(elements, layer, focus);
  SceneGraph graph;
  graph.mode = "layer";
  graph.focus = focus;
  graph.nodes.reserve(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) graph.nodes.push_back(grid_node(*chosen[i], i));
  graph.edges = grid_edges(relationships, graph.nodes);

  std::size_t n = graph.nodes.size();
  auto columns = static_cast<double>(std::min(std::max<std::size_t>(n, 1), kColumns));
  auto rows = static_cast<double>(std::max<std::size_t>((n + kColumns - 1) / kColumns, 1));
  graph.width = std::max(kMinWidth, 2 * kGridMargin + kCardWidth * columns + kColumnGap * (columns - 1));
  graph.height = std::max(kMinHeight, 2 * kGridMargin + kCardHeight * rows + kRowGap * (rows - 1));
  return graph;
}

SceneGraph build_scene(std::span<const Element> elements, std::span<const Relationship> relationships,
                       const std::optional<std::string>& layer, const std::optional<std::string>& focus,
                       ViewMode mode) {
  if (mode == ViewMode::All) return build_nested_view(elements, relationships, focus);
  std::string_view layer_text = layer ? std::string_view(*layer) : std::string_view("context");
  if (layer_text == "code") return build_code_uml(elements, relationships, focus);
  return build_layer_grid(elements, relationships, layer_text, focus);
}

}  // namespace borvane::scene
