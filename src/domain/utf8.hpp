#pragma once
// Strict UTF-8 checks, for texts that come from outside Python (paths,
// environment variables, files).
#include <string>
#include <string_view>

namespace borvane::domain {

bool is_valid_utf8(std::string_view bytes);

// The bytes with every invalid sequence replaced by U+FFFD.
std::string utf8_lossy(std::string_view bytes);

}  // namespace borvane::domain
