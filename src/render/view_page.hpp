#pragma once
// The interactive view page: one C4 layer, or all layers nested, drawn by
// Mermaid or by the WASM viewer, with the model's navigation around it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/element.hpp"
#include "domain/enums.hpp"
#include "scene/lib.hpp"

namespace borvane::render {

// `scene_to_json` of `build_scene` for these inputs.
std::string scene_json_for_view(const std::vector<domain::Element>& elements,
                                const std::vector<domain::Relationship>& relationships, scene::ViewMode mode,
                                const std::optional<std::string>& layer, const std::optional<std::string>& focus);

// What one page is built from. In the all-layers view the layer is context
// and parent_id is the focus; drill_up_parent is the parent id of the element
// named by parent_id. Elements are in the store's order.
struct ViewPageInput {
  domain::C4Layer layer;
  const std::optional<std::string>& parent_id;
  std::string_view mermaid_source;
  std::string_view base_url;  // already validated; "" or "/" give relative links
  const std::optional<std::string>& drill_up_parent;
  const std::vector<domain::Element>& elements;
  std::size_t decision_count = 0;
  std::size_t flow_count = 0;
  std::string_view mode;      // read with ViewMode::parse
  std::string_view renderer;  // compared exactly
  std::string_view scene_json;
};

// The complete HTML document. Never fails: ids that name nothing only leave
// out the pieces that need them.
std::string view_html(const ViewPageInput& input);

}  // namespace borvane::render
