// View modes, label truncation and the layer grid of build_scene.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "scene/lib.hpp"

namespace borvane::scene {
namespace {

using domain::Element;
using domain::ElementKind;
using domain::Relationship;

Element element(std::string id, ElementKind kind, std::optional<std::string> parent = std::nullopt) {
  Element e;
  e.id = id;
  e.workspace_id = "sidecar";
  e.kind = kind;
  e.parent_id = std::move(parent);
  e.name = "Name of " + id;
  return e;
}

Relationship relationship(std::string id, std::string from, std::string to,
                          std::optional<std::string> description = std::nullopt) {
  return {std::move(id), "sidecar", std::move(from), std::move(to), std::move(description), std::nullopt};
}

std::vector<std::string> ids_of(const SceneGraph& graph) {
  std::vector<std::string> ids;
  for (const SceneNode& n : graph.nodes) ids.push_back(n.id);
  return ids;
}

SceneGraph grid(const std::vector<Element>& elements, std::optional<std::string> layer,
                std::optional<std::string> focus = std::nullopt, const std::vector<Relationship>& rels = {}) {
  return build_scene(elements, rels, layer, focus, ViewMode::Layer);
}

// ---- view modes and labels ----

TEST(ViewModeParse, NestedOnlyForItsThreeNames) {
  const std::vector<std::pair<std::string, ViewMode::Value>> cases{
      {"  ALL \t", ViewMode::All}, {"Full", ViewMode::All},       {"landscape_all", ViewMode::All},
      {"all", ViewMode::All},      {"landscape", ViewMode::Layer}, {"", ViewMode::Layer},
      {"nested", ViewMode::Layer}, {"a ll", ViewMode::Layer},      {"\u00A0all\u2003", ViewMode::All},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ViewMode::parse(text), expected) << '"' << text << '"';
}

TEST(TruncateLabel, TrimsAndCutsByCharacters) {
  const std::string forty(40, 'x');
  struct Case {
    std::string text;
    std::size_t limit;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"  uses  ", 28, "uses"},
      {forty, 28, std::string(25, 'x') + "..."},
      {std::string(28, 'y'), 28, std::string(28, 'y')},
      {"\u00E9\u00E9\u00E9\u00E9\u00E9", 4, "\u00E9..."},  // five characters, ten bytes
      {"\u00E9\u00E9\u00E9\u00E9", 4, "\u00E9\u00E9\u00E9\u00E9"},
      {"abcdef", 2, "..."},
      {"", 28, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(truncate_label(c.text, c.limit), c.expected) << c.text;
}

TEST(LayerTextOfKind, ContextForPersonsAndSystemsOtherwiseTheKind) {
  EXPECT_EQ(layer_text_of_kind(ElementKind::Person), "context");
  EXPECT_EQ(layer_text_of_kind(ElementKind::SoftwareSystem), "context");
  EXPECT_EQ(layer_text_of_kind(ElementKind::Container), "container");
  EXPECT_EQ(layer_text_of_kind(ElementKind::Component), "component");
  EXPECT_EQ(layer_text_of_kind(ElementKind::Code), "code");
  EXPECT_EQ(layer_text_of_kind(ElementKind::External), "external");
}

// ---- grid positions and sizes ----

TEST(LayerGrid, EmptyModelIsTheMinimumDrawing) {
  SceneGraph g = grid({}, "context");
  EXPECT_EQ(g.mode, "layer");
  EXPECT_EQ(g.focus, std::nullopt);
  EXPECT_TRUE(g.nodes.empty());
  EXPECT_TRUE(g.edges.empty());
  EXPECT_TRUE(g.ports.empty());
  EXPECT_EQ(g.width, 400);
  EXPECT_EQ(g.height, 300);
}

TEST(LayerGrid, DrawingSizeByNodeCount) {
  struct Case {
    int count;
    double width;
    double height;
  };
  const std::vector<Case> cases{{1, 400, 300}, {2, 520, 300}, {3, 760, 300},
                                {4, 760, 300}, {7, 760, 416}, {10, 760, 540}};
  for (const Case& c : cases) {
    std::vector<Element> elements;
    for (int i = 0; i < c.count; ++i) elements.push_back(element("p" + std::to_string(i), ElementKind::Person));
    SceneGraph g = grid(elements, "context");
    ASSERT_EQ(g.nodes.size(), static_cast<std::size_t>(c.count));
    EXPECT_EQ(g.width, c.width) << c.count;
    EXPECT_EQ(g.height, c.height) << c.count;
  }
}

TEST(LayerGrid, SevenElementsFillThreeRows) {
  std::vector<Element> elements;
  for (int i = 0; i < 7; ++i) elements.push_back(element("s" + std::to_string(i), ElementKind::SoftwareSystem));
  SceneGraph g = grid(elements, "context");
  ASSERT_EQ(g.nodes.size(), 7u);
  const std::vector<std::pair<double, double>> corners{{40, 40},  {280, 40},  {520, 40}, {40, 164},
                                                       {280, 164}, {520, 164}, {40, 288}};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(g.nodes[i].x, corners[i].first) << i;
    EXPECT_EQ(g.nodes[i].y, corners[i].second) << i;
    EXPECT_EQ(g.nodes[i].w, 200);
    EXPECT_EQ(g.nodes[i].h, 88);
  }
  EXPECT_EQ(g.width, 760);
  EXPECT_EQ(g.height, 416);
}

TEST(LayerGrid, NodeTakesTheElementsFields) {
  Element e = element("bank", ElementKind::External, "holding");
  e.url = "https://example.org/b\u00E4nk";
  SceneGraph g = grid({e}, std::nullopt);  // no layer: the context layer
  ASSERT_EQ(g.nodes.size(), 1u);
  const SceneNode& n = g.nodes[0];
  EXPECT_EQ(n.id, "bank");
  EXPECT_EQ(n.kind, "external");
  EXPECT_EQ(n.layer, "external");
  EXPECT_EQ(n.name, "Name of bank");
  EXPECT_EQ(n.parent_id, "holding");
  EXPECT_EQ(n.url, e.url);
  EXPECT_FALSE(n.group);
  EXPECT_EQ(n.depth, 0u);
  EXPECT_TRUE(n.members.empty());
  EXPECT_EQ(n.stereotype, std::nullopt);
}

// ---- visible kinds ----

TEST(LayerGrid, VisibleKindsByLayerText) {
  const std::vector<Element> elements{
      element("p", ElementKind::Person),    element("s", ElementKind::SoftwareSystem),
      element("x", ElementKind::External),  element("c", ElementKind::Container, "s"),
      element("m", ElementKind::Component, "c"), element("k", ElementKind::Code, "m"),
  };
  struct Case {
    std::optional<std::string> layer;
    std::vector<std::string> ids;
  };
  const std::vector<Case> cases{
      {std::nullopt, {"p", "s", "x"}}, {"context", {"p", "s", "x"}}, {"landscape", {"p", "s", "x"}},
      {"container", {"c"}},            {"component", {"m"}},         {"Container", {"p", "s"}},
      {"nonsense", {"p", "s"}},        {" context", {"p", "s"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ids_of(grid(elements, c.layer)), c.ids) << c.layer.value_or("<none>");
}

// ---- focus filter ----

TEST(LayerGrid, FocusKeepsTheDescendantsOfTheFocus) {
  const std::vector<Element> elements{
      element("person", ElementKind::Person),
      element("S", ElementKind::SoftwareSystem),
      element("T", ElementKind::SoftwareSystem),
      element("api", ElementKind::Container, "S"),
      element("db", ElementKind::Container, "T"),
      element("loose", ElementKind::Container),
      element("ghost", ElementKind::Container, "missing"),
      element("orders", ElementKind::Component, "api"),
      element("billing", ElementKind::Component, "db"),
  };
  EXPECT_EQ(ids_of(grid(elements, "container", "S")), (std::vector<std::string>{"api"}));
  EXPECT_EQ(ids_of(grid(elements, "component", "S")), (std::vector<std::string>{"orders"}));
  EXPECT_EQ(ids_of(grid(elements, "component", "api")), (std::vector<std::string>{"orders"}));
  // The focus may name the element itself, or an id that names no element.
  EXPECT_EQ(ids_of(grid(elements, "container", "db")), (std::vector<std::string>{"db"}));
  EXPECT_EQ(ids_of(grid(elements, "container", "missing")), (std::vector<std::string>{"ghost"}));
  // Persons and systems ignore the focus but are not shown on these layers.
  EXPECT_EQ(ids_of(grid(elements, "Container", "S")), (std::vector<std::string>{"person", "S", "T"}));
}

TEST(LayerGrid, ParentCyclesEndTheWalkWithoutAMatch) {
  const std::vector<Element> elements{
      element("S", ElementKind::SoftwareSystem),
      element("a", ElementKind::Container, "b"),
      element("b", ElementKind::Container, "a"),
      element("self", ElementKind::Container, "self"),
      element("c", ElementKind::Container, "a"),  // leads into the cycle
      element("ok", ElementKind::Container, "S"),
  };
  EXPECT_EQ(ids_of(grid(elements, "container", "S")), (std::vector<std::string>{"ok"}));
  // A focus inside the cycle is reached from every member of it.
  EXPECT_EQ(ids_of(grid(elements, "container", "a")), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ids_of(grid(elements, "container", "self")), (std::vector<std::string>{"self"}));
}

TEST(LayerGrid, LongParentChainsAreWalkedOnce) {
  // A chain of 20,000 containers under S; remembered walks keep this linear.
  std::vector<Element> elements{element("S", ElementKind::SoftwareSystem)};
  std::string parent = "S";
  for (int i = 0; i < 20000; ++i) {
    std::string id = "c" + std::to_string(i);
    elements.push_back(element(id, ElementKind::Container, parent));
    parent = id;
  }
  EXPECT_EQ(grid(elements, "container", "S").nodes.size(), 20000u);
  EXPECT_EQ(grid(elements, "container", "T").nodes.size(), 0u);
}

// ---- edges ----

TEST(LayerGrid, EdgesJoinShownNodesOnly) {
  const std::vector<Element> elements{
      element("p", ElementKind::Person),
      element("s", ElementKind::SoftwareSystem),
      element("api", ElementKind::Container, "s"),
  };
  const std::vector<Relationship> rels{
      relationship("r1", "p", "s"),
      relationship("r2", "p", "api", "Uses the API"),
      relationship("r3", "s", "p", "  " + std::string(40, 'd') + " "),
      relationship("r4", "s", "p", ""),
  };
  SceneGraph g = grid(elements, "context", std::nullopt, rels);
  ASSERT_EQ(g.edges.size(), 3u);
  EXPECT_EQ(g.edges[0].id, "r1");
  EXPECT_EQ(g.edges[0].from, "p");
  EXPECT_EQ(g.edges[0].to, "s");
  EXPECT_EQ(g.edges[0].label, "uses");
  EXPECT_EQ(g.edges[1].id, "r3");
  EXPECT_EQ(g.edges[1].label, std::string(25, 'd') + "...");
  EXPECT_EQ(g.edges[2].label, "");  // an empty description is a description
  for (const SceneEdge& e : g.edges) {
    EXPECT_TRUE(e.points.empty());
    EXPECT_EQ(e.from_port, "");
    EXPECT_EQ(e.to_port, "");
    EXPECT_EQ(e.edge_kind, "");
    EXPECT_EQ(e.label_x, 0);
    EXPECT_EQ(e.label_y, 0);
  }
}

// ---- dispatch ----

TEST(BuildScene, AllModeIgnoresTheLayerAndKeepsTheFocus) {
  const std::vector<Element> elements{element("p", ElementKind::Person)};
  SceneGraph g = build_scene(elements, {}, "container", "p", ViewMode::All);
  EXPECT_EQ(g.mode, "all");
  EXPECT_EQ(g.focus, "p");
}

TEST(BuildScene, LayerModeKeepsTheFocus) {
  SceneGraph g = build_scene({}, {}, "context", "S", ViewMode::Layer);
  EXPECT_EQ(g.mode, "layer");
  EXPECT_EQ(g.focus, "S");
}

}  // namespace
}  // namespace borvane::scene
