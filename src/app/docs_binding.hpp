#pragma once
// Binding a docs directory: it becomes the single source of the workspace,
// and model writes go back into its model.toml.
#include <string>

#include "app/state.hpp"
#include "domain/error.hpp"

namespace borvane::app {

// Checks and prepares the docs directory, converts legacy JSON records,
// binds the repository root as the working tree of decisions and flows, and
// reloads the whole workspace from the files. Returns the compact JSON
// {"docs":…,"rewrote_adr_json":n,"rewrote_flow_json":m}.
domain::Result<std::string> bind_docs_inner(AppState& state, const std::string& docs_dir);

// Writes the workspace into model.toml of the bound docs directory.
domain::Status persist_model_toml(const AppState& state);

}  // namespace borvane::app
