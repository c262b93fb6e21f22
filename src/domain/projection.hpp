#pragma once
// Layer projection: lifts relationships drawn between detailed elements up to
// the elements a C4 layer shows, drops what collapses into one box or cannot
// be placed, and merges the rest per pair of visible elements.
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "domain/element.hpp"
#include "domain/enums.hpp"

namespace borvane::domain {

// Element id → element, built once per projection.
using ElementIndex = std::unordered_map<std::string_view, const Element*>;

// The most ancestors the walk of `project_up` looks at. The bound also ends
// a walk on a cyclic parent chain.
inline constexpr int kMaxProjectionAncestors = 63;

// The kinds the layer shows, in a fixed order; empty for code and adr.
std::span<const ElementKind> visible_kinds(C4Layer layer);

// Builds the index over `elements`; the pointers stay valid while the vector
// is unchanged. A repeated id keeps its first element.
ElementIndex index_elements(const std::vector<Element>& elements);

// The element that represents `id` on a layer showing `visible`: the element
// itself or its nearest ancestor of a visible kind, or nullptr when there is
// none within the element and 63 ancestors.
const Element* project_up(std::string_view id, const ElementIndex& index, std::span<const ElementKind> visible);

// The relationships of the layer: code and adr get a copy of the input;
// the other layers get projected, merged ("N× description") relationships
// sorted by from id, then to id.
std::vector<Relationship> project_relationships(const std::vector<Element>& elements,
                                                const std::vector<Relationship>& relationships, C4Layer layer);

}  // namespace borvane::domain
