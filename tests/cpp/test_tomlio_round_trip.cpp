// Every text we write must read back exactly, through our own reader and
// through an independent one (Python's tomllib), whatever characters it holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tomlio/record_files.hpp"
#include "tomlio/toml_quote.hpp"
#include "test_tomlio_support.hpp"

using namespace borvane::domain;
using namespace borvane::tomlio;
using tomlio_test::example_decision;
using tomlio_test::ScratchDir;
using tomlio_test::slurp;

namespace {

const std::vector<std::string>& nasty_texts() {
  static const std::vector<std::string> texts = {
      "line\nfeed",
      "lone\rcarriage return",
      "crlf\r\nline",
      "form\ffeed",
      "del\x7f",
      std::string("nul\0byte", 8),
      "escape \x1b and backspace \b",
      "\ttab first",
      "has ''' inside",
      "\"\"\" and ''",
      "trailing backslash\\",
      "ends with quote'",
      "ends with two quotes''",
      "'",
      "",
      "\nstarts with a line feed",
      "ends with a line feed\n",
      "say \"hi\" \\ there",
      "dots " + std::string(300, '.') + "\nand more " + std::string(300, '.'),
      "non-ASCII: Gr\xc3\xbc\xc3\x9f\x65, \xe6\x97\xa5\xe6\x9c\xac, \xf0\x9f\x9a\x80",
  };
  return texts;
}

Decision decision_holding(const std::string& text) {
  Decision d = example_decision();
  d.title = text;
  d.context = text;
  d.decision = "plain";
  d.consequences = text + "!";
  d.reason = text;
  d.scope_element_id = text;
  d.related_flows = {text, "f2"};
  d.refs = {DocRef{"https://example.org", text}};
  d.policy = AdrPolicy{PolicyMode::Enforce,
                       {AdrForbidRule{ElementKind::Person, ElementKind::Code, "c", Severity::Info, text}}};
  return d;
}

Flow flow_holding(const std::string& text) {
  Flow f;
  f.id = "f1";
  f.workspace_id = "sidecar";
  f.title = text;
  f.kind = FlowKind::Sequence;
  f.usage_key = text;
  f.related_adrs = {text};
  f.epoch = FlowEpoch{text, text, std::nullopt, std::nullopt, text};
  f.body = "sequenceDiagram\n" + text;
  f.anchors = {FlowAnchor{text, text, std::nullopt}};
  f.path = "docs/flows/f1.toml";
  return f;
}

ModelFile model_holding(const std::string& text) {
  Element e;
  e.id = "e1";
  e.workspace_id = "sidecar";
  e.kind = ElementKind::Code;
  e.name = text;
  e.description = text;
  CodeMember m;
  m.kind = CodeMemberKind::Method;
  m.visibility = "+";
  m.name = "run";
  m.params = {CodeParam{"p", text, true}};
  m.return_type = text;
  e.members = {m};
  Relationship r{"r1", "sidecar", "e1", "e1", text, std::nullopt};
  return ModelFile{"sidecar", {e}, {r}};
}

// Runs tomllib over the files; one JSON document per file.
nlohmann::json load_with_tomllib(const std::vector<std::filesystem::path>& files) {
  std::string command =
      "/usr/bin/env python3 -c \"import tomllib,sys,json; "
      "print(json.dumps([tomllib.load(open(p,'rb')) for p in sys.argv[1:]]))\"";
  for (const auto& f : files) command += " '" + f.string() + "'";
  command += " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return nullptr;
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << output;
  return nlohmann::json::parse(output, nullptr, false);
}

bool python_available() { return std::system("/usr/bin/env python3 -c '' >/dev/null 2>&1") == 0; }

}  // namespace

