// The ADR service: record rules, the status workflow, the prose limit from
// the environment, and persistence (file, commit, memory) in a real git
// repository made with the git command-line client.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adr/adr_service.hpp"
#include "git/gix_git_adapter.hpp"
#include "git_test_support.hpp"
#include "model/memory_model_store.hpp"
#include "tomlio/record_files.hpp"

namespace fs = std::filesystem;
using borvane::adr::AdrService;
using borvane::domain::AdrForbidRule;
using borvane::domain::AdrPolicy;
using borvane::domain::Decision;
using borvane::domain::DecisionStatus;
using borvane::domain::DomainError;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Severity;

namespace {

constexpr const char* kProseEnv = "BORVANE_C4_ADR_PROSE_MAX";

Decision decision(std::string id, DecisionStatus status = DecisionStatus::Draft) {
  Decision d;
  d.id = std::move(id);
  d.workspace_id = "sidecar";
  d.title = "Use TOML";
  d.status = status;
  d.decided_at = "2024-05-01";
  d.context = "Files must be diffable.";
  d.decision = "Store records as TOML.";
  d.consequences = "One file per record.";
  return d;
}

AdrForbidRule rule(std::string code, std::string message) {
  return {ElementKind::Component, ElementKind::Person, std::move(code), Severity::Error, std::move(message)};
}

// "ok", or the error as Python callers see it.
template <class R>
std::string outcome(const R& result) {
  return result ? std::string("ok") : result.error().display();
}

std::string validation(const std::string& text) { return DomainError::validation(text).display(); }

// A git repository with one seed commit, bound as the working tree of the
// "sidecar" workspace.
class AdrServiceTest : public git_test::SeededRepoTest {
 protected:
  AdrServiceTest() : SeededRepoTest("borvane-adr") {}

  void SetUp() override {
    unsetenv(kProseEnv);
    SeededRepoTest::SetUp();
    service_.bind_worktree("sidecar", repo_);
  }
  void TearDown() override {
    unsetenv(kProseEnv);
    SeededRepoTest::TearDown();
  }

  Decision on_disk(const std::string& id) const {
    auto read = borvane::tomlio::read_adr_toml(repo_ / "docs/adr" / (id + ".toml"));
    EXPECT_TRUE(read.ok()) << (read.ok() ? "" : read.error());
    return read.ok() ? *read : Decision{};
  }

