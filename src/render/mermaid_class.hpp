#pragma once
// The code layer: the code elements of one component as a Mermaid class
// diagram, with UML member lines and inheritance, realisation or
// association arrows chosen by words in the relationship descriptions.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/element.hpp"

namespace borvane::render {

std::string code_class_diagram(const std::vector<domain::Element>& elements,
                               const std::vector<domain::Relationship>& relationships,
                               const std::optional<std::string>& parent_id);

// The element's UML member lines made safe for a class body; lines with
// nothing meaningful left are dropped.
std::vector<std::string> class_members_from_element(const domain::Element& element);

// One member line with every character Mermaid's class body could misread
// dropped, its name in lower camel case; empty when nothing is left.
std::string sanitize_class_member(std::string_view line);

}  // namespace borvane::render
