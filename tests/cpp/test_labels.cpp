// Text widths, box sizes, member lines and edge-label placement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "scene/labels.hpp"

namespace borvane::scene {
namespace {

constexpr double kEps = 1e-9;

// ---- widths and box sizes ----

TEST(TextWidth, PerCharacterClassesAndWidestLine) {
  struct Case {
    std::string text;
    double font;
    double width;
  };
  const std::vector<Case> cases{
      {"API", 13, 25.74},
      {"[container] API", 13, 25.74 + 65.52 + 15.6},
      {"az09", 10, 22.4},
      {"a b!", 10, 5.6 * 2 + 4 * 2},
      {"\u00C4\u65E5", 11, 8.8},  // non-ASCII letters count as "other"
      {"a\nBC\r\n", 10, 13.2},
      {"", 13, 0},
  };
  for (const Case& c : cases) EXPECT_NEAR(text_width(c.text, c.font), c.width, kEps) << c.text;
}

TEST(HeaderMinWidth, PaddingPlusTheBracketedLayerAndName) {
  EXPECT_NEAR(header_min_width("API", "container"), 154.86, kEps);
  EXPECT_NEAR(header_min_width("", ""), 48 + 3 * 5.2, kEps);
}

TEST(LeafSizeForText, FitsTheTextButNeverBelowTheKindMinimum) {
  struct Case {
    std::string name, caption;
    double min_w, min_h;
    BoxSize size;
  };
  const std::vector<Case> cases{
      {"Bob", "person", 160, 0, {164, 72}},
      {std::string(20, 'W'), "person", 160, 90, {171.6 + 40, 90}},
      {"db", std::string(40, 'c'), 120, 72, {40 * 6.16 + 40, 72}},
      {"", "", 20, 10, {40, 72}},
  };
  for (const Case& c : cases) {
    BoxSize got = leaf_size_for_text(c.name, c.caption, c.min_w, c.min_h);
    EXPECT_NEAR(got.w, c.size.w, kEps) << c.name;
    EXPECT_NEAR(got.h, c.size.h, kEps) << c.name;
  }
}

TEST(TextAabb, StartsLeftOfAndAboveTheBaseline) {
  struct Case {
    std::string text;
    Aabb box;
  };
  const std::vector<Case> cases{
      {"Ab", {98, 41.5, 118.2, 53.5}},
      {"", {98, 41.5, 106, 53.5}},
      {"a\nbb", {98, 41.5, 117.2, 65.5}},
  };
  for (const Case& c : cases) {
    Aabb got = text_aabb(100, 50, 10, c.text);
    EXPECT_NEAR(got.min_x, c.box.min_x, kEps) << c.text;
    EXPECT_NEAR(got.min_y, c.box.min_y, kEps) << c.text;
    EXPECT_NEAR(got.max_x, c.box.max_x, kEps) << c.text;
    EXPECT_NEAR(got.max_y, c.box.max_y, kEps) << c.text;
  }
}

TEST(ClassBoxSize, WidestTextPlusPaddingAndLinesOfSixteen) {
  struct Case {
    std::string name;
    std::optional<std::string> stereotype;
    std::vector<std::string> members;
    BoxSize size;
  };
  const std::vector<Case> cases{
      {"Repo", std::nullopt, {}, {180, 88}},
      {"Repo", "Interface", {"+a()", "+b()", "+c()"}, {180, 120}},
      {"Repo", std::nullopt, {"+" + std::string(30, 'a')}, {4.4 + 30 * 6.16 + 40, 88}},
      {std::string(20, 'W'), std::nullopt, {"+x"}, {171.6 + 40, 88}},
      {"R", std::string(25, 'x'), {"-a", "-b", "-c", "-d", "-e"}, {8.8 + 25 * 6.16 + 40, 152}},
  };
  for (const Case& c : cases) {
    BoxSize got = class_box_size(c.name, c.stereotype, c.members);
    EXPECT_NEAR(got.w, c.size.w, kEps) << c.name;
    EXPECT_NEAR(got.h, c.size.h, kEps) << c.name;
  }
}

// ---- member lines ----

TEST(SanitizeMemberLine, VisibilityThenCamelNameThenSignatureOrType) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"- user_id : int", "-userId: int"},
      {"+ get_name(id: int) str", "+getName(id: int) str"},
      {"  # find_all_by ( user_id )  ", "#findAllBy( user_id )"},
      {"~ __init__", "~init"},
      {"+XML_code", "+XMLCode"},
      {"# count:", "#count"},
      {"+ a_b: x: y", "+aB: x: y"},
      {"+", "+"},
      {"* dropped", ""},
      {"user_id", ""},
      {"", ""},
      {" \t ", ""},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(sanitize_member_line(line), expected) << line;
}

