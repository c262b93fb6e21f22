#pragma once
// The UTF-8 checks of the domain, under this module's names.
#include "domain/utf8.hpp"

namespace borvane::tomlio {
using domain::is_valid_utf8;
using domain::utf8_lossy;
}  // namespace borvane::tomlio
