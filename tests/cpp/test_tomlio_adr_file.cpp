// Decision files: the exact text of each piece, reading them back, and the
// reader errors of hand-edited files.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tomlio/adr_text.hpp"
#include "tomlio/record_files.hpp"
#include "test_tomlio_support.hpp"

using namespace borvane::domain;
using namespace borvane::tomlio;
using tomlio_test::example_decision;
using tomlio_test::ScratchDir;
using tomlio_test::slurp;
using tomlio_test::spill;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

Decision full_decision() {
  Decision d = example_decision();
  d.status = DecisionStatus::Superseded;
  d.scope_element_id = "api";
  d.reason = "Replaced.\n";
  d.superseded_by_id = "x2";
  d.related_flows = {"f1", "f2"};
  d.git_commit_id = "0123abcd";
  d.policy = AdrPolicy{PolicyMode::Audit,
                       {AdrForbidRule{ElementKind::Person, ElementKind::Code, "no_code", Severity::Warning,
                                      "People do not call code."},
                        AdrForbidRule{ElementKind::Container, ElementKind::External, "no_ext", Severity::Error,
                                      "Say \"no\"."}}};
  d.refs = {DocRef{"https://example.org/a", "Design notes"}, DocRef{"https://example.org/b", std::nullopt}};
  return d;
}

}  // namespace

TEST(TomlioAdrText, ExampleDecisionIsWrittenByteForByte) {
  const std::string expected =
      "id = \"x1\"\n"
      "workspace_id = \"sidecar\"\n"
      "title = \"Use queues\"\n"
      "status = \"accepted\"\n"
      "decided_at = \"2024-05-01\"\n"
      "context = '''\n"
      "Writes must be serialised.'''\n"
      "decision = '''\n"
      "One worker thread.'''\n"
      "consequences = '''\n"
      "Callers block.'''\n"
      "path = \"docs/adr/x1.toml\"\n";
  EXPECT_EQ(render_adr_toml(example_decision()), expected);
}

TEST(TomlioAdrText, EveryOptionalPieceInItsPlace) {
  const std::string expected =
      "id = \"x1\"\n"
      "workspace_id = \"sidecar\"\n"
      "title = \"Use queues\"\n"
      "status = \"superseded\"\n"
      "decided_at = \"2024-05-01\"\n"
      "scope_element_id = \"api\"\n"
      "context = '''\n"
      "Writes must be serialised.'''\n"
      "decision = '''\n"
      "One worker thread.'''\n"
      "consequences = '''\n"
      "Callers block.'''\n"
      "reason = '''\n"
      "Replaced.\n"
      "'''\n"
      "superseded_by_id = \"x2\"\n"
      "related_flows = [\"f1\", \"f2\"]\n"
      "path = \"docs/adr/x1.toml\"\n"
      "git_commit_id = \"0123abcd\"\n"
      "\n"
      "[policy]\n"
      "mode = \"audit\"\n"
      "\n"
      "[[policy.forbid]]\n"
      "from_kind = \"person\"\n"
      "to_kind = \"code\"\n"
      "code = \"no_code\"\n"
      "severity = \"warning\"\n"
      "message = \"People do not call code.\"\n"
      "\n"
      "[[policy.forbid]]\n"
      "from_kind = \"container\"\n"
      "to_kind = \"external\"\n"
      "code = \"no_ext\"\n"
      "severity = \"error\"\n"
      "message = \"Say \\\"no\\\".\"\n"
      "\n"
      "[[refs]]\n"
      "url = \"https://example.org/a\"\n"
      "title = \"Design notes\"\n"
      "\n"
      "[[refs]]\n"
      "url = \"https://example.org/b\"\n";
  EXPECT_EQ(render_adr_toml(full_decision()), expected);
}

TEST(TomlioAdrText, EmptyPolicyAndEmptyTextsLeaveOutTheirLines) {
  Decision d = example_decision();
  d.workspace_id.clear();
  d.path.clear();
  d.scope_element_id = "";  // present though empty: still written
  d.policy = AdrPolicy{};
  const std::string text = render_adr_toml(d);
  EXPECT_THAT(text, Not(HasSubstr("workspace_id")));
  EXPECT_THAT(text, Not(HasSubstr("path =")));
  EXPECT_THAT(text, HasSubstr("scope_element_id = \"\"\n"));
  EXPECT_THAT(text, ::testing::EndsWith("\n[policy]\nmode = \"enforce\"\nforbid = []\n"));
}