TEST(SnakeIdentToCamel, UpperCasesTheHeadOfEveryLaterPiece) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"get_user_name", "getUserName"},
      {"__init__", "init"},
      {"XML_code", "XMLCode"},
      {"a__b", "aB"},
      {"a_1b", "a1b"},
      {"", ""},
      {"_", ""},
      {"stra\u00DFe_gr\u00F6\u00DFe", "stra\u00DFeGr\u00F6\u00DFe"},
      {"a_\u00DF", "aSS"},                     // sharp s upper-cases to two letters
      {"a_\u00E9t\u00E9", "a\u00C9t\u00E9"},   // Latin-1
      {"a_\u0149", "a\u02BCN"},                // n preceded by apostrophe
      {"a_\u01C6", "a\u01C4"},                 // dz digraph: upper, not title case
      {"a_\u0101", "a\u0100"},                 // Latin Extended-A pairs
      {"a_\u03AC\u03B2", "a\u0386\u03B2"},     // Greek with tonos
      {"a_\u03C2", "a\u03A3"},                 // final sigma
      {"a_\u1F80", "a\u1F08\u0399"},           // Greek Extended with ypogegrammeni
      {"a_\u0436", "a\u0416"},                 // Cyrillic
      {"a_\u0561", "a\u0531"},                 // Armenian
      {"a_\u10D0", "a\u1C90"},                 // Georgian Mkhedruli to Mtavruli
      {"a_\uFB01", "aFI"},                     // ligature
      {"a_\uFF41", "a\uFF21"},                 // full-width
      {"a_\U00010428", "a\U00010400"},         // Deseret
      {"a_\u65E5", "a\u65E5"},                 // no case
      {"a_\u00C4", "a\u00C4"},                 // already upper case
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(snake_ident_to_camel(name), expected) << name;
}

TEST(ClassMembersFor, SanitisedLinesOfTheElement) {
  domain::Element e;
  e.kind = domain::ElementKind::Code;
  domain::CodeMember find{domain::CodeMemberKind::Method, "+", "find_all", {{"id", "Id", false}}, "Item",
                          std::nullopt};
  domain::CodeMember hidden{domain::CodeMemberKind::Field, "", "no_mark", {}, std::nullopt, "int"};
  domain::CodeMember field{domain::CodeMemberKind::Field, "-", "user_id", {}, std::nullopt, "int"};
  e.members = {find, hidden, field};
  EXPECT_EQ(class_members_for(e), (std::vector<std::string>{"+findAll(id: Id) Item", "-userId: int"}));

  domain::Element described;
  described.kind = domain::ElementKind::Code;
  described.description = "+ get_x(); - y_z : int";
  EXPECT_EQ(class_members_for(described), (std::vector<std::string>{"+getX()", "-yZ: int"}));
}

// ---- label placement ----

SceneEdge routed(std::string id, std::string from, std::string to, std::string label,
                 std::vector<std::pair<double, double>> points) {
  SceneEdge e;
  e.id = std::move(id);
  e.from = std::move(from);
  e.to = std::move(to);
  e.label = std::move(label);
  e.points = std::move(points);
  e.label_x = -1;
  e.label_y = -1;
  return e;
}

