#pragma once
// Mermaid C4 diagrams of one layer at a time, and the legend of the view page.
#include <optional>
#include <string>

#include "domain/enums.hpp"
#include "render/mermaid_view.hpp"

namespace borvane::render {

// The diagram of one layer: C4Context for landscape and context, the
// containers of one software system, the components of one container, the
// class diagram of one component's code, or a placeholder for adr.
std::string diagram_for_layer(const ModelView& view, domain::C4Layer layer,
                              const std::optional<std::string>& parent_id);

// The context diagram of the whole workspace.
std::string overview_mermaid(const ModelView& view);

// The legend panel of the view page for the layer; empty for adr.
std::string legend_block(domain::C4Layer layer);

}  // namespace borvane::render
