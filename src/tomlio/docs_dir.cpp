#include "tomlio/docs_dir.hpp"

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "domain/text.hpp"
#include "tomlio/utf8.hpp"

namespace borvane::tomlio {
namespace fs = std::filesystem;

namespace {

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool looks_like_windows_path(const std::string& text) {
  const bool drive = text.size() >= 2 && is_ascii_letter(text[0]) && text[1] == ':';
  return drive || text.find('\\') != std::string::npos;
}

// The parent as a path-component walk sees it: trailing separators and "."
// components do not count, the root has no parent, and a single relative
// name has an empty one.
std::optional<fs::path> lexical_parent(const fs::path& path) {
  std::vector<fs::path> parts;
  const bool absolute = path.has_root_directory();
  for (const auto& part : path) {
    const bool first = parts.empty();
    // A leading "." is kept ("./docs" has the parent "."), later ones are not.
    if (part.empty() || (part == "." && !first)) continue;
    parts.push_back(part);
  }
  if (parts.empty() || (parts.size() == 1 && absolute)) return std::nullopt;
  fs::path parent;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) parent /= parts[i];
  return parent;
}

Outcome<Unit> create_dir_all(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) return ec.message();
  return done();
}

}  // namespace

Outcome<Unit> validate_docs_dir(const fs::path& docs) {
  const std::string text = utf8_lossy(docs.native());
  if (domain::is_blank(text)) return std::string("docs_dir is empty");
  if (looks_like_windows_path(text))
    return "docs_dir looks like a Windows path (" + text +
           "). Inside WSL/Linux use a Unix path (e.g. /tmp/\u2026/docs or /mnt/c/Users/\u2026/docs), not C:\\\u2026";
  // The operating system ends a path at its first NUL: "docs\0x" would bind
  // "docs" instead of failing.
  if (text.find('\0') != std::string::npos) return std::string("docs_dir contains a NUL character");
  return done();
}

Outcome<Unit> ensure_docs_layout(const fs::path& docs) {
  if (auto made = create_dir_all(docs / "adr"); !made) return made;
  return create_dir_all(docs / "flows");
}

fs::path repo_root_from_docs(const fs::path& docs) {
  if (auto parent = lexical_parent(docs); parent && !parent->empty()) return *parent;
  std::error_code ec;
  const fs::path canonical = fs::canonical(docs, ec);
  if (!ec) {
    if (auto parent = lexical_parent(canonical); parent && !parent->empty()) return *parent;
  }
  return ".";
}

}  // namespace borvane::tomlio
