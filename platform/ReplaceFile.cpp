#include "platform/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A symbolic link is replaced at its target, as writing through it would.
std::string ResolvedTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// Creates a new file beside target under a name that is free; -1 and errno
// when none can be created.
int CreatePartFile(const std::string& target, std::string& name) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = target + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".part";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

int WriteAll(int fd, const unsigned char* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

int ReplaceFileContents(const std::string& path, const void* data, std::size_t size) {
  const std::string target = ResolvedTarget(path);
  std::string part;
  const int fd = CreatePartFile(target, part);
  if (fd < 0) return errno ? errno : EIO;

  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
  int code = WriteAll(fd, static_cast<const unsigned char*>(data), size);
  if (code == 0 && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && std::rename(part.c_str(), target.c_str()) != 0) code = errno;
  if (code != 0) {
    ::unlink(part.c_str());
    return code;
  }
  // The rename itself reaches the disk with the folder.
  const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return 0;
}

}  // namespace platform
