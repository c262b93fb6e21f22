#pragma once
// Builds the tree of a new commit: the parent's tree with some files added or
// replaced, written bottom-up in git's canonical entry order.
#include <git2.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "domain/error.hpp"

namespace borvane::git::write_flat_tree {

struct FileEntry {
  git_filemode_t mode;
  git_oid id;
};

// A directory of the tree being built. A directory taken over from the
// parent commit keeps the id of its stored tree and is read only when a
// listed path walks into it: untouched directories are neither read nor
// rewritten, and the written tree is the same as if they had been.
struct Node {
  std::map<std::string, FileEntry> files;
  std::map<std::string, Node> dirs;
  // Set while the node is still exactly this stored tree (entries not read).
  std::optional<git_oid> stored;

  static Node of_stored_tree(const git_oid& tree_id);
};

// Stores a blob as a regular file (mode 100644) at the path given as its
// pieces, creating directory nodes on the way and replacing any entry of the
// same name. Reading a stored tree fails with the library's error text.
domain::Status put_file(git_repository* repo, Node& root, const std::vector<std::string>& pieces,
                        const git_oid& blob_id);

// Writes the node's tree object (sub-directories first) and returns its id.
domain::Result<git_oid> write_node(git_repository* repo, const Node& node);

}  // namespace borvane::git::write_flat_tree
