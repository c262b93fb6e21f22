#pragma once
// A pre-check of TOML text against nesting that would exhaust the stack.
// toml++ limits nested arrays and inline tables, but not the parts of one
// dotted key or table header: a single header with some tens of thousands
// of parts crashes its parser. Nesting depth is at most the parts of one
// header plus those of one key plus the inline nesting, so bounding the dots
// per line (outside strings and comments) bounds the depth.
#include <cstddef>
#include <optional>
#include <string_view>

#include "domain/node.hpp"

namespace borvane::tomlio {

inline constexpr std::size_t kMaxDotsPerLine = 128;

// The position of the first dot beyond the limit, as a reader error.
std::optional<domain::ReadError> check_key_depth(std::string_view text);

}  // namespace borvane::tomlio
