#pragma once
// The reader errors that record decoding reports, with their texts and the
// positions a JSON reader gives them.
#include <span>
#include <string>
#include <string_view>

#include "domain/node.hpp"

namespace borvane::domain {

// "invalid type: {what the value is}, expected {expected}".
ReadError invalid_type(const Node& value, std::string_view expected);
// "invalid value: {what the value is}, expected {expected}" (e.g. a number
// out of range for the field).
ReadError invalid_value(const Node& value, std::string_view expected);
// "unknown field `k`, expected ..." with the record's field names.
ReadError unknown_field(const NodeMember& key, std::span<const std::string_view> fields);
ReadError duplicate_field(const NodeMember& key);
// Reported at the end of the object that lacks the field.
ReadError missing_field(const Node& object, std::string_view field);
// "unknown variant `x`, expected ..." with the enumeration's texts.
ReadError unknown_variant(const Node& value, std::span<const std::string_view> variants);

}  // namespace borvane::domain
