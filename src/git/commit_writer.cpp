#include "git/commit_writer.hpp"

#include <git2/sys/commit.h>

#include <ctime>

#include "git/libgit2_handle.hpp"

namespace borvane::git {

using domain::DomainError;

namespace {

// Minutes east of UTC at `now`, or 0 (UTC) when the local zone is unknown.
int local_utc_offset_minutes(std::time_t now) {
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

domain::Result<SignatureHandle> make_signature() {
  const std::time_t now = std::time(nullptr);
  git_signature* raw = nullptr;
  if (git_signature_new(&raw, kSignatureName, kSignatureEmail, static_cast<git_time_t>(now),
                        local_utc_offset_minutes(now)) < 0) {
    return DomainError::other(last_git_error());
  }
  return SignatureHandle(raw);
}

}  // namespace

domain::Result<git_oid> write_commit(git_repository* repo, const char* update_ref, const git_oid& tree,
                                     const std::optional<git_oid>& parent, const std::string& message) {
  auto signature = make_signature();
  if (!signature) return signature.error();
  const git_oid* parents[] = {parent ? &*parent : nullptr};
  git_oid id;
  // libgit2 compares the reference with the first parent under the
  // reference's lock and refuses the update when they differ.
  if (git_commit_create_from_ids(&id, repo, update_ref, signature->get(), signature->get(), nullptr,
                                 message.c_str(), &tree, parent ? 1 : 0, parents) < 0) {
    return DomainError::other(last_git_error());
  }
  return id;
}

domain::Result<std::string> commit_to_head(git_repository* repo, const git_oid& tree,
                                           const std::optional<git_oid>& parent, const std::string& message) {
  auto id = write_commit(repo, "HEAD", tree, parent, message);
  if (!id) return DomainError::other("commit: " + id.error().text);
  return to_hex(*id);
}

std::string to_hex(const git_oid& id) {
  char hex[GIT_OID_HEXSZ];
  git_oid_fmt(hex, &id);
  return std::string(hex, GIT_OID_HEXSZ);
}

}  // namespace borvane::git
