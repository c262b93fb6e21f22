#include "render/mermaid_c4.hpp"

#include <array>
#include <span>
#include <string_view>
#include <unordered_map>

#include "domain/text.hpp"
#include "render/mermaid_class.hpp"
#include "render/mermaid_text.hpp"

namespace borvane::render {
namespace {

using domain::C4Layer;
using domain::Element;
using domain::ElementKind;
using domain::Relationship;

constexpr std::string_view kNoElements =
    "C4Context\n  title System Context\n  System(empty, \"(no elements)\", \"\")\n";
constexpr std::string_view kPickSystem =
    "C4Container\n  title Containers\n  System(empty, \"Pick a software system parent\", \"n/a\")\n";
constexpr std::string_view kPickContainer =
    "C4Component\n  title Components\n  Container(empty, \"Pick a container parent\", \"n/a\", \"n/a\")\n";
constexpr std::string_view kAdrLayer = "flowchart TB\n  empty[\"ADR layer - use list_adrs or /adrs\"]\n";

// `c4_label` of the trimmed text, or "n/a" when nothing is left.
std::string label_or_na(std::string_view text) {
  std::string_view t = domain::trim(text);
  return t.empty() ? std::string("n/a") : c4_label(t);
}

std::string optional_label_or_na(const std::optional<std::string>& text) {
  return text ? label_or_na(std::string_view(*text)) : std::string("n/a");
}

// Appends `  Kind(alias, "name", "a")` or with a second quoted argument.
void append_shape(std::string& out, std::string_view indent, std::string_view shape, const Element& e,
                  std::string_view first, const std::string* second = nullptr) {
  out.append(indent).append(shape).append("(").append(sanitize_alias(e.id)).append(", \"");
  out.append(c4_label(e.name)).append("\", \"").append(first);
  if (second != nullptr) out.append("\", \"").append(*second);
  out.append("\")\n");
}

void append_context_element(std::string& out, const Element& e, ShownIds& shown) {
  switch (e.kind) {
    case ElementKind::Person:
      shown.insert(e.id);
      append_shape(out, "  ", "Person", e, e.description ? c4_label(*e.description) : "person");
      return;
    case ElementKind::SoftwareSystem: {
      shown.insert(e.id);
      const ExternalDesc desc = external_desc(e.description);
      append_shape(out, "  ", desc.external ? "System_Ext" : "System", e, c4_label(desc.text));
      return;
    }
    case ElementKind::External:
      shown.insert(e.id);
      append_shape(out, "  ", "System_Ext", e, e.description ? c4_label(*e.description) : "external");
      return;
    default:
      return;
  }
}

std::string context_diagram(const ModelView& view) {
  std::string out = "C4Context\n  title System Context\n";
  out.reserve(128 + view.elements.size() * 64 + view.relationships.size() * 160);
  ShownIds shown;
  for (const Element& e : view.elements) append_context_element(out, e, shown);
  if (shown.empty()) return std::string(kNoElements);
  emit_rels(out, view.relationships, shown);
  out += "  UpdateLayoutConfig($c4ShapeInRow=\"2\", $c4BoundaryInRow=\"1\")\n";
  return out;
}

const Element* find_element(const std::vector<Element>& elements, std::string_view id) {
  for (const Element& e : elements)
    if (e.id == id) return &e;
  return nullptr;
}

// What distinguishes the container diagram from the component diagram.
struct BoundaryLayer {
  std::string_view header;        // "C4Container"
  std::string_view title;         // "Containers"
  std::string_view boundary;      // "System_Boundary"
  ElementKind member_kind;        // container
  std::string_view member_shape;  // "Container"
  std::string_view empty_line;    // the placeholder member
  bool with_neighbours;
};

constexpr BoundaryLayer kContainerLayer{
    "C4Container", "Containers", "System_Boundary", ElementKind::Container, "Container",
    "    Container(empty, \"No containers yet\", \"n/a\", \"upsert_element kind=container\")\n", true};
constexpr BoundaryLayer kComponentLayer{
    "C4Component", "Components", "Container_Boundary", ElementKind::Component, "Component",
    "    Component(empty, \"No components yet\", \"n/a\", \"upsert_element kind=component\")\n", false};

void append_boundary_head(std::string& out, const BoundaryLayer& kind, const Element* parent,
                          const std::string& parent_id) {
  std::string title(kind.title);
  if (parent != nullptr) title.append(" - ").append(parent->name);
  out.append(kind.header).append("\n  title ").append(bare_label(c4_label(title))).append("\n");
  out.append("  ").append(kind.boundary).append("(").append(sanitize_alias(parent_id)).append("_b, \"");
  out.append(c4_label(parent != nullptr ? std::string_view(parent->name) : std::string_view(parent_id)));
  out.append("\") {\n");
}

// Other end ids of the relationships at each element id.
std::unordered_map<std::string_view, std::vector<std::string_view>> adjacency(
    const std::vector<Relationship>& relationships) {
  std::unordered_map<std::string_view, std::vector<std::string_view>> ends;
  for (const Relationship& r : relationships) {
    ends[r.from_id].push_back(r.to_id);
    ends[r.to_id].push_back(r.from_id);
  }
  return ends;
}

// Persons and other software systems joined to something already drawn, in
// element order; each one drawn widens the set for the elements after it.
void append_neighbours(std::string& out, const ModelView& view, const std::string& parent_id, ShownIds& shown) {
  const auto ends = adjacency(view.relationships);
  for (const Element& e : view.elements) {
    const bool drawable = e.kind == ElementKind::Person ||
                          (e.kind == ElementKind::SoftwareSystem && e.id != parent_id);
    if (!drawable || shown.contains(e.id)) continue;
    auto joined = ends.find(e.id);
    if (joined == ends.end()) continue;
    bool touches_shown = false;
    for (std::string_view other : joined->second) touches_shown = touches_shown || shown.contains(other);
    if (!touches_shown) continue;
    shown.insert(e.id);
    if (e.kind == ElementKind::Person)
      append_shape(out, "  ", "Person", e, optional_label_or_na(e.description));
    else
      append_shape(out, "  ", "System_Ext", e, label_or_na(external_desc(e.description).text));
  }
}

std::string boundary_diagram(const ModelView& view, const BoundaryLayer& kind, const std::string& parent_id) {
  std::string out;
  out.reserve(256 + view.elements.size() * 64 + view.relationships.size() * 160);
  append_boundary_head(out, kind, find_element(view.elements, parent_id), parent_id);
  ShownIds shown;
  for (const Element& e : view.elements) {
    if (e.kind != kind.member_kind || e.parent_id != parent_id) continue;
    shown.insert(e.id);
    const std::string description = optional_label_or_na(e.description);
    append_shape(out, "    ", kind.member_shape, e, optional_label_or_na(e.technology), &description);
  }
  if (shown.empty()) {
    out.append(kind.empty_line).append("  }\n");
    return out;
  }
  out += "  }\n";
  if (kind.with_neighbours) append_neighbours(out, view, parent_id, shown);
  emit_rels(out, view.relationships, shown);
  out += "  UpdateLayoutConfig($c4ShapeInRow=\"3\", $c4BoundaryInRow=\"1\")\n";
  return out;
}

struct LegendRow {
  std::string_view swatch;
  std::string_view title;
  std::string_view desc;
};

constexpr std::array<LegendRow, 3> kContextRows{{
    {"person", "Person", "Human actor"},
    {"system", "Software system", "System of interest"},
    {"system-ext", "External system", "Outside the boundary"},
}};
constexpr std::array<LegendRow, 3> kContainerRows{{
    {"container", "Container", "App / DB / queue"},
    {"person", "Person", "Human actor"},
    {"system-ext", "External system", "Outside the boundary"},
}};
constexpr std::array<LegendRow, 1> kComponentRows{{
    {"component", "Component", "Logical building block"},
}};
constexpr std::array<LegendRow, 3> kCodeRows{{
    {"code-cls", "Class", "Name + members compartments"},
    {"code-iface", "Interface", "\u00abInterface\u00bb stereotype"},
    {"code-rel", "extends / implements", "Hollow \u25b3; implements dashed"},
}};

std::string legend_html(std::string_view sub, std::span<const LegendRow> rows) {
  std::string out =
      "<details class=\"legend-panel\" aria-label=\"Diagram legend\" id=\"c4-legend\">\n"
      "  <summary class=\"legend-head\"><h2>Legend</h2><span class=\"legend-sub\">";
  out.append(sub).append("</span></summary>\n  <ul class=\"legend-list\">");
  for (const LegendRow& row : rows) {
    out.append("<li class=\"legend-item\"><span class=\"swatch ").append(row.swatch);
    out.append("\" aria-hidden=\"true\"></span><div><strong>").append(row.title);
    out.append("</strong><span class=\"desc\">").append(row.desc).append("</span></div></li>");
  }
  out += "</ul>\n</details>";
  return out;
}

}  // namespace

std::string diagram_for_layer(const ModelView& view, C4Layer layer, const std::optional<std::string>& parent_id) {
  switch (layer) {
    case C4Layer::Landscape:
    case C4Layer::Context:
      return context_diagram(view);
    case C4Layer::Container:
      return parent_id ? boundary_diagram(view, kContainerLayer, *parent_id) : std::string(kPickSystem);
    case C4Layer::Component:
      return parent_id ? boundary_diagram(view, kComponentLayer, *parent_id) : std::string(kPickContainer);
    case C4Layer::Code:
      return code_class_diagram(view.elements, view.relationships, parent_id);
    case C4Layer::Adr:
      break;
  }
  return std::string(kAdrLayer);
}

std::string overview_mermaid(const ModelView& view) { return diagram_for_layer(view, C4Layer::Context, std::nullopt); }

std::string legend_block(C4Layer layer) {
  switch (layer) {
    case C4Layer::Landscape:
    case C4Layer::Context:
      return legend_html("System context", kContextRows);
    case C4Layer::Container:
      return legend_html("Containers", kContainerRows);
    case C4Layer::Component:
      return legend_html("Components", kComponentRows);
    case C4Layer::Code:
      return legend_html("Code (UML classDiagram / WASM)", kCodeRows);
    case C4Layer::Adr:
      break;
  }
  return {};
}

}  // namespace borvane::render
