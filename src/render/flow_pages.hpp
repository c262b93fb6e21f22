#pragma once
// The HTML pages of flows: the list of all flows and the page of one flow
// with its diagram (drawn in the browser by Mermaid) and its links into the
// model views, decisions and documents. Both take the base address of their
// links (trailing "/" removed here) and are pure functions of their inputs.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "domain/element.hpp"
#include "domain/flow.hpp"

namespace borvane::render {

// The index page; `flows` in display order.
std::string flows_index_html(std::string_view base_url, const std::vector<domain::Flow>& flows,
                             std::size_t adr_count);

// The page of one flow; `elements` name its participants and give its links.
std::string flow_detail_html(std::string_view base_url, const domain::Flow& flow,
                             const std::vector<domain::Element>& elements, std::size_t flow_count,
                             std::size_t adr_count);

}  // namespace borvane::render
