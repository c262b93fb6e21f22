#pragma once
// The docs directory: checking a candidate path, creating its
// sub-directories, and finding the repository root above it.
#include <filesystem>

#include "tomlio/outcome.hpp"

namespace borvane::tomlio {

// Rejects an empty path and Windows-looking paths (drive letter and colon,
// or any backslash). Nothing on disk is examined.
Outcome<Unit> validate_docs_dir(const std::filesystem::path& docs);

// Creates `adr` and then `flows` under the docs directory, with any missing
// ancestors.
Outcome<Unit> ensure_docs_layout(const std::filesystem::path& docs);

// The parent of the docs directory; for a path without a lexical parent the
// parent of its canonical form; "." when neither exists.
std::filesystem::path repo_root_from_docs(const std::filesystem::path& docs);

}  // namespace borvane::tomlio
