// The docs directory: path checks, layout, repository root, legacy JSON
// conversion and atomic replacement of files.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tomlio/atomic_write.hpp"
#include "tomlio/docs_dir.hpp"
#include "tomlio/legacy.hpp"
#include "tomlio/record_files.hpp"
#include "test_tomlio_support.hpp"

using namespace borvane::domain;
using namespace borvane::tomlio;
using tomlio_test::ScratchDir;
using tomlio_test::slurp;
using tomlio_test::spill;
namespace fs = std::filesystem;

namespace {

std::string windows_path_error(const std::string& text) {
  return "docs_dir looks like a Windows path (" + text +
         "). Inside WSL/Linux use a Unix path (e.g. /tmp/\xe2\x80\xa6/docs or /mnt/c/Users/\xe2\x80\xa6/docs), "
         "not C:\\\xe2\x80\xa6";
}

// Runs `body` with the working directory set to `dir`, restoring it after.
template <class F>
void in_directory(const fs::path& dir, F body) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir);
  body();
  fs::current_path(previous);
}

const char* kLegacyAdr =
    R"({"id":"x1","title":"Old","status":"accepted","decided_at":"2024-05-01",)"
    R"("context":"c","decision":"d","consequences":"e","path":"elsewhere"})";
const char* kLegacyFlow =
    R"({"id":"f9","title":"Old flow","kind":"state","body":"stateDiagram\n  A --> B"})";

}  // namespace

TEST(TomlioDocsDir, ValidateRejectsEmptyAndWindowsPaths) {
  struct Case {
    const char* path;
    std::string expected;  // empty: accepted
  };
  const Case cases[] = {
      {"C:", windows_path_error("C:")},
      {"c:/x", windows_path_error("c:/x")},
      {"a\\b", windows_path_error("a\\b")},
      {"   ", "docs_dir is empty"},
      {"", "docs_dir is empty"},
      {"/tmp/docs", ""},
      {"docs", ""},
      {"1:/docs", ""},
  };
  for (const Case& c : cases) {
    auto checked = validate_docs_dir(c.path);
    EXPECT_EQ(checked ? std::string() : checked.error(), c.expected) << c.path;
  }
  auto lossy = validate_docs_dir(fs::path("x\xff\\"));
  ASSERT_FALSE(lossy);
  EXPECT_EQ(lossy.error(), windows_path_error("x\xef\xbf\xbd\\"));
}

TEST(TomlioDocsDir, RepositoryRootIsTheParent) {
  EXPECT_EQ(repo_root_from_docs("/"), fs::path("."));
  EXPECT_EQ(repo_root_from_docs("/a/docs"), fs::path("/a"));
  EXPECT_EQ(repo_root_from_docs("/a/docs/"), fs::path("/a"));
  EXPECT_EQ(repo_root_from_docs("/docs"), fs::path("/"));
  EXPECT_EQ(repo_root_from_docs("a/b/docs"), fs::path("a/b"));
  EXPECT_EQ(repo_root_from_docs("./docs"), fs::path("."));

  ScratchDir dir;
  fs::create_directory(dir / "docs");
  in_directory(dir.path(), [&] {
    EXPECT_EQ(repo_root_from_docs("docs"), fs::canonical(dir.path()));
    EXPECT_EQ(repo_root_from_docs("docs/"), fs::canonical(dir.path()));
    EXPECT_EQ(repo_root_from_docs("missing"), fs::path("."));
  });
}

TEST(TomlioDocsDir, LayoutCreatesBothSubdirectories) {
  ScratchDir dir;
  ASSERT_TRUE(ensure_docs_layout(dir / "deep" / "docs"));
  EXPECT_TRUE(fs::is_directory(dir / "deep" / "docs" / "adr"));
  EXPECT_TRUE(fs::is_directory(dir / "deep" / "docs" / "flows"));
  ASSERT_TRUE(ensure_docs_layout(dir / "deep" / "docs")) << "existing directories are fine";

  spill(dir / "file", "x");
  auto blocked = ensure_docs_layout(dir / "file");
  ASSERT_FALSE(blocked);
  EXPECT_EQ(blocked.error(), "Not a directory");
}

