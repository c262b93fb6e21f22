#include "domain/decode_errors.hpp"

#include <cmath>
#include <cstdint>
#include <optional>

#include "domain/record_codec.hpp"

namespace borvane::domain {
namespace {

// Scalars are reported after the value; containers before their opening
// bracket, because the decoder rejects them without reading them.
std::optional<SourcePos> value_pos(const Node& value) {
  if (value.type == Node::Type::Array || value.type == Node::Type::Object) return value.start;
  return value.end;
}

std::string float_text(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  return format_double(v);
}

void append_hex_escape(std::string& out, std::uint32_t cp) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string digits;
  do {
    digits.insert(digits.begin(), kHex[cp & 0xF]);
    cp >>= 4;
  } while (cp != 0);
  out += "\\u{" + digits + "}";
}

// The text in double quotes with quotes, backslashes and control characters
// escaped, the way debug output of a string shows it.
std::string debug_quoted(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\0': out += "\\0"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          append_hex_escape(out, c);
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80) {
          append_hex_escape(out, static_cast<unsigned char>(text[++i]));  // C1 control
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string describe(const Node& value) {
  switch (value.type) {
    case Node::Type::Null: return "null";
    case Node::Type::Bool: return value.boolean ? "boolean `true`" : "boolean `false`";
    case Node::Type::Int: return "integer `" + std::to_string(value.int_value) + "`";
    case Node::Type::UInt: return "integer `" + std::to_string(value.uint_value) + "`";
    case Node::Type::Float: return "floating point `" + float_text(value.float_value) + "`";
    case Node::Type::String: return "string " + debug_quoted(value.text);
    case Node::Type::DateTime: return "map";  // a TOML date-time decodes as a table
    case Node::Type::Array: return "sequence";
    case Node::Type::Object: return "map";
  }
  return "map";
}

std::string backticked(std::string_view name) { return "`" + std::string(name) + "`"; }

// "`a`", "`a` or `b`", "one of `a`, `b`, `c`".
std::string one_of(std::span<const std::string_view> names) {
  if (names.size() == 1) return backticked(names[0]);
  if (names.size() == 2) return backticked(names[0]) + " or " + backticked(names[1]);
  std::string out = "one of ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += ", ";
    out += backticked(names[i]);
  }
  return out;
}

}  // namespace

ReadError invalid_type(const Node& value, std::string_view expected) {
  return {"invalid type: " + describe(value) + ", expected " + std::string(expected), value_pos(value)};
}

ReadError invalid_value(const Node& value, std::string_view expected) {
  return {"invalid value: " + describe(value) + ", expected " + std::string(expected), value_pos(value)};
}

ReadError unknown_field(const NodeMember& key, std::span<const std::string_view> fields) {
  std::string message = "unknown field " + backticked(key.key) + ", ";
  message += fields.empty() ? "there are no fields" : "expected " + one_of(fields);
  return {std::move(message), key.key_end};
}

ReadError duplicate_field(const NodeMember& key) {
  return {"duplicate field " + backticked(key.key), key.key_end};
}

ReadError missing_field(const Node& object, std::string_view field) {
  return {"missing field " + backticked(field), object.end};
}

ReadError unknown_variant(const Node& value, std::span<const std::string_view> variants) {
  std::string message = "unknown variant " + backticked(value.text) + ", ";
  message += variants.empty() ? "there are no variants" : "expected " + one_of(variants);
  return {std::move(message), value.end};
}

}  // namespace borvane::domain
