// C4 layer diagrams: the fixed texts, every layer of a small model, neighbour
// discovery in the container diagram, and the legend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/mermaid_c4.hpp"
#include "test_mermaid_support.hpp"

namespace {

using borvane::domain::C4Layer;
using borvane::domain::Element;
using borvane::domain::ElementKind;
using borvane::domain::Relationship;
using borvane::render::diagram_for_layer;
using borvane::render::legend_block;
using borvane::render::ModelView;
using borvane::render::overview_mermaid;
using borvane::testing::el;
using borvane::testing::rel;

const std::string kStyle = "$textColor=\"#475569\", $lineColor=\"#94a3b8\", ";

std::vector<Element> shop() {
  return {el("1pay", ElementKind::SoftwareSystem, "Payments", std::nullopt, "External: card processor"),
          el("api", ElementKind::Container, "API", "shop"),
          el("bank", ElementKind::External, "Bank"),
          el("db", ElementKind::Container, "DB", "shop", "  ", " Postgres "),
          el("orders", ElementKind::Component, "Orders", "api", "order logic", "Go"),
          el("shop", ElementKind::SoftwareSystem, "Shop; EU", std::nullopt, "The \"shop\""),
          el("user", ElementKind::Person, "User"),
          el("web", ElementKind::Container, "Web", "shop", "SPA", "React")};
}

std::string draw(const std::vector<Element>& elements, const std::vector<Relationship>& rels, C4Layer layer,
                 std::optional<std::string> parent = std::nullopt) {
  return diagram_for_layer(ModelView{elements, rels}, layer, parent);
}

TEST(MermaidC4, FixedTexts) {
  const std::vector<Element> none;
  const std::vector<Element> containers_only = {el("c", ElementKind::Container, "C", "s")};
  const std::string no_elements =
      "C4Context\n  title System Context\n  System(empty, \"(no elements)\", \"\")\n";
  EXPECT_EQ(draw(none, {}, C4Layer::Context), no_elements);
  EXPECT_EQ(draw(containers_only, {}, C4Layer::Landscape), no_elements);
  EXPECT_EQ(draw(shop(), {}, C4Layer::Container),
            "C4Container\n  title Containers\n  System(empty, \"Pick a software system parent\", \"n/a\")\n");
  EXPECT_EQ(draw(shop(), {}, C4Layer::Component),
            "C4Component\n  title Components\n  Container(empty, \"Pick a container parent\", \"n/a\", \"n/a\")\n");
  EXPECT_EQ(draw(shop(), {}, C4Layer::Adr, "shop"),
            "flowchart TB\n  empty[\"ADR layer - use list_adrs or /adrs\"]\n");
}

TEST(MermaidC4, ContextDiagram) {
  const std::vector<Relationship> rels = {rel("r1", "user", "shop", "buys", "HTTPS"), rel("r2", "shop", "1pay"),
                                          rel("r3", "shop", "api")};
  const std::string expected =
      "C4Context\n"
      "  title System Context\n"
      "  System_Ext(n1pay, \"Payments\", \"card processor\")\n"
      "  System_Ext(bank, \"Bank\", \"external\")\n"
      "  System(shop, \"Shop; EU\", \"The 'shop'\")\n"
      "  Person(user, \"User\", \"person\")\n"
      "  Rel(user, shop, \"buys\", \"HTTPS\")\n"
      "  Rel(shop, n1pay, \"uses\")\n"
      "  UpdateRelStyle(user, shop, " + kStyle + "$offsetX=\"-30\", $offsetY=\"-40\")\n"
      "  UpdateRelStyle(shop, n1pay, " + kStyle + "$offsetX=\"-8\", $offsetY=\"-18\")\n"
      "  UpdateLayoutConfig($c4ShapeInRow=\"2\", $c4BoundaryInRow=\"1\")\n";
  EXPECT_EQ(draw(shop(), rels, C4Layer::Context), expected);
  EXPECT_EQ(draw(shop(), rels, C4Layer::Landscape), expected);
  EXPECT_EQ(overview_mermaid(ModelView{shop(), rels}), expected);
}

TEST(MermaidC4, ContainerDiagramWithNeighbours) {
  // The user reaches a container; the vendor is reached only by the user,
  // who is drawn before it, and the auditor only by the vendor. The payment
  // system comes before the user in element order and stays out; the bank
  // (kind external) is never a neighbour; the parent is not drawn again.
  std::vector<Element> elements = shop();
  elements.insert(elements.end() - 1,
                  el("vendor", ElementKind::SoftwareSystem, "Vendor", std::nullopt, "Partner; external \"EU\""));
  elements.push_back(el("zed", ElementKind::Person, "Zed", std::nullopt, " Auditor "));
  const std::vector<Relationship> rels = {rel("r1", "web", "api", "calls", "gRPC"), rel("r2", "user", "web"),
                                          rel("r3", "user", "1pay", "pays"),         rel("r4", "api", "bank"),
                                          rel("r5", "shop", "web"),                   rel("r6", "zed", "vendor"),
                                          rel("r7", "user", "vendor", "orders from")};
  EXPECT_EQ(draw(elements, rels, C4Layer::Container, "shop"),
            "C4Container\n"
            "  title Containers - Shop#59; EU\n"
            "  System_Boundary(shop_b, \"Shop; EU\") {\n"
            "    Container(api, \"API\", \"n/a\", \"n/a\")\n"
            "    Container(db, \"DB\", \"Postgres\", \"n/a\")\n"
            "    Container(web, \"Web\", \"React\", \"SPA\")\n"
            "  }\n"
            "  Person(user, \"User\", \"n/a\")\n"
            "  System_Ext(vendor, \"Vendor\", \"Partner; 'EU'\")\n"
            "  Person(zed, \"Zed\", \"Auditor\")\n"
            "  Rel(web, api, \"calls\", \"gRPC\")\n"
            "  Rel(user, web, \"uses\")\n"
            "  Rel(zed, vendor, \"uses\")\n"
            "  Rel(user, vendor, \"orders from\")\n"
            "  UpdateRelStyle(web, api, " + kStyle + "$offsetX=\"-30\", $offsetY=\"-40\")\n"
            "  UpdateRelStyle(user, web, " + kStyle + "$offsetX=\"-8\", $offsetY=\"-18\")\n"
            "  UpdateRelStyle(zed, vendor, " + kStyle + "$offsetX=\"14\", $offsetY=\"4\")\n"
            "  UpdateRelStyle(user, vendor, " + kStyle + "$offsetX=\"36\", $offsetY=\"26\")\n"
            "  UpdateLayoutConfig($c4ShapeInRow=\"3\", $c4BoundaryInRow=\"1\")\n");
}

TEST(MermaidC4, NeighbourPassGrowsInElementOrder) {
  // "a" (a system) comes before the person who joins it to the boundary, so
  // it is missed; "z" comes after and is drawn.
  const std::vector<Element> elements = {el("a", ElementKind::SoftwareSystem, "A", std::nullopt, "external"),
                                         el("c", ElementKind::Container, "C", "s"),
                                         el("p", ElementKind::Person, "P"),
                                         el("s", ElementKind::SoftwareSystem, "S"),
                                         el("z", ElementKind::SoftwareSystem, "Z", std::nullopt, "[external] mail")};
  const std::vector<Relationship> rels = {rel("1", "p", "a"), rel("2", "p", "c"), rel("3", "z", "p")};
  const std::string out = draw(elements, rels, C4Layer::Container, "s");
  EXPECT_NE(out.find("  }\n  Person(p, \"P\", \"n/a\")\n  System_Ext(z, \"Z\", \"mail\")\n  Rel(p, c, \"uses\")\n"
                     "  Rel(z, p, \"uses\")\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("System_Ext(a,"), std::string::npos);
}

TEST(MermaidC4, EmptyBoundaries) {
  EXPECT_EQ(draw(shop(), {rel("1", "user", "shop")}, C4Layer::Container, "1pay"),
            "C4Container\n"
            "  title Containers - Payments\n"
            "  System_Boundary(n1pay_b, \"Payments\") {\n"
            "    Container(empty, \"No containers yet\", \"n/a\", \"upsert_element kind=container\")\n"
            "  }\n");
  EXPECT_EQ(draw(shop(), {}, C4Layer::Component, "ghost: #1"),
            "C4Component\n"
            "  title Components\n"
            "  Container_Boundary(ghost___1_b, \"ghost: #1\") {\n"
            "    Component(empty, \"No components yet\", \"n/a\", \"upsert_element kind=component\")\n"
            "  }\n");
}

TEST(MermaidC4, ComponentDiagramHasNoNeighbours) {
  const std::vector<Relationship> rels = {rel("1", "orders", "bank", "charges"), rel("2", "user", "orders")};
  EXPECT_EQ(draw(shop(), rels, C4Layer::Component, "api"),
            "C4Component\n"
            "  title Components - API\n"
            "  Container_Boundary(api_b, \"API\") {\n"
            "    Component(orders, \"Orders\", \"Go\", \"order logic\")\n"
            "  }\n"
            "  UpdateLayoutConfig($c4ShapeInRow=\"3\", $c4BoundaryInRow=\"1\")\n");
}

TEST(MermaidC4, TitleWritesStatementEndsAsEntities) {
  const std::vector<Element> elements = {el("s", ElementKind::SoftwareSystem, "A;B #C: \"D\" <E>"),
                                         el("c", ElementKind::Container, "C", "s")};
  const std::string out = draw(elements, {}, C4Layer::Container, "s");
  EXPECT_NE(out.find("  title Containers - A#59;B #35;C#58; 'D' <E>\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  System_Boundary(s_b, \"A;B #C: 'D' <E>\") {\n"), std::string::npos) << out;
}

TEST(MermaidC4, CodeLayerIsTheClassDiagram) {
  EXPECT_EQ(draw(shop(), {}, C4Layer::Code),
            "classDiagram\n  direction TB\n  class Empty {\n    pick a component parent\n  }\n");
}

TEST(MermaidC4, Legend) {
  EXPECT_EQ(legend_block(C4Layer::Adr), "");
  EXPECT_EQ(legend_block(C4Layer::Component),
            "<details class=\"legend-panel\" aria-label=\"Diagram legend\" id=\"c4-legend\">\n"
            "  <summary class=\"legend-head\"><h2>Legend</h2><span class=\"legend-sub\">Components</span></summary>\n"
            "  <ul class=\"legend-list\"><li class=\"legend-item\"><span class=\"swatch component\" "
            "aria-hidden=\"true\"></span><div><strong>Component</strong><span class=\"desc\">Logical building "
            "block</span></div></li></ul>\n"
            "</details>");
  EXPECT_EQ(legend_block(C4Layer::Landscape), legend_block(C4Layer::Context));
  const std::string code = legend_block(C4Layer::Code);
  EXPECT_NE(code.find("<span class=\"legend-sub\">Code (UML classDiagram / WASM)</span>"), std::string::npos);
  EXPECT_NE(code.find("<strong>extends / implements</strong><span class=\"desc\">Hollow \u25b3; implements "
                      "dashed</span></div></li></ul>"),
            std::string::npos);
  EXPECT_NE(code.find("\u00abInterface\u00bb stereotype"), std::string::npos);
  const std::string container = legend_block(C4Layer::Container);
  EXPECT_NE(container.find("swatch container\" aria-hidden=\"true\"></span><div><strong>Container</strong><span "
                           "class=\"desc\">App / DB / queue</span></div></li><li class=\"legend-item\"><span "
                           "class=\"swatch person\""),
            std::string::npos);
}

}  // namespace
