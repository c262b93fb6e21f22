// Parsing of enumerations, member/document-reference rules, UML member lines
// and the shape check of flows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "domain/element.hpp"
#include "domain/flow.hpp"
#include "domain/text.hpp"

using namespace borvane::domain;

namespace {

std::string error_text(const Status& s) { return s ? std::string("ok") : s.error().display(); }

CodeMember method(std::string name, std::vector<CodeParam> params = {}, std::optional<std::string> ret = {}) {
  CodeMember m;
  m.kind = CodeMemberKind::Method;
  m.visibility = "+";
  m.name = std::move(name);
  m.params = std::move(params);
  m.return_type = std::move(ret);
  return m;
}

CodeMember field(std::string name, std::optional<std::string> type = {}) {
  CodeMember m;
  m.kind = CodeMemberKind::Field;
  m.visibility = "-";
  m.name = std::move(name);
  m.type = std::move(type);
  return m;
}

}  // namespace

TEST(EnumParse, KindsAndLayersAreExact) {
  EXPECT_EQ(*ElementKind::parse("software_system"), ElementKind::SoftwareSystem);
  for (const char* bad : {"Person", " person", "person "}) {
    auto r = ElementKind::parse(bad);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), DomainError::invalid_element_kind(bad));
  }
  EXPECT_EQ(*C4Layer::parse("adr"), C4Layer::Adr);
  auto layer = C4Layer::parse("contexts");
  ASSERT_FALSE(layer);
  EXPECT_EQ(layer.error().display(), "invalid c4 layer: contexts");
  EXPECT_EQ(layer.error().kind, DomainError::Kind::Other);
}

TEST(EnumParse, DecisionStatusIgnoresAsciiCaseOnly) {
  EXPECT_EQ(*DecisionStatus::parse("Accepted"), DecisionStatus::Accepted);
  EXPECT_EQ(*DecisionStatus::parse("SUPERSEDED"), DecisionStatus::Superseded);
  auto r = DecisionStatus::parse(" ACCEPTED");
  ASSERT_FALSE(r);
  EXPECT_EQ(r.error().display(), "invalid decision status:  accepted");
  EXPECT_TRUE(DecisionStatus(DecisionStatus::Accepted).is_process_status());
  EXPECT_FALSE(DecisionStatus(DecisionStatus::Proposed).is_process_status());
}

TEST(DomainErrorDisplay, EveryPrefix) {
  EXPECT_EQ(DomainError::invalid_entity_type("x").display(), "invalid entity type: x");
  EXPECT_EQ(DomainError::invalid_change_kind("x").display(), "invalid change kind: x");
  EXPECT_EQ(DomainError::invalid_element_kind("x").display(), "invalid element kind: x");
  EXPECT_EQ(DomainError::invalid_decision_status("x").display(), "invalid decision status: x");
  EXPECT_EQ(DomainError::not_found("element a").display(), "not found: element a");
  EXPECT_EQ(DomainError::conflict("x").display(), "conflict: x");
  EXPECT_EQ(DomainError::validation("x").display(), "validation: x");
  EXPECT_EQ(DomainError::other("x").display(), "x");
}

TEST(Trim, UnicodeWhiteSpace) {
  EXPECT_EQ(trim("\u3000\u00a0 a b\t\n\u2029"), "a b");
  EXPECT_EQ(trim("\u200b"), "\u200b");  // zero-width space is not white space
  EXPECT_EQ(trim("  "), "");
}

