#include "scene/scene_json.hpp"

#include <string_view>

#include "domain/record_codec.hpp"

namespace borvane::scene {

namespace {

using domain::append_double;
using domain::append_json_string;

// Rough sizes of one serialised record, to reserve the text in one go.
constexpr std::size_t kNodeBytes = 256;
constexpr std::size_t kEdgeBytes = 192;
constexpr std::size_t kPointBytes = 24;
constexpr std::size_t kPortBytes = 80;

void append_optional_string(std::string& out, const std::optional<std::string>& text) {
  if (text)
    append_json_string(out, *text);
  else
    out += "null";
}

// `key` is the literal `"name":` (with a leading comma for every key but the
// first), so the writer never builds key strings at run time.
void append_text_field(std::string& out, std::string_view key, std::string_view text) {
  out += key;
  append_json_string(out, text);
}

void append_number_field(std::string& out, std::string_view key, double value) {
  out += key;
  append_double(out, value);
}

void append_node(std::string& out, const SceneNode& node) {
  append_text_field(out, "{\"id\":", node.id);
  append_text_field(out, ",\"kind\":", node.kind);
  append_text_field(out, ",\"layer\":", node.layer);
  append_text_field(out, ",\"name\":", node.name);
  out += ",\"parent_id\":";
  append_optional_string(out, node.parent_id);
  out += node.group ? ",\"group\":true" : ",\"group\":false";
  out += ",\"depth\":";
  out += std::to_string(node.depth);
  append_number_field(out, ",\"x\":", node.x);
  append_number_field(out, ",\"y\":", node.y);
  append_number_field(out, ",\"w\":", node.w);
  append_number_field(out, ",\"h\":", node.h);
  out += ",\"members\":[";
  for (std::size_t i = 0; i < node.members.size(); ++i) {
    if (i > 0) out += ',';
    append_json_string(out, node.members[i]);
  }
  out += "],\"stereotype\":";
  append_optional_string(out, node.stereotype);
  if (node.url) append_text_field(out, ",\"url\":", *node.url);
  out += '}';
}

void append_points(std::string& out, const std::vector<std::pair<double, double>>& points) {
  out += '[';
  for (std::size_t i = 0; i < points.size(); ++i) {
    out += i > 0 ? ",[" : "[";
    append_double(out, points[i].first);
    out += ',';
    append_double(out, points[i].second);
    out += ']';
  }
  out += ']';
}

void append_edge(std::string& out, const SceneEdge& edge) {
  append_text_field(out, "{\"id\":", edge.id);
  append_text_field(out, ",\"from\":", edge.from);
  append_text_field(out, ",\"to\":", edge.to);
  append_text_field(out, ",\"label\":", edge.label);
  out += ",\"points\":";
  append_points(out, edge.points);
  append_text_field(out, ",\"from_port\":", edge.from_port);
  append_text_field(out, ",\"to_port\":", edge.to_port);
  append_number_field(out, ",\"label_x\":", edge.label_x);
  append_number_field(out, ",\"label_y\":", edge.label_y);
  append_text_field(out, ",\"edge_kind\":", edge.edge_kind);
  out += '}';
}

void append_port(std::string& out, const ScenePort& port) {
  append_text_field(out, "{\"id\":", port.id);
  append_text_field(out, ",\"node_id\":", port.node_id);
  append_number_field(out, ",\"x\":", port.x);
  append_number_field(out, ",\"y\":", port.y);
  out += '}';
}

template <class Record, class Append>
void append_array(std::string& out, const std::vector<Record>& records, Append append) {
  out += '[';
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i > 0) out += ',';
    append(out, records[i]);
  }
  out += ']';
}

std::size_t estimated_size(const SceneGraph& graph) {
  std::size_t points = 0;
  for (const SceneEdge& e : graph.edges) points += e.points.size();
  return 128 + graph.nodes.size() * kNodeBytes + graph.edges.size() * kEdgeBytes + points * kPointBytes +
         graph.ports.size() * kPortBytes;
}

}  // namespace

std::string scene_to_json(const SceneGraph& graph) {
  std::string out;
  out.reserve(estimated_size(graph));
  append_text_field(out, "{\"mode\":", graph.mode);
  out += ",\"focus\":";
  append_optional_string(out, graph.focus);
  append_number_field(out, ",\"width\":", graph.width);
  append_number_field(out, ",\"height\":", graph.height);
  out += ",\"nodes\":";
  append_array(out, graph.nodes, append_node);
  out += ",\"edges\":";
  append_array(out, graph.edges, append_edge);
  out += ",\"ports\":";
  append_array(out, graph.ports, append_port);
  out += '}';
  return out;
}

}  // namespace borvane::scene
