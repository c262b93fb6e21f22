#include "git/file_io.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace borvane::git {

namespace {

domain::DomainError system_failure(int error_number) {
  return domain::DomainError::other(std::generic_category().message(error_number));
}

// Closes the descriptor on every path out of a read or write.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now so that a failing close (e.g. a full disk noticed late) is reported.
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

}  // namespace

domain::Result<std::string> read_file(const std::filesystem::path& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return system_failure(errno);
  std::string contents;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return system_failure(errno);
    if (n == 0) return contents;
    contents.append(buffer, static_cast<std::size_t>(n));
  }
}

domain::Status write_file(const std::filesystem::path& path, std::string_view contents) {
  if (path.has_parent_path()) {
    if (auto made = make_directories(path.parent_path()); !made) return made;
  }
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return system_failure(errno);
  while (!contents.empty()) {
    const ssize_t n = ::write(fd.get(), contents.data(), contents.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return system_failure(errno);
    contents.remove_prefix(static_cast<std::size_t>(n));
  }
  if (fd.close() != 0) return system_failure(errno);
  return domain::ok_status();
}

domain::Status make_directories(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::create_directories(path, error);
  if (error) return domain::DomainError::other(error.message());
  return domain::ok_status();
}

}  // namespace borvane::git
