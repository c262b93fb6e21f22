#include "git/libgit2_handle.hpp"

namespace borvane::git {

void ensure_libgit2() {
  // A function-local static is initialised exactly once even when threads
  // race here. The library stays started until the process ends.
  static const int started = git_libgit2_init();
  (void)started;
}

std::string last_git_error() {
  const git_error* error = git_error_last();
  if (error == nullptr || error->message == nullptr) return "unknown git error";
  return error->message;
}

std::filesystem::path library_dir(const char* reported) {
  std::string dir = reported == nullptr ? "" : reported;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace borvane::git
