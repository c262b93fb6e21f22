// The view page: renderer choice, breadcrumbs, tabs, drill panels, sources,
// legends, the two stages and the embedded scene.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "render/mermaid_c4.hpp"
#include "render/view_drill.hpp"
#include "render/view_page.hpp"
#include "render/view_renderer.hpp"
#include "render/view_stage.hpp"
#include "test_mermaid_support.hpp"

using borvane::domain::C4Layer;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::render::choose_renderer;
using borvane::render::drill_up_target;
using borvane::render::DrillUp;
using borvane::render::embed_scene_json;
using borvane::render::view_html;
using borvane::render::Viewer;
using borvane::testing::el;
using borvane::testing::Text;

namespace {

Element with_url(Element e, std::string url) {
  e.url = std::move(url);
  return e;
}

// sys (system) > web (container) > api (component) > k (code); a container
// without a system above it; a person and an external.
const std::vector<Element> kModel = {
    el("api", ElementKind::Component, "API", "web"),
    el("bank", ElementKind::External, "Bank"),
    el("k", ElementKind::Code, "Klass", "api"),
    el("lone", ElementKind::Container, "Lone"),
    el("orph", ElementKind::Component, "Orphan", "lone"),
    el("sys", ElementKind::SoftwareSystem, "Shop & Co"),
    el("user", ElementKind::Person, "User"),
    el("web", ElementKind::Container, "Web", "sys"),
};

struct Page {
  C4Layer layer = C4Layer::Context;
  Text parent = std::nullopt;
  Text up = std::nullopt;  // drill-up parent
  std::string mode = "layer";
  std::string renderer = "mermaid";
  std::string base = "https://c4.example";
  std::string mermaid = "C4Context\n";
  std::string scene = "{\"nodes\":[]}";
  const std::vector<Element>* elements = &kModel;

