#pragma once
// Records of the C4 model: elements, relationships, UML members of code
// elements, document references and the problems that checks report.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "domain/enums.hpp"
#include "domain/error.hpp"

namespace borvane::domain {

struct CodeParam {
  std::string name;
  std::optional<std::string> type;
  bool optional = false;
  bool operator==(const CodeParam&) const = default;
};

struct CodeMember {
  CodeMemberKind kind;
  std::string visibility;
  std::string name;
  std::vector<CodeParam> params;
  std::optional<std::string> return_type;
  std::optional<std::string> type;

  // The member as one UML line, e.g. "+find(id: Id, limit: int?) Item".
  std::string to_uml_line() const;
  // Nothing, or the Validation error of the first rule the member breaks.
  Status validate() const;
  bool operator==(const CodeMember&) const = default;
};

struct DocRef {
  std::string url;
  std::optional<std::string> title;

  Status validate() const;
  bool operator==(const DocRef&) const = default;
};

// More than 32 references fail before any is looked at; otherwise the first
// reference error in list order.
Status validate_doc_refs(const std::vector<DocRef>& refs);

struct Element {
  std::string id;
  std::string workspace_id;
  ElementKind kind;
  std::optional<std::string> parent_id;
  std::string name;
  std::optional<std::string> description;
  std::optional<std::string> technology;
  std::optional<std::string> url;
  std::vector<CodeMember> members;
  bool operator==(const Element&) const = default;
};

struct Relationship {
  std::string id;
  std::string workspace_id;
  std::string from_id;
  std::string to_id;
  std::optional<std::string> description;
  std::optional<std::string> technology;
  bool operator==(const Relationship&) const = default;
};

struct Problem {
  Severity severity;
  C4Layer layer;
  std::string code;
  std::optional<std::string> element_id;
  std::string message;
  std::optional<std::string> adr_id;
  bool operator==(const Problem&) const = default;
};

// The member lines of an element: its members' UML lines, or else the member
// lines written inside its trimmed description.
std::vector<std::string> element_uml_members(const Element& element);
// Pieces of `text` split at ";" and line feeds, trimmed, that start with one
// of the visibility marks + - # ~.
std::vector<std::string> parse_description_members(std::string_view text);

}  // namespace borvane::domain
