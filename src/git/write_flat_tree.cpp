#include "git/write_flat_tree.hpp"

#include <algorithm>
#include <utility>

#include "git/libgit2_handle.hpp"

namespace borvane::git::write_flat_tree {

using domain::DomainError;

namespace {

struct TreeEntry {
  std::string name;
  git_filemode_t mode;
  git_oid id;
};

// Git compares a directory's name as if it ended with "/", so "docs.toml"
// sorts before the directory "docs" and "docs-a" before both.
std::string sort_key(const TreeEntry& entry) {
  return entry.mode == GIT_FILEMODE_TREE ? entry.name + "/" : entry.name;
}

void sort_canonically(std::vector<TreeEntry>& entries) {
  std::sort(entries.begin(), entries.end(),
            [](const TreeEntry& a, const TreeEntry& b) { return sort_key(a) < sort_key(b); });
}

// Replaces a stored node by its entries so that it can be changed.
domain::Status expand(git_repository* repo, Node& node) {
  if (!node.stored) return domain::ok_status();
  git_tree* raw = nullptr;
  if (git_tree_lookup(&raw, repo, &*node.stored) < 0) return DomainError::other(last_git_error());
  const TreeHandle tree(raw);
  for (std::size_t i = 0, n = git_tree_entrycount(raw); i < n; ++i) {
    const git_tree_entry* entry = git_tree_entry_byindex(raw, i);
    const std::string name = git_tree_entry_name(entry);
    const git_oid& id = *git_tree_entry_id(entry);
    if (git_tree_entry_type(entry) == GIT_OBJECT_TREE) {
      node.dirs.emplace(name, Node::of_stored_tree(id));
    } else {
      node.files.emplace(name, FileEntry{git_tree_entry_filemode(entry), id});
    }
  }
  node.stored.reset();
  return domain::ok_status();
}

std::vector<TreeEntry> file_entries(const Node& node) {
  std::vector<TreeEntry> entries;
  for (const auto& [name, file] : node.files) entries.push_back({name, file.mode, file.id});
  return entries;
}

domain::Result<git_oid> write_entries(git_repository* repo, const std::vector<TreeEntry>& entries) {
  const auto failure = [] { return DomainError::other("write tree: " + last_git_error()); };
  git_treebuilder* raw = nullptr;
  if (git_treebuilder_new(&raw, repo, nullptr) < 0) return failure();
  const TreeBuilderHandle builder(raw);
  for (const TreeEntry& entry : entries) {
    if (git_treebuilder_insert(nullptr, raw, entry.name.c_str(), &entry.id, entry.mode) < 0) return failure();
  }
  git_oid id;
  if (git_treebuilder_write(&id, raw) < 0) return failure();
  return id;
}

}  // namespace

Node Node::of_stored_tree(const git_oid& tree_id) {
  Node node;
  node.stored = tree_id;
  return node;
}

domain::Status put_file(git_repository* repo, Node& root, const std::vector<std::string>& pieces,
                        const git_oid& blob_id) {
  Node* node = &root;
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (auto expanded = expand(repo, *node); !expanded) return expanded;
    // A file of the directory's name is gone from the working tree.
    node->files.erase(pieces[i]);
    node = &node->dirs[pieces[i]];
  }
  if (auto expanded = expand(repo, *node); !expanded) return expanded;
  node->dirs.erase(pieces.back());
  node->files.insert_or_assign(pieces.back(), FileEntry{GIT_FILEMODE_BLOB, blob_id});
  return domain::ok_status();
}

domain::Result<git_oid> write_node(git_repository* repo, const Node& node) {
  if (node.stored) return *node.stored;
  std::vector<TreeEntry> entries = file_entries(node);
  for (const auto& [name, child] : node.dirs) {
    auto child_id = write_node(repo, child);
    if (!child_id) return child_id.error();
    entries.push_back({name, GIT_FILEMODE_TREE, *child_id});
  }
  sort_canonically(entries);
  return write_entries(repo, entries);
}

}  // namespace borvane::git::write_flat_tree
