// Flow diagrams and the two flow pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/flow_mermaid.hpp"
#include "render/flow_pages.hpp"
#include "test_mermaid_support.hpp"

using borvane::domain::DocRef;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Flow;
using borvane::domain::FlowAnchor;
using borvane::domain::FlowKind;
using borvane::domain::FlowStep;
using borvane::render::flow_detail_html;
using borvane::render::flow_to_mermaid;
using borvane::render::flows_index_html;
using borvane::testing::el;

namespace {

Flow flow(FlowKind kind, std::vector<FlowStep> steps = {}) {
  Flow f;
  f.id = "checkout";
  f.workspace_id = "sidecar";
  f.title = "Checkout";
  f.kind = kind;
  f.steps = std::move(steps);
  f.path = "docs/flows/checkout.toml";
  return f;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

const std::vector<Element> kModel = {
    el("user", ElementKind::Person, "User"),
    el("sys1", ElementKind::SoftwareSystem, "Shop"),
    el("web", ElementKind::Container, "Web \"App\"", "sys1"),
    el("api-1", ElementKind::Container, "API", "sys1"),
};

}  // namespace

TEST(FlowToMermaid, SequenceAndStateReturnTheBodyUnchanged) {
  Flow seq = flow(FlowKind::Sequence);
  seq.body = "  sequenceDiagram\n  a->>b: x<y>\n";
  EXPECT_EQ(flow_to_mermaid(seq, kModel), "  sequenceDiagram\n  a->>b: x<y>\n");
  Flow state = flow(FlowKind::State);
  EXPECT_EQ(flow_to_mermaid(state, kModel), "");
  state.body = "stateDiagram-v2\n[*] --> A";
  EXPECT_EQ(flow_to_mermaid(state, kModel), "stateDiagram-v2\n[*] --> A");
}

TEST(FlowToMermaid, DynamicParticipantsInStoredOrderMessagesByNumber) {
  Flow f = flow(FlowKind::C4Dynamic, {FlowStep{2, "web", "api-1", "second"}, FlowStep{1, "user", "web", std::nullopt},
                                      FlowStep{2, "api-1", "ghost", "tie keeps stored order"}});
  EXPECT_EQ(flow_to_mermaid(f, kModel),
            "sequenceDiagram\n"
            "  participant web as Web 'App'\n"
            "  participant api_1 as API\n"
            "  participant user as User\n"
            "  participant ghost as ghost\n"
            "  user->>web: uses\n"
            "  web->>api_1: second\n"
            "  api_1->>ghost: tie keeps stored order\n");
}

TEST(FlowToMermaid, DynamicWithoutStepsIsTheHeaderAlone) {
  EXPECT_EQ(flow_to_mermaid(flow(FlowKind::C4Dynamic), kModel), "sequenceDiagram\n");
}

TEST(FlowToMermaid, UnquotedTextCannotEndTheStatement) {
  struct Case {
    std::string label;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"hi;note over a: X", "hi#59;note over a#58; X"},
      {"a#b", "a#35;b"},
      {"#59;", "#35;59#59;"},
      {"wrap:secret", "wrap#58;secret"},
      // The shared label cleaning also puts a zero-width space between "%%"
      // and "{" (invisible); either alone keeps the directive from parsing.
      {"%%{init: {}}%% 5%", "#37;#37;\u200b{init#58; {}}#37;#37; 5#37;"},
      {"line\nbreak\rend", "line break end"},
      {"x<b>y</b>", "x<b>y</b>"},  // drawn as plain SVG text
      {"back\\slash \u2013 \"q\"", "back\\\\slash - 'q'"},
      {"", ""},
  };
  for (const Case& c : cases) {
    Flow f = flow(FlowKind::C4Dynamic, {FlowStep{1, "user", "user", c.label}});
    EXPECT_EQ(flow_to_mermaid(f, kModel), "sequenceDiagram\n  participant user as User\n  user->>user: " + c.message + "\n")
        << c.label;
  }
  std::vector<Element> named = {el("end", ElementKind::Person, "a;b#c:d")};
  Flow f = flow(FlowKind::C4Dynamic, {FlowStep{1, "end", "end", "x"}});
  EXPECT_EQ(flow_to_mermaid(f, named),
            "sequenceDiagram\n  participant p_end as a#59;b#35;c#58;d\n  p_end->>p_end: x\n");
}

