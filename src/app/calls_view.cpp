#include "app/calls.hpp"
#include "app/errors.hpp"
#include "domain/projection.hpp"
#include "domain/text.hpp"
#include "render/mermaid_c4.hpp"
#include "render/mermaid_flowchart.hpp"
#include "render/page_chrome.hpp"
#include "render/public_base.hpp"
#include "render/view_page.hpp"
#include "scene/lib.hpp"

namespace borvane::app::calls {

using domain::C4Layer;
using scene::ViewMode;

namespace {

// The base of the page's links: empty (relative links) for "" or "/" alone,
// otherwise the validated address. Nothing, with ValueError set, when invalid.
std::optional<std::string> view_base(const std::string& base_url) {
  if (render::strip_trailing_slashes(domain::trim(base_url)).empty()) return std::string();
  auto base = render::normalize_public_base(base_url);
  if (!base) {
    raise_value_error(base.error().text);
    return std::nullopt;
  }
  return std::move(base).value();
}

// The parent id of the element the view is opened on, when it has one.
std::optional<std::string> drill_up_parent(const std::vector<domain::Element>& elements,
                                           const OptionalText& parent_id) {
  if (!parent_id) return std::nullopt;
  for (const domain::Element& e : elements)
    if (e.id == *parent_id) return e.parent_id;
  return std::nullopt;
}

// The Mermaid text of the view: the layer's diagram on projected
// relationships, or the nested flowchart of all layers on the stored ones.
std::string view_mermaid(const std::vector<domain::Element>& elements,
                         const std::vector<domain::Relationship>& relationships, C4Layer layer, bool all_layers,
                         const OptionalText& parent_id) {
  if (all_layers) return render::all_layers_mermaid({elements, relationships}, parent_id);
  const std::vector<domain::Relationship> projected = domain::project_relationships(elements, relationships, layer);
  return render::diagram_for_layer({elements, projected}, layer, parent_id);
}

}  // namespace

PyObject* render_view_html(const StatePtr& state, const std::string& layer, const OptionalText& parent_id,
                           const std::string& base_url, const std::string& mode, const std::string& renderer) {
  auto base = view_base(base_url);
  if (!base) return nullptr;
  const ViewMode view_mode = ViewMode::parse(mode);
  const bool all_layers = view_mode == ViewMode::All;
  // The all-layers page needs the nested scene layout, which is not built yet.
  if (all_layers) return raise_not_implemented("render_view_html with mode all");
  // The all-layers view ignores the layer argument and projects like context.
  C4Layer view_layer = C4Layer::Context;
  if (!all_layers) {
    auto parsed = C4Layer::parse(layer);
    if (!parsed) return map_err(parsed.error());
    view_layer = *parsed;
  }

  auto elements = state->model->list_elements(kWorkspaceId);
  if (!elements) return map_err(elements.error());
  auto relationships = state->model->list_relationships(kWorkspaceId);
  if (!relationships) return map_err(relationships.error());
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  auto flows = state->flows->list_flows(kWorkspaceId);
  if (!flows) return map_err(flows.error());

  const std::string mermaid = view_mermaid(*elements, *relationships, view_layer, all_layers, parent_id);
  const std::optional<std::string> scene_layer =
      all_layers ? std::nullopt : std::optional<std::string>(view_layer.text());
  const std::string scene = render::scene_json_for_view(*elements, *relationships, view_mode, scene_layer, parent_id);
  const std::optional<std::string> up_parent = drill_up_parent(*elements, parent_id);
  return py_str(render::view_html({
      .layer = view_layer,
      .parent_id = parent_id,
      .mermaid_source = mermaid,
      .base_url = *base,
      .drill_up_parent = up_parent,
      .elements = *elements,
      .decision_count = decisions->size(),
      .flow_count = flows->size(),
      .mode = all_layers ? "all" : "layer",
      .renderer = renderer,
      .scene_json = scene,
  }));
}

}  // namespace borvane::app::calls
