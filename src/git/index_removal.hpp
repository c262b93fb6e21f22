#pragma once
// Brings the working tree's index in line with a removal commit.
#include <git2.h>

#include <string>
#include <vector>

namespace borvane::git {

// Drops the removed files (paths as stored in the tree, pieces joined by "/")
// from the index, as `git rm --cached` does. Without this, git would see each
// of them as staged for adding again and the user's next ordinary commit
// would bring them back. Other staged changes stay as they are. Best effort,
// like the index update of a file commit: the commit already stands.
void drop_from_index(git_repository* repo, const std::vector<std::string>& paths);

}  // namespace borvane::git
