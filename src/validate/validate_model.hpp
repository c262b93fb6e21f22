#pragma once
// Completeness and consistency findings about a whole workspace: missing
// descriptions and technologies, dangling references, disconnected elements,
// and software systems with containers but no decision scoped to them.
#include <vector>

#include "domain/decision.hpp"
#include "domain/element.hpp"

namespace borvane::validate {

using domain::Decision;
using domain::Element;
using domain::Problem;
using domain::Relationship;

// The three lists of one workspace, each in the store's order (by id).
struct ModelSnapshot {
  std::vector<Element> elements;
  std::vector<Relationship> relationships;
  std::vector<Decision> decisions;
};

// Only "model.empty" for a workspace without elements; otherwise the element
// findings, disconnected elements, relationship findings and systems without
// decisions, in that order. Never fails.
std::vector<Problem> validate_model(const ModelSnapshot& snapshot);

}  // namespace borvane::validate
