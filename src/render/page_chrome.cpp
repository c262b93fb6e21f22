#include "render/page_chrome.hpp"

#include "render/page_template.hpp"
#include "render/public_base.hpp"

namespace borvane::render {

namespace {

constexpr std::string_view kTdIndent = "                  ";    // 18 spaces
constexpr std::string_view kRowEndIndent = "                ";  // 16 spaces

void append_cell(std::string& out, std::string_view html) {
  out += kTdIndent;
  out += html;
  out += '\n';
}

}  // namespace

std::string_view strip_trailing_slashes(std::string_view base) {
  while (!base.empty() && base.back() == '/') base.remove_suffix(1);
  return base;
}

void append_page_head(std::string& out, std::string_view title_html, std::string_view page_css) {
  fill_template(out, page_asset("page_head.html"),
                {{"title", title_html}, {"css", page_asset("page_shared.css")}, {"page_css", page_css}});
}

std::vector<NavTab> standard_tabs(std::string flows_label, std::string adrs_label) {
  std::vector<NavTab> tabs;
  tabs.push_back({"Diagrams", "/?layer=context"});
  tabs.push_back({"All", "/?mode=all&amp;renderer=wasm"});
  tabs.push_back({std::move(flows_label), "/flows"});
  tabs.push_back({std::move(adrs_label), "/adrs"});
  return tabs;
}

std::string top_nav(std::string_view base, const std::vector<NavTab>& tabs, std::string_view extra_style) {
  std::string out;
  out.reserve(96 + tabs.size() * (base.size() + 64));
  out += "<nav class=\"top-tabs\" aria-label=\"Primary\"";
  if (!extra_style.empty()) {
    out += " style=\"";
    out += extra_style;
    out += '"';
  }
  out += '>';
  for (const NavTab& tab : tabs) {
    out += tab.active ? "<a class=\"tab active\" href=\"" : "<a class=\"tab\" href=\"";
    out += base;
    out += tab.path;
    out += "\">";
    out += tab.label;
    out += "</a>";
  }
  out += "</nav>";
  return out;
}

std::string esc_or_dash(const std::optional<std::string>& text) {
  return text ? html_escape(*text) : std::string("\u2014");
}

void append_index_row(std::string& out, std::string_view base, std::string_view section, std::string_view id,
                      std::string_view title, std::initializer_list<std::string> cells) {
  const std::string enc = urlencoding(id);
  std::string href(base);
  href += section;
  href += '/';
  href += enc;
  out += "<tr>\n";
  append_cell(out, "<td><a href=\"" + href + "\"><code>" + enc + "</code></a></td>");
  append_cell(out, "<td><a class=\"title\" href=\"" + href + "\">" + html_escape(title) + "</a></td>");
  for (const std::string& cell : cells) append_cell(out, cell);
  out += kRowEndIndent;
  out += "</tr>";
}

std::string index_page_html(std::string_view page, std::string_view title, std::string_view count,
                            std::string_view nav, std::string_view rows) {
  const std::string stem(page);
  std::string out;
  out.reserve(rows.size() + 8192);
  append_page_head(out, title, page_asset(stem + ".css"));
  fill_template(out, page_asset(stem + ".html"), {{"count", count}, {"nav", nav}, {"rows", rows}});
  return out;
}

}  // namespace borvane::render
