#pragma once
// The HTML pages of decision records: the list of all decisions and the page
// of one decision. Both take the base address of their links (trailing "/"
// removed here) and are pure functions of their inputs.
#include <string>
#include <string_view>
#include <vector>

#include "domain/decision.hpp"

namespace borvane::render {

// The index page; `decisions` in display order.
std::string adrs_index_html(std::string_view base_url, const std::vector<domain::Decision>& decisions);

// The page of one decision.
std::string adr_detail_html(std::string_view base_url, const domain::Decision& decision);

}  // namespace borvane::render
