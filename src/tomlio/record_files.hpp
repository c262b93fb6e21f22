#pragma once
// The three kinds of record file in the docs directory: model.toml, one
// file per decision, one file per flow. Writes are atomic.
#include <filesystem>

#include "domain/decision.hpp"
#include "domain/flow.hpp"
#include "tomlio/model_file.hpp"
#include "tomlio/outcome.hpp"

namespace borvane::tomlio {

// A missing model file, one that is not a regular file (a directory, a
// FIFO), and an empty or blank one all read as an empty model. A link is
// refused rather than followed.
Outcome<ModelFile> read_model_toml(const std::filesystem::path& path);
Outcome<Unit> write_model_toml(const std::filesystem::path& path, const ModelFile& model);

Outcome<domain::Decision> read_adr_toml(const std::filesystem::path& path);
Outcome<Unit> write_adr_toml(const std::filesystem::path& path, const domain::Decision& decision);

Outcome<domain::Flow> read_flow_toml(const std::filesystem::path& path);
Outcome<Unit> write_flow_toml(const std::filesystem::path& path, const domain::Flow& flow);

}  // namespace borvane::tomlio
