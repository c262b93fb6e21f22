#pragma once
// The pieces every decision and flow page shares: the document head with the
// shared style sheet, the top navigation and the base address of its links.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace borvane::render {

// The base address without any trailing "/", so that every link has exactly
// one "/" between the base and its path.
std::string_view strip_trailing_slashes(std::string_view base);

// "<!doctype html>" up to "</head>": the two meta elements, the title (HTML
// given, already escaped) and one style element holding the shared style
// sheet followed by `page_css`.
void append_page_head(std::string& out, std::string_view title_html, std::string_view page_css);

struct NavTab {
  std::string label;      // HTML text of the tab, e.g. "ADRs (3)"
  std::string_view path;  // after the base, e.g. "/adrs"; ampersands already as "&amp;"
  bool active = false;
};

// The "Diagrams", "All", "Flows" and "ADRs" tabs, in that order.
std::vector<NavTab> standard_tabs(std::string flows_label, std::string adrs_label);

// <nav class="top-tabs" aria-label="Primary"> with one "tab" link per entry;
// `extra_style`, when not empty, becomes the nav's style attribute.
std::string top_nav(std::string_view base, const std::vector<NavTab>& tabs, std::string_view extra_style = {});

// The escaped text, or "—" when it is absent.
std::string esc_or_dash(const std::optional<std::string>& text);

}  // namespace borvane::render
