#pragma once
// Environment variables, read at the moment they are needed (never cached).
#include <optional>
#include <string>

namespace borvane::domain {

// The variable's value when it is set and valid UTF-8; nothing otherwise.
std::optional<std::string> env_text(const char* name);

}  // namespace borvane::domain
