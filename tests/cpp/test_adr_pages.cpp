// The decision list page and the page of one decision.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/adr_pages.hpp"

using borvane::domain::AdrForbidRule;
using borvane::domain::AdrPolicy;
using borvane::domain::Decision;
using borvane::domain::DecisionStatus;
using borvane::domain::DocRef;
using borvane::domain::ElementKind;
using borvane::domain::PolicyMode;
using borvane::domain::Severity;
using borvane::render::adr_detail_html;
using borvane::render::adrs_index_html;

namespace {

Decision decision(std::string id, std::string title = "Use queues") {
  Decision d;
  d.id = std::move(id);
  d.workspace_id = "sidecar";
  d.title = std::move(title);
  d.status = DecisionStatus::Accepted;
  d.decided_at = "2024-05-01";
  d.context = "ctx";
  d.decision = "dec";
  d.consequences = "cons";
  d.path = "docs/adr/" + d.id + ".toml";
  return d;
}

bool has(const std::string& page, const std::string& what) { return page.find(what) != std::string::npos; }

const std::string kTitleWithTag = "<b>Bold</b> \"quoted\"";
const std::string kTitleEscaped = "&lt;b&gt;Bold&lt;/b&gt; &quot;quoted&quot;";

}  // namespace

TEST(AdrsIndex, EmptyListShowsThePlaceholderAndZero) {
  const std::string page = adrs_index_html("https://x.example", {});
  EXPECT_TRUE(page.starts_with("<!doctype html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\"/>\n"
                               "  <meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n"
                               "  <title>ADRs</title>\n  <style>\n:root {"));
  EXPECT_TRUE(has(page, "<h1>Architecture Decision Records</h1>"));
  EXPECT_TRUE(has(page, "<div class=\"mono\">0 ADR(s)</div>"));
  EXPECT_TRUE(has(page, "<tr><td colspan=\"5\" class=\"empty\">No ADRs yet \u2014 use <code>upsert_adr</code></td></tr>"));
  EXPECT_TRUE(has(page, "<nav class=\"top-tabs\" aria-label=\"Primary\">"
                        "<a class=\"tab\" href=\"https://x.example/?layer=context\">Diagrams</a>"
                        "<a class=\"tab\" href=\"https://x.example/?mode=all&amp;renderer=wasm\">All</a>"
                        "<a class=\"tab\" href=\"https://x.example/flows\">Flows</a>"
                        "<a class=\"tab active\" href=\"https://x.example/adrs\">ADRs (0)</a></nav>"));
  EXPECT_TRUE(has(page, "<aside class=\"legend-panel\" aria-label=\"ADR status legend\">"));
  EXPECT_TRUE(has(page, "<ul class=\"legend-list\">\n"
                        "        <li><span class=\"status draft\">draft</span></li>\n"
                        "        <li><span class=\"status proposed\">proposed</span></li>\n"
                        "        <li><span class=\"status accepted\">accepted</span></li>\n"
                        "        <li><span class=\"status rejected\">rejected</span></li>\n"
                        "        <li><span class=\"status superseded\">superseded</span></li>\n"
                        "        <li><span class=\"status deprecated\">deprecated</span></li>\n"));
  EXPECT_TRUE(has(page, "<th>ID</th><th>Title</th><th>Status</th><th>Scope</th><th>Date</th>"));
  EXPECT_TRUE(page.ends_with("</html>\n"));
}

TEST(AdrsIndex, RowsAreExactAndEscaped) {
  Decision a = decision("adr-1", kTitleWithTag);
  a.scope_element_id = "sys&1";
  Decision b = decision("adr 2");
  b.status = DecisionStatus::Draft;
  const std::string page = adrs_index_html("https://x.example///", {a, b});
  const std::string rows =
      "<tr>\n"
      "                  <td><a href=\"https://x.example/adrs/adr-1\"><code>adr-1</code></a></td>\n"
      "                  <td><a class=\"title\" href=\"https://x.example/adrs/adr-1\">" + kTitleEscaped + "</a></td>\n"
      "                  <td><span class=\"status accepted\">accepted</span></td>\n"
      "                  <td><code>sys&amp;1</code></td>\n"
      "                  <td class=\"mono\">2024-05-01</td>\n"
      "                </tr><tr>\n"
      "                  <td><a href=\"https://x.example/adrs/adr%202\"><code>adr%202</code></a></td>\n"
      "                  <td><a class=\"title\" href=\"https://x.example/adrs/adr%202\">Use queues</a></td>\n"
      "                  <td><span class=\"status draft\">draft</span></td>\n"
      "                  <td><code>\u2014</code></td>\n"
      "                  <td class=\"mono\">2024-05-01</td>\n"
      "                </tr>";
  EXPECT_TRUE(has(page, rows)) << page;
  EXPECT_TRUE(has(page, "2 ADR(s)"));
  EXPECT_TRUE(has(page, ">ADRs (2)</a>"));
  EXPECT_FALSE(has(page, "example//"));
  EXPECT_FALSE(has(page, "<b>"));
}

