// The code view: placeholder scenes, rows and tiers, stereotypes, edges with
// their ports and routes, labels and the widening of the gap.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "scene/labels.hpp"
#include "scene/uml.hpp"

namespace borvane::scene {
namespace {

using domain::Element;
using domain::ElementKind;
using domain::Relationship;

constexpr double kEps = 1e-9;

Element element(std::string id, ElementKind kind, std::optional<std::string> parent = std::nullopt,
                std::string name = "") {
  Element e;
  e.id = id;
  e.workspace_id = "sidecar";
  e.kind = kind;
  e.parent_id = std::move(parent);
  e.name = name.empty() ? id : std::move(name);
  return e;
}

Element code(std::string id, std::string parent = "comp") { return element(std::move(id), ElementKind::Code, parent); }

Relationship relationship(std::string id, std::string from, std::string to,
                          std::optional<std::string> description = std::nullopt) {
  return {std::move(id), "sidecar", std::move(from), std::move(to), std::move(description), std::nullopt};
}

Element component(std::string name = "Comp") {
  return element("comp", ElementKind::Component, "api", std::move(name));
}

const SceneNode& node(const SceneGraph& g, const std::string& id) {
  for (const SceneNode& n : g.nodes)
    if (n.id == id) return n;
  throw std::runtime_error("no node " + id);
}

// ---- placeholders ----

void expect_placeholder(const SceneGraph& g, const std::string& message) {
  EXPECT_EQ(g.mode, "layer");
  EXPECT_FALSE(g.focus);
  EXPECT_EQ(g.width, 420);
  EXPECT_EQ(g.height, 240);
  EXPECT_TRUE(g.edges.empty());
  EXPECT_TRUE(g.ports.empty());
  ASSERT_EQ(g.nodes.size(), 1u);
  const SceneNode& n = g.nodes[0];
  EXPECT_EQ(n.id, "Empty");
  EXPECT_EQ(n.name, "Empty");
  EXPECT_EQ(n.kind, "code");
  EXPECT_EQ(n.layer, "code");
  EXPECT_EQ(n.members, std::vector<std::string>{message});
  EXPECT_FALSE(n.parent_id || n.stereotype || n.url || n.group);
  EXPECT_EQ(n.depth, 0u);
  EXPECT_EQ(n.x, 80);
  EXPECT_EQ(n.y, 60);
  EXPECT_EQ(n.w, 220);
  EXPECT_EQ(n.h, 100);
}

TEST(CodeUml, WithoutFocusAsksForAComponent) {
  const std::vector<Element> elements{component(), code("a")};
  expect_placeholder(build_code_uml(elements, {}, std::nullopt), "pick a component parent");
}

TEST(CodeUml, ComponentWithoutCodeSaysSo) {
  const std::vector<Element> elements{component(), code("a", "other"), element("b", ElementKind::Component, "comp")};
  expect_placeholder(build_code_uml(elements, {}, "comp"), "no code elements yet");
}

TEST(CodeUml, BuildSceneSendsTheCodeLayerHere) {
  const std::vector<Element> elements{component(), code("a")};
  SceneGraph g = build_scene(elements, {}, "code", "comp", ViewMode::Layer);
  ASSERT_EQ(g.nodes.size(), 2u);
  EXPECT_EQ(g.nodes[1].id, "a");
  expect_placeholder(build_scene(elements, {}, "code", std::nullopt, ViewMode::Layer), "pick a component parent");
}

// ---- rows and the frame ----

TEST(CodeUml, TwoClassesWithoutRelationshipsShareOneRow) {
  std::vector<Element> elements{component(), code("a"), code("b")};
  elements[1].url = "https://example.org/a";
  elements[2].description = "+get_name() str; - user_id : int";
  SceneGraph g = build_code_uml(elements, {}, "comp");

  EXPECT_EQ(g.mode, "layer");
  EXPECT_EQ(g.focus, "comp");
  ASSERT_EQ(g.nodes.size(), 3u);
  const SceneNode& frame = g.nodes[0];
  const SceneNode& a = g.nodes[1];
  const SceneNode& b = g.nodes[2];
  EXPECT_EQ(frame.id, "comp");
  EXPECT_EQ(frame.kind, "component");
  EXPECT_EQ(frame.layer, "component");
  EXPECT_EQ(frame.name, "Comp");
  EXPECT_EQ(frame.parent_id, "api");
  EXPECT_TRUE(frame.group);
  EXPECT_EQ(frame.depth, 0u);
  EXPECT_TRUE(frame.members.empty());
  EXPECT_FALSE(frame.stereotype || frame.url);
  EXPECT_EQ(frame.x, 0);
  EXPECT_EQ(frame.y, 0);

  EXPECT_EQ(a.kind, "code");
  EXPECT_EQ(a.layer, "code");
  EXPECT_EQ(a.parent_id, "comp");
  EXPECT_EQ(a.url, "https://example.org/a");
  EXPECT_FALSE(a.group);
  EXPECT_EQ(a.depth, 1u);
  EXPECT_EQ(b.members, (std::vector<std::string>{"+getName() str", "-userId: int"}));
  EXPECT_EQ(b.h, 46 + 2 * 16 + 18);

  EXPECT_EQ(a.x, 48);
  EXPECT_EQ(b.x, 48 + a.w + 160);
  EXPECT_EQ(a.y, 88);
  EXPECT_EQ(b.y, 88);
  const double right = b.x + b.w;
  EXPECT_NEAR(frame.w, right + 48, kEps);
  EXPECT_NEAR(frame.h, 88 + b.h + 48, kEps);
  EXPECT_NEAR(g.width, right + 48 + 48, kEps);
  EXPECT_NEAR(g.height, 360 + 48, kEps);
  EXPECT_TRUE(g.edges.empty());
  EXPECT_TRUE(g.ports.empty());
}

TEST(CodeUml, FrameFitsALongComponentName) {
  const std::string name(60, 'W');
  const std::vector<Element> elements{component(name), code("a")};
  SceneGraph g = build_code_uml(elements, {}, "comp");
  EXPECT_NEAR(g.nodes[0].w, 60 * 8.58 + 64, kEps);
  EXPECT_NEAR(g.width, 60 * 8.58 + 64 + 48, kEps);
}

TEST(CodeUml, FocusWithoutComponentElementGivesAnUnnamedFrame) {
  const std::vector<Element> elements{code("a", "ghost")};
  SceneGraph g = build_code_uml(elements, {}, "ghost");
  EXPECT_EQ(g.nodes[0].name, "");
  EXPECT_FALSE(g.nodes[0].parent_id);
  EXPECT_NEAR(g.nodes[0].w, 48 + 180 + 48, kEps);
  EXPECT_EQ(g.width, 480 + 48);
}

TEST(CodeUml, EmptyClassBoxIs88HighAndAtLeast180Wide) {
  const std::vector<Element> elements{component(), code("a")};
  const SceneNode& a = build_code_uml(elements, {}, "comp").nodes[1];
  EXPECT_EQ(a.h, 88);
  EXPECT_EQ(a.w, 180);
  EXPECT_TRUE(a.members.empty());
  EXPECT_FALSE(a.stereotype);
}

TEST(CodeUml, ImplementedClassSitsInTheUpperRow) {
  const std::vector<Element> elements{component(), code("impl"), code("port")};
  const std::vector<Relationship> rels{relationship("r", "impl", "port", "Implements the port")};
  SceneGraph g = build_code_uml(elements, rels, "comp");
  const SceneNode& port = node(g, "port");
  const SceneNode& impl = node(g, "impl");
  EXPECT_EQ(port.stereotype, "Interface");
  EXPECT_FALSE(impl.stereotype);
  EXPECT_EQ(port.x, 48);
  EXPECT_EQ(port.y, 88);
  EXPECT_EQ(impl.x, 48);
  EXPECT_EQ(impl.y, 88 + port.h + 160);
  ASSERT_EQ(g.edges.size(), 1u);
  EXPECT_EQ(g.edges[0].label, "implements");
  EXPECT_EQ(g.edges[0].edge_kind, "implements");
  // Straight up from the implementer's north side to the interface's south side.
  EXPECT_EQ(g.edges[0].from_port, "impl:n:1");
  EXPECT_EQ(g.edges[0].to_port, "port:s:1");
}

TEST(CodeUml, ExtendedClassBecomesBaseAndEnumsStayBelow) {
  std::vector<Element> elements{component(), code("kind"), code("child"), code("parent")};
  elements[1].technology = "enum";
  const std::vector<Relationship> rels{relationship("r", "child", "parent", "inherits from")};
  SceneGraph g = build_code_uml(elements, rels, "comp");
  EXPECT_EQ(node(g, "parent").stereotype, "Base");
  EXPECT_EQ(node(g, "kind").stereotype, "Enum");
  EXPECT_EQ(node(g, "parent").y, 88);
  // The lower row keeps node order: kind, then child.
  EXPECT_EQ(node(g, "kind").x, 48);
  EXPECT_EQ(node(g, "child").x, 48 + node(g, "kind").w + 160);
  EXPECT_EQ(node(g, "child").y, 88 + node(g, "parent").h + 160);
  EXPECT_EQ(g.edges[0].label, "extends");
}

// ---- kinds and stereotypes ----

TEST(EdgeKindOf, ExtendsBeforeImplementsElseAssoc) {
  const std::vector<std::pair<std::optional<std::string_view>, std::string_view>> cases{
      {"EXTENDS Base", "extends"},
      {"Inherits from", "extends"},
      {"implements Port", "implements"},
      {"implements and extends", "extends"},
      {"calls", "assoc"},
      {"", "assoc"},
      {std::nullopt, "assoc"},
  };
  for (const auto& [description, kind] : cases)
    EXPECT_EQ(edge_kind_of(description), kind) << description.value_or("<none>");
}

TEST(ClassStereotype, FromRelationsThenTechnology) {
  struct Case {
    std::optional<std::string> technology;
    bool implemented, extended;
    std::optional<std::string> stereotype;
  };
  const std::vector<Case> cases{
      {"struct", false, false, std::nullopt},
      {"Spring Bean", false, false, "Spring Bean"},
      {"  Spring Bean ", false, false, "Spring Bean"},
      {"Abstract", false, false, "Base"},
      {"BASE", false, false, "Base"},
      {"Interface", false, false, "Interface"},
      {"enum", false, false, "Enum"},
      {"Class", false, false, std::nullopt},
      {"cls", false, false, std::nullopt},
      {"dataclass1234", false, false, "dataclass1234"},  // 13 bytes
      {"dataclass123", false, false, std::nullopt},      // 12 bytes, plain
      {"record-like", false, false, "record-like"},
      {"  ", false, false, std::nullopt},
      {std::nullopt, false, false, std::nullopt},
      {"enum", true, true, "Interface"},
      {"enum", false, true, "Base"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(class_stereotype(c.technology, c.implemented, c.extended), c.stereotype)
        << c.technology.value_or("<none>");
}

// ---- edges ----

TEST(CodeUml, RelationshipLeavingTheComponentHasNoEdge) {
  const std::vector<Element> elements{component(), code("a"), code("b"), code("x", "other")};
  const std::vector<Relationship> rels{relationship("out", "a", "x", "implements X"),
                                       relationship("in", "x", "b"), relationship("ab", "a", "b")};
  SceneGraph g = build_code_uml(elements, rels, "comp");
  ASSERT_EQ(g.edges.size(), 1u);
  EXPECT_EQ(g.edges[0].id, "ab");
  EXPECT_EQ(g.edges[0].label, "uses");
  EXPECT_EQ(g.edges[0].edge_kind, "assoc");
  // The relationship to the outside did not make a tier.
  EXPECT_EQ(node(g, "b").y, 88);
}

TEST(CodeUml, LongDescriptionIsCutAndWidensTheGap) {
  const std::vector<Element> elements{component(), code("a"), code("b")};
  const std::string forty(40, 'x');
  const std::vector<Relationship> rels{relationship("r", "a", "b", forty)};
  SceneGraph g = build_code_uml(elements, rels, "comp");
  ASSERT_EQ(g.edges.size(), 1u);
  EXPECT_EQ(g.edges[0].label, std::string(25, 'x') + "...");
  // Pass 1 (gap 160) centres the 152 wide label between the boxes, where its
  // margin touches a box: the next pass asks for 152 + 64 + 40. With that
  // gap the label is free and the layout stops.
  const double gap = 25 * 5.6 + 3 * 4.0 + 64 + 40;
  EXPECT_NEAR(node(g, "b").x, 48 + 180 + gap, kEps);
  EXPECT_NEAR(needed_label_gap(g.edges, std::span(g.nodes).subspan(1)), gap - 40, kEps);
}

TEST(CodeUml, ShortLabelsKeepTheDefaultGap) {
  const std::vector<Element> elements{component(), code("a"), code("b")};
  const std::vector<Relationship> rels{relationship("r", "a", "b", "calls")};
  SceneGraph g = build_code_uml(elements, rels, "comp");
  EXPECT_EQ(node(g, "b").x, 48 + 180 + 160);
}

// Every edge joins two ports of the scene's port list (each listed once) by
// an orthogonal route from the source port to the target port.
void expect_routed(const SceneGraph& g) {
  std::unordered_map<std::string, const ScenePort*> ports;
  for (const ScenePort& p : g.ports) EXPECT_TRUE(ports.emplace(p.id, &p).second) << "port twice: " << p.id;
  std::set<std::string> used;
  for (const SceneEdge& e : g.edges) {
    SCOPED_TRACE(e.id);
    ASSERT_TRUE(ports.contains(e.from_port));
    ASSERT_TRUE(ports.contains(e.to_port));
    const ScenePort& from = *ports.at(e.from_port);
    const ScenePort& to = *ports.at(e.to_port);
    EXPECT_EQ(from.node_id, e.from);
    EXPECT_EQ(to.node_id, e.to);
    used.insert(e.from_port);
    used.insert(e.to_port);
    ASSERT_GE(e.points.size(), 2u);
    // The router works on a half-unit lattice, so the ends are the port
    // positions rounded to it.
    constexpr double kLattice = 0.25;
    EXPECT_NEAR(e.points.front().first, from.x, kLattice);
    EXPECT_NEAR(e.points.front().second, from.y, kLattice);
    EXPECT_NEAR(e.points.back().first, to.x, kLattice);
    EXPECT_NEAR(e.points.back().second, to.y, kLattice);
    for (std::size_t i = 1; i < e.points.size(); ++i) {
      const auto [x1, y1] = e.points[i - 1];
      const auto [x2, y2] = e.points[i];
      EXPECT_TRUE(std::abs(x1 - x2) < kEps || std::abs(y1 - y2) < kEps) << "slanted segment " << i;
    }
  }
  EXPECT_EQ(used.size(), g.ports.size());
}

TEST(CodeUml, EdgesRunOrthogonallyBetweenListedPorts) {
  std::vector<Element> elements{component()};
  for (const char* id : {"svc", "repo", "port", "base", "dto", "mapper"}) elements.push_back(code(id));
  const std::vector<Relationship> rels{
      relationship("r1", "svc", "port", "implements"), relationship("r2", "repo", "base", "extends"),
      relationship("r3", "svc", "dto", "builds the transfer object for the client"),
      relationship("r4", "mapper", "dto"), relationship("r5", "svc", "repo", "reads"),
      relationship("r6", "mapper", "port", "implements"), relationship("r7", "dto", "mapper", "mapped by")};
  SceneGraph g = build_code_uml(elements, rels, "comp");
  ASSERT_EQ(g.edges.size(), rels.size());
  expect_routed(g);
  EXPECT_EQ(node(g, "port").y, 88);
  EXPECT_EQ(node(g, "base").y, 88);
  EXPECT_GT(node(g, "svc").y, 88);
}

// ---- respread passes ----

TEST(NextUmlGap, WidensUntilTheLabelsFitOrTheFourthPass) {
  struct Case {
    double gap, needed;
    int pass;
    std::optional<double> next;
  };
  const std::vector<Case> cases{
      {160, 120, 1, std::nullopt}, {160, 161, 1, std::nullopt}, {160, 161.5, 1, 161.5},
      {161.5, 300, 2, 300},        {300, 340, 3, 340},          {340, 500, 4, std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(next_uml_gap(c.gap, c.needed, c.pass), c.next) << c.pass << ' ' << c.needed;
}

TEST(NeededLabelGap, FirstLineWidthPlusRoomAndMoreWhenCoveringAClass) {
  SceneNode box;
  box.x = 100;
  box.y = 100;
  box.w = 100;
  box.h = 100;
  SceneEdge free_edge;
  free_edge.label = "ab\r\nWWWWWWWWWW";
  free_edge.label_x = 0;
  free_edge.label_y = 0;
  const std::vector<SceneNode> classes{box};
  EXPECT_NEAR(needed_label_gap(std::vector<SceneEdge>{free_edge}, classes), 11.2 + 64, kEps);
  SceneEdge covering = free_edge;
  covering.label_x = 150;
  covering.label_y = 150;
  EXPECT_NEAR(needed_label_gap(std::vector<SceneEdge>{free_edge, covering}, classes), 11.2 + 64 + 40, kEps);
  // Touching the box with the grown label box is no overlap.
  SceneEdge touching = free_edge;
  touching.label_y = 100 + 8.5 - 24 - 6;  // grown box ends at y 100
  touching.label_x = 150;
  EXPECT_NEAR(needed_label_gap(std::vector<SceneEdge>{touching}, classes), 11.2 + 64, kEps);
  EXPECT_EQ(needed_label_gap({}, classes), 0);
}

}  // namespace
}  // namespace borvane::scene
