#pragma once
// Page texts embedded at build time from the files under src/*/assets/.
#include <string_view>

namespace borvane::assets {
// The contents of the asset at `name` (for example "render/assets/page.css"),
// or an empty view when no such asset exists.
std::string_view find(std::string_view name);
}  // namespace borvane::assets
