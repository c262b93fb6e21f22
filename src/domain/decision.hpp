#pragma once
// Architecture decision records.
#include <optional>
#include <string>
#include <vector>

#include "domain/element.hpp"
#include "domain/enums.hpp"

namespace borvane::domain {

struct AdrForbidRule {
  ElementKind from_kind;
  ElementKind to_kind;
  std::string code;
  Severity severity;
  std::string message;
  bool operator==(const AdrForbidRule&) const = default;
};

struct AdrPolicy {
  PolicyMode mode = PolicyMode::Enforce;
  std::vector<AdrForbidRule> forbid;
  bool operator==(const AdrPolicy&) const = default;
};

struct Decision {
  std::string id;
  std::string workspace_id;
  std::optional<std::string> scope_element_id;
  std::string title;
  DecisionStatus status;
  std::string decided_at;
  std::string context;
  std::string decision;
  std::string consequences;
  std::optional<AdrPolicy> policy;
  std::vector<std::string> related_flows;
  std::vector<DocRef> refs;
  std::optional<std::string> reason;
  std::optional<std::string> superseded_by_id;
  std::string path;
  std::optional<std::string> git_commit_id;
  bool operator==(const Decision&) const = default;
};

}  // namespace borvane::domain
