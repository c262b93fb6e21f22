#include "tomlio/record_files.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "domain/text.hpp"
#include "tomlio/adr_text.hpp"
#include "tomlio/atomic_write.hpp"
#include "tomlio/file_read.hpp"
#include "tomlio/model_decode.hpp"
#include "tomlio/record_tables.hpp"
#include "tomlio/toml_reader.hpp"
#include "tomlio/toml_writer.hpp"

namespace borvane::tomlio {
namespace fs = std::filesystem;

namespace {

template <class T>
Outcome<T> read_record(const fs::path& path) {
  auto bytes = read_regular_file(path, kMaxRecordFileBytes);
  if (!bytes) return std::move(bytes).error();
  auto record = from_toml<T>(bytes->data);
  if (!record) return record.error().display();
  return std::move(*record);
}

// Only a missing entry or one that is neither a regular file nor a link
// stands for "no model yet"; links go to the reader, which refuses them.
bool is_absent_model(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
  return !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode);
}

// Writes `text` unless it is above the size the reader accepts: a file we
// could not read back would stop every later binding.
Outcome<Unit> write_within_limit(const fs::path& path, const std::string& text, std::size_t max_bytes) {
  if (text.size() > max_bytes) return too_large(path, max_bytes) + " (not written)";
  return atomic_write(path, text);
}

}  // namespace

Outcome<ModelFile> read_model_toml(const fs::path& path) {
  if (is_absent_model(path)) return ModelFile{};
  auto bytes = read_regular_file(path, kMaxModelFileBytes);
  if (!bytes) return std::move(bytes).error();
  if (domain::is_blank(bytes->data)) return ModelFile{};
  auto root = parse_toml(bytes->data);
  if (!root) return root.error().display();
  auto model = decode_model_file(*root);
  if (!model) return model.error().display();
  return std::move(*model);
}

Outcome<Unit> write_model_toml(const fs::path& path, const ModelFile& model) {
  return write_within_limit(path, render_toml(to_toml_table(model), TomlForm::Pretty), kMaxModelFileBytes);
}

Outcome<domain::Decision> read_adr_toml(const fs::path& path) { return read_record<domain::Decision>(path); }

Outcome<Unit> write_adr_toml(const fs::path& path, const domain::Decision& decision) {
  return write_within_limit(path, render_adr_toml(decision), kMaxRecordFileBytes);
}

Outcome<domain::Flow> read_flow_toml(const fs::path& path) { return read_record<domain::Flow>(path); }

Outcome<Unit> write_flow_toml(const fs::path& path, const domain::Flow& flow) {
  return write_within_limit(path, render_toml(to_toml_table(flow), TomlForm::Pretty), kMaxRecordFileBytes);
}

}  // namespace borvane::tomlio
