#include "render/public_base.hpp"

#include "domain/env.hpp"
#include "domain/text.hpp"

namespace borvane::render {
namespace {

// Characters that may not appear inside a base address. The address ends up
// inside href attributes and scripts, so besides @ and backslash this covers
// every quote, angle bracket, backtick, white space and control character.
bool is_forbidden_in_base(char32_t c) {
  switch (c) {
    case '@': case '\\': case '<': case '>': case '"': case '\'': case '`':
      return true;
    default:
      return c < 0x20 || (c >= 0x7F && c <= 0x9F) || domain::is_white_space(c);
  }
}

bool has_forbidden_char(std::string_view text) {
  for (std::size_t i = 0; i < text.size();)
    if (is_forbidden_in_base(domain::next_char(text, i))) return true;
  return false;
}

}  // namespace

domain::Result<std::string, domain::ErrorText> normalize_public_base(std::string_view text) {
  std::string_view base = domain::trim(text);
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  if (base.empty()) return domain::ErrorText{"base_url is empty"};
  std::string lower = domain::ascii_lower(base);
  if (lower.size() < 8 || !lower.starts_with("https://")) return domain::ErrorText{"base_url must start with https://"};
  if (has_forbidden_char(base)) return domain::ErrorText{"base_url contains forbidden characters"};
  if (lower.find("javascript:") != std::string::npos || lower.find("data:") != std::string::npos)
    return domain::ErrorText{"base_url scheme not allowed"};
  return std::string(base);
}

std::string public_base_from_env() {
  std::string base = domain::env_text("BORVANE_C4_PUBLIC_BASE").value_or(kDefaultPublicBase);
  while (!base.empty() && base.back() == '/') base.pop_back();
  auto normalised = normalize_public_base(base);
  return normalised ? std::move(normalised).value() : std::string(kDefaultPublicBase);
}

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string urlencoding(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    auto b = static_cast<unsigned char>(ch);
    bool keep = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' ||
                b == '.' || b == '_' || b == '~';
    if (keep) {
      out += ch;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  return out;
}

}  // namespace borvane::render