TEST(FlowsIndex, EmptyListShowsThePlaceholderAndCounts) {
  const std::string page = flows_index_html("https://x.example/", {}, 3);
  EXPECT_TRUE(page.starts_with("<!doctype html>\n<html lang=\"en\">\n<head>\n"));
  EXPECT_NE(page.find("<title>Flows</title>"), std::string::npos);
  EXPECT_NE(page.find("<div class=\"mono\">0 flow(s)</div>"), std::string::npos);
  EXPECT_NE(page.find("<tr><td colspan=\"5\" class=\"empty\">No flows yet \u2014 use <code>upsert_flow</code></td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<nav class=\"top-tabs\" aria-label=\"Primary\">"
                      "<a class=\"tab\" href=\"https://x.example/?layer=context\">Diagrams</a>"
                      "<a class=\"tab\" href=\"https://x.example/?mode=all&amp;renderer=wasm\">All</a>"
                      "<a class=\"tab active\" href=\"https://x.example/flows\">Flows (0)</a>"
                      "<a class=\"tab\" href=\"https://x.example/adrs\">ADRs (3)</a></nav>"),
            std::string::npos);
  EXPECT_NE(page.find("<th>ID</th><th>Title</th><th>Kind</th><th>Usage key</th><th>ADRs</th>"), std::string::npos);
  EXPECT_TRUE(page.ends_with("</html>\n"));
}

TEST(FlowsIndex, RowsAreExactAndEscaped) {
  Flow a = flow(FlowKind::Sequence);
  a.id = "a b";
  a.title = "<b>\"Pay\"</b>";
  a.related_adrs = {"adr-1", "adr-2"};
  Flow b = flow(FlowKind::State);
  b.id = "b";
  b.usage_key = "k&1";
  const std::string page = flows_index_html("https://x.example//", {a, b}, 0);
  const std::string rows =
      "<tr>\n"
      "                  <td><a href=\"https://x.example/flows/a%20b\"><code>a%20b</code></a></td>\n"
      "                  <td><a class=\"title\" href=\"https://x.example/flows/a%20b\">"
      "&lt;b&gt;&quot;Pay&quot;&lt;/b&gt;</a></td>\n"
      "                  <td><span class=\"status proposed\">sequence</span></td>\n"
      "                  <td><code>\u2014</code></td>\n"
      "                  <td class=\"mono\">adr-1, adr-2</td>\n"
      "                </tr><tr>\n"
      "                  <td><a href=\"https://x.example/flows/b\"><code>b</code></a></td>\n"
      "                  <td><a class=\"title\" href=\"https://x.example/flows/b\">Checkout</a></td>\n"
      "                  <td><span class=\"status proposed\">state</span></td>\n"
      "                  <td><code>k&amp;1</code></td>\n"
      "                  <td class=\"mono\"></td>\n"
      "                </tr>";
  EXPECT_NE(page.find(rows), std::string::npos) << page;
  EXPECT_NE(page.find("2 flow(s)"), std::string::npos);
  EXPECT_EQ(count(page, "x.example//"), 0u);
  EXPECT_EQ(page.find("<b>"), std::string::npos);
}

