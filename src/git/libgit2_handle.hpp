#pragma once
// Owning handles for libgit2 objects, the one-time library start and the
// text of the library's last failure.
#include <git2.h>

#include <filesystem>
#include <memory>
#include <string>

namespace borvane::git {

// Starts libgit2 once per process. Every entry point of the adapter calls it
// before touching the library; later calls cost nothing.
void ensure_libgit2();

// The message of the last libgit2 failure on the calling thread.
std::string last_git_error();

// A directory reported by libgit2 ("/x/repo.git/") without its trailing
// separator, so that it joins and prints like any other directory path.
std::filesystem::path library_dir(const char* reported);

template <class T, void (*Free)(T*)>
struct GitFree {
  void operator()(T* object) const noexcept { Free(object); }
};

template <class T, void (*Free)(T*)>
using GitHandle = std::unique_ptr<T, GitFree<T, Free>>;

using RepoHandle = GitHandle<git_repository, git_repository_free>;
using ReferenceHandle = GitHandle<git_reference, git_reference_free>;
using ObjectHandle = GitHandle<git_object, git_object_free>;
using TreeHandle = GitHandle<git_tree, git_tree_free>;
using BlobHandle = GitHandle<git_blob, git_blob_free>;
using CommitHandle = GitHandle<git_commit, git_commit_free>;
using TreeBuilderHandle = GitHandle<git_treebuilder, git_treebuilder_free>;
using SignatureHandle = GitHandle<git_signature, git_signature_free>;
using IndexHandle = GitHandle<git_index, git_index_free>;

}  // namespace borvane::git
