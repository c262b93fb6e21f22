// Workspace validation: the empty model, element and relationship findings,
// disconnected elements, systems without scoped decisions, and their order.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "validate/validate_model.hpp"

using namespace borvane::domain;
using borvane::validate::ModelSnapshot;
using borvane::validate::validate_model;

namespace {

using K = ElementKind;

// A described element; technology only where asked for.
Element element(std::string id, ElementKind kind, std::optional<std::string> parent = {},
                std::optional<std::string> technology = "C++") {
  Element e;
  e.id = std::move(id);
  e.workspace_id = "sidecar";
  e.kind = kind;
  e.parent_id = std::move(parent);
  e.name = "Name " + e.id;
  e.description = "what " + e.id + " does";
  e.technology = std::move(technology);
  return e;
}

Relationship relationship(std::string id, std::string from, std::string to,
                          std::optional<std::string> description = "uses") {
  Relationship r;
  r.id = std::move(id);
  r.workspace_id = "sidecar";
  r.from_id = std::move(from);
  r.to_id = std::move(to);
  r.description = std::move(description);
  return r;
}

Decision scoped_to(std::optional<std::string> scope) {
  Decision d;
  d.id = "adr-1";
  d.workspace_id = "sidecar";
  d.scope_element_id = std::move(scope);
  d.title = "Split the shop";
  d.status = DecisionStatus::Proposed;
  return d;
}

std::vector<std::string> codes(const std::vector<Problem>& problems) {
  std::vector<std::string> out;
  for (const Problem& p : problems) out.push_back(p.code);
  return out;
}

TEST(ValidateModel, EmptyModelGivesOnlyModelEmpty) {
  ModelSnapshot snapshot;
  snapshot.relationships = {relationship("r1", "a", "b", std::nullopt)};
  snapshot.decisions = {scoped_to("s")};
  EXPECT_EQ(validate_model(snapshot), (std::vector<Problem>{{Severity::Error, C4Layer::Landscape, "model.empty",
                                                             std::nullopt, "LANDSCAPE layer: model has no elements",
                                                             std::nullopt}}));
}

TEST(ValidateModel, LonePersonWithoutDescriptionIsNotDisconnected) {
  Element alice = element("alice", K::Person);
  alice.name = "Alice";
  alice.description.reset();
  EXPECT_EQ(validate_model({{alice}, {}, {}}),
            (std::vector<Problem>{{Severity::Warning, C4Layer::Context, "element.missing_description", "alice",
                                   "CONTEXT layer: person \"Alice\" missing description", std::nullopt}}));
}

TEST(ValidateModel, ConnectedPersonsAndABlankRelationshipDescription) {
  Element a = element("a", K::Person);
  Element b = element("b", K::Person);
  a.description.reset();
  b.description = " \t ";
  const auto problems = validate_model({{a, b}, {relationship("r1", "a", "b", "  ")}, {}});
  EXPECT_EQ(codes(problems), (std::vector<std::string>{"element.missing_description", "element.missing_description",
                                                        "relationship.missing_description"}));
  EXPECT_EQ(problems[2], (Problem{Severity::Warning, C4Layer::Context, "relationship.missing_description", "r1",
                                  "CONTEXT layer: relationship \"r1\" missing description", std::nullopt}));
}

TEST(ValidateModel, MissingTechnologyForEveryKindButPersonAndSystem) {
  const std::vector<Element> elements{element("p", K::Person, std::nullopt, std::nullopt),
                                      element("s", K::SoftwareSystem, std::nullopt, std::nullopt),
                                      element("t", K::Container, "s", std::nullopt),
                                      element("u", K::Component, "t", " "),
                                      element("v", K::Code, "u", std::nullopt),
                                      element("w", K::External, std::nullopt, std::nullopt)};
  const std::vector<Relationship> relationships{relationship("r1", "p", "s"), relationship("r2", "t", "u"),
                                                relationship("r3", "v", "w")};
  const auto problems = validate_model({elements, relationships, {scoped_to("s")}});
  std::vector<std::string> messages;
  for (const Problem& p : problems) messages.push_back(p.message);
  EXPECT_EQ(messages, (std::vector<std::string>{"CONTAINER layer: container \"Name t\" missing technology",
                                                "COMPONENT layer: component \"Name u\" missing technology",
                                                "CODE layer: code \"Name v\" missing technology",
                                                "CONTEXT layer: external \"Name w\" missing technology"}));
  EXPECT_EQ(problems[0].layer, C4Layer::Container);
  EXPECT_EQ(problems[0].severity, Severity::Warning);
  EXPECT_EQ(problems[0].element_id, "t");
}

TEST(ValidateModel, DanglingParentIsAnErrorNamingTheParent) {
  const std::vector<Element> elements{element("c1", K::Component, "nowhere"), element("c2", K::Component, "")};
  const auto problems = validate_model({elements, {relationship("r1", "c1", "c2")}, {}});
  EXPECT_EQ(problems, (std::vector<Problem>{
                          {Severity::Error, C4Layer::Component, "element.dangling_parent", "c1",
                           "COMPONENT layer: element \"c1\" parent \"nowhere\" not found", std::nullopt},
                          {Severity::Error, C4Layer::Component, "element.dangling_parent", "c2",
                           "COMPONENT layer: element \"c2\" parent \"\" not found", std::nullopt}}));
}

TEST(ValidateModel, DanglingRelationshipComesBeforeItsMissingDescription) {
  const std::vector<Element> elements{element("a", K::Person), element("b", K::SoftwareSystem)};
  const std::vector<Relationship> relationships{relationship("r0", "a", "b"), relationship("r1", "a", "gone", "")};
  const auto problems = validate_model({elements, relationships, {}});
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], (Problem{Severity::Error, C4Layer::Context, "relationship.dangling_endpoint", "r1",
                                  "CONTEXT layer: relationship \"r1\" references missing element", std::nullopt}));
  EXPECT_EQ(problems[1].code, "relationship.missing_description");
  EXPECT_EQ(problems[1].element_id, "r1");
}

