// The flow service: checks against the model, persistence (file, commit,
// memory) and deletion, including the removal commit and stored paths that
// must never be deleted, in a real git repository made with the git
// command-line client.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flow/flow_service.hpp"
#include "git/gix_git_adapter.hpp"
#include "git_test_support.hpp"
#include "model/memory_model_store.hpp"

namespace fs = std::filesystem;
using borvane::domain::DomainError;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Flow;
using borvane::domain::FlowAnchor;
using borvane::domain::FlowKind;
using borvane::domain::FlowStep;
using borvane::flow::FlowService;
using git_test::read_text;
using git_test::write_text;

namespace {

Flow dynamic_flow(std::string id) {
  Flow f;
  f.id = std::move(id);
  f.workspace_id = "sidecar";
  f.title = "Checkout";
  f.kind = FlowKind::C4Dynamic;
  f.steps = {FlowStep{1, "web", "api", "places order"}};
  return f;
}

Flow sequence_flow(std::string id) {
  Flow f;
  f.id = std::move(id);
  f.workspace_id = "sidecar";
  f.title = "Login";
  f.kind = FlowKind::Sequence;
  f.body = "sequenceDiagram\n  A->>B: hello";
  return f;
}

// "ok", or the error as Python callers see it.
template <class R>
std::string outcome(const R& result) {
  return result ? std::string("ok") : result.error().display();
}

std::string validation(const std::string& text) { return DomainError::validation(text).display(); }

// A git repository with one seed commit, bound as the working tree of the
// "sidecar" workspace, whose model holds the elements web and api.
class FlowServiceTest : public git_test::SeededRepoTest {
 protected:
  FlowServiceTest() : SeededRepoTest("borvane-flow") {}

  void SetUp() override {
    SeededRepoTest::SetUp();
    for (const char* id : {"web", "api"}) add_element(id);
    service_.bind_worktree("sidecar", repo_);
  }

  void add_element(const std::string& id) {
    Element e;
    e.id = id;
    e.workspace_id = "sidecar";
    e.kind = ElementKind::Container;
    e.name = id;
    ASSERT_TRUE(store_->upsert_element(e));
  }

