#pragma once
// Writes the adapter's commits: one fixed identity, the current local time,
// and a reference update that is refused when the reference has moved.
#include <git2.h>

#include <optional>
#include <string>

#include "domain/error.hpp"

namespace borvane::git {

// Author and committer of every commit the adapter writes.
inline constexpr const char* kSignatureName = "borvane-c4-git";
inline constexpr const char* kSignatureEmail = "borvane-c4-git@localhost";

// Writes a commit of `tree` on `parent` (none for a root commit) and moves
// `update_ref` to it, following a symbolic reference to the branch it names.
// The update is refused when the reference no longer has the value the parent
// implies: the parent's id, or no value at all for a root commit. Failures
// carry the library's error text.
domain::Result<git_oid> write_commit(git_repository* repo, const char* update_ref, const git_oid& tree,
                                     const std::optional<git_oid>& parent, const std::string& message);

// The last step of a file commit: the commit on HEAD, its id as hexadecimal
// text, or "commit: " and the library's error text.
domain::Result<std::string> commit_to_head(git_repository* repo, const git_oid& tree,
                                           const std::optional<git_oid>& parent, const std::string& message);

// 40 lower-case hexadecimal characters.
std::string to_hex(const git_oid& id);

}  // namespace borvane::git
