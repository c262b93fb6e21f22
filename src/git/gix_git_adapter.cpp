#include "git/gix_git_adapter.hpp"

#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "git/checkout_tree_to.hpp"
#include "git/commit_writer.hpp"
#include "git/file_io.hpp"
#include "git/index_removal.hpp"
#include "git/index_sync.hpp"
#include "git/libgit2_handle.hpp"
#include "git/path_names.hpp"
#include "git/tree_removal.hpp"
#include "git/write_flat_tree.hpp"

namespace borvane::git {

namespace fs = std::filesystem;
using domain::DomainError;
using domain::Result;
using domain::Status;

namespace {

DomainError git_failure(std::string_view prefix) {
  return DomainError::other(std::string(prefix) + last_git_error());
}

// Opens the repository at exactly `path`: a working tree holding a `.git`
// directory or file, or a repository directory. No search upwards.
Result<RepoHandle> open_repository(const fs::path& path, std::string_view failure_prefix) {
  git_repository* raw = nullptr;
  if (git_repository_open(&raw, path.c_str()) < 0) return git_failure(failure_prefix);
  return RepoHandle(raw);
}

fs::path canonical_or_given(const fs::path& path) {
  std::error_code error;
  fs::path canonical = fs::canonical(path, error);
  return error ? path : canonical;
}

// ---- commit -------------------------------------------------------------

// The pieces of a listed path as stored in the tree: a backslash reads as
// "/", and empty and "." pieces are dropped.
std::vector<std::string> tree_pieces(const fs::path& path) {
  std::string text = path.string();
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(start, end - start);
    if (!piece.empty() && piece != ".") pieces.push_back(std::move(piece));
    start = end + 1;
  }
  return pieces;
}

bool has_forbidden_piece(const std::vector<std::string>& pieces) {
  for (const std::string& piece : pieces) {
    if (piece == ".." || is_dot_git(piece)) return true;
  }
  return false;
}

// True when `path` names a regular file inside the working tree and outside
// its `.git`. Absolute paths, ".." pieces and symbolic links that lead out of
// the working tree are refused: the commit must only ever record files of
// this working tree, never bytes read from elsewhere on the machine.
bool is_listed_file(const fs::path& worktree, const fs::path& path) {
  if (path.has_root_path() || has_forbidden_piece(tree_pieces(path))) return false;
  const fs::path full = worktree / path;
  std::error_code error;
  if (!fs::is_regular_file(full, error)) return false;
  const fs::path real_file = fs::canonical(full, error);
  if (error) return false;
  const fs::path real_worktree = fs::canonical(worktree, error);
  if (error) return false;
  const fs::path inside = real_file.lexically_relative(real_worktree);
  if (inside.empty()) return false;
  for (const fs::path& piece : inside) {
    if (piece == ".." || is_dot_git(piece.string())) return false;
  }
  return true;
}

struct BlobEntry {
  std::vector<std::string> pieces;
  git_oid id;
};

Result<BlobEntry> write_blob(git_repository* repo, const fs::path& worktree, const fs::path& path) {
  auto bytes = read_file(worktree / path);
  if (!bytes) return bytes.error();
  BlobEntry entry{tree_pieces(path), {}};
  if (git_blob_create_from_buffer(&entry.id, repo, bytes->data(), bytes->size()) < 0) {
    return git_failure("write blob: ");
  }
  if (entry.pieces.empty()) return DomainError::other("bad path");
  return entry;
}

// The commit HEAD points at; none when HEAD is unborn or cannot be resolved.
std::optional<git_oid> head_commit(git_repository* repo) {
  git_oid id;
  if (git_reference_name_to_id(&id, repo, "HEAD") < 0) return std::nullopt;
  return id;
}

Result<git_oid> tree_of_commit(git_repository* repo, const git_oid& commit_id) {
  git_commit* raw = nullptr;
  if (git_commit_lookup(&raw, repo, &commit_id) < 0) return DomainError::other(last_git_error());
  const CommitHandle commit(raw);
  return *git_commit_tree_id(raw);
}

Result<write_flat_tree::Node> parent_root(git_repository* repo, const std::optional<git_oid>& parent) {
  if (!parent) return write_flat_tree::Node{};
  auto tree = tree_of_commit(repo, *parent);
  if (!tree) return tree.error();
  return write_flat_tree::Node::of_stored_tree(*tree);
}

Result<git_oid> build_tree(git_repository* repo, const std::optional<git_oid>& parent,
                           const std::vector<BlobEntry>& entries) {
  auto root = parent_root(repo, parent);
  if (!root) return root.error();
  for (const BlobEntry& entry : entries) {
    if (auto put = write_flat_tree::put_file(repo, *root, entry.pieces, entry.id); !put) return put.error();
  }
  return write_flat_tree::write_node(repo, *root);
}

std::string joined(const std::vector<std::string>& pieces) {
  std::string path;
  for (const std::string& piece : pieces) path += (path.empty() ? "" : "/") + piece;
  return path;
}

std::vector<CommittedFile> committed_files(const std::vector<BlobEntry>& entries) {
  std::vector<CommittedFile> files;
  for (const BlobEntry& entry : entries) files.push_back({joined(entry.pieces), entry.id});
  return files;
}

// ---- commit_removal -----------------------------------------------------

// The tree pieces of every listed path, or the first path that cannot name
// a file of this working tree: absolute, empty, or with a ".." or ".git"
// piece. Such paths are refused as they are for a file commit, even though
// a removal reads no file, so that both commits accept the same paths.
Result<std::vector<std::vector<std::string>>> removal_pieces(const std::vector<fs::path>& paths) {
  std::vector<std::vector<std::string>> listed;
  for (const fs::path& path : paths) {
    std::vector<std::string> pieces = tree_pieces(path);
    if (path.has_root_path() || pieces.empty() || has_forbidden_piece(pieces)) {
      return DomainError::other("invalid path for removal: " + path.string());
    }
    listed.push_back(std::move(pieces));
  }
  return listed;
}

struct RemovalTree {
  git_oid tree;
  std::vector<std::string> removed;  // the paths that were in the tree
};

Result<RemovalTree> tree_without(git_repository* repo, const git_oid& tree,
                                 const std::vector<std::vector<std::string>>& listed) {
  RemovalTree result{tree, {}};
  for (const std::vector<std::string>& pieces : listed) {
    auto removal = tree_removal::without_file(repo, result.tree, pieces);
    if (!removal) return removal.error();
    if (!removal->removed) continue;
    result.tree = removal->tree;
    result.removed.push_back(joined(pieces));
  }
  return result;
}

// ---- add_worktree -------------------------------------------------------

bool has_entries(const fs::path& directory) {
  std::error_code error;
  const fs::directory_iterator it(directory, error);
  return !error && it != fs::directory_iterator();
}

// The final component of the working-tree path ("a/wt/" gives "wt"). A path
// ending in ".." has none: its final directory is not known from the text.
std::optional<std::string> worktree_name(const fs::path& worktree) {
  std::string text = worktree.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  const std::string name = fs::path(text).filename().string();
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  return name;
}

std::string reference_name(const std::string& branch) {
  if (branch.empty() || branch == "HEAD") return "refs/heads/main";
  if (branch.starts_with("refs/")) return branch;
  return "refs/heads/" + branch;
}

struct Checkout {
  git_oid commit;
  git_oid tree;
  bool reference_exists;
};

struct FoundReference {
  ReferenceHandle reference;
  bool is_requested;  // false when the repository's HEAD stands in for it
};

Result<FoundReference> find_reference(git_repository* repo, const std::string& name, const std::string& branch) {
  git_reference* raw = nullptr;
  if (git_reference_lookup(&raw, repo, name.c_str()) == 0) return FoundReference{ReferenceHandle(raw), true};
  if (git_reference_lookup(&raw, repo, "HEAD") == 0) return FoundReference{ReferenceHandle(raw), false};
  return DomainError::other("resolve ref " + branch + ": " + last_git_error());
}

Result<Checkout> resolve_checkout(git_repository* repo, const std::string& name, const std::string& branch) {
  auto found = find_reference(repo, name, branch);
  if (!found) return found.error();
  git_reference* raw_direct = nullptr;
  if (git_reference_resolve(&raw_direct, found->reference.get()) < 0) return git_failure("peel: ");
  const ReferenceHandle direct(raw_direct);
  git_object* raw_object = nullptr;
  if (git_object_lookup(&raw_object, repo, git_reference_target(raw_direct), GIT_OBJECT_ANY) < 0) {
    return git_failure("object: ");
  }
  const ObjectHandle object(raw_object);
  git_object* raw_commit = nullptr;
  if (git_object_peel(&raw_commit, raw_object, GIT_OBJECT_COMMIT) < 0) return git_failure("commit: ");
  const ObjectHandle commit(raw_commit);
  git_object* raw_tree = nullptr;
  if (git_object_peel(&raw_tree, raw_commit, GIT_OBJECT_TREE) < 0) return DomainError::other(last_git_error());
  const ObjectHandle tree(raw_tree);
  return Checkout{*git_object_id(raw_commit), *git_object_id(raw_tree), found->is_requested};
}

// The working tree's HEAD names the reference; when it does not exist yet it
// is created at the checked-out commit, so that the working tree is not on
// an unborn branch whose first commit would drop every checked-out file.
Status ensure_reference(git_repository* repo, const std::string& name, const Checkout& checkout) {
  if (checkout.reference_exists) return domain::ok_status();
  git_reference* raw = nullptr;
  if (git_reference_create(&raw, repo, name.c_str(), &checkout.commit, 0, "worktree: create branch") < 0) {
    return DomainError::other(last_git_error());
  }
  const ReferenceHandle created(raw);
  return domain::ok_status();
}

// worktrees/<name>, or <name>1, <name>2, ... when another working tree
// already uses the name: its metadata must not be overwritten.
fs::path free_admin_dir(const fs::path& common_dir, const std::string& name) {
  const fs::path base = common_dir / "worktrees";
  fs::path candidate = base / name;
  std::error_code error;
  for (int counter = 1; fs::exists(fs::symlink_status(candidate, error)); ++counter) {
    candidate = base / (name + std::to_string(counter));
  }
  return candidate;
}

Status write_metadata(const fs::path& admin, const fs::path& worktree, const std::string& reference) {
  const std::pair<fs::path, std::string> files[] = {
      {admin / "gitdir", (worktree / ".git").string() + "\n"},
      {admin / "commondir", "../..\n"},
      {admin / "HEAD", "ref: " + reference + "\n"},
      {worktree / ".git", "gitdir: " + admin.string() + "\n"},
  };
  for (const auto& [path, contents] : files) {
    if (auto written = write_file(path, contents); !written) return written;
  }
  return domain::ok_status();
}

// Records the checked-out tree in the working tree's index, so that git sees
// the files as unchanged rather than as untracked files of an empty index.
Status write_index(const fs::path& worktree, const git_oid& tree_id) {
  auto repo = open_repository(worktree, "");
  if (!repo) return repo.error();
  git_index* raw_index = nullptr;
  if (git_repository_index(&raw_index, repo->get()) < 0) return DomainError::other(last_git_error());
  const IndexHandle index(raw_index);
  git_tree* raw_tree = nullptr;
  if (git_tree_lookup(&raw_tree, repo->get(), &tree_id) < 0) return DomainError::other(last_git_error());
  const TreeHandle tree(raw_tree);
  if (git_index_read_tree(raw_index, raw_tree) < 0 || git_index_write(raw_index) < 0) {
    return DomainError::other(last_git_error());
  }
  return domain::ok_status();
}

}  // namespace

