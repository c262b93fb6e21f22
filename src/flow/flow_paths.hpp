#pragma once
// Where flow files live in a working tree, and which stored paths the
// service may delete.
#include <filesystem>
#include <string>
#include <string_view>

#include "domain/error.hpp"

namespace borvane::flow {

// docs/flows/<id>.toml for an id of the record pattern (no "/", no leading
// "."), so that the file can never land outside docs/flows; otherwise the
// shape check's id error.
domain::Result<std::filesystem::path> flow_file_path(const std::string& id);

// Whether a stored record's path may be deleted: relative, every component a
// plain name (not empty, ".", "..", ".git" in any case, no backslash or NUL),
// under docs/flows/ and ending in ".toml". A record loaded from a hand-written
// file keeps whatever path that file names, and deleting the flow must never
// reach another file of the machine or of git's metadata.
bool is_deletable_flow_path(std::string_view path);

}  // namespace borvane::flow
