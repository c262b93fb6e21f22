#pragma once
// Brings the working tree's index in line with a commit of explicit files.
#include <git2.h>

#include <string>
#include <vector>

namespace borvane::git {

struct CommittedFile {
  std::string path;  // as stored in the tree, pieces joined by "/"
  git_oid blob;
};

// Records the committed files in the index as `git commit -- <paths>` does.
// Without this, git would see every committed file as staged for deletion
// (or reversion) and the user's next ordinary commit would undo this one.
// Other staged changes stay as they are. Best effort: the commit already
// stands, so when the index cannot be updated (a bare repository, a lock held
// by a running git) it is left as it was.
void record_in_index(git_repository* repo, const std::vector<CommittedFile>& files);

}  // namespace borvane::git
