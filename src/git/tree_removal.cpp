#include "git/tree_removal.hpp"

#include <span>

#include "git/libgit2_handle.hpp"

namespace borvane::git::tree_removal {

using domain::DomainError;

namespace {

// What removing the path did to one tree on the way down.
struct Edit {
  enum class Kind { Unchanged, Emptied, Replaced } kind;
  git_oid id{};  // the rewritten tree, for Replaced
};

DomainError tree_failure() { return DomainError::other("write tree: " + last_git_error()); }

domain::Result<git_oid> write_empty_tree(git_repository* repo) {
  git_treebuilder* raw = nullptr;
  if (git_treebuilder_new(&raw, repo, nullptr) < 0) return tree_failure();
  const TreeBuilderHandle builder(raw);
  git_oid id;
  if (git_treebuilder_write(&id, raw) < 0) return tree_failure();
  return id;
}

// Rewrites `tree` with the entry `name` dropped (child not set) or pointing
// at the rewritten sub-tree `child`.
domain::Result<Edit> rewrite(git_repository* repo, const git_tree* tree, const std::string& name,
                             const git_oid* child) {
  git_treebuilder* raw = nullptr;
  if (git_treebuilder_new(&raw, repo, tree) < 0) return tree_failure();
  const TreeBuilderHandle builder(raw);
  const int changed = child == nullptr ? git_treebuilder_remove(raw, name.c_str())
                                       : git_treebuilder_insert(nullptr, raw, name.c_str(), child, GIT_FILEMODE_TREE);
  if (changed < 0) return tree_failure();
  if (git_treebuilder_entrycount(raw) == 0) return Edit{Edit::Kind::Emptied};
  Edit edit{Edit::Kind::Replaced};
  if (git_treebuilder_write(&edit.id, raw) < 0) return tree_failure();
  return edit;
}

domain::Result<Edit> remove_below(git_repository* repo, const git_oid& tree_id, std::span<const std::string> pieces) {
  git_tree* raw = nullptr;
  if (git_tree_lookup(&raw, repo, &tree_id) < 0) return DomainError::other(last_git_error());
  const TreeHandle tree(raw);
  const std::string& name = pieces.front();
  const git_tree_entry* entry = git_tree_entry_byname(raw, name.c_str());
  if (entry == nullptr) return Edit{Edit::Kind::Unchanged};
  const git_object_t type = git_tree_entry_type(entry);
  if (pieces.size() == 1) {
    if (type != GIT_OBJECT_BLOB) return Edit{Edit::Kind::Unchanged};
    return rewrite(repo, raw, name, nullptr);
  }
  if (type != GIT_OBJECT_TREE) return Edit{Edit::Kind::Unchanged};
  auto below = remove_below(repo, *git_tree_entry_id(entry), pieces.subspan(1));
  if (!below || below->kind == Edit::Kind::Unchanged) return below;
  return rewrite(repo, raw, name, below->kind == Edit::Kind::Emptied ? nullptr : &below->id);
}

}  // namespace

domain::Result<Removal> without_file(git_repository* repo, const git_oid& tree_id,
                                     const std::vector<std::string>& pieces) {
  if (pieces.empty()) return Removal{tree_id, false};
  auto edit = remove_below(repo, tree_id, pieces);
  if (!edit) return edit.error();
  switch (edit->kind) {
    case Edit::Kind::Unchanged:
      return Removal{tree_id, false};
    case Edit::Kind::Replaced:
      return Removal{edit->id, true};
    case Edit::Kind::Emptied:
      break;
  }
  // The last file went: the commit records the empty tree.
  auto empty = write_empty_tree(repo);
  if (!empty) return empty.error();
  return Removal{*empty, true};
}

}  // namespace borvane::git::tree_removal
