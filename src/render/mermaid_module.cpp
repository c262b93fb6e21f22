#include "render/mermaid_module.hpp"

#include "domain/env.hpp"
#include "domain/text.hpp"

namespace borvane::render {
namespace {

bool is_safe_char(char32_t c) {
  if (c < 0x21 || (c >= 0x7F && c <= 0x9F) || domain::is_white_space(c)) return false;
  switch (c) {
    case '"': case '\'': case '`': case '\\': case '<': case '>': return false;
    default: return true;
  }
}

bool is_safe_module_url(std::string_view url) {
  bool https = domain::ascii_lower(url.substr(0, 8)) == "https://" && url.size() > 8;
  bool host_path = url.size() > 1 && url[0] == '/' && url[1] != '/';
  if (!https && !host_path) return false;
  for (std::size_t i = 0; i < url.size();)
    if (!is_safe_char(domain::next_char(url, i))) return false;
  return true;
}

}  // namespace

std::string mermaid_module_url() {
  auto configured = domain::env_text("BORVANE_C4_MERMAID_URL");
  if (configured && is_safe_module_url(*configured)) return *configured;
  return kDefaultMermaidModuleUrl;
}

}  // namespace borvane::render