TEST(TomlioAdrFile, WrittenDecisionsReadBackEqual) {
  ScratchDir dir;
  Decision empty_policy = example_decision();
  empty_policy.policy = AdrPolicy{};
  Decision quoted = example_decision();
  quoted.title = "A \"quoted\" C:\\path";
  Decision prose_lf = example_decision();
  prose_lf.context = "Ends with a line feed.\n";
  for (const Decision& d : {example_decision(), full_decision(), empty_policy, quoted, prose_lf}) {
    const auto path = dir / "adr" / "x1.toml";
    ASSERT_TRUE(write_adr_toml(path, d));
    auto back = read_adr_toml(path);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(*back, d) << slurp(path);
  }
  // The closing delimiter of prose that ends with a line feed stands on its own line.
  EXPECT_THAT(slurp(dir / "adr" / "x1.toml"), HasSubstr("context = '''\nEnds with a line feed.\n'''\ndecision = "));
}

TEST(TomlioAdrFile, TitleQuoteAndBackslashAreEscaped) {
  Decision d = example_decision();
  d.title = "say \"hi\" \\o/";
  EXPECT_THAT(render_adr_toml(d), HasSubstr("title = \"say \\\"hi\\\" \\\\o/\"\n"));
}

struct BadFile {
  const char* name;
  std::string content;
  std::string expected_start;  // the error text begins with this
  std::string expected_part;   // ... and contains this
};

class TomlioAdrReaderErrors : public ::testing::TestWithParam<BadFile> {};

TEST_P(TomlioAdrReaderErrors, NameTheProblem) {
  ScratchDir dir;
  const auto path = dir / "bad.toml";
  spill(path, GetParam().content);
  auto read = read_adr_toml(path);
  ASSERT_FALSE(read);
  EXPECT_THAT(read.error(), StartsWith(GetParam().expected_start));
  EXPECT_THAT(read.error(), HasSubstr(GetParam().expected_part));
}

const std::string kHead = "id = \"x1\"\ntitle = \"T\"\n";
const std::string kProse = "decided_at = \"2024-05-01\"\ncontext = 'c'\ndecision = 'd'\nconsequences = 'e'\n";

INSTANTIATE_TEST_SUITE_P(
    Table, TomlioAdrReaderErrors,
    ::testing::Values(
        BadFile{"missing_field", "id = \"x1\"\nstatus = \"draft\"\n" + kProse, "missing field `title`", ""},
        BadFile{"unknown_key", kHead + "status = \"draft\"\n" + kProse + "colour = \"red\"\n",
                "unknown field `colour`, expected one of", "at line 8"},
        BadFile{"wrong_type", kHead + "status = \"draft\"\n" + kProse + "related_flows = \"f1\"\n", "invalid type",
                "at line 8"},
        BadFile{"date_value", kHead + "status = \"draft\"\ndecided_at = 2024-05-01\ncontext = 'c'\n"
                                      "decision = 'd'\nconsequences = 'e'\n",
                "invalid type", "at line 4"},
        BadFile{"capitalised_status", kHead + "status = \"Accepted\"\n" + kProse, "unknown variant `Accepted`",
                "at line 3"},
        BadFile{"bad_rule_kind",
                kHead + "status = \"draft\"\n" + kProse +
                    "[policy]\n[[policy.forbid]]\nfrom_kind = \"robot\"\nto_kind = \"code\"\ncode = \"c\"\n"
                    "severity = \"error\"\nmessage = \"m\"\n",
                "unknown variant `robot`", "at line 10"},
        BadFile{"syntax_error", kHead + "status = [\"draft\",\n", "", "at line 3 column"},
        BadFile{"invalid_utf8", kHead + "status = \"dr\xff\"\n" + kProse, "", "at line 3 column"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TomlioAdrFile, SpecialEntriesAreRefusedWithoutBlocking) {
  ScratchDir dir;
  const auto fifo = dir / "fifo.toml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto from_fifo = read_adr_toml(fifo);
  ASSERT_FALSE(from_fifo);
  EXPECT_EQ(from_fifo.error(), fifo.string() + ": not a regular file");

  const auto real = dir / "real.toml";
  ASSERT_TRUE(write_adr_toml(real, example_decision()));
  const auto link = dir / "link.toml";
  std::filesystem::create_symlink(real, link);
  auto through_link = read_adr_toml(link);
  ASSERT_FALSE(through_link);
  EXPECT_EQ(through_link.error(), link.string() + ": not a regular file");

  auto missing = read_adr_toml(dir / "missing.toml");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error(), "No such file or directory");
}

TEST(TomlioAdrFile, OversizedFileIsRefused) {
  ScratchDir dir;
  const auto path = dir / "big.toml";
  spill(path, "");
  std::filesystem::resize_file(path, 16 * 1024 * 1024 + 1);
  auto read = read_adr_toml(path);
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error(), path.string() + ": file larger than 16 MiB");
}
