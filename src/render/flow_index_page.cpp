#include "render/flow_pages.hpp"
#include "render/page_chrome.hpp"
#include "render/public_base.hpp"

namespace borvane::render {

using domain::Flow;

namespace {

constexpr std::string_view kEmptyIndex =
    "<tr><td colspan=\"5\" class=\"empty\">No flows yet \u2014 use <code>upsert_flow</code></td></tr>";

std::string joined(const std::vector<std::string>& ids) {
  std::string text;
  for (const std::string& id : ids) {
    if (!text.empty()) text += ", ";
    text += id;
  }
  return text;
}

void append_flow_row(std::string& out, std::string_view base, const Flow& f) {
  append_index_row(out, base, "/flows", f.id, f.title,
                   {"<td><span class=\"status proposed\">" + html_escape(f.kind.text()) + "</span></td>",
                    "<td><code>" + esc_or_dash(f.usage_key) + "</code></td>",
                    "<td class=\"mono\">" + html_escape(joined(f.related_adrs)) + "</td>"});
}

}  // namespace

std::string flows_index_html(std::string_view base_url, const std::vector<Flow>& flows, std::size_t adr_count) {
  const std::string_view base = strip_trailing_slashes(base_url);
  const std::string count = std::to_string(flows.size());
  std::vector<NavTab> tabs =
      standard_tabs("Flows (" + count + ")", "ADRs (" + std::to_string(adr_count) + ")");
  tabs[2].active = true;
  return index_page_html("page_flows_index", "Flows", count, top_nav(base, tabs),
                         index_rows(base, flows, kEmptyIndex, append_flow_row));
}

}  // namespace borvane::render
