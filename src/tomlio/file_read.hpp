#pragma once
// Reading a record file whole, safely: a docs directory may come from a
// cloned repository, so a planted link, FIFO or device must neither be
// followed nor block the process, and a huge file is refused.
#include <cstddef>
#include <filesystem>
#include <string>

#include "tomlio/outcome.hpp"

namespace borvane::tomlio {

// Size limits: one decision or flow file, and model.toml (which holds the
// whole model, so it may grow much larger). The writers refuse to produce a
// file above its limit, so everything we write can be read back.
inline constexpr std::size_t kMaxRecordFileBytes = std::size_t{16} * 1024 * 1024;
inline constexpr std::size_t kMaxModelFileBytes = std::size_t{256} * 1024 * 1024;

// "{path}: file larger than N MiB"
std::string too_large(const std::filesystem::path& path, std::size_t max_bytes);

// File content. (A wrapper, because an outcome's value and error types
// must differ.)
struct FileBytes {
  std::string data;
};

// The whole content of a regular file (not a link to one) of at most
// `max_bytes`. Errors: the system's text, "{path}: not a regular file",
// "{path}: file larger than N MiB".
Outcome<FileBytes> read_regular_file(const std::filesystem::path& path, std::size_t max_bytes);

}  // namespace borvane::tomlio