Result<fs::path> GixGitAdapter::init_bare(const fs::path& bare_path) {
  ensure_libgit2();
  if (bare_path.has_parent_path()) {
    if (auto made = make_directories(bare_path.parent_path()); !made) return made.error();
  }
  git_repository_init_options options;
  git_repository_init_options_init(&options, GIT_REPOSITORY_INIT_OPTIONS_VERSION);
  options.flags = GIT_REPOSITORY_INIT_BARE | GIT_REPOSITORY_INIT_MKPATH;
  // HEAD names the branch the seed commit creates, not the library's default.
  options.initial_head = "main";
  git_repository* raw = nullptr;
  if (git_repository_init_ext(&raw, bare_path.c_str(), &options) < 0) return git_failure("");
  const RepoHandle repo(raw);

  git_treebuilder* raw_builder = nullptr;
  git_oid empty_tree;
  if (git_treebuilder_new(&raw_builder, raw, nullptr) < 0) return git_failure("write empty tree: ");
  const TreeBuilderHandle builder(raw_builder);
  if (git_treebuilder_write(&empty_tree, raw_builder) < 0) return git_failure("write empty tree: ");

  auto seed = write_commit(raw, "refs/heads/main", empty_tree, std::nullopt, "initial empty commit");
  if (!seed) return DomainError::other("seed commit: " + seed.error().text);

  const fs::path repo_dir = library_dir(git_repository_path(raw));
  std::error_code error;
  if (!fs::exists(repo_dir / "HEAD", error)) {
    if (auto written = write_file(repo_dir / "HEAD", "ref: refs/heads/main\n"); !written) return written.error();
  }
  return repo_dir;
}

