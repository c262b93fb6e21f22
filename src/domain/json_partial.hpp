#pragma once
// The JSON reader's fuller result, for decoders that must report the first
// error in document order: when the text has a syntax error, `root` holds the
// value read up to that point. In such a partial tree the containers that were
// still open have no `end`, and a value that could not be read has no `start`;
// every node that was read completely has both.
#include <optional>
#include <string_view>

#include "domain/node.hpp"

namespace borvane::domain {

struct PartialJson {
  Node root;
  std::optional<ReadError> error;  // the syntax error, if any
};

PartialJson parse_json_partial(std::string_view text);

}  // namespace borvane::domain
