#include "render/flow_pages.hpp"
#include "render/page_chrome.hpp"
#include "render/page_template.hpp"
#include "render/public_base.hpp"

namespace borvane::render {

using domain::Flow;

namespace {

constexpr std::string_view kTdIndent = "                  ";    // 18 spaces
constexpr std::string_view kRowEndIndent = "                ";  // 16 spaces

void append_cell(std::string& out, std::string_view html) {
  out += kTdIndent;
  out += html;
  out += '\n';
}

std::string joined(const std::vector<std::string>& ids) {
  std::string text;
  for (const std::string& id : ids) {
    if (!text.empty()) text += ", ";
    text += id;
  }
  return text;
}

void append_index_row(std::string& out, std::string_view base, const Flow& f) {
  const std::string id = urlencoding(f.id);
  const std::string href = std::string(base) + "/flows/" + id;
  out += "<tr>\n";
  append_cell(out, "<td><a href=\"" + href + "\"><code>" + id + "</code></a></td>");
  append_cell(out, "<td><a class=\"title\" href=\"" + href + "\">" + html_escape(f.title) + "</a></td>");
  append_cell(out, "<td><span class=\"status proposed\">" + html_escape(f.kind.text()) + "</span></td>");
  append_cell(out, "<td><code>" + esc_or_dash(f.usage_key) + "</code></td>");
  append_cell(out, "<td class=\"mono\">" + html_escape(joined(f.related_adrs)) + "</td>");
  out += kRowEndIndent;
  out += "</tr>";
}

std::string index_rows(std::string_view base, const std::vector<Flow>& flows) {
  if (flows.empty())
    return "<tr><td colspan=\"5\" class=\"empty\">No flows yet \u2014 use <code>upsert_flow</code></td></tr>";
  std::string rows;
  rows.reserve(flows.size() * (400 + base.size() * 2));
  for (const Flow& f : flows) append_index_row(rows, base, f);
  return rows;
}

}  // namespace

std::string flows_index_html(std::string_view base_url, const std::vector<Flow>& flows, std::size_t adr_count) {
  const std::string_view base = strip_trailing_slashes(base_url);
  const std::string count = std::to_string(flows.size());
  std::vector<NavTab> tabs =
      standard_tabs("Flows (" + count + ")", "ADRs (" + std::to_string(adr_count) + ")");
  tabs[2].active = true;
  const std::string rows = index_rows(base, flows);
  const std::string nav = top_nav(base, tabs);

  std::string out;
  out.reserve(rows.size() + 8192);
  append_page_head(out, "Flows", page_asset("page_flows_index.css"));
  fill_template(out, page_asset("page_flows_index.html"), {{"count", count}, {"nav", nav}, {"rows", rows}});
  return out;
}

}  // namespace borvane::render
