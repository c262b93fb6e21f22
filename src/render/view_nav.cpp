#include "render/view_nav.hpp"

#include "render/page_template.hpp"
#include "render/public_base.hpp"

namespace borvane::render {

using domain::C4Layer;

namespace {

constexpr std::string_view kSep = "<span class=\"sep\">/</span>";

std::string all_layers_crumbs(const ViewContext& view) {
  if (!view.parent_id) return "<nav class=\"crumbs\"><span class=\"here\">All layers</span></nav>";
  std::string out = "<nav class=\"crumbs\"><a href=\"";
  out.append(view.base).append("/?mode=all&amp;renderer=").append(view.renderer.url_word);
  out.append("\">All layers</a>").append(kSep);
  out.append(" focus <code>").append(html_escape(*view.parent_id)).append("</code></nav>");
  return out;
}

// sep and a link to the layer's view of `parent`.
void append_crumb_link(std::string& out, const ViewContext& view, std::string_view layer, std::string_view label,
                       std::string_view parent) {
  out.append(kSep).append("<a href=\"").append(view.base).append("/?layer=").append(layer);
  out.append("&parent=").append(urlencoding(parent)).append("\">").append(label).append("</a>");
}

// sep, the current layer, and the name of the element it is opened on.
void append_here(std::string& out, const ViewContext& view, std::string_view label) {
  out.append(kSep).append("<span class=\"here\">").append(label).append("</span>");
  if (view.parent_id)
    out.append(" <code>").append(html_escape(view.name_or_id(*view.parent_id))).append("</code>");
}

// The Container and Component crumbs above a code view: D is the component
// the code belongs to, and D's parent the container above it.
void append_code_chain(std::string& out, const ViewContext& view, const std::string& d) {
  const domain::Element* component = view.find(d);
  if (component && component->parent_id) append_crumb_link(out, view, "container", "Container", *component->parent_id);
  append_crumb_link(out, view, "component", "Component", d);
}

}  // namespace

std::string view_breadcrumbs(const ViewContext& view, const std::optional<std::string>& drill_up_parent) {
  if (view.all_layers) return all_layers_crumbs(view);
  std::string out = "<nav class=\"crumbs\"><a href=\"";
  out.append(view.base).append("/?layer=context\">Context</a>");
  switch (view.layer) {
    case C4Layer::Container:
      append_here(out, view, "Container");
      break;
    case C4Layer::Component:
      if (drill_up_parent) append_crumb_link(out, view, "container", "Container", *drill_up_parent);
      append_here(out, view, "Component");
      break;
    case C4Layer::Code:
      if (drill_up_parent) append_code_chain(out, view, *drill_up_parent);
      append_here(out, view, "Code");
      break;
    case C4Layer::Landscape:
    case C4Layer::Context:
    case C4Layer::Adr:
      break;
  }
  out += "</nav>";
  return out;
}

std::string focus_suffix(const ViewContext& view) {
  return view.parent_id ? "&focus=" + urlencoding(*view.parent_id) : std::string();
}

std::string view_query(const ViewContext& view) {
  if (view.all_layers) return "mode=all" + focus_suffix(view);
  std::string query = "layer=";
  query += view.layer.text();
  if (view.parent_id) query += "&parent=" + urlencoding(*view.parent_id);
  return query;
}

std::string view_tabs(const ViewContext& view, std::size_t decision_count, std::size_t flow_count) {
  constexpr std::string_view kActive = " active";
  const bool wasm = view.renderer.viewer == Viewer::Wasm;
  const std::string flows = std::to_string(flow_count);
  const std::string decisions = std::to_string(decision_count);
  const std::string focus = focus_suffix(view);
  const std::string query = view_query(view);
  std::string out;
  fill_template(out, page_asset("view_tabs.html"),
                {{"base", view.base},
                 {"diagrams_active", view.all_layers ? "" : kActive},
                 {"all_active", view.all_layers ? kActive : ""},
                 {"focus", focus},
                 {"flow_count", flows},
                 {"decision_count", decisions},
                 {"renderer_label", view.renderer.label},
                 {"query", query},
                 {"mermaid_active", wasm ? "" : kActive},
                 {"wasm_active", wasm ? kActive : ""}});
  return out;
}

}  // namespace borvane::render
