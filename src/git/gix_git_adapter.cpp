#include "git/gix_git_adapter.hpp"

namespace borvane::git {

using domain::DomainError;

domain::Result<std::filesystem::path> GixGitAdapter::init_bare(const std::filesystem::path&) {
  return DomainError::other("git is not available yet");
}
domain::Result<std::filesystem::path> GixGitAdapter::add_worktree(const std::filesystem::path&,
                                                                  const std::filesystem::path&, const std::string&) {
  return DomainError::other("git is not available yet");
}
domain::Result<std::string> GixGitAdapter::commit(const std::filesystem::path&, const std::string&,
                                                  const std::vector<std::filesystem::path>&) {
  return DomainError::other("git is not available yet");
}

}  // namespace borvane::git