  std::shared_ptr<borvane::model::MemoryModelStore> store_ = std::make_shared<borvane::model::MemoryModelStore>();
  std::shared_ptr<borvane::git::GixGitAdapter> git_ = std::make_shared<borvane::git::GixGitAdapter>();
  FlowService service_{git_, store_};
};

// ---- checks against the model ---------------------------------------------

TEST_F(FlowServiceTest, StepsMustNameExistingElements) {
  Flow f = dynamic_flow("f1");
  f.steps.push_back(FlowStep{2, "api", "db", std::nullopt});

  EXPECT_EQ(outcome(service_.upsert_flow(f, false)), validation("flow step references missing element 'db'"));
  EXPECT_FALSE(fs::exists(repo_ / "docs/flows/f1.toml"));
  add_element("db");
  EXPECT_EQ(outcome(service_.upsert_flow(f, false)), "ok");
}

TEST_F(FlowServiceTest, ValidateRefsChecksScopeStepsAndAnchorElements) {
  struct Case {
    const char* name;
    Flow flow;
    std::string expected;  // "ok" or the validation text
  };
  const auto with = [](Flow f, auto change) {
    change(f);
    return f;
  };
  const std::vector<Case> cases = {
      {"shape first", with(dynamic_flow("f1"), [](Flow& f) { f.title.clear(), f.scope_element_id = "ghost"; }),
       "flow id and title required"},
      {"missing scope", with(dynamic_flow("f1"), [](Flow& f) { f.scope_element_id = "ghost"; }),
       "flow scope_element_id 'ghost' does not exist"},
      {"empty scope", with(dynamic_flow("f1"), [](Flow& f) { f.scope_element_id = ""; }), "ok"},
      {"from before to", with(dynamic_flow("f1"), [](Flow& f) { f.steps = {FlowStep{1, "x", "y", std::nullopt}}; }),
       "flow step references missing element 'x'"},
      {"missing anchor element",
       with(sequence_flow("s1"), [](Flow& f) { f.anchors = {FlowAnchor{"A", "web", {}}, {"B", "ghost", {}}}; }),
       "flow anchor element_id 'ghost' does not exist"},
      {"anchor with only adr_id",
       with(sequence_flow("s1"), [](Flow& f) { f.anchors = {FlowAnchor{"A", std::nullopt, "no-adr"}}; }), "ok"},
      {"unknown related adr", with(sequence_flow("s1"), [](Flow& f) { f.related_adrs = {"no-adr"}; }), "ok"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(outcome(service_.validate_refs(c.flow)), c.expected == "ok" ? "ok" : validation(c.expected)) << c.name;
  }
}

// ---- persistence -----------------------------------------------------------

TEST_F(FlowServiceTest, CommitRecordsExactlyTheFlowFile) {
  const std::string parent = git("rev-parse HEAD");

  auto committed = service_.upsert_flow(dynamic_flow("f1"), true);

  ASSERT_EQ(outcome(committed), "ok");
  ASSERT_TRUE(committed->commit_id.has_value());
  EXPECT_EQ(*committed->commit_id, git("rev-parse HEAD"));
  EXPECT_EQ(git("rev-parse HEAD^"), parent);
  EXPECT_EQ(git("log -1 --format=%B"), "flow: f1 Checkout");
  EXPECT_EQ(git("diff-tree --no-commit-id --name-only -r HEAD"), "docs/flows/f1.toml");
  Flow stored = *service_.get_flow("sidecar", "f1");
  EXPECT_EQ(stored.git_commit_id, committed->commit_id);
  EXPECT_EQ(stored.path, "docs/flows/f1.toml");
  EXPECT_EQ(committed->record, stored);

  auto plain = service_.upsert_flow(stored, false);

  ASSERT_EQ(outcome(plain), "ok");
  EXPECT_EQ(plain->commit_id, std::nullopt);
  EXPECT_EQ(service_.get_flow("sidecar", "f1")->git_commit_id, std::nullopt);
  EXPECT_EQ(git("rev-parse HEAD"), *committed->commit_id);
}

TEST_F(FlowServiceTest, WritesNeedABoundWorktree) {
  FlowService unbound(git_, store_);
  const std::string text = validation("workspace sidecar has no bound worktree (checkout required for Flow)");
  EXPECT_EQ(outcome(unbound.worktree("sidecar")), text);
  EXPECT_EQ(outcome(unbound.upsert_flow(dynamic_flow("f1"), false)), text);
  ASSERT_EQ(outcome(unbound.import_from_disk(dynamic_flow("f1"))), "ok");
  EXPECT_EQ(outcome(unbound.delete_flow("sidecar", "f1", false)), text);
  EXPECT_EQ(outcome(unbound.get_flow("sidecar", "f1")), "ok");  // a failed delete keeps the record
}

// ---- deletion ----------------------------------------------------------------

TEST_F(FlowServiceTest, DeleteWithCommitRecordsTheRemoval) {
  ASSERT_EQ(outcome(service_.upsert_flow(dynamic_flow("f1"), true)), "ok");
  ASSERT_EQ(outcome(service_.upsert_flow(sequence_flow("f2"), true)), "ok");
  const std::string before = git("rev-parse HEAD");

  ASSERT_EQ(outcome(service_.delete_flow("sidecar", "f1", true)), "ok");

  EXPECT_FALSE(fs::exists(repo_ / "docs/flows/f1.toml"));
  EXPECT_EQ(outcome(service_.get_flow("sidecar", "f1")), "not found: flow f1");
  EXPECT_EQ(git("rev-parse HEAD^"), before);
  EXPECT_EQ(git("log -1 --format=%B"), "flow: delete f1");
  EXPECT_EQ(git("ls-tree -r --name-only HEAD"), "README.md\ndocs/flows/f2.toml");
  EXPECT_EQ(git("status --porcelain"), "");
}

TEST_F(FlowServiceTest, DeleteSucceedsWhenTheFileIsAlreadyGone) {
  // Committed, then removed by hand: the removal is still recorded.
  ASSERT_EQ(outcome(service_.upsert_flow(dynamic_flow("f1"), true)), "ok");
  fs::remove(repo_ / "docs/flows/f1.toml");
  ASSERT_EQ(outcome(service_.delete_flow("sidecar", "f1", true)), "ok");
  EXPECT_EQ(git("log -1 --format=%B"), "flow: delete f1");
  EXPECT_EQ(git("status --porcelain"), "");

  // Never committed: nothing to record, and the deletion still stands.
  ASSERT_EQ(outcome(service_.upsert_flow(dynamic_flow("f2"), false)), "ok");
  fs::remove(repo_ / "docs/flows/f2.toml");
  const std::string head = git("rev-parse HEAD");
  ASSERT_EQ(outcome(service_.delete_flow("sidecar", "f2", true)), "ok");
  EXPECT_EQ(outcome(service_.get_flow("sidecar", "f2")), "not found: flow f2");
  EXPECT_EQ(git("rev-parse HEAD"), head);
}

TEST_F(FlowServiceTest, DeleteOfAnUnknownIdIsNotFound) {
  auto deleted = service_.delete_flow("sidecar", "nope", true);
  ASSERT_FALSE(deleted.ok());
  EXPECT_EQ(deleted.error(), DomainError::not_found("flow nope"));
  EXPECT_EQ(deleted.error().display(), "not found: flow nope");
}

// A flow loaded from a hand-written file keeps the path that file names;
// deleting the flow removes the record but never a file outside docs/flows.
TEST_F(FlowServiceTest, UnsafeStoredPathsAreNeverDeleted) {
  write_text(repo_ / "docs/adr/a1.toml", "tracked\n");
  write_text(repo_ / "docs/flows/x.txt", "tracked\n");
  write_text(repo_ / "docs/flows/x.toml", "tracked\n");
  commit_all("tracked victims");
  write_text(root_ / "victim.toml", "outside\n");
  write_text(repo_ / "docs/flows/.GIT/x.toml", "metadata\n");
  const std::string git_head = read_text(repo_ / ".git/HEAD");
  const std::string head = git("rev-parse HEAD");

  const std::vector<std::pair<std::string, fs::path>> cases = {
      {(root_ / "victim.toml").string(), root_ / "victim.toml"},
      {"../victim.toml", root_ / "victim.toml"},
      {"docs/flows/../../../victim.toml", root_ / "victim.toml"},
      {".git/HEAD", repo_ / ".git/HEAD"},
      {"docs/flows/.GIT/x.toml", repo_ / "docs/flows/.GIT/x.toml"},
      {"docs/adr/a1.toml", repo_ / "docs/adr/a1.toml"},
      {"docs/flows/x.txt", repo_ / "docs/flows/x.txt"},
      {"docs/flows//x.toml", repo_ / "docs/flows/x.toml"},
      {"docs/flows/./x.toml", repo_ / "docs/flows/x.toml"},
      {"./docs/flows/x.toml", repo_ / "docs/flows/x.toml"},
      {"docs/flows/x.toml/", repo_ / "docs/flows/x.toml"},
      {"", repo_ / "README.md"},
  };
  for (const auto& [path, victim] : cases) {
    Flow f = dynamic_flow("f1");
    f.path = path;
    ASSERT_EQ(outcome(service_.import_from_disk(f)), "ok");

    EXPECT_EQ(outcome(service_.delete_flow("sidecar", "f1", true)), "ok") << path;

    EXPECT_TRUE(fs::exists(victim)) << path;
    EXPECT_EQ(outcome(service_.get_flow("sidecar", "f1")), "not found: flow f1") << path;
  }
  EXPECT_EQ(read_text(repo_ / ".git/HEAD"), git_head);
  EXPECT_EQ(git("rev-parse HEAD"), head);

  // A safe path is deleted and its removal recorded, even when it is not the
  // one the id would give: the stored path counts.
  Flow nested = dynamic_flow("f1");
  nested.path = "docs/flows/x.toml";
  ASSERT_EQ(outcome(service_.import_from_disk(nested)), "ok");
  ASSERT_EQ(outcome(service_.delete_flow("sidecar", "f1", true)), "ok");
  EXPECT_FALSE(fs::exists(repo_ / "docs/flows/x.toml"));
  EXPECT_EQ(git("log -1 --format=%B"), "flow: delete f1");
}

// ---- memory ----------------------------------------------------------------

TEST_F(FlowServiceTest, ImportListAndClear) {
  for (const char* id : {"b", "a", "Z"}) ASSERT_EQ(outcome(service_.import_from_disk(dynamic_flow(id))), "ok");
  Flow elsewhere = sequence_flow("0");
  elsewhere.workspace_id = "other";
  ASSERT_EQ(outcome(service_.import_from_disk(elsewhere)), "ok");
  Flow dangling = dynamic_flow("c");
  dangling.steps[0].to_id = "gone";
  EXPECT_EQ(outcome(service_.import_from_disk(dangling)), validation("flow step references missing element 'gone'"));
  EXPECT_FALSE(fs::exists(repo_ / "docs"));  // import writes nothing

  std::vector<std::string> ids;
  const auto listed = service_.list_flows("sidecar");
  for (const Flow& f : *listed) ids.push_back(f.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"Z", "a", "b"}));

  service_.clear_workspace("sidecar");
  EXPECT_TRUE(service_.list_flows("sidecar")->empty());
  EXPECT_EQ(service_.list_flows("other")->size(), 1u);
  EXPECT_EQ(outcome(service_.worktree("sidecar")), "ok");  // the binding stays
}

}  // namespace
