#include "tomlio/toml_quote.hpp"

namespace borvane::tomlio {
namespace {

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F; }

void append_unicode_escape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

void append_escaped(std::string& out, char ch) {
  const auto c = static_cast<unsigned char>(ch);
  switch (ch) {
    case '\\': out += "\\\\"; return;
    case '"': out += "\\\""; return;
    case '\b': out += "\\b"; return;
    case '\t': out += "\\t"; return;
    case '\n': out += "\\n"; return;
    case '\f': out += "\\f"; return;
    case '\r': out += "\\r"; return;
    default: break;
  }
  if (is_control(c))
    append_unicode_escape(out, c);
  else
    out += ch;
}

}  // namespace

std::string q(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char ch : text) append_escaped(out, ch);
  out += '"';
  return out;
}

bool fits_prose_form(std::string_view text) {
  if (text.find("'''") != std::string_view::npos) return false;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (is_control(c) && ch != '\t' && ch != '\n') return false;
  }
  return true;
}

std::string lit(std::string_view text) {
  if (!fits_prose_form(text)) return q(text);
  std::string out = "'''\n";
  out += text;
  out += "'''";
  return out;
}

}  // namespace borvane::tomlio
