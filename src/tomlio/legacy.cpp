#include "tomlio/legacy.hpp"

#include <string>
#include <system_error>
#include <vector>

#include "domain/decision.hpp"
#include "domain/flow.hpp"
#include "domain/record_codec.hpp"
#include "tomlio/file_read.hpp"
#include "tomlio/record_files.hpp"

namespace borvane::tomlio {
namespace fs = std::filesystem;

namespace {

// The entries of `dir` in listing order, taken before anything is written
// so that the files this conversion creates are not listed themselves.
Outcome<std::vector<fs::directory_entry>> list_entries(const fs::path& dir) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return ec.message();
  std::vector<fs::directory_entry> entries;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return ec.message();
    entries.push_back(*it);
  }
  if (ec) return ec.message();
  return entries;
}

// Links, FIFOs and other special entries are never opened: a FIFO named
// x.json would block the reader.
Outcome<bool> is_legacy_file(const fs::directory_entry& entry) {
  if (entry.path().extension() != ".json") return false;
  std::error_code ec;
  const fs::file_status status = entry.symlink_status(ec);
  if (ec) return ec.message();
  return fs::is_regular_file(status);
}

template <class T>
Outcome<Unit> convert_one(const fs::path& json_path, const char* path_format_dir,
                          Outcome<Unit> (*write)(const fs::path&, const T&)) {
  auto bytes = read_regular_file(json_path, kMaxRecordFileBytes);
  if (!bytes) return std::move(bytes).error();
  auto record = domain::from_json<T>(bytes->data);
  if (!record) return record.error().display();
  record->path = std::string("docs/") + path_format_dir + "/" + record->id + ".toml";
  fs::path toml_path = json_path;
  toml_path.replace_extension(".toml");
  if (auto written = write(toml_path, *record); !written) return written;
  std::error_code ec;
  fs::remove(json_path, ec);
  if (ec) return ec.message();
  return done();
}

template <class T>
Outcome<std::size_t> rewrite_legacy(const fs::path& docs, const char* sub_dir,
                                    Outcome<Unit> (*write)(const fs::path&, const T&)) {
  const fs::path dir = docs / sub_dir;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return std::size_t{0};
  auto entries = list_entries(dir);
  if (!entries) return std::move(entries).error();
  std::size_t converted = 0;
  for (const auto& entry : *entries) {
    auto legacy = is_legacy_file(entry);
    if (!legacy) return std::move(legacy).error();
    if (!*legacy) continue;
    if (auto done_one = convert_one<T>(entry.path(), sub_dir, write); !done_one) return std::move(done_one).error();
    ++converted;
  }
  return converted;
}

}  // namespace

Outcome<std::size_t> rewrite_legacy_adrs(const fs::path& docs) {
  return rewrite_legacy<domain::Decision>(docs, "adr", &write_adr_toml);
}

Outcome<std::size_t> rewrite_legacy_flows(const fs::path& docs) {
  return rewrite_legacy<domain::Flow>(docs, "flows", &write_flow_toml);
}

}  // namespace borvane::tomlio
