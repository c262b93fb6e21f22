#pragma once
// The scene: the layout engine's one output (positioned boxes, routed
// connections, attachment points and the drawing size), the view modes, and
// `build_scene`, the entry point that turns a model snapshot into a scene.
//
// Coordinates: one plane for the whole scene, origin at the top left, x to
// the right, y downwards, display pixels at zoom 1, all absolute.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "domain/element.hpp"

namespace borvane::scene {

// One box per visible element.
struct SceneNode {
  std::string id;
  std::string kind;   // element kind text
  std::string layer;  // see layer_text_of_kind
  std::string name;
  std::optional<std::string> parent_id;  // as stored in the model
  bool group = false;                    // contains other boxes: drawn as a frame with a header
  std::uint32_t depth = 0;               // 0 for a top-level box
  double x = 0;
  double y = 0;
  double w = 0;
  double h = 0;
  std::vector<std::string> members;       // UML member lines of a code element
  std::optional<std::string> stereotype;  // class stereotype of a code element
  std::optional<std::string> url;
};

// One connection, routed from the source border to the target border.
struct SceneEdge {
  std::string id;
  std::string from;
  std::string to;
  std::string label;
  std::vector<std::pair<double, double>> points;  // empty when not routed
  std::string from_port;
  std::string to_port;
  // Left end of the label text on the baseline of its first line.
  double label_x = 0;
  double label_y = 0;
  std::string edge_kind;
};

// The attachment point of an edge end, on its node's border.
struct ScenePort {
  std::string id;
  std::string node_id;
  double x = 0;
  double y = 0;
};

struct SceneGraph {
  std::string mode;
  std::optional<std::string> focus;
  double width = 0;
  double height = 0;
  std::vector<SceneNode> nodes;  // drawing order: a parent always precedes its children
  std::vector<SceneEdge> edges;
  std::vector<ScenePort> ports;
};

// Which drawing a caller asks for: one layer as a grid (the default) or all
// layers as nested boxes.
struct ViewMode {
  enum Value : std::uint8_t { Layer, All };
  Value value = Layer;
  constexpr ViewMode() = default;
  constexpr ViewMode(Value v) : value(v) {}
  constexpr operator Value() const { return value; }

  // Trimmed and ASCII-lower-cased: "landscape_all", "full" and "all" mean
  // All; every other text means Layer. Never fails.
  static ViewMode parse(std::string_view text);
};

// The layer text a node carries: "context" for persons and software systems,
// otherwise the kind text itself.
std::string_view layer_text_of_kind(domain::ElementKind kind);

// The trimmed text, cut to its first (limit - 3) characters plus "..." when
// it has more than `limit` characters (Unicode scalar values).
std::string truncate_label(std::string_view text, std::size_t limit);

// The scene of a view. Mode All gives the nested layout (layer ignored); else
// layer "code" (exact text, default "context") gives the code class view;
// any other layer the plain layer grid. Never fails on model content.
SceneGraph build_scene(std::span<const domain::Element> elements,
                       std::span<const domain::Relationship> relationships,
                       const std::optional<std::string>& layer, const std::optional<std::string>& focus,
                       ViewMode mode);

// The plain grid of one layer: up to three 200x88 cards per row.
SceneGraph build_layer_grid(std::span<const domain::Element> elements,
                            std::span<const domain::Relationship> relationships, std::string_view layer,
                            const std::optional<std::string>& focus);

}  // namespace borvane::scene
