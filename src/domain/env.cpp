#include "domain/env.hpp"

#include <cstdlib>

#include "domain/utf8.hpp"

namespace borvane::domain {

std::optional<std::string> env_text(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  std::string text(value);
  if (!is_valid_utf8(text)) return std::nullopt;
  return text;
}

}  // namespace borvane::domain
