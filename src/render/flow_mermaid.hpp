#pragma once
// The Mermaid diagram of one flow.
#include <string>
#include <vector>

#include "domain/element.hpp"
#include "domain/flow.hpp"

namespace borvane::render {

// Sequence and state flows: their stored body unchanged (empty without one).
// Dynamic flows: a sequence diagram whose participants are the step ends in
// order of first appearance, named after their elements (or their ids), and
// whose messages are the steps ordered by number.
std::string flow_to_mermaid(const domain::Flow& flow, const std::vector<domain::Element>& elements);

}  // namespace borvane::render
