#include <cstdlib>

#include <nlohmann/json.hpp>

#include "app/calls.hpp"
#include "app/errors.hpp"
#include "app/jobs.hpp"
#include "domain/record_codec.hpp"
#include "domain/utf8.hpp"
#include "render/public_base.hpp"

namespace borvane::app::calls {

using domain::Decision;
using nlohmann::json;

namespace {

json commit_id_value(const std::optional<std::string>& commit_id) { return commit_id ? json(*commit_id) : json(); }

// {"commit_id":…,"decision":…} (sorted keys), plus "view_url" when given.
std::string write_result(const domain::Stored<Decision>& stored, const std::optional<std::string>& view_url) {
  json out;
  out["commit_id"] = commit_id_value(stored.commit_id);
  out["decision"] = domain::to_json_value<json>(stored.record);
  if (view_url) out["view_url"] = *view_url;
  return domain::dump_compact(out);
}

// A list entry shows every field, absent ones as null or empty lists.
json list_entry(const Decision& d, const std::string& base) {
  json entry = domain::to_json_value<json>(d);
  for (const char* key : {"reason", "superseded_by_id", "git_commit_id"})
    if (!entry.contains(key)) entry[key] = nullptr;
  for (const char* key : {"related_flows", "refs"})
    if (!entry.contains(key)) entry[key] = json::array();
  entry["view_url"] = base + "/adrs/" + d.id;
  return entry;
}

// Compares without an early exit, so the time taken does not tell how much
// of a guessed token was right.
bool same_token(std::string_view expected, std::string_view given) {
  unsigned char diff = expected.size() == given.size() ? 0 : 1;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    unsigned char g = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
    diff |= static_cast<unsigned char>(static_cast<unsigned char>(expected[i]) ^ g);
  }
  return diff == 0;
}

// When BORVANE_C4_PROCESS_TOKEN is set and not empty, the caller must give
// exactly that token. A value that is not valid UTF-8 cannot be matched by
// any Python str, so it refuses every caller rather than switching the check
// off.
bool process_token_ok(const OptionalText& given) {
  const char* raw = std::getenv("BORVANE_C4_PROCESS_TOKEN");
  if (raw == nullptr) return true;
  std::string_view expected(raw);
  if (!domain::is_valid_utf8(expected)) return false;
  if (expected.empty()) return true;
  return given && same_token(expected, *given);
}

}  // namespace

PyObject* upsert_adr(const StatePtr& state, const std::string& adr_json, bool commit) {
  auto decision = domain::from_json<Decision>(adr_json);
  if (!decision) return raise_value_error(decision.error().display());
  decision->workspace_id = kWorkspaceId;
  return run_job(state, [state, d = std::move(decision).value(), commit]() mutable -> queue::JobResult {
    auto stored = state->adrs->upsert_decision(std::move(d), commit);
    if (!stored) return std::move(stored).error();
    std::string view_url = render::public_base_from_env() + "/adrs/" + stored->record.id;
    return write_result(*stored, view_url);
  });
}

PyObject* set_adr_status(const std::string& id, const std::string& status, const OptionalText& reason,
                         const OptionalText& superseded_by_id, bool commit, const OptionalText& process_token) {
  if (!process_token_ok(process_token))
    return raise_permission_error("set_adr_status requires process token (BORVANE_C4_PROCESS_TOKEN)");
  const StatePtr current = state();
  if (!current) return nullptr;
  auto parsed = domain::DecisionStatus::parse(status);
  if (!parsed) return map_err(parsed.error());
  return run_job(current, [current, id, s = *parsed, reason, superseded_by_id, commit]() -> queue::JobResult {
    auto stored = current->adrs->set_decision_status(kWorkspaceId, id, s, reason, superseded_by_id, commit);
    if (!stored) return std::move(stored).error();
    return write_result(*stored, std::nullopt);
  });
}

PyObject* get_adr(const StatePtr& state, const std::string& id) {
  auto decision = state->adrs->get_decision(kWorkspaceId, id);
  if (!decision) return map_err(decision.error());
  return py_str(domain::to_json_direct(*decision));
}

PyObject* list_adrs(const StatePtr& state, const std::string& base_url) {
  auto base = render::normalize_public_base(base_url);
  if (!base) return raise_value_error(base.error().text);
  auto decisions = state->adrs->list_decisions(kWorkspaceId);
  if (!decisions) return map_err(decisions.error());
  json out = json::array();
  for (const Decision& d : *decisions) out.push_back(list_entry(d, *base));
  return py_str(domain::dump_compact(out));
}

}  // namespace borvane::app::calls
