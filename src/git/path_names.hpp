#pragma once
// Names that must never come into or out of a tree through the adapter.
#include <string_view>

namespace borvane::git {

// ".git" in any letter case: the repository's own metadata, which no
// commit may record and no checkout may overwrite.
inline bool is_dot_git(std::string_view name) {
  constexpr std::string_view kDotGit = ".git";
  if (name.size() != kDotGit.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kDotGit[i]) return false;
  }
  return true;
}

}  // namespace borvane::git