TEST(CodeMemberRules, ValidateTable) {
  struct Case {
    CodeMember member;
    const char* expected;
  };
  CodeMember plus_space = method("run");
  plus_space.visibility = "+ ";
  CodeMember two_plus = method("run");
  two_plus.visibility = "++";
  CodeMember typed_method = method("run");
  typed_method.type = "int";
  CodeMember field_with_return = field("x");
  field_with_return.return_type = "int";
  const std::vector<Case> cases = {
      {plus_space, "ok"},
      {two_plus, "validation: member.visibility must be one of + - # ~"},
      {method("a_b-9Z"), "ok"},
      {method("has space"), "validation: member.name must be ascii alphanumeric/_/-"},
      {method("a:b"), "validation: member.name must be ascii alphanumeric/_/-"},
      {method("caf\u00e9"), "validation: member.name must be ascii alphanumeric/_/-"},
      {method(std::string(121, 'a')), "validation: member.name required (max 120)"},
      {method(std::string(120, 'a')), "ok"},
      {method("  "), "validation: member.name required (max 120)"},
      {field("x", "int"), "ok"},
      {typed_method, "validation: method must not set type (use return_type / params)"},
      {field_with_return, "validation: field must not set params/return_type"},
      {method("f", {{"a", std::string("   "), false}}), "validation: param.type max 120"},
      {method("f", {{"a", std::string(121, 't'), false}}), "validation: param.type max 120"},
      {method("f", {{" ", std::nullopt, false}}), "validation: param.name required (max 80)"},
      {method("f", {{std::string(81, 'p'), std::nullopt, false}}), "validation: param.name required (max 80)"},
      {method("f", {}, std::string(" ")), "validation: return_type max 120"},
      {method("f", {{"a", std::string("int"), true}}, std::string("void")), "ok"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_text(c.member.validate()), c.expected) << c.member.name;
}

TEST(CodeMemberRules, UmlLines) {
  EXPECT_EQ(method("run").to_uml_line(), "+run()");
  EXPECT_EQ(method(" find ", {{" id ", std::string(" Id "), false}, {"limit", std::string("int"), true}},
                   std::string(" Item "))
                .to_uml_line(),
            "+find(id: Id, limit: int?) Item");
  EXPECT_EQ(method("f", {{"x", std::string(" "), true}}, std::string("  ")).to_uml_line(), "+f(x?)");
  EXPECT_EQ(field("count", "int").to_uml_line(), "-count: int");
  EXPECT_EQ(field("count", " ").to_uml_line(), "-count");
}

TEST(DocRefRules, ValidateTable) {
  struct Case {
    DocRef ref;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {{"https://example.com/a", std::nullopt}, "ok"},
      {{"  HTTPS://Example.com  ", std::nullopt}, "ok"},
      {{"http://example.com", std::nullopt}, "validation: ref.url must start with https://"},
      {{"   ", std::nullopt}, "validation: ref.url required and max 2000 chars"},
      {{"https://" + std::string(1993, 'a'), std::nullopt}, "validation: ref.url required and max 2000 chars"},
      {{"https://x.example/?q=JavaScript:alert(1)", std::nullopt}, "validation: ref.url scheme not allowed"},
      {{"https://x.example/data:1", std::nullopt}, "validation: ref.url scheme not allowed"},
      {{"https://x.example", std::string(201, 't')}, "validation: ref.title max 200 chars"},
      {{"https://x.example", std::string(200, 't')}, "ok"},
  };
  for (const auto& c : cases) EXPECT_EQ(error_text(c.ref.validate()), c.expected) << c.ref.url;
}

TEST(DocRefRules, ListLimitComesFirst) {
  std::vector<DocRef> refs(33, DocRef{"https://x.example", std::nullopt});
  EXPECT_EQ(error_text(validate_doc_refs(refs)), "validation: refs max 32");
  refs.resize(32);
  EXPECT_EQ(error_text(validate_doc_refs(refs)), "ok");
  refs[5].url = "ftp://x";
  EXPECT_EQ(error_text(validate_doc_refs(refs)), "validation: ref.url must start with https://");
}

TEST(UmlMembers, FromMembersOrDescription) {
  EXPECT_EQ(parse_description_members("Repository; + find(id)\n - cache "),
            (std::vector<std::string>{"+ find(id)", "- cache"}));
  EXPECT_EQ(parse_description_members("#a;;~b;x"), (std::vector<std::string>{"#a", "~b"}));

  Element e;
  e.description = "  +save()  ";
  EXPECT_EQ(element_uml_members(e), (std::vector<std::string>{"+save()"}));
  e.members = {field("id", "Uuid")};
  EXPECT_EQ(element_uml_members(e), (std::vector<std::string>{"-id: Uuid"}));
  e.members.clear();
  e.description = " \n ";
  EXPECT_TRUE(element_uml_members(e).empty());
}

namespace {

Flow dynamic_flow(std::size_t steps) {
  Flow f;
  f.id = "checkout.v2-a_1";
  f.title = "Checkout";
  f.kind = FlowKind::C4Dynamic;
  for (std::size_t i = 0; i < steps; ++i) f.steps.push_back({static_cast<std::uint32_t>(i + 1), "a", "b", {}});
  return f;
}

Flow body_flow(FlowKind kind, std::string body) {
  Flow f;
  f.id = "f";
  f.title = "T";
  f.kind = kind;
  f.body = std::move(body);
  return f;
}

}  // namespace

TEST(FlowShape, RulesInOrder) {
  struct Case {
    Flow flow;
    const char* expected;
  };
  Flow no_title = dynamic_flow(1);
  no_title.title.clear();
  Flow bad_id = dynamic_flow(1);
  bad_id.id = "_x";
  Flow long_title = dynamic_flow(1);
  long_title.title = std::string(201, 't');
  Flow body_on_dynamic = dynamic_flow(1);
  body_on_dynamic.body = "sequenceDiagram";
  Flow blank_body_on_dynamic = dynamic_flow(1);
  blank_body_on_dynamic.body = "  ";
  Flow missing_end = dynamic_flow(2);
  missing_end.steps[1].to_id.clear();
  Flow steps_on_sequence = body_flow(FlowKind::Sequence, "sequenceDiagram");
  steps_on_sequence.steps.push_back({1, "a", "b", {}});
  Flow bad_anchor = dynamic_flow(1);
  bad_anchor.anchors = {{"A", std::nullopt, std::string("adr-1")}, {"B", std::nullopt, std::nullopt}};
  Flow no_alias = dynamic_flow(1);
  no_alias.anchors = {{"", std::string("e"), std::nullopt}};
  Flow many_adrs = dynamic_flow(1);
  many_adrs.related_adrs.assign(33, "a");
  Flow many_refs = dynamic_flow(0);
  many_refs.refs.assign(33, DocRef{"https://x.example", std::nullopt});
  const std::vector<Case> cases = {
      {dynamic_flow(64), "ok"},
      {dynamic_flow(65), "validation: c4_dynamic requires 1..=64 steps"},
      {dynamic_flow(0), "validation: c4_dynamic requires 1..=64 steps"},
      {no_title, "validation: flow id and title required"},
      {bad_id, "validation: flow id must match [A-Za-z0-9][A-Za-z0-9_.-]*"},
      {long_title, "validation: flow title max 200 chars"},
      {body_on_dynamic, "validation: c4_dynamic must not set body (use steps)"},
      {blank_body_on_dynamic, "ok"},
      {missing_end, "validation: step from_id and to_id required"},
      {body_flow(FlowKind::Sequence, "  sequenceDiagram\n  A->>B: hi"), "ok"},
      {body_flow(FlowKind::State, "stateDiagram-v2\n [*] --> A"), "ok"},
      {body_flow(FlowKind::State, "flowchart LR"), "validation: state body must start with stateDiagram"},
      {body_flow(FlowKind::Sequence, " \n "), "validation: sequence/state require non-empty body (max 50000)"},
      {body_flow(FlowKind::Sequence, "sequenceDiagram" + std::string(50000 - 15, 'x') + "  "), "ok"},
      {body_flow(FlowKind::Sequence, "sequenceDiagram" + std::string(50001 - 15, 'x')),
       "validation: sequence/state require non-empty body (max 50000)"},
      {steps_on_sequence, "validation: sequence/state must not set steps (use body)"},
      {bad_anchor, "validation: anchor needs element_id or adr_id"},
      {no_alias, "validation: anchor.alias required"},
      {many_adrs, "validation: related_adrs max 32"},
      {many_refs, "validation: refs max 32"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(error_text(Flow::validate_shape(cases[i].flow)), cases[i].expected) << "case " << i;
}
