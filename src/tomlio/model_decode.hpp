#pragma once
// Decoding the root table of model.toml. Its three keys are optional and
// unknown top-level keys are ignored (newer writers may add some).
#include "domain/error.hpp"
#include "domain/node.hpp"
#include "tomlio/model_file.hpp"

namespace borvane::tomlio {

domain::Result<ModelFile, domain::ReadError> decode_model_file(const domain::Node& root);

}  // namespace borvane::tomlio
