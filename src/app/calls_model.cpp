#include <nlohmann/json.hpp>

#include "app/calls.hpp"
#include "app/docs_binding.hpp"
#include "app/errors.hpp"
#include "app/jobs.hpp"
#include "domain/record_codec.hpp"
#include "policy/baseline_policy.hpp"
#include "validate/validate_model.hpp"

namespace borvane::app::calls {

using domain::CodeMember;
using domain::Element;
using domain::Problem;
using domain::Relationship;

namespace {

// An absent or empty members text means no members.
domain::Result<std::vector<CodeMember>, std::string> parse_members(const OptionalText& members_json) {
  if (!members_json || members_json->empty()) return std::vector<CodeMember>{};
  auto members = domain::from_json<std::vector<CodeMember>>(*members_json);
  if (!members) return "members JSON: " + members.error().display();
  return std::move(members).value();
}

// The parent named by the element, or nothing when it names no element.
std::optional<Element> find_parent(const AppState& state, const OptionalText& parent_id) {
  if (!parent_id) return std::nullopt;
  auto parent = state.model->get_element(kWorkspaceId, *parent_id);
  if (!parent) return std::nullopt;
  return std::move(parent).value();
}

std::string joined_messages(const std::vector<Problem>& problems, bool with_adr) {
  std::string text;
  for (const Problem& p : problems) {
    if (!text.empty()) text += "; ";
    text += p.message;
    if (with_adr && p.adr_id) text += " (adr=" + *p.adr_id + ")";
  }
  return text;
}

}  // namespace

PyObject* upsert_element(const StatePtr& state, const std::string& id, const std::string& kind,
                         const std::string& name, const OptionalText& parent_id, const OptionalText& description,
                         const OptionalText& technology, const OptionalText& url, const OptionalText& members_json) {
  auto members = parse_members(members_json);
  if (!members) return raise_value_error(members.error());
  for (const CodeMember& m : *members)
    if (auto valid = m.validate(); !valid) return map_err(valid.error());
  auto parsed_kind = domain::ElementKind::parse(kind);
  if (!parsed_kind) return map_err(parsed_kind.error());
  if (*parsed_kind != domain::ElementKind::Code && !members->empty())
    return raise_value_error("members only allowed for kind=code");

  Element element{id,        kWorkspaceId, *parsed_kind, parent_id, name, description,
                  technology, url,          std::move(members).value()};
  std::optional<Element> parent = find_parent(*state, parent_id);
  auto problems = policy::check_parent(element, parent ? &*parent : nullptr);
  if (!problems.empty()) return raise_value_error(joined_messages(problems, false));

  return run_job(state, [state, element = std::move(element)]() mutable -> queue::JobResult {
    auto stored = state->model->upsert_element(std::move(element));
    if (!stored) return std::move(stored).error();
    if (auto persisted = persist_model_toml(*state); !persisted) return std::move(persisted).error();
    return domain::to_json_direct(*stored);
  });
}

PyObject* upsert_relationship(const StatePtr& state, const std::string& id, const std::string& from_id,
                              const std::string& to_id, const OptionalText& description) {
  auto from = state->model->get_element(kWorkspaceId, from_id);
  if (!from) return map_err(from.error());
  auto to = state->model->get_element(kWorkspaceId, to_id);
  if (!to) return map_err(to.error());
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  auto problems = policy::check_relationship(*from, *to, id, *decisions);
  if (policy::blocks_write(problems, *decisions)) return raise_value_error(joined_messages(problems, true));

  Relationship rel{id, kWorkspaceId, from_id, to_id, description, std::nullopt};
  return run_job(state, [state, rel = std::move(rel)]() mutable -> queue::JobResult {
    auto stored = state->model->upsert_relationship(std::move(rel));
    if (!stored) return std::move(stored).error();
    if (auto persisted = persist_model_toml(*state); !persisted) return std::move(persisted).error();
    return domain::to_json_direct(*stored);
  });
}

PyObject* delete_relationship(const StatePtr& state, const std::string& id) {
  return run_job(state, [state, id]() -> queue::JobResult {
    if (auto deleted = state->model->delete_relationship(kWorkspaceId, id); !deleted) return deleted.error();
    if (auto persisted = persist_model_toml(*state); !persisted) return std::move(persisted).error();
    return domain::dump_compact(nlohmann::json{{"deleted", id}});
  });
}

namespace {

domain::Result<validate::ModelSnapshot> take_snapshot(const AppState& state) {
  auto elements = state.model->list_elements(kWorkspaceId);
  if (!elements) return std::move(elements).error();
  auto relationships = state.model->list_relationships(kWorkspaceId);
  if (!relationships) return std::move(relationships).error();
  auto decisions = state.adrs->list_decisions(kWorkspaceId);
  if (!decisions) return std::move(decisions).error();
  return validate::ModelSnapshot{std::move(elements).value(), std::move(relationships).value(), std::move(decisions).value()};
}

template <class T>
nlohmann::json json_array(const std::vector<T>& records) {
  nlohmann::json out = nlohmann::json::array();
  for (const T& r : records) out.push_back(domain::to_json_value<nlohmann::json>(r));
  return out;
}

}  // namespace

PyObject* get_model(const StatePtr& state) {
  auto snapshot = take_snapshot(*state);
  if (!snapshot) return map_err(snapshot.error());
  nlohmann::json out;
  out["elements"] = json_array(snapshot->elements);
  out["relationships"] = json_array(snapshot->relationships);
  out["decisions"] = json_array(snapshot->decisions);
  return py_str(domain::dump_compact(out));
}

PyObject* validate_workspace(const StatePtr& state) {
  auto snapshot = take_snapshot(*state);
  if (!snapshot) return map_err(snapshot.error());
  std::vector<Problem> problems = validate::validate_model(*snapshot);
  std::vector<Problem> scanned = policy::scan_model(snapshot->elements, snapshot->relationships, snapshot->decisions);
  problems.insert(problems.end(), std::make_move_iterator(scanned.begin()), std::make_move_iterator(scanned.end()));
  bool ok = std::none_of(problems.begin(), problems.end(),
                         [](const Problem& p) { return p.severity == domain::Severity::Error; });
  nlohmann::json out;
  out["ok"] = ok;
  out["problems"] = json_array(problems);
  return py_str(domain::dump_compact(out));
}

}  // namespace borvane::app::calls
