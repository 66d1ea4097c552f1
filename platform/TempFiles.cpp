#include "platform/TempFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace platform {

void CreateExclusiveFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    throw std::runtime_error("Cannot create temporary file " + path + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(path.c_str());
      throw std::runtime_error("Cannot write temporary file " + path + ": " +
                               std::strerror(error));
    }
    done += std::size_t(n);
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(path.c_str());
    throw std::runtime_error("Cannot write temporary file " + path + ": " + std::strerror(error));
  }
}

TempFileRemover::~TempFileRemover() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

}  // namespace platform
