// model.toml and flow files: round trips of full records, the pretty layout,
// what counts as "no model yet", and reader errors.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tomlio/record_files.hpp"
#include "test_tomlio_support.hpp"

using namespace borvane::domain;
using namespace borvane::tomlio;
using tomlio_test::ScratchDir;
using tomlio_test::slurp;
using tomlio_test::spill;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

ModelFile sample_model() {
  Element person{"user", "sidecar", ElementKind::Person, std::nullopt, "User", "A person", std::nullopt,
                 std::nullopt, {}};
  Element code{"repo", "sidecar", ElementKind::Code, "api", "Repo", "Stores\nthings", "C++",
               "https://example.org/repo", {}};
  CodeMember find{CodeMemberKind::Method, "+", "find", {CodeParam{"id", "Id", false}, CodeParam{"limit", "int", true},
                                                      CodeParam{"raw", std::nullopt, false}},
                  "Item", std::nullopt};
  CodeMember count{CodeMemberKind::Field, "-", "count", {}, std::nullopt, "int"};
  code.members = {find, count};
  Relationship uses{"r1", "sidecar", "user", "repo", "uses", "HTTPS"};
  Relationship bare{"r2", "sidecar", "repo", "user", std::nullopt, std::nullopt};
  return ModelFile{"sidecar", {person, code}, {uses, bare}};
}

Flow dynamic_flow() {
  Flow f;
  f.id = "checkout";
  f.workspace_id = "sidecar";
  f.title = "Checkout";
  f.kind = FlowKind::C4Dynamic;
  f.usage_key = "shop.checkout";
  f.scope_element_id = "shop";
  f.related_adrs = {"x1", "x2"};
  f.epoch = FlowEpoch{"release", "beta", "2024-01", std::nullopt, "first cut"};
  f.steps = {FlowStep{1, "user", "shop", "opens cart"}, FlowStep{2, "shop", "db", std::nullopt}};
  f.refs = {DocRef{"https://example.org/flow", "Spec"}};
  f.path = "docs/flows/checkout.toml";
  f.git_commit_id = "abc123";
  return f;
}

Flow sequence_flow() {
  Flow f;
  f.id = "login";
  f.title = "Login";
  f.kind = FlowKind::Sequence;
  f.body = "sequenceDiagram\n  A->>B: hi\n";
  f.anchors = {FlowAnchor{"A", "user", std::nullopt}, FlowAnchor{"B", std::nullopt, "x1"}};
  return f;
}

}  // namespace

TEST(TomlioModelFile, RoundTripKeepsEveryField) {
  ScratchDir dir;
  const auto path = dir / "model.toml";
  for (const ModelFile& m : {sample_model(), ModelFile{"sidecar", {}, {}}}) {
    ASSERT_TRUE(write_model_toml(path, m));
    auto back = read_model_toml(path);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(*back, m) << slurp(path);
  }
}

TEST(TomlioModelFile, PrettyLayoutUsesArraysOfTablesInDeclarationOrder) {
  ScratchDir dir;
  const auto path = dir / "model.toml";
  ASSERT_TRUE(write_model_toml(path, sample_model()));
  const std::string text = slurp(path);
  EXPECT_THAT(text, StartsWith("workspace_id = \"sidecar\"\n\n[[elements]]\nid = \"user\"\n"
                               "workspace_id = \"sidecar\"\nkind = \"person\"\nname = \"User\"\n"));
  EXPECT_THAT(text, HasSubstr("\n[[elements.members]]\nkind = \"method\"\nvisibility = \"+\"\nname = \"find\"\n"
                              "return_type = \"Item\"\n\n[[elements.members.params]]\nname = \"id\"\n"
                              "type = \"Id\"\n\n[[elements.members.params]]\nname = \"limit\"\ntype = \"int\"\n"
                              "optional = true\n"));
  EXPECT_THAT(text, HasSubstr("description = '''\nStores\nthings'''\n"));
  EXPECT_THAT(text, ::testing::EndsWith("[[relationships]]\nid = \"r2\"\nworkspace_id = \"sidecar\"\n"
                                        "from_id = \"repo\"\nto_id = \"user\"\n"));
  EXPECT_FALSE(std::filesystem::exists(dir / "model.toml.tmp"));
}

TEST(TomlioModelFile, NothingToReadIsAnEmptyModel) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "dir.toml");
  spill(dir / "empty.toml", "");
  spill(dir / "blank.toml", " \n\t\r\n  ");
  ASSERT_EQ(::mkfifo((dir / "fifo.toml").c_str(), 0600), 0);
  for (const char* name : {"missing.toml", "dir.toml", "empty.toml", "blank.toml", "fifo.toml"}) {
    auto read = read_model_toml(dir / name);
    ASSERT_TRUE(read) << name << ": " << read.error();
    EXPECT_EQ(*read, ModelFile{}) << name;
  }
}

TEST(TomlioModelFile, UnknownTopLevelKeysAreIgnored) {
  ScratchDir dir;
  spill(dir / "model.toml", "version = 2\nworkspace_id = \"sidecar\"\n[extra]\nx = 1\n");
  auto read = read_model_toml(dir / "model.toml");
  ASSERT_TRUE(read) << read.error();
  EXPECT_EQ(read->workspace_id, "sidecar");
}

