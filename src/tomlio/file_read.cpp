#include "tomlio/file_read.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace borvane::tomlio {
namespace {

std::string not_regular(const std::filesystem::path& path) { return path.string() + ": not a regular file"; }

// Closes the descriptor on every path out of the reader.
struct Fd {
  int fd;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Reads to the end, stopping one byte past the limit so that a file that
// grew after fstat is still refused.
Outcome<FileBytes> read_all(int fd, const std::filesystem::path& path, std::size_t size_hint,
                             std::size_t max_bytes) {
  FileBytes content;
  content.data.reserve(size_hint);
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return os_error_text(errno);
    }
    if (n == 0) return content;
    content.data.append(buffer, static_cast<std::size_t>(n));
    if (content.data.size() > max_bytes) return too_large(path, max_bytes);
  }
}

}  // namespace

std::string too_large(const std::filesystem::path& path, std::size_t max_bytes) {
  return path.string() + ": file larger than " + std::to_string(max_bytes / (1024 * 1024)) + " MiB";
}

Outcome<FileBytes> read_regular_file(const std::filesystem::path& path, std::size_t max_bytes) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return os_error_text(errno);
  if (!S_ISREG(st.st_mode)) return not_regular(path);
  // O_NONBLOCK and O_NOFOLLOW: if the entry was swapped for a FIFO or a link
  // since lstat, the open neither waits nor follows it; fstat then decides.
  Fd file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC)};
  if (file.fd < 0) return errno == ELOOP ? not_regular(path) : os_error_text(errno);
  if (::fstat(file.fd, &st) != 0) return os_error_text(errno);
  if (!S_ISREG(st.st_mode)) return not_regular(path);
  if (static_cast<std::size_t>(st.st_size) > max_bytes) return too_large(path, max_bytes);
  return read_all(file.fd, path, static_cast<std::size_t>(st.st_size), max_bytes);
}

}  // namespace borvane::tomlio
