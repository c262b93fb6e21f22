#pragma once
// A parsed document value (from JSON or TOML) with the source positions that
// reader errors report. Records are decoded from it (record_codec.hpp).
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace borvane::domain {

// Line counted from 1; column = number of bytes of that line consumed.
struct SourcePos {
  std::uint32_t line = 1;
  std::uint32_t column = 0;
  bool operator==(const SourcePos&) const = default;
};

struct Node;

struct NodeMember {
  std::string key;
  std::optional<SourcePos> key_end;  // after the key's closing quote and any white space before the colon
};

struct Node {
  enum class Type : std::uint8_t { Null, Bool, Int, UInt, Float, String, DateTime, Array, Object };
  Type type = Type::Null;
  bool boolean = false;
  std::int64_t int_value = 0;     // Type::Int (negative integers)
  std::uint64_t uint_value = 0;   // Type::UInt (non-negative integers)
  double float_value = 0.0;       // Type::Float
  std::string text;               // Type::String, or the written form of a Type::DateTime
  std::vector<Node> items;        // Type::Array
  // Type::Object, in document order (duplicates are kept: the decoder reports them).
  std::vector<std::pair<NodeMember, Node>> members;
  std::optional<SourcePos> start;  // before the value's first byte
  std::optional<SourcePos> end;    // after the value's last byte (after "}" for objects)
};

// A reader error: the message in one of the forms "missing field `x`",
// "unknown field `x`, expected one of `a`, `b`", "duplicate field `x`",
// "unknown variant `x`, expected ...", "invalid type: null, expected a string",
// or a syntax error; `pos` is where the reader detected it, when known.
struct ReadError {
  std::string message;
  std::optional<SourcePos> pos;
  // message + " at line L column C" when the position is known.
  std::string display() const;
  bool operator==(const ReadError&) const = default;
};

}  // namespace borvane::domain
