#pragma once
// Whole-file reads and writes for the adapter. Failures carry the system's
// error text alone.
#include <filesystem>
#include <string>
#include <string_view>

#include "domain/error.hpp"

namespace borvane::git {

domain::Result<std::string> read_file(const std::filesystem::path& path);

// Creates the parent directories, then creates or truncates the file (mode
// 0666 before the umask) and writes all of `contents`.
domain::Status write_file(const std::filesystem::path& path, std::string_view contents);

domain::Status make_directories(const std::filesystem::path& path);

}  // namespace borvane::git
