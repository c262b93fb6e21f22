#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "domain/json_reader.hpp"
#include "domain/record_codec.hpp"

namespace borvane::domain {
namespace {

template <class T>
T read_ok(std::string_view json) {
  auto result = from_json<T>(json);
  EXPECT_TRUE(result.ok()) << json << " -> " << (result.ok() ? "" : result.error().display());
  return result.ok() ? *result : T{};
}

template <class T>
std::string error_text(std::string_view json) {
  auto result = from_json<T>(json);
  return result.ok() ? "<ok>" : result.error().display();
}

template <class T>
std::string generic_form(const T& record) {
  return dump_compact(to_json_value<nlohmann::json>(record));
}

// Both written forms read back to the same record.
template <class T>
void expect_round_trip(const T& record) {
  EXPECT_EQ(read_ok<T>(to_json_direct(record)), record);
  EXPECT_EQ(read_ok<T>(generic_form(record)), record);
}

Element full_element() {
  CodeMember method{CodeMemberKind::Method, "+", "find", {{"id", "Id", false}, {"limit", std::nullopt, true}},
                    "Item", std::nullopt};
  CodeMember field{CodeMemberKind::Field, "-", "count", {}, std::nullopt, "int"};
  return {"c", "sidecar", ElementKind::Code, "p", "C", "d", "t", "https://x", {method, field}};
}

Decision full_decision() {
  AdrForbidRule rule{ElementKind::Person, ElementKind::Code, "no_direct", Severity::Error, "m"};
  return {"d1", "sidecar", "s", "T", DecisionStatus::Superseded, "2024-01-02", "c", "d", "q",
          AdrPolicy{PolicyMode::Audit, {rule}}, {"f1"}, {{"https://e", "E"}}, "r", "d2",
          "docs/adr/d1.toml", "abc"};
}

Flow full_flow() {
  Flow f;
  f.id = "f";
  f.workspace_id = "sidecar";
  f.title = "T";
  f.kind = FlowKind::C4Dynamic;
  f.usage_key = "u";
  f.scope_element_id = "s";
  f.related_adrs = {"d1"};
  f.epoch = FlowEpoch{"release", "p", "a", "b", "n"};
  f.steps = {{1, "a", "b", "call"}, {2, "b", "a", std::nullopt}};
  f.body = "";
  f.anchors = {{"x", "a", std::nullopt}, {"y", std::nullopt, "d1"}};
  f.refs = {{"https://e", std::nullopt}};
  f.path = "docs/flows/f.toml";
  f.git_commit_id = "c1";
  return f;
}

TEST(RecordCodecElement, ReadsDefaultsNullsAndIgnoresUnknownKeys) {
  const Element e = read_ok<Element>(
      R"({"id":"a","workspace_id":"sidecar","kind":"person","name":"A","parent_id":null,)"
      R"("extra":[1,{"x":[]}],"url":"https://u"})");
  EXPECT_EQ(e, (Element{"a", "sidecar", ElementKind::Person, std::nullopt, "A", std::nullopt, std::nullopt,
                        "https://u", {}}));
}

TEST(RecordCodecElement, WritesNullsAndOmitsEmptyMembers) {
  const Element e{"a", "sidecar", ElementKind::Person, std::nullopt, "A", {}, {}, {}, {}};
  EXPECT_EQ(to_json_direct(e),
            R"({"id":"a","workspace_id":"sidecar","kind":"person","parent_id":null,"name":"A",)"
            R"("description":null,"technology":null,"url":null})");
  EXPECT_EQ(generic_form(e),
            R"({"description":null,"id":"a","kind":"person","name":"A","parent_id":null,)"
            R"("technology":null,"url":null,"workspace_id":"sidecar"})");
}

TEST(RecordCodecElement, WritesMembersAndRoundTrips) {
  EXPECT_EQ(to_json_direct(full_element()),
            R"({"id":"c","workspace_id":"sidecar","kind":"code","parent_id":"p","name":"C",)"
            R"("description":"d","technology":"t","url":"https://x","members":[)"
            R"({"kind":"method","visibility":"+","name":"find","params":[{"name":"id","type":"Id"},)"
            R"({"name":"limit","optional":true}],"return_type":"Item"},)"
            R"({"kind":"field","visibility":"-","name":"count","type":"int"}]})");
  expect_round_trip(full_element());
  EXPECT_EQ(read_ok<std::vector<CodeMember>>(R"([{"kind":"field","visibility":"+","name":"x"}])"),
            (std::vector<CodeMember>{{CodeMemberKind::Field, "+", "x", {}, std::nullopt, std::nullopt}}));
}

TEST(RecordCodecModel, SmallRecordsWriteTheirOmissions) {
  EXPECT_EQ(to_json_direct(CodeParam{"p", std::nullopt, false}), R"({"name":"p"})");
  EXPECT_EQ(to_json_direct(CodeParam{"p", "int", true}), R"({"name":"p","type":"int","optional":true})");
  EXPECT_EQ(to_json_direct(DocRef{"https://e", std::nullopt}), R"({"url":"https://e"})");
  const Relationship r{"r", "sidecar", "a", "b", std::nullopt, "HTTP"};
  EXPECT_EQ(to_json_direct(r),
            R"({"id":"r","workspace_id":"sidecar","from_id":"a","to_id":"b","description":null,)"
            R"("technology":"HTTP"})");
  expect_round_trip(r);
  Problem p{Severity::Warning, C4Layer::Context, "x.y", std::nullopt, "m", std::nullopt};
  EXPECT_EQ(generic_form(p), R"({"code":"x.y","element_id":null,"layer":"context","message":"m","severity":"warning"})");
  p.adr_id = "d1";
  p.element_id = "e";
  EXPECT_EQ(generic_form(p),
            R"({"adr_id":"d1","code":"x.y","element_id":"e","layer":"context","message":"m","severity":"warning"})");
}

TEST(RecordCodecDecision, ReadsDefaults) {
  const Decision d = read_ok<Decision>(
      R"({"id":"d1","title":"T","status":"draft","decided_at":"2024-01-01","context":"c",)"
      R"("decision":"d","consequences":"q","reason":null,"policy":{}})");
  EXPECT_EQ(d.workspace_id, "");
  EXPECT_EQ(d.path, "");
  EXPECT_EQ(d.policy, AdrPolicy{});
  EXPECT_EQ(d.policy->mode, PolicyMode::Enforce);
  EXPECT_FALSE(d.reason || d.scope_element_id || d.superseded_by_id || d.git_commit_id);
  EXPECT_TRUE(d.related_flows.empty() && d.refs.empty());
}

TEST(RecordCodecDecision, WritesBothForms) {
  Decision d{"d1", "", std::nullopt, "T", DecisionStatus::Draft, "2024-01-01", "c", "d", "q",
             std::nullopt, {}, {}, std::nullopt, std::nullopt, "", std::nullopt};
  EXPECT_EQ(to_json_direct(d),
            R"({"id":"d1","workspace_id":"","scope_element_id":null,"title":"T","status":"draft",)"
            R"("decided_at":"2024-01-01","context":"c","decision":"d","consequences":"q","policy":null,"path":""})");
  EXPECT_EQ(generic_form(full_decision()),
            R"({"consequences":"q","context":"c","decided_at":"2024-01-02","decision":"d",)"
            R"("git_commit_id":"abc","id":"d1","path":"docs/adr/d1.toml","policy":{"forbid":[{"code":"no_direct",)"
            R"("from_kind":"person","message":"m","severity":"error","to_kind":"code"}],"mode":"audit"},)"
            R"("reason":"r","refs":[{"title":"E","url":"https://e"}],"related_flows":["f1"],)"
            R"("scope_element_id":"s","status":"superseded","superseded_by_id":"d2","title":"T",)"
            R"("workspace_id":"sidecar"})");
  EXPECT_EQ(to_json_direct(AdrPolicy{}), R"({"mode":"enforce","forbid":[]})");
  expect_round_trip(full_decision());
}

TEST(RecordCodecFlow, WritesOmissionsAndRoundTrips) {
  Flow minimal;
  minimal.id = "f";
  minimal.title = "T";
  minimal.kind = FlowKind::Sequence;
  EXPECT_EQ(to_json_direct(minimal), R"({"id":"f","workspace_id":"","title":"T","kind":"sequence","path":""})");
  EXPECT_EQ(read_ok<Flow>(R"({"id":"f","title":"T","kind":"sequence","epoch":null})"), minimal);
  EXPECT_EQ(to_json_direct(full_flow()),
            R"({"id":"f","workspace_id":"sidecar","title":"T","kind":"c4_dynamic","usage_key":"u",)"
            R"("scope_element_id":"s","related_adrs":["d1"],)"
            R"("epoch":{"kind":"release","phase":"p","from":"a","to":"b","note":"n"},)"
            R"("steps":[{"n":1,"from_id":"a","to_id":"b","label":"call"},{"n":2,"from_id":"b","to_id":"a"}],)"
            R"("body":"","anchors":[{"alias":"x","element_id":"a"},{"alias":"y","adr_id":"d1"}],)"
            R"("refs":[{"url":"https://e"}],"path":"docs/flows/f.toml","git_commit_id":"c1"})");
  expect_round_trip(full_flow());
}

struct ErrorCase {
  std::string (*read)(std::string_view);
  std::string input;
  std::string expected;
};

TEST(RecordCodecErrors, ReportsReaderErrorsWithPositions) {
  const ErrorCase cases[] = {
      {error_text<Element>, "{}", "missing field `id` at line 1 column 2"},
      {error_text<Element>, "{\n  \"id\": \"a\"\n}", "missing field `workspace_id` at line 3 column 1"},
      {error_text<Element>, "{} x", "missing field `id` at line 1 column 2"},
      {error_text<Element>, R"({"id":"a")", "EOF while parsing an object at line 1 column 9"},
      {error_text<Element>, R"({"id":null})", "invalid type: null, expected a string at line 1 column 10"},
      {error_text<Element>, R"({"id":[1,)", "invalid type: sequence, expected a string at line 1 column 6"},
      {error_text<Element>, R"({"members":null})", "invalid type: null, expected a sequence at line 1 column 15"},
      {error_text<Element>, R"({"id":"a","id":"b"})", "duplicate field `id` at line 1 column 14"},
      {error_text<Element>, R"({"kind":"Person"})",
       "unknown variant `Person`, expected one of `person`, `software_system`, `container`, `component`, "
       "`code`, `external` at line 1 column 16"},
      {error_text<Element>,
       R"({"id":"a","workspace_id":"w","kind":"code","name":"n","members":[{"kind":"field","name":"x"}]})",
       "missing field `visibility` at line 1 column 92"},
      {error_text<Relationship>, R"({"id":5})", "invalid type: integer `5`, expected a string at line 1 column 7"},
      {error_text<Decision>, R"({"idx":1,)",
       "unknown field `idx`, expected one of `id`, `workspace_id`, `scope_element_id`, `title`, `status`, "
       "`decided_at`, `context`, `decision`, `consequences`, `policy`, `related_flows`, `refs`, `reason`, "
       "`superseded_by_id`, `path`, `git_commit_id` at line 1 column 6"},
      {error_text<Decision>, R"({"id" : "a", "idx" : 1})", "unknown field `idx`, expected one of `id`, "
       "`workspace_id`, `scope_element_id`, `title`, `status`, `decided_at`, `context`, `decision`, "
       "`consequences`, `policy`, `related_flows`, `refs`, `reason`, `superseded_by_id`, `path`, "
       "`git_commit_id` at line 1 column 19"},
      {error_text<Decision>, R"({"status":"Accepted"})",
       "unknown variant `Accepted`, expected one of `draft`, `proposed`, `accepted`, `rejected`, "
       "`deprecated`, `superseded` at line 1 column 20"},
      {error_text<Decision>, "[]", "invalid type: sequence, expected struct Decision at line 1 column 0"},
      {error_text<Decision>, R"({"policy":"x"})",
       "invalid type: string \"x\", expected struct AdrPolicy at line 1 column 13"},
      {error_text<Decision>, R"({"policy":{"mode":"audit","forbid":[{"from_kind":"person"}]}})",
       "missing field `to_kind` at line 1 column 58"},
      {error_text<Flow>, R"({"steps":[{"n":-1}]})", "invalid value: integer `-1`, expected u32 at line 1 column 17"},
      {error_text<Flow>, R"({"steps":[{"n":5000000000}]})",
       "invalid value: integer `5000000000`, expected u32 at line 1 column 25"},
      {error_text<Flow>, R"({"steps":[{"n":1.0}]})",
       "invalid type: floating point `1.0`, expected u32 at line 1 column 18"},
      {error_text<Flow>, R"({"id":"f","extra":1})",
       "unknown field `extra`, expected one of `id`, `workspace_id`, `title`, `kind`, `usage_key`, "
       "`scope_element_id`, `related_adrs`, `epoch`, `steps`, `body`, `anchors`, `refs`, `path`, "
       "`git_commit_id` at line 1 column 17"},
      {error_text<DocRef>, R"({"x":1})", "unknown field `x`, expected `url` or `title` at line 1 column 4"},
      {error_text<DocRef>, R"({"url":"a","url":"b"})", "duplicate field `url` at line 1 column 16"},
      {error_text<CodeMember>, R"({"kind":null})",
       "invalid type: null, expected variant identifier at line 1 column 12"},
      {error_text<CodeMember>, R"({"kind":"method","visibility":"+","name":"f","extra":1})",
       "unknown field `extra`, expected one of `kind`, `visibility`, `name`, `params`, `return_type`, "
       "`type` at line 1 column 52"},
      {error_text<CodeMember>,
       R"({"kind":"method","visibility":"+","name":"f","params":[{"name":"p","optional":"y\"es"}]})",
       "invalid type: string \"y\\\"es\", expected a boolean at line 1 column 85"},
      {error_text<std::vector<CodeMember>>, "{}", "invalid type: map, expected a sequence at line 1 column 0"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.read(c.input), c.expected) << "input: " << c.input;
}

TEST(RecordCodecErrors, DecodesNodesWithoutPositions) {
  Node object;
  object.type = Node::Type::Object;
  Node date;
  date.type = Node::Type::DateTime;
  date.text = "2024-01-01";
  object.members.push_back({NodeMember{"url", std::nullopt}, date});
  auto result = decode<DocRef>(object);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().display(), "invalid type: map, expected a string");

