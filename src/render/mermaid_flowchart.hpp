#pragma once
// The all-layers flowchart: software systems, containers and components as
// nested subgraphs, code elements as leaves, for the whole model or the
// subtree of one focus element.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "domain/element.hpp"
#include "render/mermaid_view.hpp"

namespace borvane::render {

// The elements a flowchart draws, in view order, with the selected children
// of every parent id (in view order too) so that nesting needs no rescans.
struct FlowchartSelection {
  std::vector<const domain::Element*> elements;
  std::unordered_map<std::string_view, std::vector<const domain::Element*>> children;
};

// Without focus every element; with focus the focus element and every
// element below it by the parent chain. A chain that loops back on itself
// ends the walk.
FlowchartSelection select_for_focus(const ModelView& view, const std::optional<std::string>& focus);

std::string all_layers_mermaid(const ModelView& view, const std::optional<std::string>& focus);

// Appends the node of container `c`, or its subgraph of components (each a
// node or a subgraph of its code elements), indented two spaces per depth.
void emit_container_subgraph(std::string& out, const FlowchartSelection& selected, const domain::Element& c,
                             int depth);

}  // namespace borvane::render