Result<fs::path> GixGitAdapter::add_worktree(const fs::path& bare_path, const fs::path& worktree_path,
                                             const std::string& branch) {
  ensure_libgit2();
  auto repo = open_repository(canonical_or_given(bare_path), "open bare: ");
  if (!repo) return repo.error();
  const auto name = worktree_name(worktree_path);
  if (!name) return DomainError::other("invalid worktree path");
  // Everything that can fail without touching the disk is settled first.
  const std::string reference = reference_name(branch);
  auto checkout = resolve_checkout(repo->get(), reference, branch);
  if (!checkout) return checkout.error();

  if (auto made = make_directories(worktree_path); !made) return made.error();
  // Checked on the directory as it now exists, so that a path through a
  // directory that did not exist yet ("new/../occupied") cannot slip past.
  if (has_entries(worktree_path)) return DomainError::other("worktree path not empty: " + worktree_path.string());
  if (auto created = ensure_reference(repo->get(), reference, *checkout); !created) return created.error();
  const fs::path admin = free_admin_dir(library_dir(git_repository_commondir(repo->get())), *name);
  if (auto made = make_directories(admin); !made) return made.error();

  const fs::path worktree = canonical_or_given(worktree_path);
  if (auto written = write_metadata(admin, worktree, reference); !written) return written.error();
  if (auto walked = checkout_tree_to::walk(repo->get(), checkout->tree, worktree); !walked) return walked.error();
  if (auto indexed = write_index(worktree, checkout->tree); !indexed) return indexed.error();
  return worktree;
}

