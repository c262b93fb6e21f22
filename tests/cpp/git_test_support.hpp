#pragma once
// Helpers shared by the tests that make and inspect real git repositories
// with the git command-line client: a scratch directory with its own git
// configuration, git runs cut off from the user's and the system's
// configuration, and whole-file reads and writes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace git_test {

namespace fs = std::filesystem;

// The path in single quotes, for a shell command line.
inline std::string quote(const fs::path& path) { return "'" + path.string() + "'"; }

inline std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Writes the file, making its parent directories first.
inline void write_text(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh directory under the system's temporary directory (root_), removed
// again when the test ends, holding home/.gitconfig (home_) with a user, the
// default branch main and unsigned commits. Every git command runs with that
// home and without the system's configuration.
class GitSandboxTest : public ::testing::Test {
 protected:
  // `prefix` names the scratch directory, e.g. "borvane-git".
  explicit GitSandboxTest(std::string prefix) : prefix_(std::move(prefix)) {}

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / (prefix_ + "-XXXXXX")).string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = fs::canonical(pattern);
    home_ = root_ / "home";
    write_text(home_ / ".gitconfig",
               "[user]\n\tname = Tester\n\temail = tester@example.org\n"
               "[init]\n\tdefaultBranch = main\n[commit]\n\tgpgsign = false\n");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  struct Shell {
    int status;  // the exit status, or -1 when the shell did not exit normally
    std::string out;
  };

  // Runs a shell command with git cut off from the user's and the system's
  // configuration.
  Shell sh(const std::string& command) const {
    const std::string full = "export HOME=" + quote(home_) +
                             " GIT_CONFIG_NOSYSTEM=1; unset GIT_DIR GIT_WORK_TREE GIT_INDEX_FILE GIT_COMMON_DIR; " +
                             command;
    FILE* pipe = popen(full.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  }

  // git in `dir`; must succeed; its output without the final line feed.
  std::string git(const fs::path& dir, const std::string& args) const {
    Shell result = sh("git -C " + quote(dir) + " " + args);
    EXPECT_EQ(result.status, 0) << "git " << args;
    if (!result.out.empty() && result.out.back() == '\n') result.out.pop_back();
    return result.out;
  }

  // An empty repository at root_ / name.
  fs::path new_repo(const std::string& name) const {
    const fs::path repo = root_ / name;
    fs::create_directories(repo);
    git(repo, "init -q");
    return repo;
  }

  // Commits everything in the working tree; returns the new HEAD.
  std::string commit_all(const fs::path& repo, const std::string& message) const {
    git(repo, "add -A");
    git(repo, "commit -q -m " + quote(message));
    return git(repo, "rev-parse HEAD");
  }

  fs::path root_;
  fs::path home_;

 private:
  std::string prefix_;
};

// The sandbox with a repository at root_ / "repo" (repo_) whose one commit,
// "seed", holds README.md.
class SeededRepoTest : public GitSandboxTest {
 protected:
  using GitSandboxTest::GitSandboxTest;
  using GitSandboxTest::commit_all;
  using GitSandboxTest::git;

  void SetUp() override {
    GitSandboxTest::SetUp();
    if (HasFatalFailure()) return;
    repo_ = new_repo("repo");
    write_text(repo_ / "README.md", "readme\n");
    commit_all("seed");
  }

  // git in repo_; must succeed; its output without the final line feed.
  std::string git(const std::string& args) const { return git(repo_, args); }

  // Commits everything in repo_; returns the new HEAD.
  std::string commit_all(const std::string& message) const { return commit_all(repo_, message); }

  fs::path repo_;
};

}  // namespace git_test