  std::shared_ptr<borvane::model::MemoryModelStore> store_ = std::make_shared<borvane::model::MemoryModelStore>();
  std::shared_ptr<borvane::git::GixGitAdapter> git_ = std::make_shared<borvane::git::GixGitAdapter>();
  AdrService service_{git_, store_};
};

// ---- record rules --------------------------------------------------------

TEST(AdrRules, ValidateDocumentReturnsTheFirstBrokenRule) {
  struct Case {
    const char* name;
    void (*change)(Decision&);
    bool agent_mode;
    std::string expected;  // "ok" or the validation text
  };
  const std::string prose = " required and max 20000 bytes (BORVANE_C4_ADR_PROSE_MAX)";
  const std::vector<Case> cases = {
      {"valid draft", [](Decision&) {}, true, "ok"},
      {"no id", [](Decision& d) { d.id.clear(); }, true, "decision id and workspace_id required"},
      {"no workspace", [](Decision& d) { d.workspace_id.clear(); }, true, "decision id and workspace_id required"},
      {"id starts with _", [](Decision& d) { d.id = "_x"; }, true, "decision id must match [A-Za-z0-9][A-Za-z0-9_.-]*"},
      {"id with space", [](Decision& d) { d.id = "a b"; }, true, "decision id must match [A-Za-z0-9][A-Za-z0-9_.-]*"},
      {"64-char id", [](Decision& d) { d.id = "A" + std::string(60, 'b') + "._-"; }, true, "ok"},
      {"bad id before bad title", [](Decision& d) { d.id = ".x", d.title.clear(); }, true,
       "decision id must match [A-Za-z0-9][A-Za-z0-9_.-]*"},
      {"no title", [](Decision& d) { d.title.clear(); }, true, "title required and max 200 chars"},
      {"title 201 bytes", [](Decision& d) { d.title = std::string(201, 't'); }, true,
       "title required and max 200 chars"},
      {"title 200 bytes", [](Decision& d) { d.title = std::string(200, 't'); }, true, "ok"},
      {"bad ref", [](Decision& d) { d.refs = {{"http://x.org", std::nullopt}}; }, true,
       "ref.url must start with https://"},
      {"agent sets accepted", [](Decision& d) { d.status = DecisionStatus::Accepted; }, true,
       "agent may only set status draft|proposed, got 'accepted'"},
      {"agent check before date", [](Decision& d) { d.status = DecisionStatus::Deprecated, d.decided_at = "x"; }, true,
       "agent may only set status draft|proposed, got 'deprecated'"},
      {"process sets accepted", [](Decision& d) { d.status = DecisionStatus::Accepted; }, false, "ok"},
      {"date values unchecked", [](Decision& d) { d.decided_at = "2024-13-99"; }, true, "ok"},
      {"date with slashes", [](Decision& d) { d.decided_at = "2024/01/01"; }, true, "decided_at must be YYYY-MM-DD"},
      {"short month", [](Decision& d) { d.decided_at = "2024-1-01"; }, true, "decided_at must be YYYY-MM-DD"},
      {"date too long", [](Decision& d) { d.decided_at = "2024-01-011"; }, true, "decided_at must be YYYY-MM-DD"},
      {"blank context", [](Decision& d) { d.context = " \n\u3000"; }, true, "context" + prose},
      {"empty consequences", [](Decision& d) { d.consequences.clear(); }, true, "consequences" + prose},
      {"rejected without reason", [](Decision& d) { d.status = DecisionStatus::Rejected; }, false,
       "reason required when status=rejected"},
      {"rejected with blank reason", [](Decision& d) { d.status = DecisionStatus::Rejected, d.reason = "  "; }, false,
       "reason required when status=rejected"},
      {"superseded with blank id", [](Decision& d) { d.status = DecisionStatus::Superseded, d.superseded_by_id = " "; },
       false, "superseded_by_id required when status=superseded"},
      {"33 rules", [](Decision& d) { d.policy = AdrPolicy{.forbid = std::vector(33, rule("no_x", "m"))}; }, true,
       "policy.forbid max 32 rules"},
      {"32 rules", [](Decision& d) { d.policy = AdrPolicy{.forbid = std::vector(32, rule("no_x", "m"))}; }, true, "ok"},
      {"code with capital", [](Decision& d) { d.policy = AdrPolicy{.forbid = {rule("no_X", "m")}}; }, true,
       "forbid.code must match [a-z][a-z0-9_]*"},
      {"code starts with digit", [](Decision& d) { d.policy = AdrPolicy{.forbid = {rule("1x", "m")}}; }, true,
       "forbid.code must match [a-z][a-z0-9_]*"},
      {"blank rule message", [](Decision& d) { d.policy = AdrPolicy{.forbid = {rule("x_1", " ")}}; }, true,
       "forbid.message required max 2000"},
      {"rule message 2001 bytes",
       [](Decision& d) { d.policy = AdrPolicy{.forbid = {rule("x_1", std::string(2001, 'm'))}}; }, true,
       "forbid.message required max 2000"},
  };
  for (const Case& c : cases) {
    Decision d = decision("a1");
    c.change(d);
    auto checked = borvane::adr::validate_document(d, c.agent_mode);
    EXPECT_EQ(outcome(checked), c.expected == "ok" ? "ok" : validation(c.expected)) << c.name;
  }
}

TEST(AdrRules, ProseLimitComesFromTheEnvironment) {
  const std::vector<std::pair<std::optional<std::string>, std::size_t>> cases = {
      {std::nullopt, 20000}, {"10", 10},    {" +10\t", 10},        {"0", 20000},  {"word", 20000},
      {"-5", 20000},         {"+", 20000},  {"1e3", 20000},        {"", 20000},   {"99999999999999999999999", 20000},
      {"\xff" "10", 20000},
  };
  for (const auto& [value, limit] : cases) {
    if (value) {
      setenv(kProseEnv, value->c_str(), 1);
    } else {
      unsetenv(kProseEnv);
    }
    EXPECT_EQ(borvane::adr::adr_prose_max_bytes(), limit) << value.value_or("(unset)");
  }
  unsetenv(kProseEnv);
}

// The limit is read at every write, so a change applies to the next one.
TEST_F(AdrServiceTest, ProseLimitAppliesToTheNextWrite) {
  Decision d = decision("a1");
  d.decision = "short";
  d.consequences = "short";
  d.context = std::string(11, 'c');
  setenv(kProseEnv, "10", 1);
  EXPECT_EQ(outcome(service_.upsert_decision(d, false)),
            validation("context required and max 10 bytes (BORVANE_C4_ADR_PROSE_MAX)"));
  d.context.pop_back();
  EXPECT_EQ(outcome(service_.upsert_decision(d, false)), "ok");
  d.context = std::string(11, 'c');
  setenv(kProseEnv, "word", 1);
  EXPECT_EQ(outcome(service_.upsert_decision(d, false)), "ok");
}

// ---- status workflow -----------------------------------------------------

TEST_F(AdrServiceTest, UpsertsSetAgentStatusesAndKeepProcessStatuses) {
  EXPECT_EQ(outcome(service_.upsert_decision(decision("a1", DecisionStatus::Accepted), false)),
            validation("agent may only set status draft|proposed, got 'accepted'"));
  EXPECT_FALSE(fs::exists(repo_ / "docs/adr/a1.toml"));
  EXPECT_EQ(outcome(service_.get_decision("sidecar", "a1")), "not found: decision a1");

  ASSERT_EQ(outcome(service_.upsert_decision(decision("a1", DecisionStatus::Proposed), false)), "ok");
  ASSERT_EQ(outcome(service_.upsert_decision(decision("a1", DecisionStatus::Draft), false)), "ok");
  ASSERT_EQ(outcome(service_.set_decision_status("sidecar", "a1", DecisionStatus::Accepted, std::nullopt,
                                                 std::nullopt, false)),
            "ok");

  Decision changed = decision("a1", DecisionStatus::Accepted);
  changed.context = "Reviewers asked for plain text.";
  ASSERT_EQ(outcome(service_.upsert_decision(changed, false)), "ok");
  EXPECT_EQ(service_.get_decision("sidecar", "a1")->context, "Reviewers asked for plain text.");

  Decision demoted = decision("a1", DecisionStatus::Draft);
  demoted.context = "Sneaky change.";
  EXPECT_EQ(outcome(service_.upsert_decision(demoted, false)),
            validation("ADR 'a1' is in process status 'accepted'; use set_adr_status to change status "
                       "(cannot set 'draft')"));
  EXPECT_EQ(on_disk("a1").context, "Reviewers asked for plain text.");
  EXPECT_EQ(service_.get_decision("sidecar", "a1")->status, DecisionStatus::Accepted);
}

TEST_F(AdrServiceTest, SetDecisionStatusAppliesReasonAndSuccessor) {
  const auto set = [&](DecisionStatus status, std::optional<std::string> reason,
                       std::optional<std::string> successor) {
    return outcome(service_.set_decision_status("sidecar", "a1", status, reason, successor, false));
  };
  EXPECT_EQ(set(DecisionStatus::Accepted, std::nullopt, std::nullopt), "not found: decision a1");
  ASSERT_EQ(outcome(service_.upsert_decision(decision("a1"), false)), "ok");

  EXPECT_EQ(set(DecisionStatus::Proposed, std::nullopt, std::nullopt),
            validation("set_adr_status is for process statuses only (accepted|rejected|deprecated|superseded)"));
  EXPECT_EQ(set(DecisionStatus::Rejected, " \t ", std::nullopt), validation("reason required when status=rejected"));
  EXPECT_EQ(set(DecisionStatus::Rejected, " " + std::string(2001, 'r') + " ", std::nullopt),
            validation("reason max 2000 chars"));
  EXPECT_EQ(set(DecisionStatus::Superseded, std::nullopt, std::nullopt),
            validation("superseded_by_id required when status=superseded"));
  EXPECT_EQ(service_.get_decision("sidecar", "a1")->status, DecisionStatus::Draft);  // failures changed nothing

  ASSERT_EQ(set(DecisionStatus::Rejected, "  too risky \n", "ignored"), "ok");
  Decision d = *service_.get_decision("sidecar", "a1");
  EXPECT_EQ(d.status, DecisionStatus::Rejected);
  EXPECT_EQ(d.reason, "too risky");
  EXPECT_EQ(d.superseded_by_id, std::nullopt);

  ASSERT_EQ(set(DecisionStatus::Superseded, "ignored", " a2 "), "ok");
  d = *service_.get_decision("sidecar", "a1");
  EXPECT_EQ(d.reason, "too risky");  // kept
  EXPECT_EQ(d.superseded_by_id, "a2");

  ASSERT_EQ(set(DecisionStatus::Accepted, "ignored", std::nullopt), "ok");
  d = *service_.get_decision("sidecar", "a1");
  EXPECT_EQ(d.reason, std::nullopt);
  EXPECT_EQ(d.superseded_by_id, "a2");  // kept
  EXPECT_EQ(on_disk("a1"), d);
}

// ---- persistence -----------------------------------------------------------

TEST_F(AdrServiceTest, CommitRecordsExactlyTheDecisionFile) {
  const std::string parent = git("rev-parse HEAD");

  auto committed = service_.upsert_decision(decision("a1"), true);

  ASSERT_EQ(outcome(committed), "ok");
  ASSERT_TRUE(committed->commit_id.has_value());
  EXPECT_EQ(*committed->commit_id, git("rev-parse HEAD"));
  EXPECT_EQ(git("rev-parse HEAD^"), parent);
  EXPECT_EQ(git("log -1 --format=%B"), "adr: a1 Use TOML");
  EXPECT_EQ(git("diff-tree --no-commit-id --name-only -r HEAD"), "docs/adr/a1.toml");
  EXPECT_EQ(git("ls-tree -r --name-only HEAD"), "README.md\ndocs/adr/a1.toml");
  Decision stored = *service_.get_decision("sidecar", "a1");
  EXPECT_EQ(stored.git_commit_id, committed->commit_id);
  EXPECT_EQ(stored.path, "docs/adr/a1.toml");
  EXPECT_EQ(committed->record, stored);

  auto plain = service_.upsert_decision(stored, false);

  ASSERT_EQ(outcome(plain), "ok");
  EXPECT_EQ(plain->commit_id, std::nullopt);
  EXPECT_EQ(service_.get_decision("sidecar", "a1")->git_commit_id, std::nullopt);
  EXPECT_EQ(git("rev-parse HEAD"), *committed->commit_id);
}

TEST_F(AdrServiceTest, PersistNeedsAWorktreeAndAnExistingScopeElement) {
  AdrService unbound(git_, store_);
  EXPECT_EQ(outcome(unbound.upsert_decision(decision("a1"), false)),
            validation("workspace sidecar has no bound worktree (checkout required for ADR)"));

  Decision scoped = decision("a1");
  scoped.scope_element_id = "api";
  EXPECT_EQ(outcome(service_.upsert_decision(scoped, false)),
            validation("ADR scope_element_id 'api' does not exist in workspace 'sidecar'"));
  EXPECT_FALSE(fs::exists(repo_ / "docs/adr/a1.toml"));
  Element api;
  api.id = "api";
  api.workspace_id = "sidecar";
  api.kind = ElementKind::Container;
  api.name = "API";
  ASSERT_TRUE(store_->upsert_element(api));
  EXPECT_EQ(outcome(service_.upsert_decision(scoped, false)), "ok");
}

TEST_F(AdrServiceTest, FailedCommitLeavesTheFileAndThePreviousRecord) {
  const fs::path plain = root_ / "not-a-repo";
  fs::create_directories(plain);
  service_.bind_worktree("sidecar", plain);
  ASSERT_EQ(outcome(service_.upsert_decision(decision("a1"), false)), "ok");
  Decision second = decision("a1");
  second.title = "Second thoughts";

  auto failed = service_.upsert_decision(second, true);

  ASSERT_FALSE(failed.ok());
  EXPECT_TRUE(failed.error().text.starts_with("open worktree: ")) << failed.error().text;
  EXPECT_EQ(borvane::tomlio::read_adr_toml(plain / "docs/adr/a1.toml")->title, "Second thoughts");
  EXPECT_EQ(service_.get_decision("sidecar", "a1")->title, "Use TOML");
}

// A file left on disk by a binding that stopped early still carries its
// process status: an upsert must not replace it with an agent status.
TEST_F(AdrServiceTest, UpsertDoesNotReplaceAnUnloadedFileInAProcessStatus) {
  Decision accepted = decision("a1", DecisionStatus::Accepted);
  accepted.context = "Accepted on disk.";
  ASSERT_TRUE(borvane::tomlio::write_adr_toml(repo_ / "docs/adr/a1.toml", accepted).ok());
  ASSERT_TRUE(borvane::tomlio::write_adr_toml(repo_ / "docs/adr/a2.toml", decision("a2")).ok());

  EXPECT_EQ(outcome(service_.upsert_decision(decision("a1"), false)),
            validation("ADR 'a1' is in process status 'accepted'; use set_adr_status to change status "
                       "(cannot set 'draft')"));
  EXPECT_EQ(on_disk("a1").context, "Accepted on disk.");
  EXPECT_EQ(outcome(service_.upsert_decision(decision("a2", DecisionStatus::Proposed), false)), "ok");
  EXPECT_EQ(on_disk("a2").status, DecisionStatus::Proposed);
}

TEST_F(AdrServiceTest, PersistNeverWritesOutsideTheDecisionDirectory) {
  for (const char* id : {"../../escaped", "..", ".hidden", "a/b"}) {
    EXPECT_EQ(outcome(service_.persist(decision(id), false)),
              validation("decision id must match [A-Za-z0-9][A-Za-z0-9_.-]*"))
        << id;
  }
  EXPECT_FALSE(fs::exists(repo_ / "docs"));
  EXPECT_FALSE(fs::exists(root_ / "escaped.toml"));
}

// ---- memory ----------------------------------------------------------------

TEST_F(AdrServiceTest, ImportListAndClear) {
  Decision accepted = decision("Z", DecisionStatus::Accepted);
  accepted.scope_element_id = "not-loaded-yet";  // not checked on import
  ASSERT_EQ(outcome(service_.import_from_disk(accepted)), "ok");
  for (const char* id : {"b", "a", "A"}) ASSERT_EQ(outcome(service_.import_from_disk(decision(id))), "ok");
  Decision elsewhere = decision("0");
  elsewhere.workspace_id = "other";
  ASSERT_EQ(outcome(service_.import_from_disk(elsewhere)), "ok");
  Decision broken = decision("c");
  broken.decided_at = "today";
  EXPECT_EQ(outcome(service_.import_from_disk(broken)), validation("decided_at must be YYYY-MM-DD"));
  EXPECT_FALSE(fs::exists(repo_ / "docs"));  // import writes nothing

  std::vector<std::string> ids;
  const auto listed = service_.list_decisions("sidecar");
  for (const Decision& d : *listed) ids.push_back(d.id);
  EXPECT_EQ(ids, (std::vector<std::string>{"A", "Z", "a", "b"}));

  service_.clear_workspace("sidecar");
  EXPECT_TRUE(service_.list_decisions("sidecar")->empty());
  EXPECT_EQ(service_.list_decisions("other")->size(), 1u);
  EXPECT_EQ(outcome(service_.upsert_decision(decision("a"), false)), "ok");  // the binding stays
}

}  // namespace
