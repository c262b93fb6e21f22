#pragma once
// The two ways this module writes a text as a TOML string value.
#include <string>
#include <string_view>

namespace borvane::tomlio {

// A TOML basic string: backslash and double quote escaped, and every control
// character too (\b \t \n \f \r, otherwise \uXXXX, DEL included), so that any
// text reads back exactly.
std::string q(std::string_view text);

// Whether `text` can be held by a multi-line literal string unchanged: no
// "'''", no carriage return (readers fold CRLF into LF) and no control
// character other than tab and line feed.
bool fits_prose_form(std::string_view text);

// Prose: "'''" + line feed + the text + "'''" (the line feed after the
// opening delimiter is dropped by readers). Texts that do not fit that form
// fall back to q().
std::string lit(std::string_view text);

}  // namespace borvane::tomlio
