#pragma once
// UTF-8 checks for texts taken from file-system paths.
#include <string>
#include <string_view>

namespace borvane::tomlio {

bool is_valid_utf8(std::string_view bytes);

// The bytes with every invalid sequence replaced by U+FFFD.
std::string utf8_lossy(std::string_view bytes);

}  // namespace borvane::tomlio