SceneNode box(std::string id, double x, double y, double w, double h, bool group = false) {
  SceneNode n;
  n.id = std::move(id);
  n.x = x;
  n.y = y;
  n.w = w;
  n.h = h;
  n.group = group;
  return n;
}

struct Placed {
  double x, y;
};

Placed place_one(SceneEdge edge, const std::vector<SceneNode>& nodes, const std::vector<ScenePort>& ports = {}) {
  std::vector<SceneEdge> edges{std::move(edge)};
  place_edge_labels(edges, nodes, ports);
  return {edges[0].label_x, edges[0].label_y};
}

void expect_at(Placed got, double x, double y) {
  EXPECT_NEAR(got.x, x, kEps);
  EXPECT_NEAR(got.y, y, kEps);
}

TEST(PlaceEdgeLabels, FirstChoiceOnTheAnchorSegment) {
  struct Case {
    std::vector<std::pair<double, double>> points;
    double x, y;
  };
  // "calls" is 28 wide at font 10.
  const std::vector<Case> cases{
      {{{0, 100}, {400, 100}}, 186, 86},              // centred 14 above a horizontal segment
      {{{100, 0}, {100, 400}}, 64, 200},              // 8 left of a vertical one
      {{{0, 0}, {0, 200}, {100, 200}}, 36, 186},      // horizontal counts three times
      {{{0, 0}, {0, 400}, {100, 400}}, -36, 200},     // unless the vertical is longer still
      {{{0, 0}, {0, 300}, {0, 300}, {0, 600}}, -36, 150},  // the first of equals
  };
  for (const Case& c : cases) expect_at(place_one(routed("e", "a", "b", "calls", c.points), {}), c.x, c.y);
}

TEST(PlaceEdgeLabels, HorizontalSegmentBlockedAboveGoesBelow) {
  // A card just above the midpoint blocks both rows above the segment.
  std::vector<SceneNode> nodes{box("card", 150, 40, 100, 40)};
  expect_at(place_one(routed("e", "a", "b", "calls", {{0, 100}, {400, 100}}), nodes), 186, 116);
}

TEST(PlaceEdgeLabels, VerticalSegmentBlockedLeftGoesRight) {
  std::vector<SceneNode> nodes{box("wall", 0, 0, 90, 400)};
  expect_at(place_one(routed("e", "a", "b", "calls", {{100, 0}, {100, 400}}), nodes), 110, 200);
}

TEST(PlaceEdgeLabels, OwnNodesAndTheirPortsDoNotBlock) {
  const std::vector<std::pair<double, double>> route{{0, 100}, {400, 100}};
  std::vector<SceneNode> own{box("a", 150, 50, 100, 100)};
  expect_at(place_one(routed("e", "a", "b", "calls", route), own), 186, 86);
  std::vector<SceneNode> foreign{box("c", 150, 50, 100, 100)};
  Placed moved = place_one(routed("e", "a", "b", "calls", route), foreign);
  EXPECT_FALSE(std::abs(moved.x - 186) < kEps && std::abs(moved.y - 86) < kEps);

  std::vector<ScenePort> own_port{{"b:n:0", "b", 200, 86}};
  expect_at(place_one(routed("e", "a", "b", "calls", route), {}, own_port), 186, 86);
  std::vector<ScenePort> foreign_port{{"c:n:0", "c", 200, 86}};
  moved = place_one(routed("e", "a", "b", "calls", route), {}, foreign_port);
  EXPECT_FALSE(std::abs(moved.x - 186) < kEps && std::abs(moved.y - 86) < kEps);
}

TEST(PlaceEdgeLabels, FramesBlockOnlyTheirBorderBands) {
  const std::vector<std::pair<double, double>> route{{100, 200}, {500, 200}};
  expect_at(place_one(routed("e", "a", "b", "calls", route), {box("f", 0, 0, 600, 400, true)}), 286, 186);
  // The header band: a label right under the frame's top edge is pushed down.
  Placed below_header =
      place_one(routed("e", "a", "b", "calls", {{100, 50}, {500, 50}}), {box("f", 0, 0, 600, 400, true)});
  EXPECT_NEAR(below_header.y, 66, kEps);
}

