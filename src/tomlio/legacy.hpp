#pragma once
// Conversion of decision and flow files of the older JSON form, found in
// `adr` and `flows` of a docs directory, into TOML files.
#include <cstddef>
#include <filesystem>

#include "tomlio/outcome.hpp"

namespace borvane::tomlio {

// Each regular file with the extension "json" in `adr` becomes a TOML file of
// the same name (extension "toml") with its path set to "docs/adr/{id}.toml",
// and the JSON file is deleted. Returns the number converted; the first
// error stops the conversion (files converted before it stay converted).
Outcome<std::size_t> rewrite_legacy_adrs(const std::filesystem::path& docs);

// The same for flows in `flows`, with the path "docs/flows/{id}.toml".
Outcome<std::size_t> rewrite_legacy_flows(const std::filesystem::path& docs);

}  // namespace borvane::tomlio
