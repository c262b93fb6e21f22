#pragma once
// Small record builders for the projection, Mermaid, view and page tests.
#include <optional>
#include <string>
#include <vector>

#include "domain/element.hpp"

namespace borvane::testing {

using Text = std::optional<std::string>;

inline domain::Element el(std::string id, domain::ElementKind kind, std::string name, Text parent = std::nullopt,
                          Text description = std::nullopt, Text technology = std::nullopt) {
  domain::Element e;
  e.id = std::move(id);
  e.workspace_id = "sidecar";
  e.kind = kind;
  e.parent_id = std::move(parent);
  e.name = std::move(name);
  e.description = std::move(description);
  e.technology = std::move(technology);
  return e;
}

inline domain::Relationship rel(std::string id, std::string from, std::string to, Text description = std::nullopt,
                                Text technology = std::nullopt) {
  return domain::Relationship{std::move(id), "sidecar", std::move(from), std::move(to), std::move(description),
                              std::move(technology)};
}

}  // namespace borvane::testing
