#pragma once
// Small text helpers shared by the records and services.
#include <string>
#include <string_view>

namespace borvane::domain {

// Whether `c` has the Unicode White_Space property.
bool is_white_space(char32_t c);
// Decodes the UTF-8 character at byte `i` and advances `i` past it. An
// invalid byte decodes as U+FFFD and advances by one.
char32_t next_char(std::string_view text, std::size_t& i);

// Removes Unicode white space (the White_Space property) at both ends.
std::string_view trim(std::string_view text);
// Whether the text is empty after trimming.
inline bool is_blank(std::string_view text) { return trim(text).empty(); }
// ASCII letters lower-cased; every other byte unchanged.
std::string ascii_lower(std::string_view text);
// Record ids of decisions and flows: [A-Za-z0-9][A-Za-z0-9_.-]*
bool is_record_id(std::string_view id);

}  // namespace borvane::domain
