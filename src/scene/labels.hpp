#pragma once
// Text sizes, class boxes and edge-label placement. The layout never measures
// real fonts: widths are estimated per character as a fraction of the font
// size (0.66 for A-Z, 0.56 for a-z and 0-9, 0.40 for anything else).
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "domain/element.hpp"
#include "scene/collision.hpp"
#include "scene/lib.hpp"

namespace borvane::scene {

// Box titles, kind captions (and class members) and edge labels.
inline constexpr double kTitleFont = 13;
inline constexpr double kCaptionFont = 11;
inline constexpr double kEdgeLabelFont = 10;

struct BoxSize {
  double w = 0;
  double h = 0;
  bool operator==(const BoxSize&) const = default;
};

// Estimated width of a text at `font`: the width of its widest line. Lines
// are split at line feeds, a carriage return before a line feed belongs to
// the break, and a final line feed does not start another line.
double text_width(std::string_view text, double font);

// Width a group frame needs for its header "[layer] name".
double header_min_width(std::string_view name, std::string_view layer);

// A leaf box that fits its name (font 13) and kind caption (font 11), never
// below the minimum size of its kind and never lower than 72.
BoxSize leaf_size_for_text(std::string_view name, std::string_view caption, double min_width, double min_height);

// The box of a text whose first baseline starts at (x, y).
Aabb text_aabb(double x, double y, double font, std::string_view text);

// The display form of one UML member line ("- user_id : int" becomes
// "-userId: int"), or the empty text when the line does not start with a
// visibility mark (+ - # ~).
std::string sanitize_member_line(std::string_view line);

// snake_case to camelCase: pieces between underscores, empty ones dropped,
// every piece after the first with its first character upper-cased.
std::string snake_ident_to_camel(std::string_view name);

// Size of a code element drawn as a UML class box.
BoxSize class_box_size(std::string_view name, const std::optional<std::string>& stereotype,
                       std::span<const std::string> member_lines);

// The element's UML member lines in display form, unusable lines dropped.
std::vector<std::string> class_members_for(const domain::Element& element);

// Sets label_x and label_y of every edge that has a route of at least two
// points and a non-blank label, next to its longest (horizontal-preferring)
// segment where the label covers no foreign box, port or earlier label.
// Longer labels are placed first.
void place_edge_labels(std::span<SceneEdge> edges, std::span<const SceneNode> nodes,
                       std::span<const ScenePort> ports);

}  // namespace borvane::scene
