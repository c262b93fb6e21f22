#include "git/checkout_tree_to.hpp"

#include <string_view>
#include <system_error>

#include "git/file_io.hpp"
#include "git/libgit2_handle.hpp"
#include "git/path_names.hpp"

namespace borvane::git::checkout_tree_to {

using domain::DomainError;

namespace {

bool is_safe_entry_name(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && !is_dot_git(name) &&
         name.find('/') == std::string_view::npos;
}

domain::Result<TreeHandle> find_tree(git_repository* repo, const git_oid& id) {
  git_object* raw_object = nullptr;
  if (git_object_lookup(&raw_object, repo, &id, GIT_OBJECT_ANY) < 0) return DomainError::other(last_git_error());
  const ObjectHandle object(raw_object);
  git_object* raw_peeled = nullptr;
  if (git_object_peel(&raw_peeled, raw_object, GIT_OBJECT_TREE) < 0) return DomainError::other(last_git_error());
  const ObjectHandle peeled(raw_peeled);
  git_tree* raw_tree = nullptr;
  if (git_tree_lookup(&raw_tree, repo, git_object_id(raw_peeled)) < 0) return DomainError::other(last_git_error());
  return TreeHandle(raw_tree);
}

domain::Status write_blob(git_repository* repo, const git_tree_entry* entry, const std::filesystem::path& target) {
  git_blob* raw = nullptr;
  if (git_blob_lookup(&raw, repo, git_tree_entry_id(entry)) < 0) return DomainError::other(last_git_error());
  const BlobHandle blob(raw);
  const std::string_view bytes(static_cast<const char*>(git_blob_rawcontent(raw)),
                               static_cast<std::size_t>(git_blob_rawsize(raw)));
  if (auto written = write_file(target, bytes); !written) return written;
  if (git_tree_entry_filemode(entry) == GIT_FILEMODE_BLOB_EXECUTABLE) {
    std::error_code error;
    std::filesystem::permissions(target, static_cast<std::filesystem::perms>(0755),
                                 std::filesystem::perm_options::replace, error);
    if (error) return DomainError::other(error.message());
  }
  return domain::ok_status();
}

domain::Status write_entry(git_repository* repo, const git_tree_entry* entry, const std::filesystem::path& directory) {
  const std::string_view name = git_tree_entry_name(entry);
  if (!is_safe_entry_name(name)) return DomainError::other("invalid path in tree: " + std::string(name));
  const std::filesystem::path target = directory / name;
  switch (git_tree_entry_filemode(entry)) {
    case GIT_FILEMODE_TREE:
      if (auto made = make_directories(target); !made) return made;
      return walk(repo, *git_tree_entry_id(entry), target);
    case GIT_FILEMODE_BLOB:
    case GIT_FILEMODE_BLOB_EXECUTABLE:
      return write_blob(repo, entry, target);
    default:  // symbolic links and submodules are not materialised
      return domain::ok_status();
  }
}

}  // namespace

domain::Status walk(git_repository* repo, const git_oid& tree_id, const std::filesystem::path& directory) {
  auto tree = find_tree(repo, tree_id);
  if (!tree) return tree.error();
  for (std::size_t i = 0, n = git_tree_entrycount(tree->get()); i < n; ++i) {
    if (auto written = write_entry(repo, git_tree_entry_byindex(tree->get(), i), directory); !written) {
      return written;
    }
  }
  return domain::ok_status();
}

}  // namespace borvane::git::checkout_tree_to