TEST(TomlioLegacy, JsonDecisionsBecomeTomlFilesNamedAfterTheJsonFile) {
  ScratchDir dir;
  const fs::path adr = dir / "docs" / "adr";
  fs::create_directories(adr);
  spill(adr / "old.json", kLegacyAdr);
  spill(adr / "readme.txt", "not a record");
  spill(adr / "x.JSON", "{}");
  ASSERT_EQ(::mkfifo((adr / "pipe.json").c_str(), 0600), 0);
  fs::create_symlink(adr / "old.json", adr / "link.json");

  auto converted = rewrite_legacy_adrs(dir / "docs");
  ASSERT_TRUE(converted) << converted.error();
  EXPECT_EQ(*converted, 1u);
  EXPECT_FALSE(fs::exists(adr / "old.json"));
  auto back = read_adr_toml(adr / "old.toml");
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->id, "x1");
  EXPECT_EQ(back->path, "docs/adr/x1.toml");
  EXPECT_EQ(slurp(adr / "readme.txt"), "not a record");
  EXPECT_EQ(slurp(adr / "x.JSON"), "{}");
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(adr / "pipe.json")));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(adr / "link.json")));
}

TEST(TomlioLegacy, JsonFlowsAreConvertedToo) {
  ScratchDir dir;
  const fs::path flows = dir / "docs" / "flows";
  fs::create_directories(flows);
  spill(flows / "a.json", kLegacyFlow);
  auto converted = rewrite_legacy_flows(dir / "docs");
  ASSERT_TRUE(converted) << converted.error();
  EXPECT_EQ(*converted, 1u);
  auto back = read_flow_toml(flows / "a.toml");
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(back->path, "docs/flows/f9.toml");
  EXPECT_EQ(back->body, "stateDiagram\n  A --> B");
}

TEST(TomlioLegacy, MissingDirectoryConvertsNothingAndBadJsonStops) {
  ScratchDir dir;
  auto none = rewrite_legacy_adrs(dir / "docs");
  ASSERT_TRUE(none);
  EXPECT_EQ(*none, 0u);

  fs::create_directories(dir / "docs" / "adr");
  spill(dir / "docs" / "adr" / "bad.json", R"({"id":"x1","colour":1})");
  auto failed = rewrite_legacy_adrs(dir / "docs");
  ASSERT_FALSE(failed);
  EXPECT_THAT(failed.error(), ::testing::StartsWith("unknown field `colour`"));
  EXPECT_TRUE(fs::exists(dir / "docs" / "adr" / "bad.json")) << "a file that failed is kept";
  EXPECT_FALSE(fs::exists(dir / "docs" / "adr" / "bad.toml"));
}

TEST(TomlioAtomicWrite, TemporaryNames) {
  EXPECT_EQ(temporary_path_for("d/model.toml"), fs::path("d/model.toml.tmp"));
  EXPECT_EQ(temporary_path_for("d/notes"), fs::path("d/notes.toml.tmp"));
  EXPECT_EQ(temporary_path_for("d/x.json"), fs::path("d/x.json.tmp"));
  EXPECT_EQ(temporary_path_for("d/x.\xff"), fs::path("d/x.toml.tmp"));
}

TEST(TomlioAtomicWrite, ReplacesTheFileAndLeavesNoTemporary) {
  ScratchDir dir;
  const fs::path path = dir / "new" / "sub" / "model.toml";
  ASSERT_TRUE(atomic_write(path, "first"));
  ASSERT_TRUE(atomic_write(path, "second"));
  EXPECT_EQ(slurp(path), "second");
  EXPECT_FALSE(fs::exists(dir / "new" / "sub" / "model.toml.tmp"));
}

TEST(TomlioAtomicWrite, PlantedLinkAtTheTemporaryNameIsNotWrittenThrough) {
  ScratchDir dir;
  spill(dir / "victim", "untouched");
  fs::create_symlink(dir / "victim", dir / "model.toml.tmp");
  ASSERT_TRUE(atomic_write(dir / "model.toml", "data"));
  EXPECT_EQ(slurp(dir / "victim"), "untouched");
  EXPECT_EQ(slurp(dir / "model.toml"), "data");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "model.toml")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "model.toml.tmp")));
}

TEST(TomlioAtomicWrite, FailuresAreSystemTexts) {
  ScratchDir dir;
  spill(dir / "file", "x");
  auto under_file = atomic_write(dir / "file" / "model.toml", "x");
  ASSERT_FALSE(under_file);
  EXPECT_EQ(under_file.error(), "Not a directory");

  fs::create_directory(dir / "target.toml");
  fs::create_directory(dir / "target.toml" / "inner");
  auto onto_dir = atomic_write(dir / "target.toml", "x");
  ASSERT_FALSE(onto_dir);
  EXPECT_EQ(onto_dir.error(), "Is a directory");
}