TEST(PlaceEdgeLabels, FallbackStillPlacesAndLaterLabelsAvoidIt) {
  // "big" covers every candidate of edge A, so A falls back to the spot above
  // its midpoint. B starts at "big" (so ignores it) but must avoid A's label.
  std::vector<SceneNode> nodes{box("big", 100, 0, 200, 200)};
  std::vector<SceneEdge> edges{
      routed("B", "big", "b2", "BB", {{250, 20}, {250, 180}}),
      routed("A", "a1", "a2", "AAAAAAAAAA", {{0, 100}, {400, 100}}),
  };
  place_edge_labels(edges, nodes, {});
  expect_at({edges[1].label_x, edges[1].label_y}, 167, 84);
  // B's first choices (left of the midpoint and 0.4 along) touch A's box;
  // 0.6 along the segment is free.
  expect_at({edges[0].label_x, edges[0].label_y}, 226.8, 116);
}

TEST(PlaceEdgeLabels, EqualLengthLabelsArePlacedInIdOrder) {
  const std::vector<std::pair<double, double>> route{{0, 100}, {400, 100}};
  std::vector<SceneEdge> edges{routed("b", "x", "y", "zw", route), routed("a", "x", "y", "xy", route)};
  place_edge_labels(edges, {}, {});
  expect_at({edges[1].label_x, edges[1].label_y}, 194.4, 86);
  expect_at({edges[0].label_x, edges[0].label_y}, 154.4, 86);
}

TEST(PlaceEdgeLabels, UnroutedOrBlankEdgesKeepTheirPosition) {
  std::vector<SceneEdge> edges{
      routed("blank", "a", "b", " \n\t", {{0, 0}, {100, 0}}),
      routed("empty", "a", "b", "", {{0, 0}, {100, 0}}),
      routed("point", "a", "b", "calls", {{5, 5}}),
      routed("none", "a", "b", "calls", {}),
  };
  place_edge_labels(edges, {}, {});
  for (const SceneEdge& e : edges) {
    EXPECT_EQ(e.label_x, -1) << e.id;
    EXPECT_EQ(e.label_y, -1) << e.id;
  }
}

// ---- property: seeded generated scenes ----

struct Anchor {
  double mx, my;
  bool horizontal;
};

// The anchor segment, restated: the longest segment with horizontal ones
// counting three times, the first of equals.
Anchor anchor_of(const SceneEdge& e) {
  Anchor best{};
  double best_weight = -1;
  for (std::size_t i = 0; i + 1 < e.points.size(); ++i) {
    auto [x1, y1] = e.points[i];
    auto [x2, y2] = e.points[i + 1];
    bool horizontal = std::abs(y2 - y1) < 1;
    double weight = (std::abs(x2 - x1) + std::abs(y2 - y1)) * (horizontal ? 3 : 1);
    if (weight > best_weight) {
      best = {(x1 + x2) / 2, (y1 + y2) / 2, horizontal};
      best_weight = weight;
    }
  }
  return best;
}

bool overlaps(const Aabb& a, const Aabb& b) {
  return a.min_x < b.max_x && b.min_x < a.max_x && a.min_y < b.max_y && b.min_y < a.max_y;
}

Aabb grown_label_box(const SceneEdge& e) {
  Aabb b = text_aabb(e.label_x, e.label_y, 10, e.label);
  return {b.min_x - 6, b.min_y - 6, b.max_x + 6, b.max_y + 6};
}

struct GeneratedScene {
  double width = 2000, height = 1500;
  std::vector<SceneNode> nodes;
  std::vector<ScenePort> ports;
  std::vector<SceneEdge> edges;
};

