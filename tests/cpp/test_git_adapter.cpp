// The git adapter against real repositories made and inspected with the git
// command-line client: commits of explicit files on top of HEAD, commits of
// their removal, refused paths and moved references, bare repositories and
// linked working trees.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "git/commit_writer.hpp"
#include "git/gix_git_adapter.hpp"
#include "git/libgit2_handle.hpp"
#include "git_test_support.hpp"

namespace fs = std::filesystem;
using borvane::git::GixGitAdapter;
using git_test::quote;
using git_test::read_text;
using git_test::write_text;

namespace {

bool is_hex_id(const std::string& text) {
  return text.size() == 40 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// "mode type id<TAB>path" lines of `git ls-tree -r`, keyed by path.
std::map<std::string, std::string> tree_listing(const std::string& ls_tree) {
  std::map<std::string, std::string> by_path;
  std::istringstream lines(ls_tree);
  for (std::string line; std::getline(lines, line);) by_path[line.substr(line.find('\t') + 1)] = line;
  return by_path;
}

class GitAdapterTest : public git_test::GitSandboxTest {
 protected:
  GitAdapterTest() : GitSandboxTest("borvane-git") {}

  GixGitAdapter adapter_;
};

// ---- commit -------------------------------------------------------------

TEST_F(GitAdapterTest, FirstCommitOnUnbornHeadHoldsOnlyTheListedFile) {
  const fs::path repo = new_repo("repo");
  write_text(repo / "docs/adr/x.toml", "id = \"x\"\n");
  write_text(repo / "notes.txt", "not listed\n");

  auto id = adapter_.commit(repo, "adr: x First", {"docs/adr/x.toml"});

  ASSERT_TRUE(id.ok()) << id.error().text;
  EXPECT_TRUE(is_hex_id(*id)) << *id;
  EXPECT_EQ(git(repo, "rev-parse refs/heads/main"), *id);
  EXPECT_EQ(git(repo, "rev-list --parents -n 1 HEAD"), *id);  // no parent ids
  EXPECT_EQ(git(repo, "ls-tree -r --name-only HEAD"), "docs/adr/x.toml");
  EXPECT_EQ(git(repo, "show HEAD:docs/adr/x.toml"), "id = \"x\"");
  EXPECT_EQ(git(repo, "log -1 --format=%an/%ae/%cn/%ce/%B"),
            "borvane-c4-git/borvane-c4-git@localhost/borvane-c4-git/borvane-c4-git@localhost/adr: x First");
  EXPECT_EQ(git(repo, "log -1 --format=%ai"), git(repo, "log -1 --format=%ci"));
  // The index follows the commit: git sees the committed file as unchanged.
  EXPECT_EQ(git(repo, "status --porcelain"), "?? notes.txt");
  git(repo, "fsck --strict --no-progress");
}

TEST_F(GitAdapterTest, CommitKeepsTheParentTreeAndAddsOrReplacesListedFiles) {
  const fs::path repo = new_repo("repo");
  write_text(repo / "README.md", "readme\n");
  write_text(repo / "src/main.c", "int main(void) { return 0; }\n");
  write_text(repo / "docs/model.toml", "[model]\n");
  write_text(repo / "docs/adr/old.toml", "old\n");
  write_text(repo / "docs/adr/run.sh", "#!/bin/sh\n");
  fs::permissions(repo / "docs/adr/run.sh", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_symlink("old.toml", repo / "docs/adr/link");
  const std::string parent = commit_all(repo, "seed");
  auto expected = tree_listing(git(repo, "ls-tree -r HEAD"));

  write_text(repo / "README.md", "changed but not listed\n");
  write_text(repo / "docs/adr/untracked.toml", "not listed\n");
  write_text(repo / "docs/adr/old.toml", "new\n");
  write_text(repo / "docs/adr/x1.toml", "x1\n");
  auto id = adapter_.commit(repo, "adr: x1", {"docs/adr/x1.toml", "docs/adr/old.toml"});

  ASSERT_TRUE(id.ok()) << id.error().text;
  EXPECT_EQ(git(repo, "rev-parse HEAD^"), parent);
  expected["docs/adr/old.toml"] =
      "100644 blob " + git(repo, "hash-object docs/adr/old.toml") + "\tdocs/adr/old.toml";
  expected["docs/adr/x1.toml"] = "100644 blob " + git(repo, "hash-object docs/adr/x1.toml") + "\tdocs/adr/x1.toml";
  EXPECT_EQ(tree_listing(git(repo, "ls-tree -r HEAD")), expected);
  EXPECT_EQ(git(repo, "status --porcelain"), " M README.md\n?? docs/adr/untracked.toml");
  git(repo, "fsck --strict --no-progress");
}

TEST_F(GitAdapterTest, TreesAreWrittenInCanonicalOrderWithEachPathOnce) {
  const fs::path repo = new_repo("repo");
  for (const char* file : {"docs/a.toml", "docs/b.toml", "docs.toml", "docs-a.toml"}) write_text(repo / file, file);

  auto id = adapter_.commit(repo, "flow: order",
                            {"docs/b.toml", "docs.toml", "docs/a.toml", "docs-a.toml", "docs//a.toml", "./docs.toml"});

  ASSERT_TRUE(id.ok()) << id.error().text;
  // "-" < "." < "/": the directory docs sorts as "docs/".
  EXPECT_EQ(git(repo, "ls-tree --name-only HEAD"), "docs-a.toml\ndocs.toml\ndocs");
  EXPECT_EQ(git(repo, "ls-tree --name-only HEAD:docs"), "a.toml\nb.toml");
  git(repo, "fsck --strict --no-progress");  // also checks the entry order
}

TEST_F(GitAdapterTest, FileListedWhereTheParentHasADirectoryReplacesIt) {
  const fs::path repo = new_repo("repo");
  write_text(repo / "docs/adr/a.toml", "a\n");
  commit_all(repo, "seed");
  fs::remove_all(repo / "docs/adr");
  write_text(repo / "docs/adr", "now a file\n");

  auto id = adapter_.commit(repo, "adr: flat", {"docs/adr"});

  ASSERT_TRUE(id.ok()) << id.error().text;
  EXPECT_EQ(git(repo, "ls-tree -r HEAD"), "100644 blob " + git(repo, "hash-object docs/adr") + "\tdocs/adr");
  git(repo, "fsck --strict --no-progress");
}

TEST_F(GitAdapterTest, CommitRefusesPathsThatAreNotRegularFilesOfTheWorkingTree) {
  const fs::path repo = new_repo("repo");
  write_text(repo / "docs/adr/x.toml", "x\n");
  const std::string head = commit_all(repo, "seed");
  write_text(root_ / "outside.txt", "secret\n");
  fs::create_symlink(root_ / "outside.txt", repo / "docs/leak.toml");
  write_text(repo / "docs/adr/fresh.toml", "fresh bytes\n");
  const std::string fresh_blob = git(repo, "hash-object docs/adr/fresh.toml");

  const std::vector<std::vector<fs::path>> cases = {
      {"docs/none.toml"},
      {"docs/adr/fresh.toml", "docs/none.toml"},  // nothing written for the first one
      {"docs"},
      {"../outside.txt"},
      {"docs/../../outside.txt"},
      {root_ / "outside.txt"},
      {".git/config"},
      {"docs/.GIT"},
      {"docs/leak.toml"},
  };
  for (const auto& paths : cases) {
    auto result = adapter_.commit(repo, "adr: bad", paths);
    ASSERT_FALSE(result.ok()) << paths.back();
    EXPECT_EQ(result.error().text, "missing file for commit: " + paths.back().string());
  }
  EXPECT_EQ(git(repo, "rev-parse HEAD"), head);
  EXPECT_NE(sh("git -C " + quote(repo) + " cat-file -e " + fresh_blob).status, 0);
}

TEST_F(GitAdapterTest, CommitFailuresBeforeAnyPathIsRead) {
  const fs::path plain = root_ / "plain";
  write_text(plain / "a.toml", "a\n");

  auto not_repo = adapter_.commit(plain, "adr: a", {"a.toml"});
  ASSERT_FALSE(not_repo.ok());
  EXPECT_TRUE(not_repo.error().text.starts_with("open worktree: ")) << not_repo.error().text;
  EXPECT_GT(not_repo.error().text.size(), std::string("open worktree: ").size());

  const fs::path repo = new_repo("repo");
  auto no_paths = adapter_.commit(repo, "adr: a", {});
  ASSERT_FALSE(no_paths.ok());
  EXPECT_EQ(no_paths.error().text, "commit requires at least one path in v1 (stage explicit paths)");
}

TEST_F(GitAdapterTest, CommitIsRefusedWhenHeadMovedAfterItWasRead) {
  const fs::path repo = new_repo("repo");
  write_text(repo / "a.toml", "a\n");
  const std::string first = commit_all(repo, "first");
  borvane::git::ensure_libgit2();
  git_repository* raw = nullptr;
  ASSERT_EQ(git_repository_open(&raw, repo.c_str()), 0);
  const borvane::git::RepoHandle handle(raw);
  git_oid stale_head;
  git_oid tree;
  ASSERT_EQ(git_oid_fromstr(&stale_head, first.c_str()), 0);
  ASSERT_EQ(git_oid_fromstr(&tree, git(repo, "rev-parse HEAD^{tree}").c_str()), 0);

  write_text(repo / "b.toml", "b\n");
  const std::string moved = commit_all(repo, "someone else");

  for (const std::optional<git_oid>& parent : {std::optional<git_oid>(stale_head), std::optional<git_oid>()}) {
    auto result = borvane::git::commit_to_head(raw, tree, parent, "adr: late");
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().text, "commit: failed to create commit: current tip is not the first parent");
  }
  EXPECT_EQ(git(repo, "rev-parse HEAD"), moved);
}

// ---- commit_removal -----------------------------------------------------

TEST_F(GitAdapterTest, RemovalCommitDropsTheFilesAndDirectoriesLeftEmpty) {
  const fs::path repo = new_repo("repo");
  write_text(repo / "README.md", "readme\n");
  write_text(repo / "docs/adr/x.toml", "x\n");
  write_text(repo / "docs/flows/a.toml", "a\n");
  write_text(repo / "docs/flows/b.toml", "b\n");
  const std::string seed = commit_all(repo, "seed");
  auto expected = tree_listing(git(repo, "ls-tree -r HEAD"));

  // A file deleted by hand: the index follows, the working tree is clean.
  fs::remove(repo / "docs/flows/a.toml");
  auto first = adapter_.commit_removal(repo, "flow: delete a", {"docs/flows/a.toml"});
  ASSERT_TRUE(first.ok()) << first.error().text;
  EXPECT_EQ(git(repo, "rev-parse HEAD"), *first);
  EXPECT_EQ(git(repo, "rev-parse HEAD^"), seed);
  EXPECT_EQ(git(repo, "log -1 --format=%an/%ce/%B"), "borvane-c4-git/borvane-c4-git@localhost/flow: delete a");
  expected.erase("docs/flows/a.toml");
  EXPECT_EQ(tree_listing(git(repo, "ls-tree -r HEAD")), expected);
  EXPECT_EQ(git(repo, "status --porcelain"), "");

  // The last file of docs/flows: the directory leaves the tree; a file still
  // on disk becomes untracked.
  auto second = adapter_.commit_removal(repo, "flow: delete b", {"docs/flows/b.toml"});
  ASSERT_TRUE(second.ok()) << second.error().text;
  EXPECT_EQ(git(repo, "ls-tree --name-only HEAD:docs"), "adr");
  EXPECT_EQ(git(repo, "status --porcelain"), "?? docs/flows/");

  // Several paths at once, untracked ones skipped: the root may end empty.
  auto third = adapter_.commit_removal(repo, "flow: delete rest", {"docs/adr/x.toml", "nowhere.toml", "README.md"});
  ASSERT_TRUE(third.ok()) << third.error().text;
  EXPECT_EQ(git(repo, "rev-parse HEAD^{tree}"), "4b825dc642cb6eb9a060e54bf8d69288fbee4904");  // the empty tree
  git(repo, "fsck --strict --no-progress");
}

TEST_F(GitAdapterTest, RemovalCommitFailures) {
  const fs::path unborn = new_repo("unborn");
  write_text(unborn / "a.toml", "a\n");
  auto no_head = adapter_.commit_removal(unborn, "flow: delete a", {"a.toml"});
  ASSERT_FALSE(no_head.ok());
  EXPECT_EQ(no_head.error().text, "cannot record removal: HEAD has no commit");

  const fs::path repo = new_repo("repo");
  write_text(repo / "docs/flows/a.toml", "a\n");
  const std::string head = commit_all(repo, "seed");
  write_text(root_ / "outside.toml", "outside\n");
  struct Case {
    std::vector<fs::path> paths;
    std::string text;
  };
  const std::vector<Case> cases = {
      {{}, "commit_removal requires at least one path"},
      {{"docs/flows/untracked.toml"}, "cannot record removal: no listed path is tracked in HEAD"},
      {{"docs/flows"}, "cannot record removal: no listed path is tracked in HEAD"},  // a directory, not a file
      {{"docs/flows/a.toml/x"}, "cannot record removal: no listed path is tracked in HEAD"},
      {{"docs/flows/a.toml", "../outside.toml"}, "invalid path for removal: ../outside.toml"},
      {{"docs/../../outside.toml"}, "invalid path for removal: docs/../../outside.toml"},
      {{root_ / "outside.toml"}, "invalid path for removal: " + (root_ / "outside.toml").string()},
      {{".git/config"}, "invalid path for removal: .git/config"},
      {{"docs/.GIT/HEAD"}, "invalid path for removal: docs/.GIT/HEAD"},
      {{"."}, "invalid path for removal: ."},
  };
  for (const Case& c : cases) {
    auto result = adapter_.commit_removal(repo, "flow: delete", c.paths);
    ASSERT_FALSE(result.ok()) << c.text;
    EXPECT_EQ(result.error().text, c.text);
  }
  EXPECT_EQ(git(repo, "rev-parse HEAD"), head);
  EXPECT_EQ(git(repo, "status --porcelain"), "");
  EXPECT_TRUE(fs::exists(root_ / "outside.toml"));
}

// ---- init_bare ----------------------------------------------------------

TEST_F(GitAdapterTest, InitBareCreatesSeededMainBranch) {
  const fs::path bare = root_ / "nested/dir/repo.git";

  auto made = adapter_.init_bare(bare);

  ASSERT_TRUE(made.ok()) << made.error().text;
  EXPECT_EQ(made->string(), bare.string());
  EXPECT_EQ(git(bare, "rev-parse --is-bare-repository"), "true");
  EXPECT_EQ(git(bare, "symbolic-ref HEAD"), "refs/heads/main");
  EXPECT_EQ(git(bare, "log --format=%s/%an/%ce/%P main"), "initial empty commit/borvane-c4-git/borvane-c4-git@localhost/");
  EXPECT_EQ(git(bare, "rev-parse main^{tree}"), "4b825dc642cb6eb9a060e54bf8d69288fbee4904");  // the empty tree
  git(bare, "fsck --strict --no-progress");

  // A second seed would replace the branch: refused, the branch stays.
  const std::string main = git(bare, "rev-parse main");
  auto again = adapter_.init_bare(bare);
  ASSERT_FALSE(again.ok());
  EXPECT_TRUE(again.error().text.starts_with("seed commit: ")) << again.error().text;
  EXPECT_EQ(git(bare, "rev-parse main"), main);
}

// ---- add_worktree -------------------------------------------------------

class GitWorktreeTest : public GitAdapterTest {
 protected:
  void SetUp() override {
    GitAdapterTest::SetUp();
    const fs::path source = new_repo("source");
    write_text(source / "README.md", "readme\n");
    write_text(source / "bin/run.sh", "#!/bin/sh\n");
    fs::permissions(source / "bin/run.sh", fs::perms::owner_exec, fs::perm_options::add);
    write_text(source / "docs/model.toml", "[model]\n");
    fs::create_symlink("README.md", source / "link");
    main_ = commit_all(source, "main");
    git(source, "tag -a release -m release");
    git(source, "checkout -q -b feature");
    write_text(source / "feature.txt", "feature\n");
    feature_ = commit_all(source, "feature");
    git(source, "checkout -q main");  // the bare repository's HEAD
    sh("git clone -q --bare " + quote(source) + " " + quote(root_ / "bare.git"));
    bare_ = root_ / "bare.git";
  }

  fs::path bare_;
  std::string main_;
  std::string feature_;
};

TEST_F(GitWorktreeTest, AddWorktreeChecksOutTheBranchAndWritesGitMetadata) {
  const fs::path worktree = root_ / "trees/wt";

  auto added = adapter_.add_worktree(bare_, worktree, "");

  ASSERT_TRUE(added.ok()) << added.error().text;
  EXPECT_EQ(added->string(), worktree.string());
  EXPECT_EQ(read_text(worktree / "README.md"), "readme\n");
  EXPECT_EQ(read_text(worktree / "docs/model.toml"), "[model]\n");
  EXPECT_EQ(fs::status(worktree / "bin/run.sh").permissions(), static_cast<fs::perms>(0755));
  EXPECT_FALSE(fs::exists(fs::symlink_status(worktree / "link")));
  EXPECT_FALSE(fs::exists(worktree / "feature.txt"));

  const fs::path admin = bare_ / "worktrees/wt";
  EXPECT_EQ(read_text(admin / "gitdir"), (worktree / ".git").string() + "\n");
  EXPECT_EQ(read_text(admin / "commondir"), "../..\n");
  EXPECT_EQ(read_text(admin / "HEAD"), "ref: refs/heads/main\n");
  EXPECT_EQ(read_text(worktree / ".git"), "gitdir: " + admin.string() + "\n");

  EXPECT_EQ(git(worktree, "rev-parse --abbrev-ref HEAD"), "main");
  EXPECT_EQ(git(worktree, "rev-parse HEAD"), main_);
  // Only the symbolic link, which is not materialised, differs from HEAD.
  EXPECT_EQ(git(worktree, "status --porcelain"), " D link");
  EXPECT_NE(git(bare_, "worktree list --porcelain").find("worktree " + worktree.string()), std::string::npos);
}

TEST_F(GitWorktreeTest, BranchNamesMapToReferences) {
  struct Case {
    std::string branch;
    std::string reference;
    bool has_feature_file;
  };
  const std::vector<Case> cases = {
      {"", "refs/heads/main", false},
      {"HEAD", "refs/heads/main", false},
      {"feature", "refs/heads/feature", true},
      {"refs/tags/release", "refs/tags/release", false},  // an annotated tag, peeled to its commit
      {"fresh", "refs/heads/fresh", false},                // missing: starts at the bare repository's HEAD
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const fs::path worktree = root_ / ("wt" + std::to_string(i));
    if (i == 0) fs::create_directories(worktree);  // an empty directory is accepted too

    auto added = adapter_.add_worktree(bare_, worktree, c.branch);

    ASSERT_TRUE(added.ok()) << c.branch << ": " << added.error().text;
    EXPECT_EQ(read_text(bare_ / "worktrees" / worktree.filename() / "HEAD"), "ref: " + c.reference + "\n");
    EXPECT_EQ(fs::exists(worktree / "feature.txt"), c.has_feature_file) << c.branch;
  }
  EXPECT_EQ(git(root_ / "wt2", "rev-parse HEAD"), feature_);
  EXPECT_EQ(git(bare_, "rev-parse refs/heads/fresh"), main_);
  EXPECT_EQ(git(root_ / "wt4", "status --porcelain"), " D link");
}

TEST_F(GitWorktreeTest, WorktreesWithTheSameFinalNameKeepSeparateMetadata) {
  auto first = adapter_.add_worktree(bare_, root_ / "a/wt", "main");
  auto second = adapter_.add_worktree(bare_, root_ / "b/wt", "feature");

  ASSERT_TRUE(first.ok()) << first.error().text;
  ASSERT_TRUE(second.ok()) << second.error().text;
  EXPECT_EQ(read_text(root_ / "b/wt/.git"), "gitdir: " + (bare_ / "worktrees/wt1").string() + "\n");
  EXPECT_EQ(git(root_ / "a/wt", "rev-parse --show-toplevel HEAD"), (root_ / "a/wt").string() + "\n" + main_);
  EXPECT_EQ(git(root_ / "b/wt", "rev-parse --show-toplevel HEAD"), (root_ / "b/wt").string() + "\n" + feature_);
}

TEST_F(GitWorktreeTest, AddWorktreeFailures) {
  const fs::path occupied = root_ / "occupied";
  write_text(occupied / "file.txt", "x\n");
  const fs::path unborn = root_ / "unborn.git";
  sh("git init -q --bare " + quote(unborn));
  const fs::path plain = root_ / "plain";
  fs::create_directories(plain);

  struct Case {
    fs::path bare;
    fs::path worktree;
    std::string expected_prefix;
    bool exact;
  };
  const std::vector<Case> cases = {
      {bare_, occupied, "worktree path not empty: " + occupied.string(), true},
      {bare_, root_ / "new/../occupied", "worktree path not empty: " + (root_ / "new/../occupied").string(), true},
      {bare_, root_ / "never/..", "invalid worktree path", true},
      {plain, root_ / "wt-plain", "open bare: ", false},
      {unborn, root_ / "wt-unborn", "peel: ", false},
  };
  for (const Case& c : cases) {
    auto result = adapter_.add_worktree(c.bare, c.worktree, "main");
    ASSERT_FALSE(result.ok()) << c.expected_prefix;
    if (c.exact) {
      EXPECT_EQ(result.error().text, c.expected_prefix);
    } else {
      EXPECT_TRUE(result.error().text.starts_with(c.expected_prefix)) << result.error().text;
      EXPECT_GT(result.error().text.size(), c.expected_prefix.size());
    }
  }
  EXPECT_FALSE(fs::exists(bare_ / "worktrees"));
  EXPECT_FALSE(fs::exists(root_ / "never"));
}

// A tree naming "..": checking it out must not write beside the working tree.
TEST_F(GitWorktreeTest, CheckoutRefusesTreeEntriesThatLeaveTheWorkingTree) {
  const std::string blob = git(bare_, "rev-parse main:README.md");
  git_oid blob_id;
  ASSERT_EQ(git_oid_fromstr(&blob_id, blob.c_str()), 0);
  const auto raw_tree = [&](const std::string& mode, const std::string& name, const git_oid& id) {
    return mode + " " + name + std::string(1, '\0') + std::string(reinterpret_cast<const char*>(id.id), 20);
  };
  const auto store = [&](const std::string& bytes) {
    write_text(root_ / "tree.bin", bytes);
    return git(bare_, "hash-object -t tree --literally -w " + quote(root_ / "tree.bin"));
  };
  git_oid inner_id;
  ASSERT_EQ(git_oid_fromstr(&inner_id, store(raw_tree("100644", "escaped.txt", blob_id)).c_str()), 0);
  const std::string outer = store(raw_tree("40000", "..", inner_id));
  const std::string evil = git(bare_, "commit-tree " + outer + " -m evil");
  git(bare_, "update-ref refs/heads/evil " + evil);

  auto result = adapter_.add_worktree(bare_, root_ / "trees/wt", "evil");

  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().text, "invalid path in tree: ..");
  EXPECT_FALSE(fs::exists(root_ / "trees/escaped.txt"));
}

}  // namespace