  std::string html() const {
    return view_html({.layer = layer,
                      .parent_id = parent,
                      .mermaid_source = mermaid,
                      .base_url = base,
                      .drill_up_parent = up,
                      .elements = *elements,
                      .decision_count = 3,
                      .flow_count = 7,
                      .mode = mode,
                      .renderer = renderer,
                      .scene_json = scene});
  }
};

// The text from `open` up to and including the first `close` after it.
std::string between(const std::string& text, const std::string& open, const std::string& close) {
  const auto at = text.find(open);
  if (at == std::string::npos) return {};
  const auto end = text.find(close, at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end + close.size() - at);
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

constexpr const char* kSep = "<span class=\"sep\">/</span>";

}  // namespace

TEST(ViewRenderer, RendererTextIsComparedExactly) {
  struct Row {
    const char* text;
    Viewer viewer;
    const char* label;
    const char* word;
    const char* backend;
  };
  const Row rows[] = {
      {"webgpu", Viewer::Wasm, "WASM", "wasm", "webgpu"},
      {"auto", Viewer::Wasm, "WASM", "wasm", "auto"},
      {"canvas2d", Viewer::Wasm, "WASM", "wasm", "canvas2d"},
      {"wasm", Viewer::Wasm, "WASM", "wasm", "canvas2d"},
      {"WASM", Viewer::Mermaid, "Mermaid", "mermaid", ""},
      {" wasm", Viewer::Mermaid, "Mermaid", "mermaid", ""},
      {"mermaid", Viewer::Mermaid, "Mermaid", "mermaid", ""},
      {"", Viewer::Mermaid, "Mermaid", "mermaid", ""},
  };
  for (const Row& row : rows) {
    auto choice = choose_renderer(row.text);
    EXPECT_EQ(choice.viewer, row.viewer) << row.text;
    EXPECT_EQ(choice.label, row.label) << row.text;
    EXPECT_EQ(choice.url_word, row.word) << row.text;
    EXPECT_EQ(choice.backend, row.backend) << row.text;
  }
}

TEST(DrillUpTarget, FollowsTheParentChain) {
  struct Row {
    C4Layer layer;
    Text parent;
    bool all;
    std::optional<DrillUp> expected;
  };
  const std::vector<Row> rows = {
      {C4Layer::Context, std::nullopt, true, std::nullopt},
      {C4Layer::Context, "nowhere", true, DrillUp{"All layers", std::nullopt, "all", C4Layer::Context}},
      {C4Layer::Container, std::nullopt, false, std::nullopt},
      {C4Layer::Container, "nowhere", false, std::nullopt},
      {C4Layer::Container, "sys", false, DrillUp{"Context", std::nullopt, "context", C4Layer::Context}},
      {C4Layer::Component, "web", false, DrillUp{"Shop & Co", "sys", "container", C4Layer::Container}},
      {C4Layer::Component, "lone", false, std::nullopt},
      {C4Layer::Code, "api", false, DrillUp{"Web", "web", "component", C4Layer::Component}},
      {C4Layer::Code, "orph", false, DrillUp{"Lone", "lone", "component", C4Layer::Component}},
      {C4Layer::Landscape, "sys", false, std::nullopt},
      {C4Layer::Context, "sys", false, std::nullopt},
      {C4Layer::Adr, "sys", false, std::nullopt},
  };
  for (const Row& row : rows)
    EXPECT_EQ(drill_up_target(kModel, row.layer, row.parent, row.all), row.expected)
        << row.layer.text() << " " << row.parent.value_or("-");
}

TEST(DrillUpTarget, NamesAMissingGrandparentByItsId) {
  const std::vector<Element> model = {el("c", ElementKind::Container, "C", "gone")};
  EXPECT_EQ(drill_up_target(model, C4Layer::Component, "c", false),
            (DrillUp{"gone", "gone", "container", C4Layer::Container}));
}

TEST(ViewPage, BreadcrumbsOfEveryLayer) {
  const std::string ctx = "<nav class=\"crumbs\"><a href=\"https://c4.example/?layer=context\">Context</a>";
  const std::string container = std::string(kSep) + "<a href=\"https://c4.example/?layer=container&parent=";
  const std::string component = std::string(kSep) + "<a href=\"https://c4.example/?layer=component&parent=";
  struct Row {
    C4Layer layer;
    Text parent;
    Text up;
    std::string expected;
  };
  const std::vector<Row> rows = {
      {C4Layer::Context, std::nullopt, std::nullopt, ctx + "</nav>"},
      {C4Layer::Landscape, "sys", std::nullopt, ctx + "</nav>"},
      {C4Layer::Adr, std::nullopt, std::nullopt, ctx + "</nav>"},
      {C4Layer::Container, "sys", std::nullopt,
       ctx + kSep + "<span class=\"here\">Container</span> <code>Shop &amp; Co</code></nav>"},
      {C4Layer::Container, std::nullopt, std::nullopt, ctx + kSep + "<span class=\"here\">Container</span></nav>"},
      {C4Layer::Component, "web", "sys",
       ctx + container + "sys\">Container</a>" + kSep + "<span class=\"here\">Component</span> <code>Web</code></nav>"},
      // A container without a system above it has no Container crumb.
      {C4Layer::Component, "lone", std::nullopt,
       ctx + kSep + "<span class=\"here\">Component</span> <code>Lone</code></nav>"},
      {C4Layer::Code, "k", "api",
       ctx + container + "web\">Container</a>" + component + "api\">Component</a>" + kSep +
           "<span class=\"here\">Code</span> <code>Klass</code></nav>"},
      // The component named by D is unknown: only its own crumb.
      {C4Layer::Code, "x y", "gone",
       ctx + component + "gone\">Component</a>" + kSep + "<span class=\"here\">Code</span> <code>x y</code></nav>"},
      {C4Layer::Code, std::nullopt, std::nullopt, ctx + kSep + "<span class=\"here\">Code</span></nav>"},
  };
  for (const Row& row : rows) {
    Page page{.layer = row.layer, .parent = row.parent, .up = row.up};
    EXPECT_EQ(between(page.html(), "<nav class=\"crumbs\">", "</nav>"), row.expected) << row.layer.text();
  }
}

TEST(ViewPage, ParentIdsAreEncodedInLinks) {
  const std::vector<Element> model = {el("a b/ü", ElementKind::Container, "<Odd>", "s&1")};
  Page page{.layer = C4Layer::Component, .parent = "a b/ü", .up = "s&1", .elements = &model};
  const std::string html = page.html();
  EXPECT_NE(html.find("?layer=container&parent=s%261\">Container</a>"), std::string::npos);
  EXPECT_NE(html.find("<code>&lt;Odd&gt;</code>"), std::string::npos);
  EXPECT_NE(html.find("?layer=component&parent=a%20b%2F%C3%BC&amp;renderer=wasm\""), std::string::npos);
  EXPECT_EQ(html.find("<Odd>"), std::string::npos);
}

TEST(ViewPage, TabsAndRendererSwitch) {
  Page page{.layer = C4Layer::Component, .parent = "web", .renderer = "webgpu"};
  const std::string tabs = between(page.html(), "<nav class=\"top-tabs\" aria-label=\"Primary\">", "</div>");
  for (const char* piece : {
           "<a class=\"tab active\" href=\"https://c4.example/?layer=context\">Diagrams</a>",
           "<a class=\"tab\" href=\"https://c4.example/?mode=all&amp;renderer=wasm&focus=web\">All</a>",
           "<a class=\"tab\" href=\"https://c4.example/flows\">Flows (7)</a>",
           "<a class=\"tab\" href=\"https://c4.example/adrs\">ADRs (3)</a>",
           "<span class=\"renderer-label\">Render <strong>WASM</strong></span>",
           "<a class=\"tab\" href=\"https://c4.example/?layer=component&parent=web&amp;renderer=mermaid\" "
           "title=\"Mermaid SVG\">Mermaid</a>",
           "<a class=\"tab active\" href=\"https://c4.example/?layer=component&parent=web&amp;renderer=wasm\" "
           "title=\"WASM Canvas2D\">WASM</a>",
       })
    EXPECT_NE(tabs.find(piece), std::string::npos) << piece;
}

TEST(ViewPage, AllLayersViewWithFocus) {
  Page page{.parent = "web", .mode = "ALL", .renderer = "auto", .mermaid = "flowchart TB\n"};
  const std::string html = page.html();
  EXPECT_NE(html.find("<title>C4 all</title>"), std::string::npos);
  EXPECT_EQ(between(html, "<nav class=\"crumbs\">", "</nav>"),
            std::string("<nav class=\"crumbs\"><a href=\"https://c4.example/?mode=all&amp;renderer=wasm\">All "
                        "layers</a>") +
                kSep + " focus <code>web</code></nav>");
  EXPECT_NE(html.find("<a class=\"tab\" href=\"https://c4.example/?layer=context\">Diagrams</a>"), std::string::npos);
  EXPECT_NE(html.find("<a class=\"tab active\" href=\"https://c4.example/?mode=all&amp;renderer=wasm&focus=web\">"),
            std::string::npos);
  EXPECT_NE(html.find("href=\"https://c4.example/?mode=all&focus=web&amp;renderer=mermaid\""), std::string::npos);
  EXPECT_EQ(between(html, "<details class=\"drills drill-up\"", "</details>"),
            "<details class=\"drills drill-up\" id=\"c4-drill-up\"><summary><h2>Drill up</h2></summary><ul><li>"
            "<a class=\"drill up\" href=\"https://c4.example/?mode=all&renderer=wasm\"><span class=\"kind\">all</span>"
            "<span class=\"name\">All layers</span><span class=\"chev\">\u2191</span></a></li></ul></details>");
  EXPECT_NE(html.find("<a class=\"toolbar-up\" href=\"https://c4.example/?mode=all&renderer=wasm\" "
                      "title=\"Drill up to All layers\" aria-label=\"Drill up\">\u2191 All layers</a>"),
            std::string::npos);
  // The all-layers view drills down into software systems, like context.
  EXPECT_NE(html.find("href=\"https://c4.example/?layer=container&parent=sys\">"), std::string::npos);
  EXPECT_NE(html.find("<a class=\"fallback-link\" href=\"https://c4.example/?mode=all&amp;renderer=mermaid&amp;"
                      "focus=web\">Mermaid</a>"),
            std::string::npos);
}

TEST(ViewPage, AllLayersLegendHasSixFixedRows) {
  const std::string legend = between(Page{.mode = "all"}.html(), "<details class=\"legend-panel\"", "</details>");
  EXPECT_NE(legend.find("<summary class=\"legend-head\"><h2>Legend</h2><span class=\"legend-sub\">All C4 layers</span>"
                        "</summary>"),
            std::string::npos);
  EXPECT_EQ(count(legend, "<li class=\"legend-item\">"), 6u);
  for (const char* row : {
           "<span class=\"swatch system\" aria-hidden=\"true\"></span><div><strong>Context</strong>"
           "<span class=\"desc\">Person / system</span></div>",
           "<strong>Container</strong><span class=\"desc\">App / DB</span>",
           "<span class=\"swatch component\" aria-hidden=\"true\"></span><div><strong>Component</strong>"
           "<span class=\"desc\">Logical block</span>",
           "<span class=\"swatch code-cls\" aria-hidden=\"true\"></span><div><strong>Code</strong>"
           "<span class=\"desc\">Class / type</span>",
           "<span class=\"swatch\" style=\"background:#fff;border:2px solid #312e81;transform:rotate(45deg);"
           "width:10px;height:10px;border-radius:1px\" aria-hidden=\"true\"></span><div><strong>Viewpoint \u25c7"
           "</strong><span class=\"desc\">Border port \u2014 arrows dock here, not center (WASM)</span>",
           "<span class=\"swatch\" style=\"background:#4338ca;border-radius:2px\" aria-hidden=\"true\"></span><div>"
           "<strong>Edge</strong><span class=\"desc\">Caption <code>From \u2192 To \u00b7 uses</code> sits "
           "<strong>above</strong> the edge</span>",
       })
    EXPECT_NE(legend.find(row), std::string::npos) << row;
}

TEST(ViewPage, AllLayersViewWithoutFocus) {
  const std::string html = Page{.mode = "full"}.html();
  EXPECT_EQ(between(html, "<nav class=\"crumbs\">", "</nav>"),
            "<nav class=\"crumbs\"><span class=\"here\">All layers</span></nav>");
  EXPECT_EQ(html.find("id=\"c4-drill-up\""), std::string::npos);
  EXPECT_EQ(html.find("<a class=\"toolbar-up\""), std::string::npos);
}

TEST(ViewPage, LayerLegendAndTitle) {
  const std::string html = Page{.layer = C4Layer::Container, .parent = "sys"}.html();
  EXPECT_NE(html.find("<title>C4 container</title>"), std::string::npos);
  EXPECT_NE(html.find("<h1>C4 \u00b7 container</h1>"), std::string::npos);
  EXPECT_NE(html.find(borvane::render::legend_block(C4Layer::Container)), std::string::npos);
  EXPECT_EQ(Page{.layer = C4Layer::Adr}.html().find("id=\"c4-legend\""), std::string::npos);
}

TEST(ViewPage, DrillDownTargetsByLayer) {
  struct Row {
    C4Layer layer;
    Text parent;
    std::vector<std::string> items;  // "layer parent kind name"
  };
  const std::vector<Row> rows = {
      {C4Layer::Context, std::nullopt, {"container sys software_system Shop &amp; Co"}},
      {C4Layer::Landscape, "web", {"container sys software_system Shop &amp; Co"}},
      {C4Layer::Container, "sys", {"component web container Web"}},
      // Without a parent only parentless containers match.
      {C4Layer::Container, std::nullopt, {"component lone container Lone"}},
      {C4Layer::Component, "web", {"code api component API"}},
      {C4Layer::Component, "sys", {}},
      {C4Layer::Code, "api", {}},
      {C4Layer::Adr, std::nullopt, {}},
  };
  for (const Row& row : rows) {
    const std::string html = Page{.layer = row.layer, .parent = row.parent}.html();
    const std::string panel = between(html, "<details class=\"drills\" id=\"c4-drills\">", "</details>");
    std::string expected;
    for (const std::string& item : row.items) {
      const auto a = item.find(' '), b = item.find(' ', a + 1), c = item.find(' ', b + 1);
      expected += "<li><a class=\"drill\" href=\"https://c4.example/?layer=" + item.substr(0, a) + "&parent=" +
                  item.substr(a + 1, b - a - 1) + "\"><span class=\"kind\">" + item.substr(b + 1, c - b - 1) +
                  "</span><span class=\"name\">" + item.substr(c + 1) +
                  "</span><span class=\"chev\">\u2192</span></a></li>";
    }
    if (!expected.empty())
      expected = "<details class=\"drills\" id=\"c4-drills\"><summary><h2>Drill down</h2></summary><ul>" + expected +
                 "</ul></details>";
    EXPECT_EQ(panel, expected) << row.layer.text();
  }
}

TEST(ViewPage, SourcesAreSecureLinksOfTheShownKinds) {
  const std::vector<Element> model = {
      with_url(el("a", ElementKind::Person, "P"), "https://p.example/?a=1&b=\"2\""),
      with_url(el("b", ElementKind::SoftwareSystem, "S"), "https://"),
      with_url(el("c", ElementKind::External, "E"), "HTTPS://upper.example"),
      with_url(el("d", ElementKind::External, "J"), "javascript:alert(1)"),
      with_url(el("e", ElementKind::Container, "C", "b"), "https://c.example"),
      with_url(el("f", ElementKind::Container, "C2", "x"), "https://c2.example"),
      with_url(el("g", ElementKind::Code, "K", "comp"), "https://k.example"),
      el("h", ElementKind::Person, "No url"),
  };
  auto sources = [&](C4Layer layer, Text parent) {
    return between(Page{.layer = layer, .parent = parent, .elements = &model}.html(),
                   "<details class=\"drills sources\"", "</details>");
  };
  const std::string ctx = sources(C4Layer::Context, std::nullopt);
  EXPECT_EQ(count(ctx, "<li>"), 2u);
  EXPECT_NE(ctx.find("<li><a class=\"drill\" href=\"https://p.example/?a=1&amp;b=&quot;2&quot;\" target=\"_blank\" "
                     "rel=\"noopener noreferrer\"><span class=\"kind\">link</span><span class=\"name\">P</span>"
                     "<span class=\"chev\">\u2197</span></a></li>"),
            std::string::npos);
  EXPECT_NE(ctx.find("href=\"https://\""), std::string::npos);
  EXPECT_EQ(count(sources(C4Layer::Container, "b"), "<li>"), 1u);
  EXPECT_NE(sources(C4Layer::Container, "b").find("c.example"), std::string::npos);
  EXPECT_EQ(count(sources(C4Layer::Code, "comp"), "<li>"), 1u);
  EXPECT_EQ(sources(C4Layer::Component, "b"), "");
  EXPECT_EQ(sources(C4Layer::Adr, std::nullopt), "");
}

TEST(ViewPage, AtMostFortySources) {
  std::vector<Element> model;
  for (int i = 0; i < 45; ++i)
    model.push_back(with_url(el("s" + std::to_string(100 + i), ElementKind::SoftwareSystem, "S" + std::to_string(i)),
                             "https://s.example/" + std::to_string(i)));
  const std::string html = Page{.elements = &model}.html();
  const std::string sources = between(html, "<details class=\"drills sources\"", "</details>");
  EXPECT_EQ(count(sources, "<li>"), 40u);
  EXPECT_NE(sources.find("https://s.example/39\""), std::string::npos);
  EXPECT_EQ(sources.find("https://s.example/40\""), std::string::npos);
  EXPECT_EQ(count(between(html, "id=\"c4-drills\"", "</details>"), "<li>"), 45u);
}

TEST(ViewPage, PanelsFollowTheLegendInOrder) {
  const std::vector<Element> model = {el("s", ElementKind::SoftwareSystem, "S"),
                                      with_url(el("c", ElementKind::Container, "C", "s"), "https://c.example"),
                                      el("d", ElementKind::Container, "D", "s")};
  const std::string html = Page{.layer = C4Layer::Container, .parent = "s", .elements = &model}.html();
  const auto header = html.find("</header>");
  const auto legend = html.find("id=\"c4-legend\"");
  const auto up = html.find("id=\"c4-drill-up\"");
  const auto down = html.find("id=\"c4-drills\"");
  const auto sources = html.find("id=\"c4-sources\"");
  const auto stage = html.find("<main class=\"stage\">");
  EXPECT_LT(header, legend);
  EXPECT_LT(legend, up);
  EXPECT_LT(up, down);
  EXPECT_LT(down, sources);
  EXPECT_LT(sources, stage);
}

TEST(EmbedSceneJson, OnlyTagOpenersChange) {
  const std::pair<const char*, const char*> rows[] = {
      {R"({"a":"</script>"})", R"({"a":"<\/script>"})"},
      {R"({"a":"<!--<script>"})", R"({"a":"\u003c!--<script>"})"},
      {R"({"a":"<!-- </"})", R"({"a":"\u003c!-- <\/"})"},
      {R"({"a":"<!-<b>/>"})", R"({"a":"<!-<b>/>"})"},
      {R"({"a":"<"})", R"({"a":"<"})"},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(embed_scene_json(in), out) << in;
}

TEST(ViewPage, WasmStageEmbedsTheSceneAndAsksForTheBackend) {
  for (const auto& [renderer, wish] : {std::pair{"webgpu", "\"webgpu\""}, std::pair{"auto", "\"auto\""},
                                       std::pair{"canvas2d", "\"canvas2d\""}, std::pair{"wasm", "\"canvas2d\""}}) {
    const std::string html =
        Page{.renderer = renderer, .scene = R"({"nodes":[{"name":"</script><!--<script>"}]})"}.html();
    EXPECT_NE(html.find("<canvas id=\"c4-canvas\" aria-label=\"C4 WASM canvas\"></canvas>"), std::string::npos);
    EXPECT_NE(html.find(R"(<script type="application/json" id="c4-scene">{"nodes":[{"name":"<\/script>\u003c!--<script>"}]})"
                        "</script>"),
              std::string::npos);
    EXPECT_NE(html.find("<div id=\"c4-boot-status\" class=\"boot-status\" role=\"status\">Loading WASM viewer\u2026</div>"),
              std::string::npos);
    EXPECT_NE(html.find(std::string("const BACKEND_WISH = ") + wish + ";"), std::string::npos) << renderer;
    EXPECT_EQ(html.find("<pre class=\"mermaid\">"), std::string::npos);
    EXPECT_EQ(html.find("{{"), std::string::npos);
  }
}

TEST(ViewPage, MermaidStageEscapesTheSourceAndRunsStrict) {
  Page page{.layer = C4Layer::Code, .parent = "api", .mermaid = "classDiagram\n  A <|-- B : \"x\" & </pre>"};
  const std::string html = page.html();
  EXPECT_NE(html.find("<div class=\"board-world\" id=\"board-world\"><pre class=\"mermaid\">\nclassDiagram\n"
                      "  A &lt;|-- B : &quot;x&quot; &amp; &lt;/pre&gt;\n</pre></div>"),
            std::string::npos);
  EXPECT_NE(html.find("securityLevel: 'strict'"), std::string::npos);
  EXPECT_EQ(html.find("loose"), std::string::npos);
  EXPECT_NE(html.find("const CODE_THEME = true;"), std::string::npos);
  EXPECT_NE(html.find("import mermaid from \"https://"), std::string::npos);
  EXPECT_EQ(html.find("<canvas"), std::string::npos);
  EXPECT_EQ(html.find("class=\"fallback-link\""), std::string::npos);
  EXPECT_EQ(html.find("{{"), std::string::npos);
  // The code theme belongs to the code layer's own view only.
  const std::string all = Page{.parent = "api", .mode = "all"}.html();
  EXPECT_NE(all.find("const CODE_THEME = false;"), std::string::npos);
}

TEST(ViewPage, BoardToolbar) {
  const std::string html = Page{.layer = C4Layer::Container, .parent = "sys"}.html();
  EXPECT_NE(html.find("<div class=\"board-toolbar\" aria-label=\"Board zoom\"><a class=\"toolbar-up\" "
                      "href=\"https://c4.example/?layer=context&renderer=mermaid\" title=\"Drill up to Context\" "
                      "aria-label=\"Drill up\">\u2191 Context</a><button type=\"button\" data-zoom=\"-\" "
                      "aria-label=\"Zoom out\">\u2212</button><button type=\"button\" data-zoom=\"reset\" "
                      "aria-label=\"Fit diagram\">Fit</button><button type=\"button\" data-zoom=\"+\" "
                      "aria-label=\"Zoom in\">+</button></div>"),
            std::string::npos);
}

TEST(ViewPage, BaseHasNoTrailingSlashAndMayBeEmpty) {
  for (const auto& [base, prefix] : {std::pair{"https://c4.example//", "https://c4.example/?"},
                                     std::pair{"", "/?"}, std::pair{"/", "/?"}}) {
    const std::string html = Page{.base = base}.html();
    EXPECT_NE(html.find(std::string("<a href=\"") + prefix + "layer=context\">Context</a>"), std::string::npos) << base;
    EXPECT_EQ(html.find("//?"), std::string::npos) << base;
    EXPECT_EQ(html.find("//flows"), std::string::npos) << base;
  }
}

TEST(ViewPage, DocumentFrame) {
  const std::string html = Page{}.html();
  EXPECT_EQ(html.rfind("<!doctype html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\"/>\n  <meta name=\"viewport\" "
                       "content=\"width=device-width, initial-scale=1\"/>\n  <title>C4 context</title>",
                       0),
            0u);
  EXPECT_NE(html.find("<body class=\"app-shell\">"), std::string::npos);
  EXPECT_NE(html.find("<div class=\"meta\">render <strong>Mermaid</strong></div>"), std::string::npos);
  EXPECT_LT(html.find("</style>"), html.find("</head>"));
  EXPECT_LT(html.find("c4-sources"), html.find("</head>"));  // the chrome script
  EXPECT_NE(html.find("--top: 56px;"), std::string::npos);
  EXPECT_TRUE(html.ends_with("</html>\n"));
}
