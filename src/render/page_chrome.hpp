#pragma once
// The pieces every decision and flow page shares: the document head with the
// shared style sheet, the top navigation, the base address of its links and
// the table of the two index pages.
#include <initializer_list>
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

// Appends one row of an index table: the id (URL-encoded, in code) and the
// title (escaped), both linking to base + section + "/" + id, then `cells`,
// whole <td> elements. Each cell stands on a line of its own, indented to sit
// inside the page template's table.
void append_index_row(std::string& out, std::string_view base, std::string_view section, std::string_view id,
                      std::string_view title, std::initializer_list<std::string> cells);

// The rows of an index table: `append_row(rows, base, record)` for each
// record in order, or `empty_row` when there are none.
template <class Record>
std::string index_rows(std::string_view base, const std::vector<Record>& records, std::string_view empty_row,
                       void (*append_row)(std::string&, std::string_view, const Record&)) {
  if (records.empty()) return std::string(empty_row);
  std::string rows;
  rows.reserve(records.size() * (400 + base.size() * 2));
  for (const Record& record : records) append_row(rows, base, record);
  return rows;
}

// A whole index page: the head titled `title` with the style sheet
// `page`.css, then the template `page`.html with its count, nav and rows
// slots filled.
std::string index_page_html(std::string_view page, std::string_view title, std::string_view count,
                            std::string_view nav, std::string_view rows);

}  // namespace borvane::render
