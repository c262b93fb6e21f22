// The C4 baseline policy: parent placement, the atom-edge switch, the two
// kind-pair tables, decision forbid rules, the model scan and write blocking.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "policy/baseline_policy.hpp"

using namespace borvane::domain;
using namespace borvane::policy;

namespace {

constexpr const char* kVar = "BORVANE_C4_ATOM_EDGES";
const std::string kSuffix =
    " (V1 atom canon: use code/external/person/system; BORVANE_C4_ATOM_EDGES=0 for legacy)";

// Sets (or with null, unsets) the atom-edge switch for one test and restores
// the previous value afterwards.
class AtomEdgesEnv {
 public:
  explicit AtomEdgesEnv(const char* value) {
    if (const char* old = std::getenv(kVar)) saved_ = old;
    if (value) setenv(kVar, value, 1);
    else unsetenv(kVar);
  }
  ~AtomEdgesEnv() {
    if (saved_) setenv(kVar, saved_->c_str(), 1);
    else unsetenv(kVar);
  }
  AtomEdgesEnv(const AtomEdgesEnv&) = delete;
  AtomEdgesEnv& operator=(const AtomEdgesEnv&) = delete;

 private:
  std::optional<std::string> saved_;
};

Element element(std::string id, ElementKind kind, std::optional<std::string> parent = {}) {
  Element e;
  e.id = std::move(id);
  e.workspace_id = "sidecar";
  e.kind = kind;
  e.parent_id = std::move(parent);
  e.name = e.id;
  return e;
}

Relationship relationship(std::string id, std::string from, std::string to) {
  Relationship r;
  r.id = std::move(id);
  r.workspace_id = "sidecar";
  r.from_id = std::move(from);
  r.to_id = std::move(to);
  return r;
}

// A decision whose policy forbids person → software_system.
Decision forbidding(std::string id, DecisionStatus status, PolicyMode mode, Severity severity = Severity::Error) {
  Decision d;
  d.id = std::move(id);
  d.workspace_id = "sidecar";
  d.title = "No direct access";
  d.status = status;
  d.policy = AdrPolicy{mode, {AdrForbidRule{ElementKind::Person, ElementKind::SoftwareSystem, "no_direct", severity,
                                            "people go through the portal"}}};
  return d;
}

Problem error_for(std::optional<std::string> adr_id) {
  return {Severity::Error, C4Layer::Context, "policy.x", "r1", "m", std::move(adr_id)};
}

// --- parents ---------------------------------------------------------------

struct ParentCase {
  ElementKind child;
  std::optional<ElementKind> parent;
  const char* message;  // empty: allowed
};

class PolicyParent : public ::testing::TestWithParam<ParentCase> {};

TEST_P(PolicyParent, AllowsOrReportsThePlacement) {
  const ParentCase& c = GetParam();
  const Element child = element("child", c.child, c.parent ? std::optional<std::string>("p") : std::nullopt);
  const std::optional<Element> parent = c.parent ? std::optional(element("p", *c.parent)) : std::nullopt;
  const auto problems = check_parent(child, parent ? &*parent : nullptr);
  if (std::string(c.message).empty()) {
    EXPECT_TRUE(problems.empty());
    return;
  }
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].message, c.message);
  EXPECT_EQ(problems[0].layer, layer_of_kind(c.child));
}

using K = ElementKind;
INSTANTIATE_TEST_SUITE_P(
    PolicyPlacements, PolicyParent,
    ::testing::Values(
        ParentCase{K::Container, K::SoftwareSystem, ""},
        ParentCase{K::Container, K::Container, "C4 baseline: container cannot be parent of container"},
        ParentCase{K::Container, std::nullopt, "C4 baseline: container must not have empty/invalid parent"},
        ParentCase{K::Component, K::Container, ""},
        ParentCase{K::Component, K::SoftwareSystem, "C4 baseline: software_system cannot be parent of component"},
        ParentCase{K::Component, std::nullopt, "C4 baseline: component must not have empty/invalid parent"},
        ParentCase{K::Code, K::Component, ""},
        ParentCase{K::Code, K::Code, "C4 baseline: code cannot be parent of code"},
        ParentCase{K::Code, std::nullopt, "C4 baseline: code elements must have a component parent"},
        ParentCase{K::External, std::nullopt, ""},
        ParentCase{K::External, K::SoftwareSystem, ""},
        ParentCase{K::External, K::Component,
                   "C4 baseline: external may only sit at context or under software_system (not under component)"},
        ParentCase{K::Person, std::nullopt, ""},
        ParentCase{K::Person, K::External, "C4 baseline: external cannot be parent of person"},
        ParentCase{K::SoftwareSystem, std::nullopt, ""},
        ParentCase{K::SoftwareSystem, K::SoftwareSystem,
                   "C4 baseline: software_system cannot be parent of software_system"}));

