// The JSON forms of the records. Keys are inserted in declaration order, so
// an ordered value keeps that order and a plain value sorts them by bytes.
// Each record states which absent optionals are null and which are left out.
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "domain/record_codec.hpp"

namespace borvane::domain {
namespace {

template <class E>
std::string text_of(E value) {
  return std::string(value.text());
}

// Absent is written as null.
template <class J>
void put_nullable(J& j, const char* key, const std::optional<std::string>& value) {
  j[key] = value ? J(*value) : J(nullptr);
}

// Absent is left out.
template <class J>
void put_present(J& j, const char* key, const std::optional<std::string>& value) {
  if (value) j[key] = *value;
}

template <class J, class T>
J list_value(const std::vector<T>& items) {
  J array = J::array();
  for (const T& item : items) {
    if constexpr (std::is_same_v<T, std::string>) {
      array.push_back(J(item));
    } else {
      array.push_back(to_json_value<J>(item));
    }
  }
  return array;
}

// Empty is left out.
template <class J, class T>
void put_non_empty(J& j, const char* key, const std::vector<T>& items) {
  if (!items.empty()) j[key] = list_value<J>(items);
}

}  // namespace

template <class J>
J to_json_value(const CodeParam& v) {
  J j = J::object();
  j["name"] = v.name;
  put_present(j, "type", v.type);
  if (v.optional) j["optional"] = true;
  return j;
}

template <class J>
J to_json_value(const CodeMember& v) {
  J j = J::object();
  j["kind"] = text_of(v.kind);
  j["visibility"] = v.visibility;
  j["name"] = v.name;
  put_non_empty(j, "params", v.params);
  put_present(j, "return_type", v.return_type);
  put_present(j, "type", v.type);
  return j;
}

template <class J>
J to_json_value(const DocRef& v) {
  J j = J::object();
  j["url"] = v.url;
  put_present(j, "title", v.title);
  return j;
}

template <class J>
J to_json_value(const Element& v) {
  J j = J::object();
  j["id"] = v.id;
  j["workspace_id"] = v.workspace_id;
  j["kind"] = text_of(v.kind);
  put_nullable(j, "parent_id", v.parent_id);
  j["name"] = v.name;
  put_nullable(j, "description", v.description);
  put_nullable(j, "technology", v.technology);
  put_nullable(j, "url", v.url);
  put_non_empty(j, "members", v.members);
  return j;
}

template <class J>
J to_json_value(const Relationship& v) {
  J j = J::object();
  j["id"] = v.id;
  j["workspace_id"] = v.workspace_id;
  j["from_id"] = v.from_id;
  j["to_id"] = v.to_id;
  put_nullable(j, "description", v.description);
  put_nullable(j, "technology", v.technology);
  return j;
}

template <class J>
J to_json_value(const Problem& v) {
  J j = J::object();
  j["severity"] = text_of(v.severity);
  j["layer"] = text_of(v.layer);
  j["code"] = v.code;
  put_nullable(j, "element_id", v.element_id);
  j["message"] = v.message;
  put_present(j, "adr_id", v.adr_id);
  return j;
}

template <class J>
J to_json_value(const AdrForbidRule& v) {
  J j = J::object();
  j["from_kind"] = text_of(v.from_kind);
  j["to_kind"] = text_of(v.to_kind);
  j["code"] = v.code;
  j["severity"] = text_of(v.severity);
  j["message"] = v.message;
  return j;
}

template <class J>
J to_json_value(const AdrPolicy& v) {
  J j = J::object();
  j["mode"] = text_of(v.mode);
  j["forbid"] = list_value<J>(v.forbid);
  return j;
}

template <class J>
J to_json_value(const Decision& v) {
  J j = J::object();
  j["id"] = v.id;
  j["workspace_id"] = v.workspace_id;
  put_nullable(j, "scope_element_id", v.scope_element_id);
  j["title"] = v.title;
  j["status"] = text_of(v.status);
  j["decided_at"] = v.decided_at;
  j["context"] = v.context;
  j["decision"] = v.decision;
  j["consequences"] = v.consequences;
  j["policy"] = v.policy ? to_json_value<J>(*v.policy) : J(nullptr);
  put_non_empty(j, "related_flows", v.related_flows);
  put_non_empty(j, "refs", v.refs);
  put_present(j, "reason", v.reason);
  put_present(j, "superseded_by_id", v.superseded_by_id);
  j["path"] = v.path;
  put_present(j, "git_commit_id", v.git_commit_id);
  return j;
}

template <class J>
J to_json_value(const FlowStep& v) {
  J j = J::object();
  j["n"] = v.n;
  j["from_id"] = v.from_id;
  j["to_id"] = v.to_id;
  put_present(j, "label", v.label);
  return j;
}

template <class J>
J to_json_value(const FlowEpoch& v) {
  J j = J::object();
  j["kind"] = v.kind;
  put_present(j, "phase", v.phase);
  put_present(j, "from", v.from);
  put_present(j, "to", v.to);
  put_present(j, "note", v.note);
  return j;
}

template <class J>
J to_json_value(const FlowAnchor& v) {
  J j = J::object();
  j["alias"] = v.alias;
  put_present(j, "element_id", v.element_id);
  put_present(j, "adr_id", v.adr_id);
  return j;
}

template <class J>
J to_json_value(const Flow& v) {
  J j = J::object();
  j["id"] = v.id;
  j["workspace_id"] = v.workspace_id;
  j["title"] = v.title;
  j["kind"] = text_of(v.kind);
  put_present(j, "usage_key", v.usage_key);
  put_present(j, "scope_element_id", v.scope_element_id);
  put_non_empty(j, "related_adrs", v.related_adrs);
  if (v.epoch) j["epoch"] = to_json_value<J>(*v.epoch);
  put_non_empty(j, "steps", v.steps);
  put_present(j, "body", v.body);
  put_non_empty(j, "anchors", v.anchors);
  put_non_empty(j, "refs", v.refs);
  j["path"] = v.path;
  put_present(j, "git_commit_id", v.git_commit_id);
  return j;
}

#define BORVANE_JSON_FORMS(Record)                                              \
  template nlohmann::json to_json_value<nlohmann::json>(const Record&);        \
  template nlohmann::ordered_json to_json_value<nlohmann::ordered_json>(const Record&);

BORVANE_JSON_FORMS(CodeParam)
BORVANE_JSON_FORMS(CodeMember)
BORVANE_JSON_FORMS(DocRef)
BORVANE_JSON_FORMS(Element)
BORVANE_JSON_FORMS(Relationship)
BORVANE_JSON_FORMS(Problem)
BORVANE_JSON_FORMS(AdrForbidRule)
BORVANE_JSON_FORMS(AdrPolicy)
BORVANE_JSON_FORMS(Decision)
BORVANE_JSON_FORMS(FlowStep)
BORVANE_JSON_FORMS(FlowEpoch)
BORVANE_JSON_FORMS(FlowAnchor)
BORVANE_JSON_FORMS(Flow)

#undef BORVANE_JSON_FORMS

}  // namespace borvane::domain
