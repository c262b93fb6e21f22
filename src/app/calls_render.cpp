#include <nlohmann/json.hpp>

#include "app/calls.hpp"
#include "app/errors.hpp"
#include "domain/record_codec.hpp"
#include "render/adr_pages.hpp"
#include "render/flow_mermaid.hpp"
#include "render/flow_pages.hpp"
#include "render/public_base.hpp"
#include "render/view_links.hpp"

namespace borvane::app::calls {

using nlohmann::json;

namespace {

// The normalised base address, or nothing with ValueError set.
std::optional<std::string> require_base(const std::string& base_url) {
  auto base = render::normalize_public_base(base_url);
  if (!base) {
    raise_value_error(base.error().text);
    return std::nullopt;
  }
  return std::move(base).value();
}

json flow_links(const std::string& base, const std::vector<domain::Flow>& flows) {
  json out = json::array();
  for (const domain::Flow& f : flows)
    out.push_back({{"id", f.id},
                   {"kind", std::string(f.kind.text())},
                   {"title", f.title},
                   {"view_url", base + "/flows/" + f.id}});
  return out;
}

}  // namespace

PyObject* get_view_links(const StatePtr& state, const std::string& base_url) {
  auto base = require_base(base_url);
  if (!base) return nullptr;
  auto elements = state->model->list_elements(kWorkspaceId);
  if (!elements) return map_err(elements.error());
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  auto flows = state->flows->list_flows(kWorkspaceId);
  if (!flows) return map_err(flows.error());
  auto links = render::view_links(*base, *elements, *decisions);
  if (!links) return raise_value_error(links.error().text);
  (*links)["flows"] = flow_links(*base, *flows);
  return py_str(domain::dump_compact(*links));
}

PyObject* render_adrs_html(const StatePtr& state, const std::string& base_url) {
  auto base = require_base(base_url);
  if (!base) return nullptr;
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  return py_str(render::adrs_index_html(*base, *decisions));
}

PyObject* render_adr_html(const StatePtr& state, const std::string& adr_id, const std::string& base_url) {
  auto base = require_base(base_url);
  if (!base) return nullptr;
  auto decision = state->adrs->get_decision(kWorkspaceId, adr_id);
  if (!decision) return map_err(decision.error());
  return py_str(render::adr_detail_html(*base, *decision));
}

PyObject* get_flow_diagram(const StatePtr& state, const std::string& id, const std::string& base_url) {
  auto base = require_base(base_url);
  if (!base) return nullptr;
  auto flow = state->flows->get_flow(kWorkspaceId, id);
  if (!flow) return map_err(flow.error());
  auto elements = state->model->list_elements(kWorkspaceId);
  if (!elements) return map_err(elements.error());
  json out;
  out["content"] = render::flow_to_mermaid(*flow, *elements);
  out["flow"] = domain::to_json_value<json>(*flow);
  out["format"] = "mermaid";
  out["view_url"] = *base + "/flows/" + flow->id;
  return py_str(domain::dump_compact(out));
}

PyObject* render_flows_html(const StatePtr& state, const std::string& base_url) {
  auto base = require_base(base_url);
  if (!base) return nullptr;
  auto flows = state->flows->list_flows(kWorkspaceId);
  if (!flows) return map_err(flows.error());
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  return py_str(render::flows_index_html(*base, *flows, decisions->size()));
}

PyObject* render_flow_html(const StatePtr& state, const std::string& flow_id, const std::string& base_url) {
  auto base = require_base(base_url);
  if (!base) return nullptr;
  auto flow = state->flows->get_flow(kWorkspaceId, flow_id);
  if (!flow) return map_err(flow.error());
  auto elements = state->model->list_elements(kWorkspaceId);
  if (!elements) return map_err(elements.error());
  auto flows = state->flows->list_flows(kWorkspaceId);
  if (!flows) return map_err(flows.error());
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  return py_str(render::flow_detail_html(*base, *flow, *elements, flows->size(), decisions->size()));
}

}  // namespace borvane::app::calls
