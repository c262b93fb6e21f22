#include "render/mermaid_class.hpp"

#include <string_view>

#include "domain/text.hpp"
#include "render/mermaid_text.hpp"

namespace borvane::render {
namespace {

using domain::Element;
using domain::ElementKind;
using domain::Relationship;

constexpr std::string_view kPickComponent =
    "classDiagram\n  direction TB\n  class Empty {\n    pick a component parent\n  }\n";
constexpr std::string_view kNoCode =
    "classDiagram\n  direction TB\n  class Empty {\n    no code elements yet\n  }\n";

bool is_member_char(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view(" #()+,-.:?[]_~").find(c) != std::string_view::npos;
}

bool is_visibility(char c) { return c == '#' || c == '+' || c == '-' || c == '~'; }

// Only the kept characters, with runs of spaces collapsed and none at the ends.
std::string kept_and_single_spaced(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  bool pending_space = false;
  for (char c : line) {
    if (!is_member_char(c)) continue;
    if (c == ' ') {
      pending_space = !out.empty();
      continue;
    }
    if (pending_space) out += ' ';
    pending_space = false;
    out += c;
  }
  return out;
}

// "__get_user_name" → "getUserName": underscores at the ends removed, the
// pieces between underscores joined with their first letters upper-cased.
std::string lower_camel(std::string_view name) {
  while (!name.empty() && name.front() == '_') name.remove_prefix(1);
  while (!name.empty() && name.back() == '_') name.remove_suffix(1);
  std::string out;
  out.reserve(name.size());
  bool first_piece = true;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t stop = name.find('_', start);
    if (stop == std::string_view::npos) stop = name.size();
    std::string_view piece = name.substr(start, stop - start);
    if (!piece.empty()) {
      std::size_t at = out.size();
      out += piece;
      if (!first_piece && out[at] >= 'a' && out[at] <= 'z') out[at] = static_cast<char>(out[at] - 'a' + 'A');
      first_piece = false;
    }
    start = stop + 1;
  }
  return out;
}

// Whether anything but visibility signs, parentheses, dots and spaces is left.
bool has_substance(std::string_view member) {
  while (!member.empty() && is_visibility(member.front())) member.remove_prefix(1);
  const std::string_view edge = "(). ";
  while (!member.empty() && edge.find(member.front()) != std::string_view::npos) member.remove_prefix(1);
  while (!member.empty() && edge.find(member.back()) != std::string_view::npos) member.remove_suffix(1);
  return !member.empty();
}

// The keyword text of a relationship: its description, ASCII lower-cased.
std::string keywords(const Relationship& r) { return r.description ? domain::ascii_lower(*r.description) : ""; }

bool is_inheritance(std::string_view k) {
  return k.find("extends") != std::string_view::npos || k.find("inherit") != std::string_view::npos;
}

bool is_realisation(std::string_view k) { return k.find("implements") != std::string_view::npos; }

// The relationships between two classes of the drawing, in order.
std::vector<const Relationship*> counting(const std::vector<Relationship>& relationships, const ShownIds& shown) {
  std::vector<const Relationship*> out;
  for (const Relationship& r : relationships)
    if (shown.contains(r.from_id) && shown.contains(r.to_id)) out.push_back(&r);
  return out;
}

// Targets of "implements" (interfaces) and of "extends"/"inherit" (bases).
struct Stereotypes {
  ShownIds interfaces;
  ShownIds bases;
};

Stereotypes stereotypes(const std::vector<const Relationship*>& rels) {
  Stereotypes out;
  for (const Relationship* r : rels) {
    const std::string k = keywords(*r);
    if (is_realisation(k))
      out.interfaces.insert(r->to_id);
    else if (is_inheritance(k))
      out.bases.insert(r->to_id);
  }
  return out;
}

void append_class(std::string& out, const Element& e, const Stereotypes& marks) {
  const std::string alias = sanitize_alias(e.id);
  out.append("    class ").append(alias);
  if (sanitize_alias(e.name) != alias) out.append("[\"").append(html_label(e.name)).append("\"]");
  out += " {\n";
  const std::vector<std::string> members = class_members_from_element(e);
  for (const std::string& m : members) out.append("      ").append(m).append("\n");
  if (members.empty()) out += "      +\u2026()\n";
  out += "    }\n";
  if (marks.interfaces.contains(e.id))
    out.append("    class ").append(alias).append(" <<Interface>>\n");
  else if (marks.bases.contains(e.id))
    out.append("    class ").append(alias).append(" <<Base>>\n");
}

// The label after " : " is outside quotes and rendered as HTML.
std::string association_label(const Relationship& r) {
  if (!r.description) return "uses";
  return escape_angles(bare_label(c4_label(*r.description)));
}

void append_relation(std::string& out, const Relationship& r) {
  const std::string from = sanitize_alias(r.from_id);
  const std::string to = sanitize_alias(r.to_id);
  const std::string k = keywords(r);
  if (is_inheritance(k))
    out.append("  ").append(to).append(" <|-- ").append(from).append("\n");
  else if (is_realisation(k))
    out.append("  ").append(to).append(" <|.. ").append(from).append(" : implements\n");
  else
    out.append("  ").append(from).append(" --> ").append(to).append(" : ").append(association_label(r)).append("\n");
}

std::string_view namespace_label_source(const std::vector<Element>& elements, const std::string& parent_id) {
  for (const Element& e : elements)
    if (e.id == parent_id) return e.name;
  return parent_id;
}

}  // namespace