TEST(FlowDetail, DocumentFrame) {
  Flow f = flow(FlowKind::State);
  f.title = "<b>\"T\"</b>";
  f.usage_key = "u1";
  const std::string page = flow_detail_html("https://x.example/", f, kModel, 7, 2);
  EXPECT_NE(page.find("<title>Flow checkout \u2014 &lt;b&gt;&quot;T&quot;&lt;/b&gt;</title>"), std::string::npos);
  EXPECT_NE(page.find("<body class=\"app-shell\" style=\"overflow:auto\">"), std::string::npos);
  EXPECT_NE(page.find("<header class=\"topbar\" style=\"position:sticky\">"), std::string::npos);
  EXPECT_NE(page.find("<div class=\"id-row\"><code>checkout</code> <span class=\"status proposed\">state</span></div>"),
            std::string::npos);
  EXPECT_NE(page.find("<h1 style=\"margin:.35rem 0 0;font-size:1.25rem\">&lt;b&gt;&quot;T&quot;&lt;/b&gt;</h1>"),
            std::string::npos);
  EXPECT_NE(page.find("<div class=\"meta\"><span>usage <code>u1</code></span>"
                      "<span>scope <code>\u2014</code></span></div>"),
            std::string::npos);
  EXPECT_NE(page.find("<nav class=\"top-tabs\" aria-label=\"Primary\">"
                      "<a class=\"tab\" href=\"https://x.example/?layer=context\">Diagrams</a>"
                      "<a class=\"tab\" href=\"https://x.example/flows\">Flows (7)</a>"
                      "<a class=\"tab\" href=\"https://x.example/adrs\">ADRs (2)</a></nav>"),
            std::string::npos);
  EXPECT_NE(page.find("<div id=\"flow-render-error\" class=\"boot-status error\" hidden></div>"), std::string::npos);
  EXPECT_NE(page.find("<li class=\"empty\">No linked C4/ADR yet</li>"), std::string::npos);
}

TEST(FlowDetail, MermaidScriptIsStrict) {
  const std::string page = flow_detail_html("https://x.example", flow(FlowKind::State), kModel, 1, 0);
  EXPECT_NE(page.find("<script type=\"module\">"), std::string::npos);
  EXPECT_NE(page.find("import mermaid from \"https://cdn.jsdelivr.net/npm/mermaid@11/"), std::string::npos);
  EXPECT_NE(page.find("securityLevel: 'strict'"), std::string::npos);
  EXPECT_EQ(page.find("'loose'"), std::string::npos);
  EXPECT_NE(page.find("startOnLoad: false"), std::string::npos);
  EXPECT_NE(page.find("await mermaid.run({ querySelector: '.mermaid' })"), std::string::npos);
  EXPECT_NE(page.find("\"borvane-c4 flow mermaid failed\""), std::string::npos);
  EXPECT_NE(page.find("\"Mermaid render failed: \""), std::string::npos);
  // The script's own text never closes the element early.
  const std::size_t open = page.find("<script type=\"module\">");
  EXPECT_EQ(page.find("</", open), page.find("</script>", open));
}

