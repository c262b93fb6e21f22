#include <nlohmann/json.hpp>

#include "app/calls.hpp"
#include "app/errors.hpp"
#include "app/jobs.hpp"
#include "domain/record_codec.hpp"
#include "render/public_base.hpp"

namespace borvane::app::calls {

using domain::Flow;
using nlohmann::json;

namespace {

json text_or_null(const std::optional<std::string>& text) { return text ? json(*text) : json(); }

// The ten keys of a flow list entry; absent values as null, no related
// decisions as an empty list.
json list_entry(const Flow& f, const std::string& base) {
  json entry;
  entry["epoch"] = f.epoch ? domain::to_json_value<json>(*f.epoch) : json();
  entry["git_commit_id"] = text_or_null(f.git_commit_id);
  entry["id"] = f.id;
  entry["kind"] = std::string(f.kind.text());
  entry["path"] = f.path;
  entry["related_adrs"] = f.related_adrs;
  entry["scope_element_id"] = text_or_null(f.scope_element_id);
  entry["title"] = f.title;
  entry["usage_key"] = text_or_null(f.usage_key);
  entry["view_url"] = base + "/flows/" + f.id;
  return entry;
}

}  // namespace

PyObject* upsert_flow(const StatePtr& state, const std::string& flow_json, bool commit) {
  auto flow = domain::from_json<Flow>(flow_json);
  if (!flow) return raise_value_error(flow.error().display());
  flow->workspace_id = kWorkspaceId;
  return run_job(state, [state, f = std::move(flow).value(), commit]() mutable -> queue::JobResult {
    auto stored = state->flows->upsert_flow(std::move(f), commit);
    if (!stored) return std::move(stored).error();
    json out;
    out["commit_id"] = text_or_null(stored->commit_id);
    out["flow"] = domain::to_json_value<json>(stored->record);
    out["view_url"] = render::public_base_from_env() + "/flows/" + stored->record.id;
    return domain::dump_compact(out);
  });
}

PyObject* get_flow(const StatePtr& state, const std::string& id) {
  auto flow = state->flows->get_flow(kWorkspaceId, id);
  if (!flow) return map_err(flow.error());
  return py_str(domain::to_json_direct(*flow));
}

PyObject* list_flows(const StatePtr& state, const std::string& base_url) {
  auto base = render::normalize_public_base(base_url);
  if (!base) return raise_value_error(base.error().text);
  auto flows = state->flows->list_flows(kWorkspaceId);
  if (!flows) return map_err(flows.error());
  json out = json::array();
  for (const Flow& f : *flows) out.push_back(list_entry(f, *base));
  return py_str(domain::dump_compact(out));
}

PyObject* delete_flow(const StatePtr& state, const std::string& id, bool commit) {
  return run_job(state, [state, id, commit]() -> queue::JobResult {
    if (auto deleted = state->flows->delete_flow(kWorkspaceId, id, commit); !deleted) return deleted.error();
    return domain::dump_compact(json{{"deleted", id}});
  });
}

}  // namespace borvane::app::calls
