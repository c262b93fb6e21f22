#pragma once
// Builds the tree of a removal commit: a stored tree without one file, with
// every directory that the removal leaves empty dropped as well (git stores
// no empty directories).
#include <git2.h>

#include <string>
#include <vector>

#include "domain/error.hpp"

namespace borvane::git::tree_removal {

struct Removal {
  git_oid tree;  // the new root tree; the given one when nothing was removed
  bool removed;
};

// The tree `tree_id` without the file (a blob entry: regular, executable or
// link) at the path given as its pieces. A path that names nothing, or a
// directory, leaves the tree as it is. Only the trees along the path are
// rewritten, each by the library's tree builder, which keeps git's canonical
// entry order. Reading or writing a tree fails with the library's text.
domain::Result<Removal> without_file(git_repository* repo, const git_oid& tree_id,
                                     const std::vector<std::string>& pieces);

}  // namespace borvane::git::tree_removal