TEST(PolicyParentProblem, NamesTheChildAsAnErrorWithoutDecision) {
  const Element child = element("api", K::Container, "db");
  const Element parent = element("db", K::Container, "sys");
  const auto problems = check_parent(child, &parent);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], (Problem{Severity::Error, C4Layer::Container, "policy.baseline.illegal_parent", "api",
                                  "C4 baseline: container cannot be parent of container", std::nullopt}));
}

// --- the atom-edge switch ---------------------------------------------------

struct SwitchCase {
  const char* value;  // null: unset
  bool strict;
};

class PolicyAtomEdges : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(PolicyAtomEdges, IsOnUnlessSwitchedOff) {
  AtomEdgesEnv env(GetParam().value);
  EXPECT_EQ(atom_edges_strict(), GetParam().strict) << (GetParam().value ? GetParam().value : "(unset)");
}

INSTANTIATE_TEST_SUITE_P(PolicySwitchValues, PolicyAtomEdges,
                         ::testing::Values(SwitchCase{nullptr, true}, SwitchCase{"", true}, SwitchCase{"   ", true},
                                           SwitchCase{" OFF ", false}, SwitchCase{"0", false},
                                           SwitchCase{"No", false}, SwitchCase{"FALSE", false},
                                           SwitchCase{"\xE3\x80\x80off\t", false},  // U+3000 is white space
                                           SwitchCase{"2", true}, SwitchCase{"yes", true},
                                           SwitchCase{"o ff", true}, SwitchCase{"off\xFF", true}));

TEST(PolicyAtomEdgesRead, FollowsChangesBetweenCalls) {
  AtomEdgesEnv env("off");
  EXPECT_FALSE(atom_edges_strict());
  setenv(kVar, "on", 1);
  EXPECT_TRUE(atom_edges_strict());
}

// --- relationship kind pairs ------------------------------------------------

TEST(PolicyRelationship, ContainerPairIsBlockedInAtomModeWithTheSuffix) {
  AtomEdgesEnv env(nullptr);
  const auto problems =
      check_relationship(element("a", K::Container, "s"), element("b", K::Container, "s"), "r1", {});
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], (Problem{Severity::Error, C4Layer::Container, "policy.baseline.illegal_kinds", "r1",
                                  "C4 baseline: container \xE2\x86\x92 container is not allowed" + kSuffix,
                                  std::nullopt}));
  EXPECT_TRUE(blocks_write(problems, {}));
}

TEST(PolicyRelationship, ContainerPairOnlyWarnsWithAtomEdgesOff) {
  AtomEdgesEnv env("0");
  const auto problems =
      check_relationship(element("a", K::Container, "s"), element("b", K::Container, "s"), "r1", {});
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], (Problem{Severity::Warning, C4Layer::Container, "policy.baseline.non_atom_endpoint", "r1",
                                  "Non-atom relationship container \xE2\x86\x92 container (prefer code/external); "
                                  "writes blocked unless BORVANE_C4_ATOM_EDGES=0",
                                  std::nullopt}));
  EXPECT_FALSE(blocks_write(problems, {}));
}

struct PairCase {
  ElementKind from;
  ElementKind to;
  bool atom;
  const char* code;  // empty: allowed
  C4Layer layer;
};

class PolicyRelationshipPairs : public ::testing::TestWithParam<PairCase> {};

