#include "platform/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/BitmapFile.h"
#include "platform/JpegFile.h"

namespace platform {
namespace {

[[noreturn]] void FailFile(const std::string& path, const std::string& what) {
  throw PictureError("Cannot read picture file " + path + ": " + what);
}

std::string ErrnoText(int error) { return std::strerror(error); }

void CheckKind(const std::string& path, const struct stat& st) {
  if (S_ISDIR(st.st_mode)) FailFile(path, "it is a folder");
  if (!S_ISREG(st.st_mode)) FailFile(path, "it is not a regular file");
  if (std::uint64_t(st.st_size) > kMaxPictureFileBytes)
    FailFile(path, "it is larger than " + std::to_string(kMaxPictureFileBytes >> 20) + " MiB");
}

// Closes a descriptor on every way out.
struct FileDescriptor {
  int fd = -1;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::vector<std::uint8_t> ReadPictureFileBytes(const std::string& path) {
  // Look before opening, so that opening cannot touch a device; look again at
  // what was opened, in case the name was swapped in between. O_NONBLOCK
  // keeps the open from waiting on a FIFO.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) FailFile(path, ErrnoText(errno));
  CheckKind(path, st);
  FileDescriptor file;
  file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (file.fd < 0) FailFile(path, ErrnoText(errno));
  if (::fstat(file.fd, &st) != 0) FailFile(path, ErrnoText(errno));
  CheckKind(path, st);

  // Read what the size promises and one byte more, to notice a file that grew.
  std::vector<std::uint8_t> bytes(std::size_t(st.st_size) + 1);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(file.fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      FailFile(path, ErrnoText(errno));
    }
    if (n == 0) break;
    got += std::size_t(n);
  }
  if (got > std::size_t(st.st_size)) FailFile(path, "it changed while it was read");
  bytes.resize(got);
  return bytes;
}

bool IsJpegFileName(const std::string& path) {
  if (path.size() < 4) return false;
  const std::string tail = path.substr(path.size() - 4);
  return tail[0] == '.' && (tail[1] == 'j' || tail[1] == 'J') && (tail[2] == 'p' || tail[2] == 'P') &&
         (tail[3] == 'g' || tail[3] == 'G');
}

LoadedPicture LoadPictureFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadPictureFileBytes(path);
  try {
    if (IsJpegFileName(path)) {
      DecodedJpeg jpeg = DecodeJpeg(bytes);
      return LoadedPicture{std::move(jpeg.image), std::move(jpeg.damage)};
    }
    return LoadedPicture{DecodeBitmapFile(bytes), {}};
  } catch (const PictureError& e) {
    throw PictureError(path + ": " + e.what());
  }
}

}  // namespace platform
