#include "render/mermaid_text.hpp"

#include <algorithm>
#include <array>

#include "domain/text.hpp"

namespace borvane::render {
namespace {

using domain::next_char;

// Words that Mermaid's flowchart, class or sequence grammars take as
// keywords where an identifier is expected; an alias equal to one of them
// (in any ASCII case) makes the whole diagram fail to parse. The second block
// was found by running Mermaid 11's parser over each candidate keyword of
// those grammars used as a node, class and participant id.
constexpr std::array<std::string_view, 61> kReservedWords{
    "as", "alt", "opt", "par", "and", "box", "end", "loop", "else", "rect", "note", "over", "left", "link",
    "actor", "break", "right", "title", "links", "graph", "class", "style", "click", "create", "destroy",
    "details", "sequence", "critical", "activate", "subgraph", "classdef", "callback", "flowchart",
    "direction", "interface", "namespace", "deactivate", "autonumber", "properties", "participant",
    "statediagram", "classdiagram", "statediagramv2", "sequencediagram",
    // Also refused by Mermaid 11.
    "o", "off", "call", "href", "option", "default", "cssclass", "par_over", "linkstyle", "acctitle",
    "accdescr", "interpolate", "_self", "_top", "_blank", "_parent"};

// Mermaid reads "%%{" anywhere in a diagram as the start of a directive
// (which may change the configuration or swallow the rest of the text), and
// the C4, class and flowchart lexers read a line holding "direction", white
// space and a direction code as a direction statement, wherever it stands.
// A zero-width space breaks both patterns without changing what is drawn.
constexpr std::string_view kZeroWidthSpace = "\u200b";

// Whether the text starts with a character of JavaScript's \s class: the
// Unicode white space and the byte order mark.
bool starts_with_js_space(std::string_view text) {
  std::size_t i = 0;
  const char32_t c = next_char(text, i);
  return domain::is_white_space(c) || c == 0xFEFF;
}

bool is_ascii_alnum(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool is_reserved(std::string_view alias) {
  const std::string lower = domain::ascii_lower(alias);
  return std::find(kReservedWords.begin(), kReservedWords.end(), lower) != kReservedWords.end();
}

// Splits at runs of Unicode white space.
std::vector<std::string_view> words_of(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t start = std::string_view::npos;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    if (domain::is_white_space(next_char(text, i))) {
      if (start != std::string_view::npos) words.push_back(text.substr(start, at - start));
      start = std::string_view::npos;
    } else if (start == std::string_view::npos) {
      start = at;
    }
  }
  if (start != std::string_view::npos) words.push_back(text.substr(start));
  return words;
}

// The general case of the external test: the description without its words
// "external" (any ASCII case), single-spaced, when it mentions "external"
// anywhere; the flag is set only by a whole word "external".
ExternalDesc external_in_sentence(std::string_view t, std::string_view lower) {
  ExternalDesc out;
  if (lower.find("external") == std::string_view::npos) {
    out.text = std::string(t);
    return out;
  }
  for (std::string_view word : words_of(t)) {
    if (domain::ascii_lower(word) == "external") {
      out.external = true;
      continue;
    }
    if (!out.text.empty()) out.text += ' ';
    out.text += word;
  }
  return out;
}

// Cuts a label of more than 36 characters to 33 and "...".
void shorten_label(std::string& label) {
  std::size_t chars = 0;
  std::size_t cut = std::string::npos;
  for (std::size_t i = 0; i < label.size();) {
    if (chars == 33) cut = i;
    next_char(label, i);
    if (++chars > 36) {
      label.resize(cut);
      label += "...";
      return;
    }
  }
}

}  // namespace

std::string sanitize_alias(std::string_view id) {
  std::string alias;
  alias.reserve(id.size() + 2);
  for (std::size_t i = 0; i < id.size();) {
    const char32_t c = next_char(id, i);
    alias += is_ascii_alnum(c) ? static_cast<char>(c) : '_';
  }
  if (alias.empty()) return "id";
  if (alias.front() >= '0' && alias.front() <= '9') alias.insert(0, "n");
  if (is_reserved(alias)) alias.insert(0, "p_");
  return alias;
}

std::string c4_label(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    const char32_t c = next_char(text, i);
    switch (c) {
      case 0x2013:
      case 0x2014:
        out += '-';
        break;
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += '\'';
        break;
      // A carriage return is a line break to the browser's HTML parser, so
      // it would start a new Mermaid statement just like a line feed.
      case '\n':
      case '\r':
        out += ' ';
        break;
      case '{':
        if (out.ends_with("%%")) out += kZeroWidthSpace;
        out += '{';
        break;
      default:
        out.append(text.substr(at, i - at));
        if (c == 'n' && i < text.size() && out.ends_with("direction") && starts_with_js_space(text.substr(i)))
          out += kZeroWidthSpace;
    }
  }
  return out;
}

