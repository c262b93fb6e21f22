#pragma once
// Reading a record file whole, safely: a docs directory may come from a
// cloned repository, so a planted link, FIFO or device must neither be
// followed nor block the process, and a huge file is refused.
#include <cstddef>
#include <filesystem>
#include <string>

#include "tomlio/outcome.hpp"

namespace borvane::tomlio {

inline constexpr std::size_t kMaxRecordFileBytes = std::size_t{16} * 1024 * 1024;

// File content. (A wrapper, because an outcome's value and error types
// must differ.)
struct FileBytes {
  std::string data;
};

// The whole content of a regular file (not a link to one). Errors: the
// system's text, "{path}: not a regular file", "{path}: file larger than 16 MiB".
Outcome<FileBytes> read_regular_file(const std::filesystem::path& path);

}  // namespace borvane::tomlio
