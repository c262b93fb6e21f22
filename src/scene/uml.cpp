#include "scene/uml.hpp"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "domain/text.hpp"
#include "scene/collision.hpp"
#include "scene/labels.hpp"
#include "scene/ports.hpp"
#include "scene/router.hpp"

namespace borvane::scene {

using domain::Element;
using domain::ElementKind;
using domain::Relationship;

namespace {

// Placeholder scene.
constexpr double kEmptyWidth = 420;
constexpr double kEmptyHeight = 240;
constexpr double kEmptyX = 80;
constexpr double kEmptyY = 60;
constexpr double kEmptyW = 220;
constexpr double kEmptyH = 100;

// Class rows start below the frame's header, inset from its left side.
constexpr double kRowLeft = 48;
constexpr double kRowTop = 88;
// The frame reaches this far beyond the lowest and rightmost class box.
constexpr double kFramePad = 48;
// The frame is at least as wide as its name plus this.
constexpr double kFrameNamePad = 64;
// The drawing is at least this large, plus a margin around it.
constexpr double kSceneMinWidth = 480;
constexpr double kSceneMinHeight = 360;
constexpr double kSceneMargin = 48;

// Routing: three ports per side so that edges to different neighbours can
// leave a side at different places; obstacles get a small margin of their
// own on top of the router's clearance.
constexpr std::size_t kPortsPerSide = 3;
constexpr double kObstacleMargin = 4;
constexpr double kClearance = 6;
constexpr double kStub = 28;

// Labels: longer descriptions are cut to fit next to the route.
constexpr std::size_t kLabelLimit = 28;
// A label needs its width plus this much room between two boxes, and more
// when it ended up covering a box.
constexpr double kLabelRoom = 64;
constexpr double kCoveredLabelRoom = 40;
constexpr double kLabelMargin = 6;
// A wider gap is worth another pass only when it grows by more than this.
constexpr double kGapTolerance = 1;

bool strictly_overlaps(const Aabb& a, const Aabb& b) {
  return a.min_x < b.max_x && b.min_x < a.max_x && a.min_y < b.max_y && b.min_y < a.max_y;
}

Aabb box_of(const SceneNode& node) { return Aabb::from_rect(node.x, node.y, node.w, node.h); }

bool is_short_plain_word(std::string_view text) {
  constexpr std::size_t kLongTechnology = 13;
  if (text.size() >= kLongTechnology) return false;
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

// A relationship between two class boxes of the view, with what does not
// change from pass to pass.
struct CodeEdge {
  const Relationship* relationship;
  std::size_t from;  // index among the class nodes
  std::size_t to;
  std::string_view kind;
  std::string label;
};

// The frame standing for the component: named after the component when the
// model has it.
SceneNode frame_node(std::span<const Element> elements, const std::string& focus) {
  SceneNode frame;
  frame.id = focus;
  frame.kind = "component";
  frame.layer = "component";
  frame.group = true;
  auto component = std::find_if(elements.begin(), elements.end(), [&](const Element& e) { return e.id == focus; });
  if (component != elements.end()) {
    frame.name = component->name;
    frame.parent_id = component->parent_id;
  }
  return frame;
}

SceneNode class_node(const Element& element, std::optional<std::string> stereotype) {
  SceneNode node;
  node.id = element.id;
  node.kind = "code";
  node.layer = "code";
  node.name = element.name;
  node.parent_id = element.parent_id;
  node.depth = 1;
  node.members = class_members_for(element);
  node.stereotype = std::move(stereotype);
  node.url = element.url;
  BoxSize size = class_box_size(node.name, node.stereotype, node.members);
  node.w = size.w;
  node.h = size.h;
  return node;
}

std::string edge_label(const Relationship& r, std::string_view kind) {
  if (kind != "assoc") return std::string(kind);
  return truncate_label(r.description ? std::string_view(*r.description) : std::string_view("uses"), kLabelLimit);
}

// The relationships between two code elements of the view, in model order.
std::vector<CodeEdge> code_edges(std::span<const Relationship> relationships,
                                 const std::unordered_map<std::string_view, std::size_t>& class_index) {
  std::vector<CodeEdge> edges;
  for (const Relationship& r : relationships) {
    auto from = class_index.find(r.from_id);
    auto to = class_index.find(r.to_id);
    if (from == class_index.end() || to == class_index.end()) continue;
    std::string_view kind = edge_kind_of(r.description);
    edges.push_back({&r, from->second, to->second, kind, edge_label(r, kind)});
  }
  return edges;
}

// ---- one layout pass ----

// One row from the left edge of the frame, `gap` between neighbours.
void place_row(std::span<SceneNode> classes, std::span<const std::size_t> order, double y, double gap) {
  double x = kRowLeft;
  for (std::size_t i : order) {
    classes[i].x = x;
    classes[i].y = y;
    x += classes[i].w + gap;
  }
}

// Without inheritance all classes share one row, kept in their left-to-right
// order. With it, interfaces and base classes form the upper row so that the
// arrows from their implementers point upwards.
void place_classes(std::span<SceneNode> classes, bool tiered, double gap) {
  std::vector<std::size_t> order(classes.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (!tiered) {
    auto left_of = [&](std::size_t a, std::size_t b) { return classes[a].x < classes[b].x; };
    std::stable_sort(order.begin(), order.end(), left_of);
    place_row(classes, order, kRowTop, gap);
    return;
  }
  auto upper_end = std::stable_partition(order.begin(), order.end(), [&](std::size_t i) {
    return classes[i].stereotype == "Base" || classes[i].stereotype == "Interface";
  });
  if (upper_end == order.begin()) {
    place_row(classes, order, kRowTop, gap);
    return;
  }
  std::span<const std::size_t> upper(order.begin(), upper_end);
  std::span<const std::size_t> lower(upper_end, order.end());
  double upper_height = 0;
  for (std::size_t i : upper) upper_height = std::max(upper_height, classes[i].h);
  place_row(classes, upper, kRowTop, gap);
  place_row(classes, lower, kRowTop + upper_height + gap, gap);
}

void size_frame(SceneNode& frame, std::span<const SceneNode> classes) {
  double right = kRowLeft;
  double bottom = kRowTop;
  for (const SceneNode& c : classes) {
    right = std::max(right, c.x + c.w);
    bottom = std::max(bottom, c.y + c.h);
  }
  frame.w = std::max(text_width(frame.name, kTitleFont) + kFrameNamePad, right + kFramePad);
  frame.h = bottom + kFramePad;
}

std::vector<std::vector<Port>> class_ports(std::span<const SceneNode> classes) {
  constexpr PortSide kSides[] = {PortSide::North, PortSide::East, PortSide::South, PortSide::West};
  std::vector<std::vector<Port>> ports(classes.size());
  for (std::size_t i = 0; i < classes.size(); ++i) {
    const SceneNode& c = classes[i];
    ports[i].reserve(4 * kPortsPerSide);
    for (PortSide side : kSides) {
      std::vector<Port> side_ports = allocate_side_ports(c.id, side, kPortsPerSide, c.x, c.y, c.w, c.h);
      std::move(side_ports.begin(), side_ports.end(), std::back_inserter(ports[i]));
    }
  }
  return ports;
}

// Edges of the code view may share a port: the nearest port is always used.
struct NoPortTaken {
  bool contains(const std::string&) const { return false; }
};

// The port of `self` on the side that faces the centre of `other`, nearest
// to that centre along the side.
const Port& port_facing(std::span<const Port> ports, const SceneNode& self, const SceneNode& other) {
  const double ox = other.x + other.w / 2;
  const double oy = other.y + other.h / 2;
  PortSide side = facing_side(self.x + self.w / 2, self.y + self.h / 2, ox, oy);
  const Port* port = pick_port_avoiding(ports, side, NoPortTaken{}, along_side(side, ox, oy));
  return port != nullptr ? *port : ports.front();
}

void add_scene_port(SceneGraph& graph, std::unordered_set<std::string_view>& seen, const Port& port) {
  if (!seen.insert(port.id).second) return;
  graph.ports.push_back({port.id, port.node_id, port.x, port.y});
}

// Routes every edge around the other class boxes and records the ports used.
void route_edges(SceneGraph& graph, std::span<const CodeEdge> edges) {
  std::span<const SceneNode> classes = std::span<const SceneNode>(graph.nodes).subspan(1);
  std::vector<std::vector<Port>> ports = class_ports(classes);
  std::vector<Aabb> boxes;
  boxes.reserve(classes.size());
  for (const SceneNode& c : classes) boxes.push_back(box_of(c).expanded(kObstacleMargin));

  graph.edges.clear();
  graph.ports.clear();
  graph.edges.reserve(edges.size());
  std::unordered_set<std::string_view> seen;  // views into `ports`, which outlive it
  std::vector<Aabb> obstacles;
  obstacles.reserve(boxes.size());
  for (const CodeEdge& e : edges) {
    const Port& from = port_facing(ports[e.from], classes[e.from], classes[e.to]);
    const Port& to = port_facing(ports[e.to], classes[e.to], classes[e.from]);
    obstacles.clear();
    for (std::size_t i = 0; i < boxes.size(); ++i)
      if (i != e.from && i != e.to) obstacles.push_back(boxes[i]);

    SceneEdge edge;
    edge.id = e.relationship->id;
    edge.from = e.relationship->from_id;
    edge.to = e.relationship->to_id;
    edge.label = e.label;
    edge.points = route_port_to_port_stubbed(from, to, obstacles, kClearance, kStub);
    edge.from_port = from.id;
    edge.to_port = to.id;
    edge.edge_kind = std::string(e.kind);
    graph.edges.push_back(std::move(edge));
    add_scene_port(graph, seen, from);
    add_scene_port(graph, seen, to);
  }
}

void size_scene(SceneGraph& graph) {
  double right = kSceneMinWidth;
  double bottom = kSceneMinHeight;
  for (const SceneNode& n : graph.nodes) {
    right = std::max(right, n.x + n.w);
    bottom = std::max(bottom, n.y + n.h);
  }
  graph.width = right + kSceneMargin;
  graph.height = bottom + kSceneMargin;
}

// The first line of a label, as a line break ends it.
std::string_view first_line(std::string_view text) {
  std::string_view line = text.substr(0, text.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

SceneGraph empty_code(std::string_view message) {
  SceneGraph graph;
  graph.mode = "layer";
  graph.width = kEmptyWidth;
  graph.height = kEmptyHeight;
  SceneNode node;
  node.id = "Empty";
  node.kind = "code";
  node.layer = "code";
  node.name = "Empty";
  node.x = kEmptyX;
  node.y = kEmptyY;
  node.w = kEmptyW;
  node.h = kEmptyH;
  node.members.emplace_back(message);
  graph.nodes.push_back(std::move(node));
  return graph;
}

std::string_view edge_kind_of(std::optional<std::string_view> description) {
  std::string text = domain::ascii_lower(description.value_or(std::string_view()));
  if (text.find("extends") != std::string::npos || text.find("inherit") != std::string::npos) return "extends";
  if (text.find("implements") != std::string::npos) return "implements";
  return "assoc";
}

std::optional<std::string> class_stereotype(const std::optional<std::string>& technology, bool implemented,
                                            bool extended) {
  if (implemented) return "Interface";
  if (extended) return "Base";
  if (!technology) return std::nullopt;
  std::string_view trimmed = domain::trim(*technology);
  if (trimmed.empty()) return std::nullopt;
  std::string t = domain::ascii_lower(trimmed);
  if (t == "interface") return "Interface";
  if (t == "abstract" || t == "base") return "Base";
  if (t == "enum") return "Enum";
  if (t == "class" || t == "cls") return std::nullopt;
  // A short plain word ("struct", "record") says nothing a class box does
  // not; anything longer or composed ("Spring Bean") is worth showing.
  if (is_short_plain_word(trimmed)) return std::nullopt;
  return std::string(trimmed);
}

double needed_label_gap(std::span<const SceneEdge> edges, std::span<const SceneNode> classes) {
  double needed = 0;
  for (const SceneEdge& e : edges) {
    const double room = text_width(first_line(e.label), kEdgeLabelFont) + kLabelRoom;
    needed = std::max(needed, room);
    const Aabb label = text_aabb(e.label_x, e.label_y, kEdgeLabelFont, e.label).expanded(kLabelMargin);
    const bool covers = std::any_of(classes.begin(), classes.end(),
                                    [&](const SceneNode& c) { return strictly_overlaps(label, box_of(c)); });
    if (covers) needed = std::max(needed, room + kCoveredLabelRoom);
  }
  return needed;
}

std::optional<double> next_uml_gap(double gap, double needed, int pass) {
  if (needed <= gap + kGapTolerance || pass >= kUmlMaxPasses) return std::nullopt;
  return needed;
}

SceneGraph build_code_uml(std::span<const Element> elements, std::span<const Relationship> relationships,
                          const std::optional<std::string>& focus) {
  if (!focus) return empty_code("pick a component parent");
  std::vector<const Element*> code;
  for (const Element& e : elements)
    if (e.kind == ElementKind::Code && e.parent_id == *focus) code.push_back(&e);
  if (code.empty()) return empty_code("no code elements yet");

  std::unordered_map<std::string_view, std::size_t> class_index;
  class_index.reserve(code.size());
  for (std::size_t i = 0; i < code.size(); ++i) class_index.emplace(code[i]->id, i);
  std::vector<CodeEdge> edges = code_edges(relationships, class_index);

  // Targets of "implements" become interfaces, of "extends" base classes.
  std::vector<bool> implemented(code.size(), false);
  std::vector<bool> extended(code.size(), false);
  bool tiered = false;
  for (const CodeEdge& e : edges) {
    if (e.kind == "implements") implemented[e.to] = true;
    if (e.kind == "extends") extended[e.to] = true;
    tiered = tiered || e.kind != "assoc";
  }

  SceneGraph graph;
  graph.mode = "layer";
  graph.focus = focus;
  graph.nodes.reserve(code.size() + 1);
  graph.nodes.push_back(frame_node(elements, *focus));
  for (std::size_t i = 0; i < code.size(); ++i)
    graph.nodes.push_back(class_node(*code[i], class_stereotype(code[i]->technology, implemented[i], extended[i])));

  std::span<SceneNode> classes = std::span<SceneNode>(graph.nodes).subspan(1);
  double gap = kUmlDefaultGap;
  for (int pass = 1;; ++pass) {
    place_classes(classes, tiered, gap);
    size_frame(graph.nodes.front(), classes);
    route_edges(graph, edges);
    place_edge_labels(graph.edges, graph.nodes, graph.ports);
    std::optional<double> next = next_uml_gap(gap, needed_label_gap(graph.edges, classes), pass);
    if (!next) break;
    gap = *next;
  }
  size_scene(graph);
  return graph;
}

}  // namespace borvane::scene
