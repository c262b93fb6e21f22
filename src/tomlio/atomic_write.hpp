#pragma once
// Replacing a file atomically: write a temporary file next to it, flush it
// to stable storage, rename it over the target, flush the directory.
#include <filesystem>
#include <string_view>

#include "tomlio/outcome.hpp"

namespace borvane::tomlio {

// The temporary name: ".tmp" appended after the extension (model.toml ->
// model.toml.tmp); a path without a UTF-8 extension takes "toml" first
// (notes -> notes.toml.tmp).
std::filesystem::path temporary_path_for(const std::filesystem::path& path);

// Creates missing parent directories, then replaces `path` with `bytes`.
// An entry already at the temporary name (even a planted link) is removed
// first and never written through. Errors are the system's texts.
Outcome<Unit> atomic_write(const std::filesystem::path& path, std::string_view bytes);

}  // namespace borvane::tomlio
