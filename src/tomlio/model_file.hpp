#pragma once
// The content of model.toml: the whole model of one workspace.
#include <string>
#include <vector>

#include "domain/element.hpp"

namespace borvane::tomlio {

struct ModelFile {
  std::string workspace_id;
  std::vector<domain::Element> elements;
  std::vector<domain::Relationship> relationships;
  bool operator==(const ModelFile&) const = default;
};

}  // namespace borvane::tomlio
