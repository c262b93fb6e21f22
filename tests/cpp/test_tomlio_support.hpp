#pragma once
// Helpers shared by the tomlio tests: a scratch directory per test, whole
// file reads and sample records.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "domain/decision.hpp"
#include "domain/flow.hpp"

namespace tomlio_test {

namespace fs = std::filesystem;

// A fresh directory under the system's temporary directory, removed again
// when the test ends.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "borvane-tomlio-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(std::string_view name) const { return path_ / name; }

 private:
  fs::path path_;
};

inline std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline void spill(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The decision of the worked example: no optional values.
inline borvane::domain::Decision example_decision() {
  borvane::domain::Decision d;
  d.id = "x1";
  d.workspace_id = "sidecar";
  d.title = "Use queues";
  d.status = borvane::domain::DecisionStatus::Accepted;
  d.decided_at = "2024-05-01";
  d.context = "Writes must be serialised.";
  d.decision = "One worker thread.";
  d.consequences = "Callers block.";
  d.path = "docs/adr/x1.toml";
  return d;
}

}  // namespace tomlio_test
