#include "domain/element.hpp"

#include "domain/text.hpp"

namespace borvane::domain {
namespace {

// The trimmed text when it is present and not blank.
std::optional<std::string_view> non_blank(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::string_view t = trim(*text);
  if (t.empty()) return std::nullopt;
  return t;
}

bool is_visibility_mark(std::string_view v) {
  return v == "+" || v == "-" || v == "#" || v == "~";
}

bool is_member_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// A present optional text must be non-blank and at most `max` bytes long.
bool optional_text_ok(const std::optional<std::string>& text, std::size_t max) {
  return !text || (!is_blank(*text) && text->size() <= max);
}

std::string param_text(const CodeParam& p) {
  std::string out(trim(p.name));
  if (auto type = non_blank(p.type)) {
    out += ": ";
    out += *type;
  }
  if (p.optional) out += "?";
  return out;
}

}  // namespace

std::string CodeMember::to_uml_line() const {
  std::string line(trim(visibility));
  line += trim(name);
  if (kind == CodeMemberKind::Field) {
    if (auto t = non_blank(type)) {
      line += ": ";
      line += *t;
    }
    return line;
  }
  line += "(";
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (i > 0) line += ", ";
    line += param_text(params[i]);
  }
  line += ")";
  if (auto ret = non_blank(return_type)) {
    line += " ";
    line += *ret;
  }
  return line;
}

Status CodeMember::validate() const {
  if (!is_visibility_mark(trim(visibility)))
    return DomainError::validation("member.visibility must be one of + - # ~");
  std::string_view trimmed_name = trim(name);
  if (trimmed_name.empty() || trimmed_name.size() > 120)
    return DomainError::validation("member.name required (max 120)");
  for (char c : trimmed_name)
    if (!is_member_name_char(c)) return DomainError::validation("member.name must be ascii alphanumeric/_/-");
  if (kind == CodeMemberKind::Field) {
    if (!params.empty() || return_type) return DomainError::validation("field must not set params/return_type");
    return ok_status();
  }
  if (type) return DomainError::validation("method must not set type (use return_type / params)");
  for (const CodeParam& p : params) {
    std::string_view pname = trim(p.name);
    if (pname.empty() || pname.size() > 80) return DomainError::validation("param.name required (max 80)");
    if (!optional_text_ok(p.type, 120)) return DomainError::validation("param.type max 120");
  }
  if (!optional_text_ok(return_type, 120)) return DomainError::validation("return_type max 120");
  return ok_status();
}

Status DocRef::validate() const {
  std::string_view trimmed = trim(url);
  if (trimmed.empty() || trimmed.size() > 2000) return DomainError::validation("ref.url required and max 2000 chars");
  std::string lower = ascii_lower(trimmed);
  if (!lower.starts_with("https://")) return DomainError::validation("ref.url must start with https://");
  if (lower.find("javascript:") != std::string::npos || lower.find("data:") != std::string::npos)
    return DomainError::validation("ref.url scheme not allowed");
  if (title && title->size() > 200) return DomainError::validation("ref.title max 200 chars");
  return ok_status();
}

Status validate_doc_refs(const std::vector<DocRef>& refs) {
  if (refs.size() > 32) return DomainError::validation("refs max 32");
  for (const DocRef& r : refs) {
    Status s = r.validate();
    if (!s) return s;
  }
  return ok_status();
}

std::vector<std::string> element_uml_members(const Element& element) {
  std::vector<std::string> lines;
  if (!element.members.empty()) {
    lines.reserve(element.members.size());
    for (const CodeMember& m : element.members) lines.push_back(m.to_uml_line());
    return lines;
  }
  if (auto d = non_blank(element.description)) return parse_description_members(*d);
  return lines;
}

std::vector<std::string> parse_description_members(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t stop = text.find_first_of(";\n", start);
    if (stop == std::string_view::npos) stop = text.size();
    std::string_view piece = trim(text.substr(start, stop - start));
    if (!piece.empty() && is_visibility_mark(piece.substr(0, 1))) out.emplace_back(piece);
    start = stop + 1;
  }
  return out;
}

}  // namespace borvane::domain