std::string code_class_diagram(const std::vector<Element>& elements, const std::vector<Relationship>& relationships,
                               const std::optional<std::string>& parent_id) {
  if (!parent_id) return std::string(kPickComponent);
  std::vector<const Element*> classes;
  ShownIds shown;
  for (const Element& e : elements) {
    if (e.kind != ElementKind::Code || e.parent_id != *parent_id) continue;
    classes.push_back(&e);
    shown.insert(e.id);
  }
  if (classes.empty()) return std::string(kNoCode);

  const std::vector<const Relationship*> rels = counting(relationships, shown);
  bool vertical = false;
  for (const Relationship* r : rels) {
    const std::string k = keywords(*r);
    vertical = vertical || is_inheritance(k) || is_realisation(k);
  }
  const Stereotypes marks = stereotypes(rels);

  std::string out = "classDiagram\n  direction ";
  out.reserve(256 + classes.size() * 160 + rels.size() * 64);
  out.append(vertical ? "TB" : "LR").append("\n");
  out.append("  namespace ").append(sanitize_alias(*parent_id)).append("[\"");
  out.append(html_label(namespace_label_source(elements, *parent_id))).append("\"] {\n");
  for (const Element* e : classes) append_class(out, *e, marks);
  out += "  }\n";
  for (const Relationship* r : rels) append_relation(out, *r);
  return out;
}

std::vector<std::string> class_members_from_element(const Element& element) {
  std::vector<std::string> out;
  for (const std::string& line : domain::element_uml_members(element)) {
    std::string member = sanitize_class_member(line);
    if (!member.empty()) out.push_back(std::move(member));
  }
  return out;
}

std::string sanitize_class_member(std::string_view line) {
  const std::string kept = kept_and_single_spaced(line);
  std::string_view rest = kept;
  std::string_view visibility;
  if (!rest.empty() && is_visibility(rest.front())) {
    visibility = rest.substr(0, 1);
    rest.remove_prefix(1);
  }
  const std::size_t paren = rest.find('(');
  const std::string_view name = paren == std::string_view::npos ? rest : rest.substr(0, paren);
  const std::string_view tail = paren == std::string_view::npos ? std::string_view() : rest.substr(paren);
  std::string result(visibility);
  result.append(lower_camel(name)).append(tail);
  return has_substance(result) ? result : std::string();
}

}  // namespace borvane::render
