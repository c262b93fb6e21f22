#pragma once
// Flow records: dynamic, sequence and state descriptions of behaviour.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "domain/element.hpp"
#include "domain/enums.hpp"

namespace borvane::domain {

struct FlowStep {
  std::uint32_t n = 0;
  std::string from_id;
  std::string to_id;
  std::optional<std::string> label;
  bool operator==(const FlowStep&) const = default;
};

struct FlowEpoch {
  std::string kind;
  std::optional<std::string> phase;
  std::optional<std::string> from;
  std::optional<std::string> to;
  std::optional<std::string> note;
  bool operator==(const FlowEpoch&) const = default;
};

struct FlowAnchor {
  std::string alias;
  std::optional<std::string> element_id;
  std::optional<std::string> adr_id;
  bool operator==(const FlowAnchor&) const = default;
};

struct Flow {
  std::string id;
  std::string workspace_id;
  std::string title;
  FlowKind kind;
  std::optional<std::string> usage_key;
  std::optional<std::string> scope_element_id;
  std::vector<std::string> related_adrs;
  std::optional<FlowEpoch> epoch;
  std::vector<FlowStep> steps;
  std::optional<std::string> body;
  std::vector<FlowAnchor> anchors;
  std::vector<DocRef> refs;
  std::string path;
  std::optional<std::string> git_commit_id;

  // Checks the record's own shape (not its references into the model).
  static Status validate_shape(const Flow& flow);
  bool operator==(const Flow&) const = default;
};

}  // namespace borvane::domain
