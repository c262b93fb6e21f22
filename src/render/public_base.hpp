#pragma once
// Public base addresses and the two escapers every page uses.
#include <string>
#include <string_view>

#include "domain/error.hpp"

namespace borvane::render {

// The base of the view links in write results when BORVANE_C4_PUBLIC_BASE is
// unset or invalid.
inline constexpr const char* kDefaultPublicBase = "https://borvane-c4.example";

// BORVANE_C4_PUBLIC_BASE (trailing "/" removed, normalised), or the default
// when it is unset, not valid UTF-8 or not a valid base. Never fails.
std::string public_base_from_env();

// The validated base address: trimmed, trailing "/" removed, letter case
// kept; or one of the error texts "base_url is empty", "base_url must start
// with https://", "base_url contains forbidden characters", "base_url scheme
// not allowed".
domain::Result<std::string, domain::ErrorText> normalize_public_base(std::string_view text);

// & < > and " as entities (& first); the apostrophe is kept.
std::string html_escape(std::string_view text);

// Every UTF-8 byte except ASCII letters, digits and - . _ ~ as %XX.
std::string urlencoding(std::string_view text);

}  // namespace borvane::render
