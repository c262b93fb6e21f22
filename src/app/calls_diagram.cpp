#include <nlohmann/json.hpp>

#include "app/calls.hpp"
#include "app/errors.hpp"
#include "domain/projection.hpp"
#include "domain/record_codec.hpp"
#include "render/mermaid_c4.hpp"
#include "render/public_base.hpp"

namespace borvane::app::calls {

using domain::C4Layer;
using nlohmann::json;

namespace {

// The workspace's elements and its relationships projected onto the layer.
struct ProjectedModel {
  std::vector<domain::Element> elements;
  std::vector<domain::Relationship> relationships;
};

domain::Result<ProjectedModel> projected_model(const AppState& state, C4Layer layer) {
  auto elements = state.model->list_elements(kWorkspaceId);
  if (!elements) return std::move(elements).error();
  auto relationships = state.model->list_relationships(kWorkspaceId);
  if (!relationships) return std::move(relationships).error();
  std::vector<domain::Relationship> projected = domain::project_relationships(*elements, *relationships, layer);
  return ProjectedModel{std::move(elements).value(), std::move(projected)};
}

}  // namespace

PyObject* get_overview_diagram(const StatePtr& state, const std::string& base_url) {
  auto base = render::normalize_public_base(base_url);
  if (!base) return raise_value_error(base.error().text);
  auto model = projected_model(*state, C4Layer::Context);
  if (!model) return map_err(model.error());

  json out;
  out["content"] = render::overview_mermaid({model->elements, model->relationships});
  out["format"] = "mermaid";
  out["layer"] = "context";
  out["view_url"] = *base + "/?layer=context";
  return py_str(domain::dump_compact(out));
}

PyObject* get_layer_diagram(const StatePtr& state, const std::string& layer, const OptionalText& parent_id,
                            const std::string& base_url) {
  auto base = render::normalize_public_base(base_url);
  if (!base) return raise_value_error(base.error().text);
  auto parsed = C4Layer::parse(layer);
  if (!parsed) return map_err(parsed.error());
  auto model = projected_model(*state, *parsed);
  if (!model) return map_err(model.error());

  // The parent id goes into the link unchanged (not URL-encoded).
  std::string view_url = *base + "/?layer=" + layer;
  if (parent_id) view_url += "&parent=" + *parent_id;

  json out;
  out["content"] = render::diagram_for_layer({model->elements, model->relationships}, *parsed, parent_id);
  out["format"] = "mermaid";
  out["layer"] = layer;
  out["parent_id"] = parent_id ? json(*parent_id) : json();
  out["view_url"] = std::move(view_url);
  return py_str(domain::dump_compact(out));
}

}  // namespace borvane::app::calls
