#include "tomlio/atomic_write.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "tomlio/utf8.hpp"

namespace borvane::tomlio {
namespace fs = std::filesystem;

namespace {

Outcome<Unit> write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return os_error_text(errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return done();
}

// Some file systems cannot sync a directory; that is not a write failure.
bool is_unsupported_sync(int err) { return err == EINVAL || err == ENOTSUP || err == EROFS; }

// Creates the temporary file exclusively and without following a link, so a
// planted entry can never redirect the write.
Outcome<Unit> write_temporary(const fs::path& tmp, std::string_view bytes) {
  if (::unlink(tmp.c_str()) != 0 && errno != ENOENT) return os_error_text(errno);
  const int fd = ::open(tmp.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return os_error_text(errno);
  Outcome<Unit> written = write_all(fd, bytes);
  if (written && ::fsync(fd) != 0) written = os_error_text(errno);
  if (::close(fd) != 0 && written) written = os_error_text(errno);
  if (!written) ::unlink(tmp.c_str());
  return written;
}

// Makes the rename itself durable.
Outcome<Unit> sync_directory(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return os_error_text(errno);
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  if (rc != 0 && !is_unsupported_sync(err)) return os_error_text(err);
  return done();
}

}  // namespace

fs::path temporary_path_for(const fs::path& path) {
  const std::string ext = path.extension().string();
  fs::path tmp = path;
  if (ext.size() > 1 && is_valid_utf8(ext))
    tmp += ".tmp";
  else
    tmp.replace_extension(".toml.tmp");
  return tmp;
}

Outcome<Unit> atomic_write(const fs::path& path, std::string_view bytes) {
  const fs::path parent = path.parent_path();
  if (!parent.empty()) {
    std::error_code ec;
    fs::create_directories(parent, ec);
    if (ec) return ec.message();
  }
  const fs::path tmp = temporary_path_for(path);
  if (auto written = write_temporary(tmp, bytes); !written) return written;
  if (::rename(tmp.c_str(), path.c_str()) != 0) return os_error_text(errno);
  return sync_directory(parent.empty() ? fs::path(".") : parent);
}

}  // namespace borvane::tomlio
