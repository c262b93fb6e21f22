#include "git/index_removal.hpp"

#include "git/libgit2_handle.hpp"

namespace borvane::git {

void drop_from_index(git_repository* repo, const std::vector<std::string>& paths) {
  if (git_repository_is_bare(repo)) return;
  git_index* raw = nullptr;
  if (git_repository_index(&raw, repo) < 0) return;
  const IndexHandle index(raw);
  for (const std::string& path : paths) {
    // Stage 0 is the ordinary entry; a path missing from the index is fine.
    git_index_remove(raw, path.c_str(), 0);
  }
  git_index_write(raw);
}

}  // namespace borvane::git