std::string c4_rel_label(const std::optional<std::string>& description) {
  std::string_view source = description ? domain::trim(*description) : std::string_view();
  if (source.empty()) source = "uses";
  const std::string safe = c4_label(source);
  std::string label;
  label.reserve(safe.size());
  for (std::size_t i = 0; i < safe.size();) {
    const std::size_t at = i;
    const char32_t c = next_char(safe, i);
    switch (c) {
      case '*': label += 'x'; break;
      case 0x2192: label += "-)"; break;  // "->", whose ">" becomes ")"
      case 0x2190: label += "(-"; break;  // "<-", whose "<" becomes "("
      case '|': label += '/'; break;
      case '#': break;
      case '<': label += '('; break;
      case '>': label += ')'; break;
      default: label.append(safe.substr(at, i - at));
    }
  }
  shorten_label(label);
  return label;
}

ExternalDesc external_desc(const std::optional<std::string>& description) {
  if (!description) return {};
  const std::string_view t = domain::trim(*description);
  if (t.empty()) return {};
  const std::string lower = domain::ascii_lower(t);
  if (lower == "external") return {true, ""};
  if (lower.starts_with("external ") || lower.starts_with("external:"))
    return {true, std::string(domain::trim(t.substr(9)))};
  if (lower.starts_with("[external]")) return {true, std::string(domain::trim(t.substr(10)))};
  return external_in_sentence(t, lower);
}

void emit_rels(std::string& out, const std::vector<domain::Relationship>& relationships, const ShownIds& shown) {
  if (relationships.empty() || shown.empty()) return;
  std::vector<std::pair<std::string, std::string>> drawn;
  for (const domain::Relationship& r : relationships) {
    if (!shown.contains(r.from_id) || !shown.contains(r.to_id)) continue;
    std::string from = sanitize_alias(r.from_id);
    std::string to = sanitize_alias(r.to_id);
    out.append("  Rel(").append(from).append(", ").append(to).append(", \"").append(c4_rel_label(r.description));
    std::string_view technology = r.technology ? domain::trim(*r.technology) : std::string_view();
    if (!technology.empty()) out.append("\", \"").append(c4_label(technology));
    out.append("\")\n");
    drawn.emplace_back(std::move(from), std::move(to));
  }
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    const long long x = static_cast<long long>(i % 4) * 22 - 30;
    const long long y = 22 * static_cast<long long>(i) - 40;
    out.append("  UpdateRelStyle(").append(drawn[i].first).append(", ").append(drawn[i].second);
    out.append(", $textColor=\"#475569\", $lineColor=\"#94a3b8\", $offsetX=\"").append(std::to_string(x));
    out.append("\", $offsetY=\"").append(std::to_string(y)).append("\")\n");
  }
}

std::string bare_label(std::string_view safe) {
  std::string out;
  out.reserve(safe.size() + 8);
  for (char c : safe) {
    switch (c) {
      case ';': out += "#59;"; break;
      case '#': out += "#35;"; break;
      case ':': out += "#58;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string escape_angles(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '<': out += "#lt;"; break;
      case '>': out += "#gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string html_label(std::string_view text) {
  const std::string safe = c4_label(text);
  std::string out;
  out.reserve(safe.size() + 8);
  for (char c : safe) {
    switch (c) {
      case '<': out += "#lt;"; break;
      case '>': out += "#gt;"; break;
      case '`': out += "#96;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string flowchart_edge_label(const std::optional<std::string>& description) {
  const std::string label = c4_rel_label(description);
  std::string out;
  out.reserve(label.size() + 8);
  for (char c : label) {
    if (c == '`')
      out += "#96;";
    else
      out += c;
  }
  return out;
}

}  // namespace borvane::render
