#include "flow/flow_paths.hpp"

#include <vector>

#include "domain/text.hpp"

namespace borvane::flow {

namespace {

std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = path.find('/', start);
    parts.push_back(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool is_plain_name(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  if (name.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) return false;
  // ".git" in any letter case: case-insensitive file systems reach the same directory.
  return domain::ascii_lower(name) != ".git";
}

}  // namespace

domain::Result<std::filesystem::path> flow_file_path(const std::string& id) {
  if (!domain::is_record_id(id)) {
    return domain::DomainError::validation("flow id must match [A-Za-z0-9][A-Za-z0-9_.-]*");
  }
  return std::filesystem::path("docs/flows/" + id + ".toml");
}

bool is_deletable_flow_path(std::string_view path) {
  const std::vector<std::string_view> parts = components(path);
  // An absolute path starts with an empty component and fails here too.
  for (std::string_view part : parts)
    if (!is_plain_name(part)) return false;
  return parts.size() >= 3 && parts[0] == "docs" && parts[1] == "flows" && parts.back().ends_with(".toml");
}

}  // namespace borvane::flow
