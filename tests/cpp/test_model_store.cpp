// The in-memory model store: keys, whole-record replacement, endpoint checks,
// generated relationship ids and sorted listings.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/memory_model_store.hpp"

using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Relationship;
using borvane::model::MemoryModelStore;

namespace {

Element element(std::string ws, std::string id) {
  Element e;
  e.id = std::move(id);
  e.workspace_id = std::move(ws);
  e.kind = ElementKind::Container;
  e.name = "name of " + e.id;
  return e;
}

Relationship relationship(std::string ws, std::string id, std::string from, std::string to) {
  Relationship r;
  r.id = std::move(id);
  r.workspace_id = std::move(ws);
  r.from_id = std::move(from);
  r.to_id = std::move(to);
  return r;
}

template <class R>
std::string error_of(const R& result) {
  return result ? std::string("ok") : result.error().display();
}

std::vector<std::string> element_ids(const MemoryModelStore& store, const std::string& ws) {
  auto listed = store.list_elements(ws);
  std::vector<std::string> ids;
  for (const Element& e : listed.value()) ids.push_back(e.id);
  return ids;
}

std::vector<std::string> relationship_ids(const MemoryModelStore& store, const std::string& ws) {
  auto listed = store.list_relationships(ws);
  std::vector<std::string> ids;
  for (const Relationship& r : listed.value()) ids.push_back(r.id);
  return ids;
}

bool is_uuid_v4_text(const std::string& id) {
  if (id.size() != 36) return false;
  for (std::size_t i = 0; i < id.size(); ++i) {
    const bool hyphen_position = i == 8 || i == 13 || i == 18 || i == 23;
    const char c = id[i];
    if (hyphen_position ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  const bool variant_ok = id[19] == '8' || id[19] == '9' || id[19] == 'a' || id[19] == 'b';
  return id[14] == '4' && variant_ok;
}

class MemoryModelStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* id : {"api", "db", "web"}) ASSERT_TRUE(store.upsert_element(element("ws", id)));
  }
  MemoryModelStore store;
};

TEST_F(MemoryModelStoreTest, MissingElementIsNotFoundWithItsId) {
  EXPECT_EQ(error_of(store.get_element("ws", "ghost")), "not found: element ghost");
  // The same id in another workspace is a different key.
  EXPECT_EQ(error_of(store.get_element("other", "api")), "not found: element api");
  EXPECT_FALSE(store.element_exists("other", "api"));
  EXPECT_TRUE(store.element_exists("ws", "api"));
}

TEST_F(MemoryModelStoreTest, UpsertReplacesTheWholeElement) {
  Element first = element("ws", "svc");
  first.description = "first";
  first.technology = "Rust";
  ASSERT_TRUE(store.upsert_element(first));
  Element second = element("ws", "svc");
  second.name = "renamed";
  second.url = "https://example.org";
  auto stored = store.upsert_element(second);
  ASSERT_TRUE(stored);
  EXPECT_EQ(*stored, second);

  auto fetched = store.get_element("ws", "svc");
  ASSERT_TRUE(fetched);
  EXPECT_EQ(*fetched, second);  // description and technology are gone, not merged
  EXPECT_EQ(element_ids(store, "ws"), (std::vector<std::string>{"api", "db", "svc", "web"}));
}

TEST_F(MemoryModelStoreTest, ElementNeedsIdAndWorkspaceButNoTrimming) {
  const std::string required = "validation: element id and workspace_id required";
  EXPECT_EQ(error_of(store.upsert_element(element("ws", ""))), required);
  EXPECT_EQ(error_of(store.upsert_element(element("", "x"))), required);
  EXPECT_TRUE(store.upsert_element(element("ws", " ")));
  EXPECT_TRUE(store.element_exists("ws", " "));
}

TEST_F(MemoryModelStoreTest, WorkspacesAreIsolated) {
  ASSERT_TRUE(store.upsert_element(element("a", "only-in-a")));
  EXPECT_EQ(element_ids(store, "a"), std::vector<std::string>{"only-in-a"});
  EXPECT_TRUE(element_ids(store, "b").empty());
  EXPECT_EQ(error_of(store.upsert_relationship(relationship("b", "r", "api", "db"))),
            "validation: relationship from_id 'api' does not exist in workspace 'b'");
}

