#pragma once
// GitPort on libgit2: commits explicit files, or their removal, on top of
// HEAD. The repository is opened afresh for every operation; the adapter
// carries no data.
#include "domain/ports.hpp"

namespace borvane::git {

class GixGitAdapter final : public domain::GitPort {
 public:
  domain::Result<std::filesystem::path> init_bare(const std::filesystem::path& bare_path) override;
  domain::Result<std::filesystem::path> add_worktree(const std::filesystem::path& bare_path,
                                                     const std::filesystem::path& worktree_path,
                                                     const std::string& branch) override;
  domain::Result<std::string> commit(const std::filesystem::path& worktree_path, const std::string& message,
                                     const std::vector<std::filesystem::path>& paths) override;
  domain::Result<std::string> commit_removal(const std::filesystem::path& worktree_path, const std::string& message,
                                             const std::vector<std::filesystem::path>& paths) override;
};

}  // namespace borvane::git