TEST_P(PolicyRelationshipPairs, FollowTheTableOfTheMode) {
  AtomEdgesEnv env(nullptr);
  const PairCase& c = GetParam();
  const auto problems = check_relationship_mode(c.from, c.to, "r", {}, c.atom);
  if (std::string(c.code).empty()) {
    EXPECT_TRUE(problems.empty());
    return;
  }
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].code, c.code);
  EXPECT_EQ(problems[0].layer, c.layer);
  const bool suffixed = problems[0].message.ends_with(kSuffix);
  EXPECT_EQ(suffixed, c.atom && problems[0].severity == Severity::Error);
}

constexpr const char* kIllegal = "policy.baseline.illegal_kinds";
constexpr const char* kNonAtom = "policy.baseline.non_atom_endpoint";
INSTANTIATE_TEST_SUITE_P(
    PolicyCells, PolicyRelationshipPairs,
    ::testing::Values(PairCase{K::Person, K::SoftwareSystem, true, "", C4Layer::Context},
                      PairCase{K::Person, K::SoftwareSystem, false, "", C4Layer::Context},
                      PairCase{K::SoftwareSystem, K::Person, true, "", C4Layer::Context},
                      PairCase{K::Code, K::External, true, "", C4Layer::Context},
                      PairCase{K::External, K::Code, false, "", C4Layer::Context},
                      PairCase{K::Code, K::Code, true, "", C4Layer::Context},
                      PairCase{K::Person, K::Person, true, kIllegal, C4Layer::Context},
                      PairCase{K::Person, K::Person, false, kNonAtom, C4Layer::Context},
                      PairCase{K::External, K::Container, true, kIllegal, C4Layer::Context},
                      PairCase{K::External, K::Component, false, kNonAtom, C4Layer::Context},
                      PairCase{K::Component, K::External, true, kIllegal, C4Layer::Component},
                      PairCase{K::Component, K::External, false, kNonAtom, C4Layer::Component},
                      PairCase{K::SoftwareSystem, K::Code, false, kIllegal, C4Layer::Context},
                      PairCase{K::Container, K::Code, false, kIllegal, C4Layer::Container},
                      PairCase{K::Code, K::Person, true, kIllegal, C4Layer::Code},
                      PairCase{K::Code, K::Component, false, kIllegal, C4Layer::Code}));

// --- decision forbid rules --------------------------------------------------

TEST(PolicyDecisionRules, AuditRuleReportsAnErrorThatDoesNotBlock) {
  AtomEdgesEnv env(nullptr);
  const std::vector<Decision> decisions{forbidding("adr-1", DecisionStatus::Accepted, PolicyMode::Audit)};
  const auto problems = check_relationship(element("u", K::Person), element("s", K::SoftwareSystem), "r1", decisions);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], (Problem{Severity::Error, C4Layer::Context, "policy.no_direct", "r1",
                                  "people go through the portal", "adr-1"}));
  EXPECT_FALSE(blocks_write(problems, decisions));
}

TEST(PolicyDecisionRules, EnforceRuleBlocks) {
  const std::vector<Decision> decisions{forbidding("adr-1", DecisionStatus::Accepted, PolicyMode::Enforce)};
  const auto problems = check_relationship(element("u", K::Person), element("s", K::SoftwareSystem), "r1", decisions);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_TRUE(blocks_write(problems, decisions));
}

TEST(PolicyDecisionRules, OnlyAcceptedDecisionsAndMatchingPairsCount) {
  const std::vector<Decision> decisions{forbidding("adr-1", DecisionStatus::Proposed, PolicyMode::Enforce),
                                        forbidding("adr-2", DecisionStatus::Deprecated, PolicyMode::Enforce)};
  EXPECT_TRUE(check_relationship(element("u", K::Person), element("s", K::SoftwareSystem), "r1", decisions).empty());
  const std::vector<Decision> accepted{forbidding("adr-3", DecisionStatus::Accepted, PolicyMode::Enforce)};
  EXPECT_TRUE(check_relationship_mode(K::SoftwareSystem, K::Person, "r1", accepted, true).empty());
}

