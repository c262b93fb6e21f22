// The text helpers every Mermaid output shares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/mermaid_text.hpp"
#include "test_mermaid_support.hpp"

namespace {

using borvane::render::bare_label;
using borvane::render::c4_label;
using borvane::render::c4_rel_label;
using borvane::render::emit_rels;
using borvane::render::external_desc;
using borvane::render::ExternalDesc;
using borvane::render::html_label;
using borvane::render::sanitize_alias;
using borvane::render::ShownIds;
using borvane::testing::rel;
using borvane::testing::Text;

struct Pair {
  std::string input;
  std::string expected;
};

TEST(MermaidText, SanitizeAlias) {
  const std::vector<Pair> cases = {
      {"web-app", "web_app"},
      {"1st", "n1st"},
      {"", "id"},
      {"\u00fc", "_"},
      {"\u65e5\u672c", "__"},
      {"a b.c", "a_b_c"},
      {"End", "p_End"},
      {"END", "p_END"},
      {"end", "p_end"},
      {"endpoint", "endpoint"},
      {"classDiagram", "p_classDiagram"},
      {"state-diagram-v2", "state_diagram_v2"},
      {"stateDiagramV2", "p_stateDiagramV2"},
      // Also refused by Mermaid 11 as node, class or participant ids.
      {"call", "p_call"},
      {"href", "p_href"},
      {"interpolate", "p_interpolate"},
      {"linkStyle", "p_linkStyle"},
      {"o", "p_o"},
      {"O", "p_O"},
      {"cssClass", "p_cssClass"},
      {"default", "p_default"},
      {"off", "p_off"},
      {"option", "p_option"},
      {"par_over", "p_par_over"},
      {"par-over", "p_par_over"},
      {"accTitle", "p_accTitle"},
      {"accDescr", "p_accDescr"},
      {"_self", "p__self"},
      {"-top", "p__top"},
      {"_blank", "p__blank"},
      {"_parent", "p__parent"},
      {"x", "x"},
      {"v", "v"},
      {"9", "n9"},
  };
  for (const Pair& c : cases) EXPECT_EQ(sanitize_alias(c.input), c.expected) << c.input;
}

TEST(MermaidText, C4Label) {
  const std::string zwsp = "\u200b";
  const std::vector<Pair> cases = {
      {"Say \"hi\"", "Say 'hi'"},
      {"a\\b", "a\\\\b"},
      {"a\u2013b\u2014c", "a-b-c"},
      {"one\ntwo", "one two"},
      {"uses\rclick A call eval(1)", "uses click A call eval(1)"},
      {"a\r\nb", "a  b"},
      {"<b>; #: \u00fc", "<b>; #: \u00fc"},
      // Patterns Mermaid reads as statements anywhere get a zero-width space.
      {"%%{init: {}}%%", "%%" + zwsp + "{init: {}}%%"},
      {"%{ %%%{", "%{ %%%" + zwsp + "{"},
      {"set direction TB", "set direction" + zwsp + " TB"},
      {"direction\nLR", "direction" + zwsp + " LR"},
      {"direction\u00a0RL", "direction" + zwsp + "\u00a0RL"},
      {"directions TB", "directions TB"},
      {"Direction TB", "Direction TB"},
      {"direction", "direction"},
  };
  for (const Pair& c : cases) EXPECT_EQ(c4_label(c.input), c.expected) << c.input;
}

TEST(MermaidText, RelLabel) {
  struct Case {
    Text input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {std::nullopt, "uses"},
      {"   ", "uses"},
      {"  reads  ", "reads"},
      {"a<b>c", "a(b)c"},
      {"x \u2192 y \u2190 z", "x -) y (- z"},
      {"2*3 | #tag \"q\"", "2x3 / tag 'q'"},
      {std::string(40, 'a'), std::string(33, 'a') + "..."},
      {std::string(36, 'a'), std::string(36, 'a')},
      {std::string(37, 'a'), std::string(33, 'a') + "..."},
      {"\u00fc" + std::string(36, 'b'), "\u00fc" + std::string(32, 'b') + "..."},
  };
  for (const Case& c : cases) EXPECT_EQ(c4_rel_label(c.input), c.expected) << c.input.value_or("<none>");
}

TEST(MermaidText, ExternalDesc) {
  struct Case {
    Text input;
    ExternalDesc expected;
  };
  const std::vector<Case> cases = {
      {std::nullopt, {false, ""}},
      {"  ", {false, ""}},
      {" External ", {true, ""}},
      {"EXTERNAL: Card processor ", {true, "Card processor"}},
      {"external  partner bank", {true, "partner bank"}},
      {"[EXTERNAL]", {true, ""}},
      {"[external] mail relay", {true, "mail relay"}},
      {"Hosted  External \t service", {true, "Hosted service"}},
      {"externally   hosted", {false, "externally hosted"}},
      {"plain  text", {false, "plain  text"}},
  };
  for (const Case& c : cases) EXPECT_EQ(external_desc(c.input), c.expected) << c.input.value_or("<none>");
}

TEST(MermaidText, EmitRelsFansOutTheLabels) {
  const std::vector<std::string> ids = {"a", "b", "end"};
  const ShownIds shown(ids.begin(), ids.end());
  std::string out;
  emit_rels(out,
            {rel("1", "a", "b", "reads", " SQL "), rel("2", "a", "hidden"), rel("3", "b", "end", std::nullopt, " "),
             rel("4", "end", "a", "x\u2192y"), rel("5", "a", "end"), rel("6", "b", "a")},
            shown);
  EXPECT_EQ(out,
            "  Rel(a, b, \"reads\", \"SQL\")\n"
            "  Rel(b, p_end, \"uses\")\n"
            "  Rel(p_end, a, \"x-)y\")\n"
            "  Rel(a, p_end, \"uses\")\n"
            "  Rel(b, a, \"uses\")\n"
            "  UpdateRelStyle(a, b, $textColor=\"#475569\", $lineColor=\"#94a3b8\", $offsetX=\"-30\", $offsetY=\"-40\")\n"
            "  UpdateRelStyle(b, p_end, $textColor=\"#475569\", $lineColor=\"#94a3b8\", $offsetX=\"-8\", $offsetY=\"-18\")\n"
            "  UpdateRelStyle(p_end, a, $textColor=\"#475569\", $lineColor=\"#94a3b8\", $offsetX=\"14\", $offsetY=\"4\")\n"
            "  UpdateRelStyle(a, p_end, $textColor=\"#475569\", $lineColor=\"#94a3b8\", $offsetX=\"36\", $offsetY=\"26\")\n"
            "  UpdateRelStyle(b, a, $textColor=\"#475569\", $lineColor=\"#94a3b8\", $offsetX=\"-30\", $offsetY=\"48\")\n");
}

TEST(MermaidText, EmitRelsNeedsRelationshipsAndShownIds) {
  std::string out = "x";
  emit_rels(out, {}, ShownIds{"a"});
  emit_rels(out, {rel("1", "a", "a")}, ShownIds{});
  EXPECT_EQ(out, "x");
}

TEST(MermaidText, BareAndHtmlLabels) {
  EXPECT_EQ(bare_label("Shop; EU #1: x"), "Shop#59; EU #35;1#58; x");
  EXPECT_EQ(bare_label("a<b>"), "a<b>");
  EXPECT_EQ(html_label("<img src=x> `md` \"q\""), "#lt;img src=x#gt; #96;md#96; 'q'");
  EXPECT_EQ(html_label("a; b: #c"), "a; b: #c");
}

}  // namespace
