#include "render/view_drill.hpp"

#include <cstddef>

#include "render/public_base.hpp"

namespace borvane::render {

using domain::C4Layer;
using domain::Element;
using domain::ElementKind;

namespace {

// At most this many source links: the panel is a short list, not an index.
constexpr std::size_t kMaxSources = 40;

const Element* find_element(const std::vector<Element>& elements, std::string_view id) {
  for (const Element& e : elements)
    if (e.id == id) return &e;
  return nullptr;
}

// From a component or code view to the view of the parent's own parent G.
std::optional<DrillUp> up_to_grandparent(const std::vector<Element>& elements, const Element& parent,
                                         std::string kind, C4Layer layer) {
  if (!parent.parent_id) return std::nullopt;
  const std::string& g = *parent.parent_id;
  const Element* target = find_element(elements, g);
  return DrillUp{target ? target->name : g, g, std::move(kind), layer};
}

std::string drill_up_address(const ViewContext& view, const DrillUp& up) {
  std::string url(view.base);
  if (view.all_layers && view.parent_id && up.kind == "all") {
    url += "/?mode=all";
  } else {
    url.append("/?layer=").append(up.layer.text());
    if (up.parent_id) url += "&parent=" + urlencoding(*up.parent_id);
  }
  url.append("&renderer=").append(view.renderer.url_word);
  return url;
}

// The elements a view of this layer opens into: software systems from the
// top layers, the containers or components under the parent otherwise.
bool is_drill_target(const ViewContext& view, const Element& e) {
  switch (view.layer) {
    case C4Layer::Landscape:
    case C4Layer::Context:
      return e.kind == ElementKind::SoftwareSystem;
    case C4Layer::Container:
      return e.kind == ElementKind::Container && e.parent_id == view.parent_id;
    case C4Layer::Component:
      return e.kind == ElementKind::Component && e.parent_id == view.parent_id;
    case C4Layer::Code:
    case C4Layer::Adr:
      break;
  }
  return false;
}

struct DrillStep {
  std::string_view layer;  // the layer the link opens
  std::string_view kind;   // the badge
};

DrillStep drill_step(ElementKind kind) {
  switch (kind) {
    case ElementKind::SoftwareSystem: return {"container", "software_system"};
    case ElementKind::Container: return {"component", "container"};
    default: return {"code", "component"};
  }
}

void append_drill_item(std::string& out, std::string_view base, const Element& e) {
  const DrillStep step = drill_step(e.kind);
  out.append("<li><a class=\"drill\" href=\"").append(base).append("/?layer=").append(step.layer);
  out.append("&parent=").append(urlencoding(e.id)).append("\"><span class=\"kind\">");
  out.append(html_escape(step.kind)).append("</span><span class=\"name\">").append(html_escape(e.name));
  out.append("</span><span class=\"chev\">\u2192</span></a></li>");
}

// Shown elements whose kind can carry a source link on this layer.
bool is_source_kind(const ViewContext& view, const Element& e) {
  switch (view.layer) {
    case C4Layer::Landscape:
    case C4Layer::Context:
      return e.kind == ElementKind::Person || e.kind == ElementKind::SoftwareSystem ||
             e.kind == ElementKind::External;
    case C4Layer::Container:
      return e.kind == ElementKind::Container && e.parent_id == view.parent_id;
    case C4Layer::Component:
      return e.kind == ElementKind::Component && e.parent_id == view.parent_id;
    case C4Layer::Code:
      return e.kind == ElementKind::Code && e.parent_id == view.parent_id;
    case C4Layer::Adr:
      break;
  }
  return false;
}

// Only secure outside addresses become links; anything else (another
// scheme, a relative path) could be a script address or a local target.
bool has_source_url(const Element& e) {
  return e.url && e.url->size() >= 8 && e.url->starts_with("https://");
}

void append_source_item(std::string& out, const Element& e) {
  out.append("<li><a class=\"drill\" href=\"").append(html_escape(*e.url));
  out.append("\" target=\"_blank\" rel=\"noopener noreferrer\"><span class=\"kind\">link</span><span class=\"name\">");
  out.append(html_escape(e.name)).append("</span><span class=\"chev\">\u2197</span></a></li>");
}

}  // namespace

std::optional<DrillUp> drill_up_target(const std::vector<Element>& elements, C4Layer layer,
                                       const std::optional<std::string>& parent_id, bool all_layers) {
  if (all_layers) {
    if (!parent_id) return std::nullopt;
    return DrillUp{"All layers", std::nullopt, "all", C4Layer::Context};
  }
  if (!parent_id) return std::nullopt;
  const Element* parent = find_element(elements, *parent_id);
  if (!parent) return std::nullopt;
  switch (layer) {
    case C4Layer::Container: return DrillUp{"Context", std::nullopt, "context", C4Layer::Context};
    case C4Layer::Component: return up_to_grandparent(elements, *parent, "container", C4Layer::Container);
    case C4Layer::Code: return up_to_grandparent(elements, *parent, "component", C4Layer::Component);
    case C4Layer::Landscape:
    case C4Layer::Context:
    case C4Layer::Adr:
      break;
  }
  return std::nullopt;
}

DrillUpLinks drill_up_links(const ViewContext& view) {
  auto up = drill_up_target(view.elements, view.layer, view.parent_id, view.all_layers);
  if (!up) return {};
  const std::string url = drill_up_address(view, *up);
  const std::string name = html_escape(up->name);
  DrillUpLinks links;
  links.panel = "<details class=\"drills drill-up\" id=\"c4-drill-up\"><summary><h2>Drill up</h2></summary><ul>"
                "<li><a class=\"drill up\" href=\"" + url + "\"><span class=\"kind\">" + html_escape(up->kind) +
                "</span><span class=\"name\">" + name + "</span><span class=\"chev\">\u2191</span></a></li></ul></details>";
  links.toolbar = "<a class=\"toolbar-up\" href=\"" + url + "\" title=\"Drill up to " + name +
                  "\" aria-label=\"Drill up\">\u2191 " + name + "</a>";
  return links;
}

std::string drill_down_panel(const ViewContext& view) {
  std::string items;
  for (const Element& e : view.elements)
    if (is_drill_target(view, e)) append_drill_item(items, view.base, e);
  if (items.empty()) return items;
  return "<details class=\"drills\" id=\"c4-drills\"><summary><h2>Drill down</h2></summary><ul>" + items +
         "</ul></details>";
}

std::string sources_panel(const ViewContext& view) {
  std::string items;
  std::size_t count = 0;
  for (const Element& e : view.elements) {
    if (count == kMaxSources) break;
    if (!is_source_kind(view, e) || !has_source_url(e)) continue;
    append_source_item(items, e);
    ++count;
  }
  if (items.empty()) return items;
  return "<details class=\"drills sources\" id=\"c4-sources\"><summary><h2>Sources</h2></summary><ul>" + items +
         "</ul></details>";
}

}  // namespace borvane::render
