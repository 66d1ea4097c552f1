#include "core/LogHeader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/file_object.h"

namespace {

constexpr const char* kOldVersionMessage =
    "Tarnfel 2001 can't read TFL files created by older versions of Tarnfel.\r\r"
    "Please recompile your log in Tarnfel 2001";

// The header block is never read beyond its 105 bytes; longer header records
// have their excess skipped.
constexpr uint16_t kHeaderBlockSize = sizeof(tfl::Header);

}  // namespace

HeaderCheck ReadLogHeader(file_object& file, tfl::Header& header) {
  uint16_t version = 0, length = 0;
  try {
    version = static_cast<uint16_t>(file.read_int());
    length = static_cast<uint16_t>(file.read_int());
    if (version == tfl::kCurrentVersion) {
      // Read whole before it replaces the header: a cut block changes nothing.
      tfl::Header block;
      file.read_bytes(&block, kHeaderBlockSize);
      if (length > kHeaderBlockSize) file.skip_bytes(static_cast<uint16_t>(length - kHeaderBlockSize));
      header = block;
      return HeaderCheck::Ok;
    }
  } catch (...) {
    // A file too short to hold its header record is refused like any other
    // header that fails the check: closed.
    file.close();
    throw;
  }
  file.close();
  return version == tfl::kOldVersion ? HeaderCheck::OldVersion : HeaderCheck::NotACompiledLog;
}

HeaderCheck ReadLogHeader(const std::string& path, tfl::Header& header) {
  file_object file;
  file.file_name = path;
  file.open_read();
  const HeaderCheck check = ReadLogHeader(file, header);
  file.close();
  return check;
}

Notice RefusalNotice(HeaderCheck check) {
  if (check == HeaderCheck::OldVersion) return {Notice::Error, 0, kOldVersionMessage};
  return {Notice::Error, 1033, ""};
}

// --- Rewriting the header block ---------------------------------------------

namespace {

// Writes all of count bytes at offset; false on any failure.
bool WriteAllAt(int fd, const void* data, size_t count, off_t offset) {
  const auto* p = static_cast<const unsigned char*>(data);
  while (count > 0) {
    const ssize_t n = ::pwrite(fd, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    count -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

bool ReadAllAt(int fd, void* data, size_t count, off_t offset) {
  auto* p = static_cast<unsigned char*>(data);
  while (count > 0) {
    const ssize_t n = ::pread(fd, p, count, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    count -= static_cast<size_t>(n);
    offset += n;
  }
  return true;
}

HeaderRewriteResult Failure(HeaderRewriteResult::Status status, const std::string& why) {
  return HeaderRewriteResult{status, why};
}

}  // namespace

HeaderRewriteResult RewriteHeaderBlock(const std::string& path, const tfl::Header& header) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return Failure(HeaderRewriteResult::OpenFailed, std::strerror(errno));

  HeaderRewriteResult result;
  constexpr size_t kSize = sizeof(tfl::Header);
  struct stat info {};
  unsigned char original[kSize];
  if (::fstat(fd, &info) != 0) {
    result = Failure(HeaderRewriteResult::WriteFailed, std::strerror(errno));
  } else if (info.st_size < static_cast<off_t>(kHeaderBlockOffset + kSize)) {
    result = Failure(HeaderRewriteResult::WriteFailed, "The file is too short to hold a header.");
  } else if (!ReadAllAt(fd, original, kSize, kHeaderBlockOffset)) {
    result = Failure(HeaderRewriteResult::WriteFailed, std::strerror(errno ? errno : EIO));
  } else if (!WriteAllAt(fd, &header, kSize, kHeaderBlockOffset)) {
    const int err = errno ? errno : EIO;
    // Best effort: put back what was there so a half-written block never
    // stays behind.
    WriteAllAt(fd, original, kSize, kHeaderBlockOffset);
    result = Failure(HeaderRewriteResult::WriteFailed, std::strerror(err));
  }
  if (::close(fd) != 0 && result.status == HeaderRewriteResult::Ok)
    result = Failure(HeaderRewriteResult::WriteFailed, std::strerror(errno));
  return result;
}

