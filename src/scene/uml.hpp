#pragma once
// The code view: the code elements of one component drawn as UML class boxes
// inside a frame that stands for the component. Interfaces and base classes
// sit in an upper row above the classes that implement or extend them; every
// relationship between two of the classes is routed port to port and
// labelled, and the gap between the boxes is widened until the labels fit
// (at most four layout passes).
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "domain/element.hpp"
#include "scene/lib.hpp"

namespace borvane::scene {

// Layout passes of the code view: the first with the default gap, up to
// three more with wider gaps when labels did not fit.
inline constexpr int kUmlMaxPasses = 4;
// The gap between neighbouring class boxes (and between the rows) in the
// first pass.
inline constexpr double kUmlDefaultGap = 160;

// The code view of the component `focus`. Without a focus, or when the
// component holds no code elements, a placeholder scene that says so.
// Never fails.
SceneGraph build_code_uml(std::span<const domain::Element> elements,
                          std::span<const domain::Relationship> relationships,
                          const std::optional<std::string>& focus);

// A scene with one 220x100 box "Empty" that shows `message` as its only
// member line.
SceneGraph empty_code(std::string_view message);

// The kind of a code relationship read from its description: "extends" when
// it mentions "extends" or "inherit", else "implements" when it mentions
// "implements", else "assoc" (ASCII case ignored; absent means empty).
std::string_view edge_kind_of(std::optional<std::string_view> description);

// The stereotype of a class box: "Interface" for a class something
// implements, else "Base" for a class something extends, else one derived
// from the element's technology ("interface", "abstract"/"base", "enum"
// name themselves; "class"/"cls" and short plain words give none; any other
// technology is shown as written).
std::optional<std::string> class_stereotype(const std::optional<std::string>& technology, bool implemented,
                                            bool extended);

// The gap a layout pass asks the next one for: for every edge the width of
// its label's first line at font 10 plus 64, and 40 more when the label's box
// (grown by 6) covers a class box. Zero without edges.
double needed_label_gap(std::span<const SceneEdge> edges, std::span<const SceneNode> classes);

// The gap of the pass after `pass` (counted from 1), or none when the layout
// is done: the labels fit (needed at most gap + 1) or the last pass ran.
std::optional<double> next_uml_gap(double gap, double needed, int pass);

}  // namespace borvane::scene