TEST(TomlioQuote, EscapesExactlyWhatTomlRequires) {
  EXPECT_EQ(q("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(q("\b\t\n\f\r"), "\"\\b\\t\\n\\f\\r\"");
  EXPECT_EQ(q(std::string("\0\x1f\x7f", 3)), "\"\\u0000\\u001F\\u007F\"");
  EXPECT_EQ(q("h\xc3\xa9"), "\"h\xc3\xa9\"");  // non-ASCII stays as it is
}

TEST(TomlioQuote, ProseFormOnlyWhenItReadsBackUnchanged) {
  EXPECT_EQ(lit("two\nlines\twith tab"), "'''\ntwo\nlines\twith tab'''");
  EXPECT_EQ(lit("ends with quote'"), "'''\nends with quote''''");
  EXPECT_EQ(lit("has ''' inside"), q("has ''' inside"));
  EXPECT_EQ(lit("crlf\r\n"), q("crlf\r\n"));
  EXPECT_EQ(lit("del\x7f"), q("del\x7f"));
}

TEST(TomlioRoundTrip, NastyTextsReadBackThroughOurReader) {
  ScratchDir dir;
  for (const std::string& text : nasty_texts()) {
    SCOPED_TRACE(::testing::PrintToString(text));
    const Decision d = decision_holding(text);
    ASSERT_TRUE(write_adr_toml(dir / "d.toml", d));
    auto d_back = read_adr_toml(dir / "d.toml");
    ASSERT_TRUE(d_back) << d_back.error() << "\n" << slurp(dir / "d.toml");
    EXPECT_EQ(*d_back, d);

    const Flow f = flow_holding(text);
    ASSERT_TRUE(write_flow_toml(dir / "f.toml", f));
    auto f_back = read_flow_toml(dir / "f.toml");
    ASSERT_TRUE(f_back) << f_back.error() << "\n" << slurp(dir / "f.toml");
    EXPECT_EQ(*f_back, f);

    const ModelFile m = model_holding(text);
    ASSERT_TRUE(write_model_toml(dir / "model.toml", m));
    auto m_back = read_model_toml(dir / "model.toml");
    ASSERT_TRUE(m_back) << m_back.error() << "\n" << slurp(dir / "model.toml");
    EXPECT_EQ(*m_back, m);
  }
}

TEST(TomlioRoundTrip, NastyTextsReadBackThroughTomllib) {
  if (!python_available()) GTEST_SKIP() << "python3 is not available";
  ScratchDir dir;
  std::vector<std::filesystem::path> files;
  const auto& texts = nasty_texts();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto base = dir / std::to_string(i);
    ASSERT_TRUE(write_adr_toml(base.string() + "-adr.toml", decision_holding(texts[i])));
    ASSERT_TRUE(write_flow_toml(base.string() + "-flow.toml", flow_holding(texts[i])));
    ASSERT_TRUE(write_model_toml(base.string() + "-model.toml", model_holding(texts[i])));
    files.push_back(base.string() + "-adr.toml");
    files.push_back(base.string() + "-flow.toml");
    files.push_back(base.string() + "-model.toml");
  }
  const nlohmann::json loaded = load_with_tomllib(files);
  ASSERT_TRUE(loaded.is_array() && loaded.size() == files.size()) << loaded.dump();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& t = texts[i];
    SCOPED_TRACE(::testing::PrintToString(t));
    const auto& adr = loaded[3 * i];
    EXPECT_EQ(adr["title"], t);
    EXPECT_EQ(adr["context"], t);
    EXPECT_EQ(adr["consequences"], t + "!");
    EXPECT_EQ(adr["reason"], t);
    EXPECT_EQ(adr["scope_element_id"], t);
    EXPECT_EQ(adr["related_flows"], nlohmann::json::array({t, "f2"}));
    EXPECT_EQ(adr["refs"][0]["title"], t);
    EXPECT_EQ(adr["policy"]["forbid"][0]["message"], t);
    const auto& flow = loaded[3 * i + 1];
    EXPECT_EQ(flow["title"], t);
    EXPECT_EQ(flow["body"], "sequenceDiagram\n" + t);
    EXPECT_EQ(flow["related_adrs"][0], t);
    EXPECT_EQ(flow["epoch"]["note"], t);
    EXPECT_EQ(flow["anchors"][0]["alias"], t);
    const auto& model = loaded[3 * i + 2];
    EXPECT_EQ(model["elements"][0]["description"], t);
    EXPECT_EQ(model["elements"][0]["members"][0]["params"][0]["type"], t);
    EXPECT_EQ(model["relationships"][0]["description"], t);
  }
}