TEST(FlowDetail, DiagramEscapesOnlyAmpersandAndLessThan) {
  Flow f = flow(FlowKind::Sequence);
  f.body = "sequenceDiagram\n  a->>b: x</pre><script>&amp; y>z\n";
  const std::string page = flow_detail_html("https://x.example", f, kModel, 1, 0);
  EXPECT_NE(page.find("<pre class=\"mermaid\">\nsequenceDiagram\n  a->>b: x&lt;/pre>&lt;script>&amp;amp; y>z\n\n</pre>"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("<script>"), std::string::npos);
}

TEST(FlowDetail, LinksInOrderEachElementOnce) {
  Flow f = flow(FlowKind::C4Dynamic);
  for (std::uint32_t n = 1; n <= 5; ++n) f.steps.push_back(FlowStep{n, "web", "ghost", std::nullopt});
  f.steps.push_back(FlowStep{6, "user", "web", std::nullopt});
  f.anchors = {FlowAnchor{"x", std::string("api-1"), std::nullopt}, FlowAnchor{"y", std::nullopt, std::string("adr")},
               FlowAnchor{"z", std::string("user"), std::nullopt}};
  f.related_adrs = {"adr 1"};
  f.refs = {DocRef{"https://docs.example/a?b=1&c=\"2\"", std::nullopt}, DocRef{"https://docs.example/t", "Guide <v2>"},
            DocRef{"https://docs.example/e", ""}};
  const std::string page = flow_detail_html("https://x.example/", f, kModel, 1, 1);
  const std::string links =
      "<ul>"
      "<li><a class=\"drill\" href=\"https://x.example/?layer=container&parent=sys1\"><span class=\"kind\">container</span>"
      "<span class=\"name\">Web &quot;App&quot;</span><span class=\"chev\">\u2192</span></a></li>"
      "<li><a class=\"drill\" href=\"https://x.example/?layer=context\"><span class=\"kind\">person</span>"
      "<span class=\"name\">User</span><span class=\"chev\">\u2192</span></a></li>"
      "<li><a class=\"drill\" href=\"https://x.example/?layer=container&parent=sys1\"><span class=\"kind\">container</span>"
      "<span class=\"name\">API</span><span class=\"chev\">\u2192</span></a></li>"
      "<li><a class=\"drill\" href=\"https://x.example/adrs/adr%201\"><span class=\"kind\">adr</span>"
      "<span class=\"name\">adr%201</span><span class=\"chev\">\u2197</span></a></li>"
      "<li><a class=\"drill\" href=\"https://docs.example/a?b=1&amp;c=&quot;2&quot;\" target=\"_blank\" "
      "rel=\"noopener noreferrer\"><span class=\"kind\">ref</span>"
      "<span class=\"name\">https://docs.example/a?b=1&amp;c=&quot;2&quot;</span><span class=\"chev\">\u2197</span></a></li>"
      "<li><a class=\"drill\" href=\"https://docs.example/t\" target=\"_blank\" rel=\"noopener noreferrer\">"
      "<span class=\"kind\">ref</span><span class=\"name\">Guide &lt;v2&gt;</span><span class=\"chev\">\u2197</span></a></li>"
      "<li><a class=\"drill\" href=\"https://docs.example/e\" target=\"_blank\" rel=\"noopener noreferrer\">"
      "<span class=\"kind\">ref</span><span class=\"name\">https://docs.example/e</span>"
      "<span class=\"chev\">\u2197</span></a></li>"
      "</ul>";
  EXPECT_NE(page.find(links), std::string::npos) << page;
  EXPECT_EQ(page.find("No linked C4/ADR yet"), std::string::npos);
}

TEST(FlowDetail, ElementTargetsByKind) {
  const std::vector<Element> model = {
      el("p", ElementKind::Person, "P"),          el("s", ElementKind::SoftwareSystem, "S"),
      el("x", ElementKind::External, "X"),        el("c", ElementKind::Container, "C"),
      el("k", ElementKind::Component, "K", "c/1"), el("m", ElementKind::Code, "M", "k"),
  };
  Flow f = flow(FlowKind::C4Dynamic, {FlowStep{1, "p", "s", {}}, FlowStep{2, "x", "c", {}}, FlowStep{3, "k", "m", {}}});
  const std::string page = flow_detail_html("https://x.example", f, model, 1, 1);
  EXPECT_EQ(count(page, "href=\"https://x.example/?layer=context\"><span class=\"kind\">"), 3u);
  EXPECT_NE(page.find("href=\"https://x.example/?layer=container&parent=\"><span class=\"kind\">container"),
            std::string::npos);
  EXPECT_NE(page.find("href=\"https://x.example/?layer=component&parent=c%2F1\"><span class=\"kind\">component"),
            std::string::npos);
  EXPECT_NE(page.find("href=\"https://x.example/?layer=code&parent=k\"><span class=\"kind\">code"), std::string::npos);
}