TEST(AdrDetail, HeaderAndTitleEscaped) {
  Decision d = decision("adr-1", kTitleWithTag);
  const std::string page = adr_detail_html("https://x.example/", d);
  EXPECT_TRUE(has(page, "<title>ADR adr-1 \u2014 " + kTitleEscaped + "</title>"));
  EXPECT_TRUE(has(page, "<h1>" + kTitleEscaped + "</h1>"));
  EXPECT_FALSE(has(page, "<b>"));
  EXPECT_TRUE(has(page, "<nav class=\"top-tabs\" aria-label=\"Primary\" style=\"margin-bottom:.45rem;display:inline-flex\">"
                        "<a class=\"tab\" href=\"https://x.example/?layer=context\">Diagrams</a>"
                        "<a class=\"tab\" href=\"https://x.example/?mode=all&amp;renderer=wasm\">All</a>"
                        "<a class=\"tab\" href=\"https://x.example/flows\">Flows</a>"
                        "<a class=\"tab active\" href=\"https://x.example/adrs\">ADRs</a></nav>"));
  EXPECT_TRUE(has(page, "<div class=\"id-row\"><code>adr-1</code> <span class=\"status accepted\">accepted</span></div>"));
  // Absent scope and commit show a dash.
  EXPECT_TRUE(has(page, "<div class=\"meta\"><span>date <strong>2024-05-01</strong></span>"
                        "<span>scope <code>\u2014</code></span><span>commit <code>\u2014</code></span>"
                        "<span>path <code>docs/adr/adr-1.toml</code></span></div>"));
  EXPECT_TRUE(has(page, "<main><article><h2>Context</h2><p>ctx</p><h2>Decision</h2><p>dec</p>"
                        "<h2>Consequences</h2><p>cons</p></article></main>"));
}

TEST(AdrDetail, ScopeAndCommitShown) {
  Decision d = decision("adr-1");
  d.scope_element_id = "sys1";
  d.git_commit_id = "abc123";
  const std::string page = adr_detail_html("https://x.example", d);
  EXPECT_TRUE(has(page, "<span>scope <code>sys1</code></span><span>commit <code>abc123</code></span>"));
}

TEST(AdrDetail, BodySectionsInOrder) {
  Decision d = decision("adr-1");
  d.context = "line one\nline <two> & \"three\"";
  d.reason = "too <slow>";
  d.policy = AdrPolicy{PolicyMode::Audit, {AdrForbidRule{ElementKind::Person, ElementKind::Code, "no.<code>",
                                                         Severity::Warning, "don't & stop"}}};
  d.related_flows = {"flow 1", "f2"};
  d.refs = {DocRef{"https://docs.example/a?x=1&y=\"2\"", std::nullopt}, DocRef{"https://docs.example/b", ""},
            DocRef{"https://docs.example/c", "C <doc>"}};
  const std::string page = adr_detail_html("https://x.example/", d);
  const std::string body =
      "<main><article>"
      "<h2>Context</h2><p>line one\nline &lt;two&gt; &amp; &quot;three&quot;</p>"
      "<h2>Decision</h2><p>dec</p><h2>Consequences</h2><p>cons</p>"
      "<h2>Rejection reason</h2><p>too &lt;slow&gt;</p>"
      "<h2>Policy</h2><p>mode <code>audit</code></p><ul>"
      "<li><code>person \u2192 code</code> (no.&lt;code&gt;) \u2014 don't &amp; stop</li></ul>"
      "<h2>Related flows</h2><ul class=\"related-flows\">"
      "<li><a href=\"https://x.example/flows/flow%201\"><code>flow%201</code></a></li>"
      "<li><a href=\"https://x.example/flows/f2\"><code>f2</code></a></li></ul>"
      "<h2>References</h2><ul class=\"related-flows\">"
      "<li><a href=\"https://docs.example/a?x=1&amp;y=&quot;2&quot;\" target=\"_blank\" rel=\"noopener noreferrer\">"
      "https://docs.example/a?x=1&amp;y=&quot;2&quot;</a></li>"
      "<li><a href=\"https://docs.example/b\" target=\"_blank\" rel=\"noopener noreferrer\">https://docs.example/b</a></li>"
      "<li><a href=\"https://docs.example/c\" target=\"_blank\" rel=\"noopener noreferrer\">C &lt;doc&gt;</a></li></ul>"
      "</article></main>";
  EXPECT_TRUE(has(page, body)) << page;
}

TEST(AdrDetail, PolicyWithoutRulesHasAnEmptyList) {
  Decision d = decision("adr-1");
  d.policy = AdrPolicy{PolicyMode::Enforce, {}};
  EXPECT_TRUE(has(adr_detail_html("https://x.example", d), "<h2>Policy</h2><p>mode <code>enforce</code></p><ul></ul>"));
}
