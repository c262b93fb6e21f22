// Layer projection: lifting, dropping, merging and ordering relationships.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "domain/projection.hpp"
#include "test_mermaid_support.hpp"

namespace {

using borvane::domain::C4Layer;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::project_relationships;
using borvane::domain::Relationship;
using borvane::testing::el;
using borvane::testing::rel;

// Person U; system S with containers A and B; A holds components A1 and A2,
// B holds B1; external X; code C under A1; an orphan component O.
std::vector<Element> shop() {
  return {el("U", ElementKind::Person, "User"),
          el("S", ElementKind::SoftwareSystem, "Shop"),
          el("A", ElementKind::Container, "API", "S"),
          el("B", ElementKind::Container, "DB", "S"),
          el("A1", ElementKind::Component, "Orders", "A"),
          el("A2", ElementKind::Component, "Billing", "A"),
          el("B1", ElementKind::Component, "Tables", "B"),
          el("C", ElementKind::Code, "Order", "A1"),
          el("X", ElementKind::External, "Bank"),
          el("O", ElementKind::Component, "Orphan")};
}

std::string summary(const std::vector<Relationship>& rels) {
  std::string out;
  for (const Relationship& r : rels) {
    out += r.id + "|" + r.from_id + ">" + r.to_id + "|" + r.description.value_or("-") + "|" +
           r.technology.value_or("-") + "\n";
  }
  return out;
}

TEST(Projection, ContainerLayerMergesDropsAndSorts) {
  const std::vector<Relationship> rels = {
      rel("r1", "A1", "B1", "reads", "SQL"),
      rel("r2", "A2", "B1", "writes", "JDBC"),  // same pair: counted, text ignored
      rel("r3", "A1", "A2", "calls"),           // inside A: dropped
      rel("r4", "C", "X", std::nullopt),        // code lifts to A; external stays
      rel("r5", "B1", "A1"),                    // the reverse direction is its own pair
      rel("r6", "U", "A1"),                     // a person is not shown on this layer
      rel("r7", "ghost", "A1"),                 // unknown end
      rel("r8", "O", "A1"),                     // no ancestor of a visible kind
      rel("r9", "C", "X", "again"),
      rel("r10", "A2", "X", "pays"),
  };
  EXPECT_EQ(summary(project_relationships(shop(), rels, C4Layer::Container)),
            "proj:container:A:B|A>B|2\u00d7 reads|SQL\n"
            "proj:container:A:X|A>X|3\u00d7 uses|-\n"
            "proj:container:B:A|B>A|-|-\n");
}

TEST(Projection, ContextLayerSurfacesAtSystemsAndKeepsPersons) {
  const std::vector<Relationship> rels = {rel("r1", "U", "A1", "buys"), rel("r2", "B", "X", "syncs"),
                                          rel("r3", "A", "B", "inside one system")};
  const std::string expected =
      "proj:context:S:X|S>X|syncs|-\n"
      "proj:context:U:S|U>S|buys|-\n";
  EXPECT_EQ(summary(project_relationships(shop(), rels, C4Layer::Context)), expected);
  std::string landscape = expected;
  for (std::size_t at = 0; (at = landscape.find("context", at)) != std::string::npos;)
    landscape.replace(at, 7, "landscape");
  EXPECT_EQ(summary(project_relationships(shop(), rels, C4Layer::Landscape)), landscape);
}

TEST(Projection, ComponentLayerKeepsExternalsAndOrdersByBytes) {
  const std::vector<Relationship> rels = {rel("r1", "C", "X"), rel("r2", "A1", "a"), rel("r3", "B1", "A1"),
                                          rel("r4", "A1", "A2")};
  std::vector<Element> elements = shop();
  elements.push_back(el("a", ElementKind::Component, "lower-case id"));
  // "A1" < "B1" < "a" as bytes; the id of each pair follows its ends.
  EXPECT_EQ(summary(project_relationships(elements, rels, C4Layer::Component)),
            "proj:component:A1:A2|A1>A2|-|-\n"
            "proj:component:A1:X|A1>X|-|-\n"
            "proj:component:A1:a|A1>a|-|-\n"
            "proj:component:B1:A1|B1>A1|-|-\n");
}

TEST(Projection, CodeAndAdrLayersReturnTheInputUnchanged) {
  const std::vector<Relationship> rels = {rel("z", "C", "X", "b"), rel("a", "ghost", "C"), rel("m", "A1", "A1")};
  EXPECT_EQ(project_relationships(shop(), rels, C4Layer::Code), rels);
  EXPECT_EQ(project_relationships(shop(), rels, C4Layer::Adr), rels);
}

TEST(Projection, CountedDescriptionKeepsTheFirstText) {
  const std::vector<Relationship> rels = {rel("1", "A1", "B1", ""), rel("2", "A2", "B1", "later")};
  // An empty first description is still a description.
  EXPECT_EQ(project_relationships(shop(), rels, C4Layer::Container).at(0).description, "2\u00d7 ");
}

// A chain of `length` components, each the parent of the next; the top one
// hangs under a container when `rooted`.
std::vector<Element> chain(int length, bool rooted) {
  std::vector<Element> out;
  if (rooted) out.push_back(el("top", ElementKind::Container, "Top"));
  for (int i = 0; i < length; ++i) {
    borvane::testing::Text parent = i == 0 ? (rooted ? borvane::testing::Text("top") : std::nullopt)
                                           : borvane::testing::Text("c" + std::to_string(i - 1));
    out.push_back(el("c" + std::to_string(i), ElementKind::Code, "c", parent));
  }
  out.push_back(el("other", ElementKind::Container, "Other"));
  return out;
}

TEST(Projection, UpToSixtyThreeAncestorsAreExamined) {
  // c62 has 63 ancestors, the last of them the container; c63 would need a 64th.
  const std::vector<Element> elements = chain(64, true);
  const auto index = borvane::domain::index_elements(elements);
  const auto visible = borvane::domain::visible_kinds(C4Layer::Container);
  const Element* found = borvane::domain::project_up("c62", index, visible);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->id, "top");
  EXPECT_EQ(borvane::domain::project_up("c63", index, visible), nullptr);
  EXPECT_EQ(borvane::domain::project_up("nowhere", index, visible), nullptr);
  EXPECT_EQ(project_relationships(elements, {rel("r", "c63", "other"), rel("s", "c62", "other")},
                                  C4Layer::Container)
                .size(),
            1u);
}

TEST(Projection, CyclicParentChainProjectsToNothing) {
  const std::vector<Element> elements = {el("p", ElementKind::Component, "P", "q"),
                                         el("q", ElementKind::Code, "Q", "p"),
                                         el("k", ElementKind::External, "K")};
  const std::vector<Relationship> rels = {rel("r", "q", "k")};
  EXPECT_TRUE(project_relationships(elements, rels, C4Layer::Container).empty());
  EXPECT_EQ(project_relationships(elements, rels, C4Layer::Component).at(0).id, "proj:component:p:k");
  const std::vector<Element> self = {el("s", ElementKind::Code, "S", "s"), el("k", ElementKind::External, "K")};
  EXPECT_TRUE(project_relationships(self, {rel("r", "s", "k")}, C4Layer::Container).empty());
}

}  // namespace