TEST_F(MemoryModelStoreTest, ListingsAreInByteOrder) {
  for (const char* id : {"a9", "a10", "a", "A", "Z", "_"}) ASSERT_TRUE(store.upsert_element(element("order", id)));
  EXPECT_EQ(element_ids(store, "order"), (std::vector<std::string>{"A", "Z", "_", "a", "a10", "a9"}));

  for (const char* id : {"r9", "r10", "R"}) ASSERT_TRUE(store.upsert_relationship(relationship("ws", id, "api", "db")));
  EXPECT_EQ(relationship_ids(store, "ws"), (std::vector<std::string>{"R", "r10", "r9"}));
}

TEST_F(MemoryModelStoreTest, EmptyRelationshipIdGetsAFreshUuid) {
  auto first = store.upsert_relationship(relationship("ws", "", "web", "api"));
  auto second = store.upsert_relationship(relationship("ws", "", "web", "api"));
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  EXPECT_TRUE(is_uuid_v4_text(first->id)) << first->id;
  EXPECT_TRUE(is_uuid_v4_text(second->id)) << second->id;
  EXPECT_NE(first->id, second->id);

  std::vector<std::string> expected{first->id, second->id};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(relationship_ids(store, "ws"), expected);
}

TEST_F(MemoryModelStoreTest, RelationshipEndpointsAreCheckedFromEndFirst) {
  struct Case {
    const char* from;
    const char* to;
    const char* error;
  };
  const Case cases[] = {
      {"ghost", "phantom", "validation: relationship from_id 'ghost' does not exist in workspace 'ws'"},
      {"ghost", "db", "validation: relationship from_id 'ghost' does not exist in workspace 'ws'"},
      {"api", "phantom", "validation: relationship to_id 'phantom' does not exist in workspace 'ws'"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(error_of(store.upsert_relationship(relationship("ws", "r", c.from, c.to))), c.error) << c.from;
  EXPECT_TRUE(relationship_ids(store, "ws").empty());
}

TEST_F(MemoryModelStoreTest, RelationshipUpsertReplacesAndKeepsItsId) {
  Relationship first = relationship("ws", "r1", "web", "api");
  first.description = "calls";
  ASSERT_TRUE(store.upsert_relationship(first));
  Relationship second = relationship("ws", "r1", "api", "db");
  auto stored = store.upsert_relationship(second);
  ASSERT_TRUE(stored);
  EXPECT_EQ(*stored, second);
  auto listed = store.list_relationships("ws");
  ASSERT_TRUE(listed);
  EXPECT_EQ(*listed, std::vector<Relationship>{second});
}

TEST_F(MemoryModelStoreTest, DeleteRelationshipOnceThenNotFound) {
  ASSERT_TRUE(store.upsert_relationship(relationship("ws", "r1", "web", "api")));
  EXPECT_EQ(error_of(store.delete_relationship("other", "r1")), "not found: relationship r1");
  EXPECT_TRUE(store.delete_relationship("ws", "r1"));
  EXPECT_EQ(error_of(store.delete_relationship("ws", "r1")), "not found: relationship r1");
  EXPECT_TRUE(relationship_ids(store, "ws").empty());
}

TEST_F(MemoryModelStoreTest, ClearWorkspaceLeavesOtherWorkspaces) {
  ASSERT_TRUE(store.upsert_relationship(relationship("ws", "r1", "web", "api")));
  ASSERT_TRUE(store.upsert_element(element("keep", "x")));
  ASSERT_TRUE(store.upsert_element(element("keep", "y")));
  ASSERT_TRUE(store.upsert_relationship(relationship("keep", "k1", "x", "y")));

  store.clear_workspace("ws");
  store.clear_workspace("never-used");

  EXPECT_TRUE(element_ids(store, "ws").empty());
  EXPECT_TRUE(relationship_ids(store, "ws").empty());
  EXPECT_EQ(element_ids(store, "keep"), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(relationship_ids(store, "keep"), std::vector<std::string>{"k1"});
}

}  // namespace
