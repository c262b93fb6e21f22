#pragma once
// The side panels of the view page: drill up to the enclosing view, drill
// down into the elements shown, and the outside sources of those elements.
#include <optional>
#include <string>
#include <vector>

#include "domain/element.hpp"
#include "domain/enums.hpp"
#include "render/view_renderer.hpp"

namespace borvane::render {

// The target of the drill-up link.
struct DrillUp {
  std::string name;
  std::optional<std::string> parent_id;
  std::string kind;  // "all", "context", "container" or "component"
  domain::C4Layer layer;
  bool operator==(const DrillUp&) const = default;
};

// The view one level up, or none at the top or when the parent chain ends.
std::optional<DrillUp> drill_up_target(const std::vector<domain::Element>& elements, domain::C4Layer layer,
                                       const std::optional<std::string>& parent_id, bool all_layers);

// The drill-up panel and the drill-up link of the board toolbar; both empty
// when there is nothing above the view.
struct DrillUpLinks {
  std::string panel;
  std::string toolbar;
};
DrillUpLinks drill_up_links(const ViewContext& view);

// <details id="c4-drills">, or empty when the view has nothing to open.
std::string drill_down_panel(const ViewContext& view);

// <details id="c4-sources">, or empty when no element shown links outside.
std::string sources_panel(const ViewContext& view);

}  // namespace borvane::render
