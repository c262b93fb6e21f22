#include "render/adr_pages.hpp"

#include "render/page_chrome.hpp"
#include "render/page_template.hpp"
#include "render/public_base.hpp"

namespace borvane::render {

using domain::Decision;

namespace {

constexpr std::string_view kEmptyIndex =
    "<tr><td colspan=\"5\" class=\"empty\">No ADRs yet \u2014 use <code>upsert_adr</code></td></tr>";

void append_adr_row(std::string& out, std::string_view base, const Decision& d) {
  const std::string status = html_escape(d.status.text());
  append_index_row(out, base, "/adrs", d.id, d.title,
                   {"<td><span class=\"status " + status + "\">" + status + "</span></td>",
                    "<td><code>" + esc_or_dash(d.scope_element_id) + "</code></td>",
                    "<td class=\"mono\">" + html_escape(d.decided_at) + "</td>"});
}

// "<h2>Policy</h2>…": the mode and one item per forbid rule (severity is not
// shown).
void append_policy(std::string& body, const domain::AdrPolicy& policy) {
  body += "<h2>Policy</h2><p>mode <code>";
  body += html_escape(policy.mode.text());
  body += "</code></p><ul>";
  for (const domain::AdrForbidRule& rule : policy.forbid) {
    body += "<li><code>";
    body += html_escape(rule.from_kind.text());
    body += " \u2192 ";
    body += html_escape(rule.to_kind.text());
    body += "</code> (";
    body += html_escape(rule.code);
    body += ") \u2014 ";
    body += html_escape(rule.message);
    body += "</li>";
  }
  body += "</ul>";
}

void append_related_flows(std::string& body, std::string_view base, const std::vector<std::string>& ids) {
  body += "<h2>Related flows</h2><ul class=\"related-flows\">";
  for (const std::string& id : ids) {
    const std::string enc = urlencoding(id);
    body += "<li><a href=\"";
    body += base;
    body += "/flows/" + enc + "\"><code>" + enc + "</code></a></li>";
  }
  body += "</ul>";
}

void append_references(std::string& body, const std::vector<domain::DocRef>& refs) {
  body += "<h2>References</h2><ul class=\"related-flows\">";
  for (const domain::DocRef& ref : refs) {
    const std::string url = html_escape(ref.url);
    body += "<li><a href=\"" + url + "\" target=\"_blank\" rel=\"noopener noreferrer\">";
    body += ref.title && !ref.title->empty() ? html_escape(*ref.title) : url;
    body += "</a></li>";
  }
  body += "</ul>";
}

std::string article_body(std::string_view base, const Decision& d) {
  std::string body;
  body.reserve(256 + d.context.size() + d.decision.size() + d.consequences.size());
  body += "<h2>Context</h2><p>" + html_escape(d.context) + "</p>";
  body += "<h2>Decision</h2><p>" + html_escape(d.decision) + "</p>";
  body += "<h2>Consequences</h2><p>" + html_escape(d.consequences) + "</p>";
  if (d.reason) body += "<h2>Rejection reason</h2><p>" + html_escape(*d.reason) + "</p>";
  if (d.policy) append_policy(body, *d.policy);
  if (!d.related_flows.empty()) append_related_flows(body, base, d.related_flows);
  if (!d.refs.empty()) append_references(body, d.refs);
  return body;
}

}  // namespace

std::string adrs_index_html(std::string_view base_url, const std::vector<Decision>& decisions) {
  const std::string_view base = strip_trailing_slashes(base_url);
  const std::string count = std::to_string(decisions.size());
  std::vector<NavTab> tabs = standard_tabs("Flows", "ADRs (" + count + ")");
  tabs[3].active = true;
  return index_page_html("page_adrs_index", "ADRs", count, top_nav(base, tabs),
                         index_rows(base, decisions, kEmptyIndex, append_adr_row));
}

std::string adr_detail_html(std::string_view base_url, const Decision& d) {
  const std::string_view base = strip_trailing_slashes(base_url);
  std::vector<NavTab> tabs = standard_tabs("Flows", "ADRs");
  tabs[3].active = true;
  const std::string nav = top_nav(base, tabs, "margin-bottom:.45rem;display:inline-flex");
  const std::string id = html_escape(d.id);
  const std::string title = html_escape(d.title);
  const std::string body = article_body(base, d);

  std::string out;
  out.reserve(body.size() + 8192);
  append_page_head(out, "ADR " + id + " \u2014 " + title, page_asset("page_adr_detail.css"));
  fill_template(out, page_asset("page_adr_detail.html"),
                {{"nav", nav},
                 {"id", id},
                 {"status", html_escape(d.status.text())},
                 {"title", title},
                 {"decided_at", html_escape(d.decided_at)},
                 {"scope", esc_or_dash(d.scope_element_id)},
                 {"commit", esc_or_dash(d.git_commit_id)},
                 {"path", html_escape(d.path)},
                 {"body", body}});
  return out;
}

}  // namespace borvane::render
