#include "git/index_sync.hpp"

#include "git/libgit2_handle.hpp"

namespace borvane::git {

void record_in_index(git_repository* repo, const std::vector<CommittedFile>& files) {
  if (git_repository_is_bare(repo)) return;
  git_index* raw = nullptr;
  if (git_repository_index(&raw, repo) < 0) return;
  const IndexHandle index(raw);
  for (const CommittedFile& file : files) {
    // No stat data: git then compares the file's content once and finds it
    // unchanged, instead of trusting times that were never taken.
    git_index_entry entry{};
    entry.mode = GIT_FILEMODE_BLOB;
    entry.id = file.blob;
    entry.path = file.path.c_str();
    if (git_index_add(raw, &entry) < 0) return;
  }
  git_index_write(raw);
}

}  // namespace borvane::git
