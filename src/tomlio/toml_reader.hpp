#pragma once
// Reading TOML documents into the parsed-value tree that records are decoded
// from, so that TOML files give the same reader errors as JSON input.
#include <string_view>

#include "domain/error.hpp"
#include "domain/node.hpp"
#include "domain/record_codec.hpp"

namespace borvane::tomlio {

// The document's root table as an object node. Values carry the line and
// column where they start; members keep document order. Dates and times
// become DateTime nodes holding their written form. A syntax error (also
// invalid UTF-8) carries the TOML reader's description and position.
domain::Result<domain::Node, domain::ReadError> parse_toml(std::string_view text);

// parse_toml + domain::decode<T>.
template <class T>
domain::Result<T, domain::ReadError> from_toml(std::string_view text) {
  auto node = parse_toml(text);
  if (!node) return std::move(node).error();
  return domain::decode<T>(*node);
}

}  // namespace borvane::tomlio
