#pragma once
// A small JSON reader that keeps source positions for reader errors.
#include <string_view>

#include "domain/error.hpp"
#include "domain/node.hpp"

namespace borvane::domain {

// Nesting deeper than this many arrays/objects is a reader error
// ("recursion limit exceeded") rather than a stack overflow.
inline constexpr int kJsonMaxDepth = 128;

// Parses exactly one JSON value (surrounding white space allowed).
Result<Node, ReadError> parse_json(std::string_view text);

}  // namespace borvane::domain