TEST(ValidateModel, ParentLinksDoNotConnect) {
  const std::vector<Element> elements{element("a", K::Person), element("b", K::External),
                                      element("s", K::SoftwareSystem), element("t", K::Container, "s")};
  const auto problems = validate_model({elements, {relationship("r1", "a", "b")}, {scoped_to("s")}});
  ASSERT_EQ(codes(problems), (std::vector<std::string>{"element.disconnected", "element.disconnected"}));
  EXPECT_EQ(problems[0].message, "CONTEXT layer: software_system \"Name s\" is disconnected");
  EXPECT_EQ(problems[1].message, "CONTAINER layer: container \"Name t\" is disconnected");
  EXPECT_EQ(problems[1].layer, C4Layer::Container);
}

TEST(ValidateModel, SystemWithContainersNeedsAScopedDecisionOfAnyStatus) {
  const std::vector<Element> elements{element("s", K::SoftwareSystem), element("t", K::Container, "s")};
  const std::vector<Relationship> relationships{relationship("r1", "s", "t")};
  EXPECT_TRUE(validate_model({elements, relationships, {scoped_to("s")}}).empty());
  EXPECT_EQ(validate_model({elements, relationships, {scoped_to(std::nullopt)}}),
            (std::vector<Problem>{{Severity::Warning, C4Layer::Adr, "system.missing_decisions", "s",
                                   "ADR layer: software system \"Name s\" has containers but no ADRs scoped to it",
                                   std::nullopt}}));
}

TEST(ValidateModel, SystemWithOnlyComponentChildrenIsNotAskedForDecisions) {
  const std::vector<Element> elements{element("s", K::SoftwareSystem), element("c", K::Component, "s")};
  EXPECT_TRUE(validate_model({elements, {relationship("r1", "s", "c")}, {}}).empty());
}

TEST(ValidateModel, PassesReportInOrder) {
  Element s = element("s", K::SoftwareSystem);
  s.description.reset();
  const std::vector<Element> elements{element("a", K::Person),
                                      element("lone", K::External, std::nullopt, std::nullopt), s,
                                      element("t", K::Container, "s")};
  const std::vector<Relationship> relationships{relationship("r1", "a", "missing"), relationship("r2", "s", "t")};
  EXPECT_EQ(codes(validate_model({elements, relationships, {}})),
            (std::vector<std::string>{"element.missing_technology", "element.missing_description",
                                      "element.disconnected", "relationship.dangling_endpoint",
                                      "system.missing_decisions"}));
}

}  // namespace