// Everything a label can be anchored to keeps 420 from the border: more than
// a label of up to 24 characters (and a few lines) reaches from its segment's
// midpoint.
GeneratedScene generate(unsigned seed) {
  constexpr double kMargin = 420;
  std::mt19937 rng(seed);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
  auto count = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  GeneratedScene s;
  double right = s.width - kMargin, bottom = s.height - kMargin;

  int node_count = count(0, 30);
  for (int i = 0; i < node_count; ++i) {
    double w = uniform(40, 300), h = uniform(30, 200);
    double x = uniform(kMargin, right - w), y = uniform(kMargin, bottom - h);
    s.nodes.push_back(box("n" + std::to_string(i), x, y, w, h, count(0, 5) == 0));
    s.ports.push_back({"n" + std::to_string(i) + ":n:0", s.nodes.back().id, x + w / 2, y});
  }
  const std::vector<std::string> pieces{"A", "b", "7", " ", "-", "\u00E9", "\u65E5", "\n", "Z", "q"};
  int edge_count = count(0, 40);
  for (int i = 0; i < edge_count; ++i) {
    std::string label;
    for (int k = count(0, 24); k > 0; --k) label += pieces[static_cast<std::size_t>(count(0, 9))];
    std::vector<std::pair<double, double>> points;
    double x = uniform(kMargin, right), y = uniform(kMargin, bottom);
    points.emplace_back(x, y);
    for (int k = count(0, 4); k > 0; --k) {
      if (k % 2 == 0)
        x = uniform(kMargin, right);  // a horizontal step
      else
        y = uniform(kMargin, bottom);  // a vertical step
      points.emplace_back(x, y);
    }
    std::string from = node_count ? "n" + std::to_string(count(0, node_count - 1)) : "a";
    s.edges.push_back(routed("e" + std::to_string(count(0, 99)), from, "zz", label, points));
  }
  return s;
}

TEST(PlaceEdgeLabelsProperty, EveryPlacedLabelStaysNearItsSegmentAndInsideTheDrawing) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    GeneratedScene s = generate(seed);
    std::vector<SceneEdge> before = s.edges;
    place_edge_labels(s.edges, s.nodes, s.ports);

    std::vector<std::size_t> handled;
    for (std::size_t i = 0; i < s.edges.size(); ++i) {
      const SceneEdge& e = s.edges[i];
      if (e.points.size() < 2 || e.label.find_first_not_of(" \n") == std::string::npos) {
        EXPECT_EQ(e.label_x, before[i].label_x);
        EXPECT_EQ(e.label_y, before[i].label_y);
        continue;
      }
      handled.push_back(i);
      Anchor a = anchor_of(e);
      double w = text_width(e.label, 10);
      EXPECT_LE(std::hypot(e.label_x + w / 2 - a.mx, e.label_y - a.my), w / 2 + 72 + kEps) << "seed " << seed;
      Aabb b = grown_label_box(e);
      EXPECT_TRUE(b.min_x >= 0 && b.min_y >= 0 && b.max_x <= s.width && b.max_y <= s.height)
          << "seed " << seed << " edge " << e.id;
    }

    // Two label boxes overlap only when the later one had nowhere free to go.
    std::stable_sort(handled.begin(), handled.end(), [&](std::size_t x, std::size_t y) {
      const SceneEdge& a = s.edges[x];
      const SceneEdge& b = s.edges[y];
      return a.label.size() != b.label.size() ? a.label.size() > b.label.size() : a.id < b.id;
    });
    for (std::size_t later = 1; later < handled.size(); ++later) {
      const SceneEdge& e = s.edges[handled[later]];
      Anchor a = anchor_of(e);
      double w = text_width(e.label, 10);
      bool fallback = std::abs(e.label_x - (a.mx - w / 2)) < kEps &&
                      std::abs(e.label_y - (a.horizontal ? a.my - 16 : a.my)) < kEps;
      if (fallback) continue;
      for (std::size_t earlier = 0; earlier < later; ++earlier)
        EXPECT_FALSE(overlaps(grown_label_box(e), grown_label_box(s.edges[handled[earlier]])))
            << "seed " << seed << " edges " << e.id << " and " << s.edges[handled[earlier]].id;
    }
  }
}

}  // namespace
}  // namespace borvane::scene
