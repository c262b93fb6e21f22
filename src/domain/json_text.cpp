// Compact JSON text: string literals, numbers and the writer over JSON values.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "domain/record_codec.hpp"

namespace borvane::domain {
namespace {

void append_control_escape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// Shortest round-trip digits of a finite, non-zero `value` and its decimal
// point position kk (value = 0.digits x 10^kk).
void shortest_digits(double value, std::string& digits, int& kk) {
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  const std::string_view text(buf, static_cast<std::size_t>(result.ptr - buf));
  const std::size_t e = text.find('e');
  digits.clear();
  for (const char c : text.substr(0, e))
    if (c != '.') digits += c;
  int exponent = 0;
  std::string_view exp_text = text.substr(e + 1);
  if (exp_text.front() == '+') exp_text.remove_prefix(1);
  std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);
  kk = exponent + 1;
}

// Lays out digits d (n of them) with the point at kk: plain integers with
// ".0" up to 16 integer digits, plain decimals from 1e-5 on, exponent form
// otherwise.
void layout_digits(std::string& out, const std::string& d, int kk) {
  const int n = static_cast<int>(d.size());
  if (n <= kk && kk <= 16) {
    out += d;
    out.append(static_cast<std::size_t>(kk - n), '0');
    out += ".0";
  } else if (0 < kk && kk <= 16) {
    out.append(d, 0, static_cast<std::size_t>(kk));
    out += '.';
    out.append(d, static_cast<std::size_t>(kk));
  } else if (-5 < kk && kk <= 0) {
    out += "0.";
    out.append(static_cast<std::size_t>(-kk), '0');
    out += d;
  } else {
    out += d[0];
    if (n > 1) {
      out += '.';
      out.append(d, 1);
    }
    out += 'e';
    out += std::to_string(kk - 1);
  }
}

template <class J>
void dump_into(std::string& out, const J& value) {
  using T = nlohmann::detail::value_t;
  switch (value.type()) {
    case T::boolean: out += value.template get<bool>() ? "true" : "false"; return;
    case T::number_integer: out += std::to_string(value.template get<std::int64_t>()); return;
    case T::number_unsigned: out += std::to_string(value.template get<std::uint64_t>()); return;
    case T::number_float: append_double(out, value.template get<double>()); return;
    case T::string: append_json_string(out, value.template get_ref<const std::string&>()); return;
    case T::array: {
      out += '[';
      bool first = true;
      for (const auto& item : value) {
        if (!first) out += ',';
        first = false;
        dump_into(out, item);
      }
      out += ']';
      return;
    }
    case T::object: {
      out += '{';
      for (auto it = value.cbegin(); it != value.cend(); ++it) {
        if (it != value.cbegin()) out += ',';
        append_json_string(out, it.key());
        out += ':';
        dump_into(out, it.value());
      }
      out += '}';
      return;
    }
    case T::null:
    case T::binary:
    case T::discarded: out += "null"; return;
  }
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  out += '"';
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          append_control_escape(out, c);
        } else {
          out += ch;
        }
    }
  }
  out += '"';
}

void append_double(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  if (std::signbit(value)) out += '-';
  if (value == 0.0) {
    out += "0.0";
    return;
  }
  std::string digits;
  int kk = 0;
  shortest_digits(std::fabs(value), digits, kk);
  layout_digits(out, digits, kk);
}

std::string format_double(double value) {
  std::string out;
  append_double(out, value);
  return out;
}

std::string dump_compact(const nlohmann::json& value) {
  std::string out;
  dump_into(out, value);
  return out;
}

std::string dump_compact(const nlohmann::ordered_json& value) {
  std::string out;
  dump_into(out, value);
  return out;
}

}  // namespace borvane::domain
