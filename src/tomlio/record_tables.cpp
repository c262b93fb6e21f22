#include "tomlio/record_tables.hpp"

#include <optional>
#include <string>
#include <vector>

namespace borvane::tomlio {
namespace {

using domain::CodeMember;
using domain::CodeParam;
using domain::DocRef;

void put(TomlTable& t, const char* key, const std::string& value) { t.emplace_back(key, TomlValue::string(value)); }

void put(TomlTable& t, const char* key, const std::optional<std::string>& value) {
  if (value) put(t, key, *value);
}

template <class E>
void put_enum(TomlTable& t, const char* key, E value) {
  put(t, key, std::string(value.text()));
}

void put_strings(TomlTable& t, const char* key, const std::vector<std::string>& values) {
  std::vector<TomlValue> items;
  for (const auto& v : values) items.push_back(TomlValue::string(v));
  t.emplace_back(key, TomlValue::array(std::move(items)));
}

template <class R>
void put_records(TomlTable& t, const char* key, const std::vector<R>& records);

template <class R>
void put_records_unless_empty(TomlTable& t, const char* key, const std::vector<R>& records) {
  if (!records.empty()) put_records(t, key, records);
}

TomlTable to_table(const CodeParam& p) {
  TomlTable t;
  put(t, "name", p.name);
  put(t, "type", p.type);
  if (p.optional) t.emplace_back("optional", TomlValue::boolean_value(true));
  return t;
}

TomlTable to_table(const CodeMember& m) {
  TomlTable t;
  put_enum(t, "kind", m.kind);
  put(t, "visibility", m.visibility);
  put(t, "name", m.name);
  put_records_unless_empty(t, "params", m.params);
  put(t, "return_type", m.return_type);
  put(t, "type", m.type);
  return t;
}

TomlTable to_table(const DocRef& r) {
  TomlTable t;
  put(t, "url", r.url);
  put(t, "title", r.title);
  return t;
}

TomlTable to_table(const domain::AdrForbidRule& r) {
  TomlTable t;
  put_enum(t, "from_kind", r.from_kind);
  put_enum(t, "to_kind", r.to_kind);
  put(t, "code", r.code);
  put_enum(t, "severity", r.severity);
  put(t, "message", r.message);
  return t;
}

TomlTable to_table(const domain::FlowStep& s) {
  TomlTable t;
  t.emplace_back("n", TomlValue::integer_value(s.n));
  put(t, "from_id", s.from_id);
  put(t, "to_id", s.to_id);
  put(t, "label", s.label);
  return t;
}

TomlTable to_table(const domain::FlowEpoch& e) {
  TomlTable t;
  put(t, "kind", e.kind);
  put(t, "phase", e.phase);
  put(t, "from", e.from);
  put(t, "to", e.to);
  put(t, "note", e.note);
  return t;
}

TomlTable to_table(const domain::FlowAnchor& a) {
  TomlTable t;
  put(t, "alias", a.alias);
  put(t, "element_id", a.element_id);
  put(t, "adr_id", a.adr_id);
  return t;
}

TomlTable to_table(const domain::Element& e) { return to_toml_table(e); }
TomlTable to_table(const domain::Relationship& r) { return to_toml_table(r); }

template <class R>
void put_records(TomlTable& t, const char* key, const std::vector<R>& records) {
  std::vector<TomlValue> items;
  for (const auto& r : records) items.push_back(TomlValue::of_table(to_table(r)));
  t.emplace_back(key, TomlValue::array(std::move(items)));
}

}  // namespace

TomlTable to_toml_table(const domain::Element& e) {
  TomlTable t;
  put(t, "id", e.id);
  put(t, "workspace_id", e.workspace_id);
  put_enum(t, "kind", e.kind);
  put(t, "parent_id", e.parent_id);
  put(t, "name", e.name);
  put(t, "description", e.description);
  put(t, "technology", e.technology);
  put(t, "url", e.url);
  put_records_unless_empty(t, "members", e.members);
  return t;
}

TomlTable to_toml_table(const domain::Relationship& r) {
  TomlTable t;
  put(t, "id", r.id);
  put(t, "workspace_id", r.workspace_id);
  put(t, "from_id", r.from_id);
  put(t, "to_id", r.to_id);
  put(t, "description", r.description);
  put(t, "technology", r.technology);
  return t;
}

TomlTable to_toml_table(const ModelFile& m) {
  TomlTable t;
  put(t, "workspace_id", m.workspace_id);
  put_records(t, "elements", m.elements);
  put_records(t, "relationships", m.relationships);
  return t;
}

TomlTable to_toml_table(const domain::AdrPolicy& p) {
  TomlTable t;
  put_enum(t, "mode", p.mode);
  put_records(t, "forbid", p.forbid);
  return t;
}

TomlTable to_toml_table(const domain::Flow& f) {
  TomlTable t;
  put(t, "id", f.id);
  put(t, "workspace_id", f.workspace_id);
  put(t, "title", f.title);
  put_enum(t, "kind", f.kind);
  put(t, "usage_key", f.usage_key);
  put(t, "scope_element_id", f.scope_element_id);
  if (!f.related_adrs.empty()) put_strings(t, "related_adrs", f.related_adrs);
  if (f.epoch) t.emplace_back("epoch", TomlValue::of_table(to_table(*f.epoch)));
  put_records_unless_empty(t, "steps", f.steps);
  put(t, "body", f.body);
  put_records_unless_empty(t, "anchors", f.anchors);
  put_records_unless_empty(t, "refs", f.refs);
  put(t, "path", f.path);
  put(t, "git_commit_id", f.git_commit_id);
  return t;
}

}  // namespace borvane::tomlio