  object.members.clear();
  auto missing = decode<DocRef>(object);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().display(), "missing field `url`");

  Node step;
  step.type = Node::Type::Object;
  Node n;
  n.type = Node::Type::Int;
  n.int_value = 7;
  Node text;
  text.type = Node::Type::String;
  text.text = "a";
  step.members = {{{"n", {}}, n}, {{"from_id", {}}, text}, {{"to_id", {}}, text}};
  auto decoded = decode<FlowStep>(step);
  ASSERT_TRUE(decoded.ok());
  EXPECT_EQ(*decoded, (FlowStep{7, "a", "a", std::nullopt}));
}

TEST(JsonText, EscapesStrings) {
  std::string out;
  append_json_string(out, std::string("q\"b\\s/\b\f\n\r\t\x01\x1f\x7f \xC3\xA9\0", 18));
  EXPECT_EQ(out, "\"q\\\"b\\\\s/\\b\\f\\n\\r\\t\\u0001\\u001f\x7f \xC3\xA9\\u0000\"");
}

TEST(JsonText, FormatsDoubles) {
  const std::pair<double, const char*> cases[] = {
      {40.0, "40.0"},
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {12.34, "12.34"},
      {-1.5, "-1.5"},
      {0.001234, "0.001234"},
      {0.00001, "0.00001"},
      {1e15, "1000000000000000.0"},
      {1e16, "1e16"},
      {1234567890123456.0, "1234567890123456.0"},
      {1e21, "1e21"},
      {1e-7, "1e-7"},
      {1e-6, "1e-6"},
      {1.5e-7, "1.5e-7"},
      {123456789012345678901.0, "1.2345678901234568e20"},
      {0.1 + 0.2, "0.30000000000000004"},
      {5e-324, "5e-324"},
      {std::numeric_limits<double>::quiet_NaN(), "null"},
      {-std::numeric_limits<double>::infinity(), "null"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(format_double(value), text) << value;
}

TEST(JsonText, DumpsValuesCompactly) {
  nlohmann::json sorted = {{"b", {1, -2, 2.5, true, nullptr, "\xC3\xA9"}}, {"a", nlohmann::json::object()}};
  EXPECT_EQ(dump_compact(sorted), R"({"a":{},"b":[1,-2,2.5,true,null,"é"]})");
  nlohmann::ordered_json ordered = {{"b", 1.0}, {"a", std::uint64_t{18446744073709551615u}}};
  EXPECT_EQ(dump_compact(ordered), R"({"b":1.0,"a":18446744073709551615})");
}

}  // namespace
}  // namespace borvane::domain
