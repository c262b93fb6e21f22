#pragma once
// Where the pages load the Mermaid library from.
#include <string>

namespace borvane::render {

// Mermaid 11 as an ES module from a public CDN.
inline constexpr const char* kDefaultMermaidModuleUrl =
    "https://cdn.jsdelivr.net/npm/mermaid@11/dist/mermaid.esm.min.mjs";

// The module address the pages import, read when a page is built: the value
// of BORVANE_C4_MERMAID_URL when it is set and safe to place inside a script
// string (an https:// address or a path on the serving host starting with
// "/", without quotes, backslashes, angle brackets, white space or control
// characters), otherwise the CDN default. A machine without internet points
// it at a copy the server hosts.
std::string mermaid_module_url();

}  // namespace borvane::render
