#pragma once
// The model as the Mermaid renderers see it: the workspace's elements and
// the relationships to draw (for the C4 layers already projected onto the
// layer), both in the store's order.
#include <vector>

#include "domain/element.hpp"

namespace borvane::render {

struct ModelView {
  const std::vector<domain::Element>& elements;
  const std::vector<domain::Relationship>& relationships;
};

}  // namespace borvane::render