TEST(TomlioModelFile, ReaderErrorsNameTheProblem) {
  struct Case {
    std::string content;
    std::string expected_start;
    std::string expected_part;
  };
  std::string deep_header = "a";
  for (int i = 0; i < 40000; ++i) deep_header += ".a";
  const Case cases[] = {
      {"workspace_id = 5\n", "invalid type: integer `5`, expected a string", " at line 1"},
      {"elements = \"x\"\n", "invalid type: string \"x\", expected a sequence", " at line 1"},
      {"workspace_id = \"s\"\n[[elements]]\nid = \"a\"\nworkspace_id = \"s\"\nkind = \"person\"\n",
       "missing field `name`", " at line 5"},
      {"[[elements]]\nid = \"a\"\nworkspace_id = \"s\"\nkind = \"Person\"\nname = \"A\"\n",
       "unknown variant `Person`", " at line 4"},
      {"[[relationships]]\nid = \"r\"\nworkspace_id = \"s\"\nfrom_id = 1\nto_id = \"b\"\n", "invalid type",
       " at line 4"},
      {"workspace_id = \"s\"\nelements = [\n", "", " at line 2 column"},
      {"workspace_id = \"s\"\nworkspace_id = \"t\"\n", "", " at line 2 column"},
      // A header of tens of thousands of parts would exhaust the parser's stack.
      {"[" + deep_header + "]\n", "too many dotted key parts on one line (more than 128)", " at line 1 column"},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    spill(dir / "model.toml", c.content);
    auto read = read_model_toml(dir / "model.toml");
    ASSERT_FALSE(read) << c.content;
    EXPECT_THAT(read.error(), StartsWith(c.expected_start)) << c.content;
    EXPECT_THAT(read.error(), HasSubstr(c.expected_part)) << c.content;
  }
}

TEST(TomlioModelFile, LinkedModelFileIsRefused) {
  ScratchDir dir;
  ASSERT_TRUE(write_model_toml(dir / "real.toml", sample_model()));
  std::filesystem::create_symlink(dir / "real.toml", dir / "model.toml");
  auto read = read_model_toml(dir / "model.toml");
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error(), (dir / "model.toml").string() + ": not a regular file");
}

TEST(TomlioFlowFile, RoundTripKeepsEveryField) {
  ScratchDir dir;
  for (const Flow& f : {dynamic_flow(), sequence_flow()}) {
    const auto path = dir / "flows" / (f.id + ".toml");
    ASSERT_TRUE(write_flow_toml(path, f));
    auto back = read_flow_toml(path);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(*back, f) << slurp(path);
  }
}

TEST(TomlioFlowFile, PlainKeysComeFirstAndListsSpreadOnePerLine) {
  ScratchDir dir;
  const auto path = dir / "checkout.toml";
  ASSERT_TRUE(write_flow_toml(path, dynamic_flow()));
  EXPECT_EQ(slurp(path),
            "id = \"checkout\"\n"
            "workspace_id = \"sidecar\"\n"
            "title = \"Checkout\"\n"
            "kind = \"c4_dynamic\"\n"
            "usage_key = \"shop.checkout\"\n"
            "scope_element_id = \"shop\"\n"
            "related_adrs = [\n"
            "    \"x1\",\n"
            "    \"x2\",\n"
            "]\n"
            "path = \"docs/flows/checkout.toml\"\n"
            "git_commit_id = \"abc123\"\n"
            "\n"
            "[epoch]\n"
            "kind = \"release\"\n"
            "phase = \"beta\"\n"
            "from = \"2024-01\"\n"
            "note = \"first cut\"\n"
            "\n"
            "[[steps]]\n"
            "n = 1\n"
            "from_id = \"user\"\n"
            "to_id = \"shop\"\n"
            "label = \"opens cart\"\n"
            "\n"
            "[[steps]]\n"
            "n = 2\n"
            "from_id = \"shop\"\n"
            "to_id = \"db\"\n"
            "\n"
            "[[refs]]\n"
            "url = \"https://example.org/flow\"\n"
            "title = \"Spec\"\n");
}

TEST(TomlioFlowFile, ReaderErrorsNameTheProblem) {
  struct Case {
    std::string content;
    std::string expected_start;
  };
  const std::string head = "id = \"f\"\ntitle = \"T\"\n";
  const Case cases[] = {
      {"id = \"f\"\nkind = \"state\"\n", "missing field `title`"},
      {head + "kind = \"dynamic\"\n", "unknown variant `dynamic`"},
      {head + "kind = \"state\"\nsteps_count = 1\n", "unknown field `steps_count`"},
      {head + "kind = \"c4_dynamic\"\n[[steps]]\nn = -1\nfrom_id = \"a\"\nto_id = \"b\"\n", "invalid"},
      {head + "kind = \"state\"\n[epoch]\nphase = \"x\"\n", "missing field `kind`"},
      {head + "kind = \"state\"\n[[anchors]]\nalias = \"a\"\nelement = \"e\"\n", "unknown field `element`"},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    spill(dir / "f.toml", c.content);
    auto read = read_flow_toml(dir / "f.toml");
    ASSERT_FALSE(read) << c.content;
    EXPECT_THAT(read.error(), StartsWith(c.expected_start)) << c.content;
  }
}
