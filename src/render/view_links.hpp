#pragma once
// The map of the model's navigation addresses.
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "domain/decision.hpp"
#include "domain/element.hpp"
#include "domain/error.hpp"

namespace borvane::render {

// The view, decision and layer addresses under the validated base: the
// decisions in the given order and the systems, containers and components
// in element order. Fails with the base address's error text.
domain::Result<nlohmann::json, domain::ErrorText> view_links(std::string_view base_url,
                                                             const std::vector<domain::Element>& elements,
                                                             const std::vector<domain::Decision>& decisions);

}  // namespace borvane::render