TEST(PolicyDecisionRules, FollowTheBaselineProblemInDecisionOrder) {
  AtomEdgesEnv env(nullptr);
  Decision first = forbidding("adr-b", DecisionStatus::Accepted, PolicyMode::Audit, Severity::Warning);
  Decision second = forbidding("adr-a", DecisionStatus::Accepted, PolicyMode::Enforce, Severity::Info);
  for (Decision* d : {&first, &second}) d->policy->forbid[0].from_kind = K::Container;
  const auto problems = check_relationship_mode(K::Container, K::SoftwareSystem, "r1", {first, second}, false);
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0].code, kNonAtom);
  EXPECT_EQ(problems[1].adr_id, "adr-b");
  EXPECT_EQ(problems[1].severity, Severity::Warning);
  EXPECT_EQ(problems[1].layer, C4Layer::Container);
  EXPECT_EQ(problems[2].adr_id, "adr-a");
  EXPECT_EQ(problems[2].severity, Severity::Info);
}

// --- write blocking ---------------------------------------------------------

TEST(PolicyBlocksWrite, OnlyUnexcusedErrorsBlock) {
  const std::vector<Decision> decisions{forbidding("audit", DecisionStatus::Accepted, PolicyMode::Audit),
                                        forbidding("enforce", DecisionStatus::Accepted, PolicyMode::Enforce)};
  Decision no_policy = forbidding("bare", DecisionStatus::Accepted, PolicyMode::Audit);
  no_policy.policy.reset();
  std::vector<Decision> with_bare = decisions;
  with_bare.push_back(no_policy);
  Problem warning = error_for(std::nullopt);
  warning.severity = Severity::Warning;

  EXPECT_FALSE(blocks_write({}, decisions));
  EXPECT_FALSE(blocks_write({warning}, decisions));
  EXPECT_FALSE(blocks_write({error_for("audit")}, decisions));
  EXPECT_TRUE(blocks_write({error_for(std::nullopt)}, decisions));
  EXPECT_TRUE(blocks_write({error_for("enforce")}, decisions));
  EXPECT_TRUE(blocks_write({error_for("missing")}, decisions));
  EXPECT_TRUE(blocks_write({error_for("bare")}, with_bare));
  EXPECT_TRUE(blocks_write({error_for("audit"), error_for(std::nullopt)}, decisions));
}

// --- the whole-model scan ---------------------------------------------------

TEST(PolicyScan, UsesLegacyRulesEvenWithAtomEdgesOn) {
  AtomEdgesEnv env("on");
  const std::vector<Element> elements{element("a", K::Container, "s"), element("b", K::Container, "s"),
                                      element("c", K::Code, "x"), element("p", K::Person),
                                      element("s", K::SoftwareSystem), element("x", K::Component, "b")};
  const std::vector<Relationship> relationships{relationship("r1", "a", "b"), relationship("r2", "c", "p")};
  const auto problems = scan_model(elements, relationships, {});
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].code, kNonAtom);
  EXPECT_EQ(problems[0].severity, Severity::Warning);
  EXPECT_EQ(problems[1].code, kIllegal);
  EXPECT_EQ(problems[1].message, "C4 baseline: code \xE2\x86\x92 person is not allowed");
}

TEST(PolicyScan, ReportsParentsFirstAndSkipsRelationshipsWithAMissingEnd) {
  const std::vector<Element> elements{element("a", K::Container, "ghost"), element("p", K::Person, "a"),
                                      element("q", K::Person)};
  const std::vector<Relationship> relationships{relationship("r1", "p", "gone"), relationship("r2", "p", "q")};
  const auto problems = scan_model(elements, relationships, {});
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0].message, "C4 baseline: container must not have empty/invalid parent");
  EXPECT_EQ(problems[0].element_id, "a");
  EXPECT_EQ(problems[1].message, "C4 baseline: container cannot be parent of person");
  EXPECT_EQ(problems[2].element_id, "r2");
  EXPECT_EQ(problems[2].code, kNonAtom);
}

TEST(PolicyScan, LaterElementWithTheSameIdWinsTheIndex) {
  const std::vector<Element> elements{element("s", K::Container, "t"), element("t", K::SoftwareSystem),
                                      element("c", K::Container, "s"), element("s", K::SoftwareSystem)};
  // "c" sits under "s", which names a container first and a software system
  // last; the last one is its parent, so nothing is reported.
  EXPECT_TRUE(scan_model(elements, {}, {}).empty());
}

}  // namespace
