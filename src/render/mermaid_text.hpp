#pragma once
// Text helpers shared by every Mermaid output: identifiers, labels inside
// double-quoted strings, relationship labels, the "external" marker of a
// system's description, the C4 relationship lines, and the two escapes for
// labels written outside quotes or rendered as HTML.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "domain/element.hpp"

namespace borvane::render {

// Ids of the elements a diagram draws. The views point into the ids of the
// element records, which outlive the rendering call.
using ShownIds = std::unordered_set<std::string_view>;

// A Mermaid identifier: every character other than an ASCII letter or digit
// becomes "_"; empty gives "id"; a leading digit gets "n"; a word that one of
// Mermaid's grammars takes as a keyword gets "p_".
std::string sanitize_alias(std::string_view id);

// Text for inside a double-quoted Mermaid string: dashes U+2013/U+2014 to
// "-", backslashes doubled, double quotes to apostrophes, line feeds and
// carriage returns to spaces, and a zero-width space where the text would
// otherwise hold a directive opener "%%{" or "direction" followed by white
// space (both are read as statements wherever they stand).
std::string c4_label(std::string_view text);

// A relationship label: the trimmed description or "uses", made safe for
// every diagram kind and cut to 36 characters.
std::string c4_rel_label(const std::optional<std::string>& description);

// Whether a software system's description marks it as external, and what
// remains of the description once the marker is taken out.
struct ExternalDesc {
  bool external = false;
  std::string text;
  bool operator==(const ExternalDesc&) const = default;
};
ExternalDesc external_desc(const std::optional<std::string>& description);

// Appends the C4 Rel lines of the relationships whose two ends are shown,
// then one UpdateRelStyle line per drawn relationship that fans the labels
// out. Appends nothing when there are no relationships or no shown ids.
void emit_rels(std::string& out, const std::vector<domain::Relationship>& relationships, const ShownIds& shown);

// Label text (already made safe by `c4_label`) written outside quotes, where
// ";" "#" and ":" would end the Mermaid statement: they become the entity
// codes "#59;", "#35;" and "#58;".
std::string bare_label(std::string_view safe);

// "<" and ">" as the entity codes "#lt;" and "#gt;", for a label that
// Mermaid renders as HTML, so that a name cannot inject markup.
std::string escape_angles(std::string_view text);

// A quoted label that Mermaid renders as HTML: `c4_label`, then
// `escape_angles`, and backticks as "#96;" (in a flowchart a string that
// starts with one is read as Markdown and must end with one).
std::string html_label(std::string_view text);

// `c4_rel_label` with backticks as "#96;", for flowchart edge labels.
std::string flowchart_edge_label(const std::optional<std::string>& description);

}  // namespace borvane::render
