#include <string>
#include <unordered_map>
#include <unordered_set>

#include "render/flow_mermaid.hpp"
#include "render/mermaid_module.hpp"
#include "render/flow_pages.hpp"
#include "render/page_chrome.hpp"
#include "render/page_template.hpp"
#include "render/public_base.hpp"

namespace borvane::render {

using domain::Element;
using domain::ElementKind;
using domain::Flow;

namespace {

using ElementIndex = std::unordered_map<std::string_view, const Element*>;

ElementIndex index_by_id(const std::vector<Element>& elements) {
  ElementIndex index;
  index.reserve(elements.size());
  for (const Element& e : elements) index.emplace(e.id, &e);
  return index;
}

// The diagram as the text of a <pre>: only "&" and "<" need escaping there,
// and escaping "<" is what keeps a body from closing the element.
std::string diagram_text(const Flow& flow, const std::vector<Element>& elements) {
  const std::string source = flow_to_mermaid(flow, elements);
  std::string out;
  out.reserve(source.size() + source.size() / 16);
  for (char c : source) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else
      out += c;
  }
  return out;
}

// The model view that shows the element: the view of its parent for the
// inner layers, the context view for persons and systems.
std::string element_target(std::string_view base, const Element& e) {
  const std::string parent = e.parent_id ? urlencoding(*e.parent_id) : std::string();
  std::string target(base);
  switch (e.kind) {
    case ElementKind::Container: return target + "/?layer=container&parent=" + parent;
    case ElementKind::Component: return target + "/?layer=component&parent=" + parent;
    case ElementKind::Code: return target + "/?layer=code&parent=" + parent;
    default: return target + "/?layer=context";
  }
}

void append_element_link(std::string& out, std::string_view base, const Element& e) {
  out += "<li><a class=\"drill\" href=\"" + element_target(base, e) + "\"><span class=\"kind\">";
  out += html_escape(e.kind.text());
  out += "</span><span class=\"name\">";
  out += html_escape(e.name);
  out += "</span><span class=\"chev\">\u2192</span></a></li>";
}

// Elements of the steps (from, then to) and of the anchors, each once, in
// order of first use; ids that name no element are left out.
void append_element_links(std::string& out, std::string_view base, const Flow& flow, const ElementIndex& index) {
  std::unordered_set<std::string_view> linked;
  auto link = [&](std::string_view id) {
    auto found = index.find(id);
    if (found != index.end() && linked.insert(id).second) append_element_link(out, base, *found->second);
  };
  for (const domain::FlowStep& step : flow.steps) {
    link(step.from_id);
    link(step.to_id);
  }
  for (const domain::FlowAnchor& anchor : flow.anchors)
    if (anchor.element_id) link(*anchor.element_id);
}

void append_adr_links(std::string& out, std::string_view base, const Flow& flow) {
  for (const std::string& id : flow.related_adrs) {
    const std::string enc = urlencoding(id);
    out += "<li><a class=\"drill\" href=\"";
    out += base;
    out += "/adrs/" + enc + "\"><span class=\"kind\">adr</span><span class=\"name\">" + enc +
           "</span><span class=\"chev\">\u2197</span></a></li>";
  }
}

void append_ref_links(std::string& out, const Flow& flow) {
  for (const domain::DocRef& ref : flow.refs) {
    const std::string& text = ref.title && !ref.title->empty() ? *ref.title : ref.url;
    out += "<li><a class=\"drill\" href=\"" + html_escape(ref.url) +
           "\" target=\"_blank\" rel=\"noopener noreferrer\"><span class=\"kind\">ref</span><span class=\"name\">";
    out += html_escape(text);
    out += "</span><span class=\"chev\">\u2197</span></a></li>";
  }
}

std::string links_html(std::string_view base, const Flow& flow, const std::vector<Element>& elements) {
  std::string out;
  out.reserve(256 * (flow.steps.size() + flow.anchors.size() + flow.related_adrs.size() + flow.refs.size() + 1));
  append_element_links(out, base, flow, index_by_id(elements));
  append_adr_links(out, base, flow);
  append_ref_links(out, flow);
  if (out.empty()) out = "<li class=\"empty\">No linked C4/ADR yet</li>";
  return out;
}

std::vector<NavTab> detail_tabs(std::size_t flow_count, std::size_t adr_count) {
  std::vector<NavTab> tabs;
  tabs.push_back({"Diagrams", "/?layer=context"});
  tabs.push_back({"Flows (" + std::to_string(flow_count) + ")", "/flows"});
  tabs.push_back({"ADRs (" + std::to_string(adr_count) + ")", "/adrs"});
  return tabs;
}

}  // namespace

std::string flow_detail_html(std::string_view base_url, const Flow& flow, const std::vector<Element>& elements,
                             std::size_t flow_count, std::size_t adr_count) {
  const std::string_view base = strip_trailing_slashes(base_url);
  const std::string id = html_escape(flow.id);
  const std::string title = html_escape(flow.title);
  const std::string diagram = diagram_text(flow, elements);
  const std::string links = links_html(base, flow, elements);

  std::string script;
  fill_template(script, page_asset("page_flow_mermaid.js"), {{"mermaid_url", mermaid_module_url()}});
  std::string out;
  out.reserve(diagram.size() + links.size() + 12288);
  append_page_head(out, "Flow " + id + " \u2014 " + title, page_asset("page_flow_detail.css"));
  fill_template(out, page_asset("page_flow_detail.html"),
                {{"id", id},
                 {"kind", html_escape(flow.kind.text())},
                 {"title", title},
                 {"usage", esc_or_dash(flow.usage_key)},
                 {"scope", esc_or_dash(flow.scope_element_id)},
                 {"nav", top_nav(base, detail_tabs(flow_count, adr_count))},
                 {"diagram", diagram},
                 {"links", links},
                 {"script", script}});
  return out;
}

}  // namespace borvane::render