Result<std::string> GixGitAdapter::commit(const fs::path& worktree_path, const std::string& message,
                                          const std::vector<fs::path>& paths) {
  ensure_libgit2();
  auto repo = open_repository(worktree_path, "open worktree: ");
  if (!repo) return repo.error();
  if (paths.empty()) return DomainError::other("commit requires at least one path in v1 (stage explicit paths)");
  // Every path is checked before any object is written.
  for (const fs::path& path : paths) {
    if (!is_listed_file(worktree_path, path)) return DomainError::other("missing file for commit: " + path.string());
  }
  std::vector<BlobEntry> entries;
  for (const fs::path& path : paths) {
    auto entry = write_blob(repo->get(), worktree_path, path);
    if (!entry) return entry.error();
    entries.push_back(std::move(*entry));
  }
  const std::optional<git_oid> parent = head_commit(repo->get());
  auto tree = build_tree(repo->get(), parent, entries);
  if (!tree) return tree.error();
  auto id = commit_to_head(repo->get(), *tree, parent, message);
  if (id) record_in_index(repo->get(), committed_files(entries));
  return id;
}

Result<std::string> GixGitAdapter::commit_removal(const fs::path& worktree_path, const std::string& message,
                                                  const std::vector<fs::path>& paths) {
  ensure_libgit2();
  auto repo = open_repository(worktree_path, "open worktree: ");
  if (!repo) return repo.error();
  if (paths.empty()) return DomainError::other("commit_removal requires at least one path");
  auto listed = removal_pieces(paths);
  if (!listed) return listed.error();
  const std::optional<git_oid> parent = head_commit(repo->get());
  if (!parent) return DomainError::other("cannot record removal: HEAD has no commit");
  auto head_tree = tree_of_commit(repo->get(), *parent);
  if (!head_tree) return head_tree.error();
  auto tree = tree_without(repo->get(), *head_tree, *listed);
  if (!tree) return tree.error();
  if (tree->removed.empty()) return DomainError::other("cannot record removal: no listed path is tracked in HEAD");
  auto id = commit_to_head(repo->get(), tree->tree, parent, message);
  if (id) drop_from_index(repo->get(), tree->removed);
  return id;
}

}  // namespace borvane::git
