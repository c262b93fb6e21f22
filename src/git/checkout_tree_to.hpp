#pragma once
// Writes the files of a stored tree into a directory of the file system.
#include <git2.h>

#include <filesystem>

#include "domain/error.hpp"

namespace borvane::git::checkout_tree_to {

// Writes the tree (or the tree of the commit) `tree_id` into `directory`:
// sub-trees become directories, regular files are written with their bytes
// (executables get mode 0755), symbolic links and submodules are skipped.
// Entry names that would leave the directory or reach into git's metadata
// ("", ".", "..", ".git", anything with "/") stop the walk, since a stored
// tree is not trusted to be well formed. The first failure stops the walk.
domain::Status walk(git_repository* repo, const git_oid& tree_id, const std::filesystem::path& directory);

}  // namespace borvane::git::checkout_tree_to
