#include "core/file_object.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>


namespace {

// The runtime's I/O error numbers for the common opening failures.
int OpenErrorCode(int err) {
  switch (err) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    default: return err;
  }
}

std::string OpenErrorText(const std::string& name, int err) {
  return "Cannot open file \"" + name + "\": " + std::strerror(err);
}

}  // namespace

file_object::file_object() = default;

file_object::~file_object() { close(); }

void file_object::open_write() {
  close();
  int fd = ::open(file_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw FileError(OpenErrorCode(errno), OpenErrorText(file_name, errno));
  fd_ = fd;
  writing_ = true;
  is_open = true;
  buffer_pos_ = buffer_end_ = 0;
  buffer_start_ = 0;
}

void file_object::open_read() {
  close();
  // A viewer needs no write access to read a log: the file is opened read-only
  // so that read-only logs open too.
  int fd = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw FileError(OpenErrorCode(errno), OpenErrorText(file_name, errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError(5, "Cannot open file \"" + file_name + "\": not a regular file");
  }
  fd_ = fd;
  writing_ = false;
  is_open = true;
  file_size = st.st_size;
  if (!buffer_) buffer_.reset(new uint8_t[kBufferSize]);
  buffer_pos_ = buffer_end_ = 0;
  buffer_start_ = 0;
}

void file_object::close() {
  if (!is_open) return;
  ::close(fd_);
  fd_ = -1;
  is_open = false;
  writing_ = false;
  buffer_pos_ = buffer_end_ = 0;
}

void file_object::fail_not_open() const {
  throw FileError(FileError::kNotOpen, "File not open");
}

void file_object::fill_buffer() {
  buffer_start_ += static_cast<int64_t>(buffer_end_);
  buffer_pos_ = buffer_end_ = 0;
  for (;;) {
    ssize_t n = ::read(fd_, buffer_.get(), kBufferSize);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw FileError(FileError::kReadPastEnd, std::string("Disk read error: ") + std::strerror(errno));
    buffer_end_ = static_cast<size_t>(n);
    return;
  }
}

void file_object::read_exact(void* out, size_t count) {
  if (!is_open || writing_) fail_not_open();
  auto* dest = static_cast<uint8_t*>(out);
  while (count > 0) {
    if (buffer_pos_ == buffer_end_) {
      fill_buffer();
      if (buffer_end_ == 0) throw FileError(FileError::kReadPastEnd, "Disk read error: read beyond end of file");
    }
    size_t n = buffer_end_ - buffer_pos_;
    if (n > count) n = count;
    std::memcpy(dest, buffer_.get() + buffer_pos_, n);
    buffer_pos_ += n;
    dest += n;
    count -= n;
  }
}

void file_object::read_bytes(void* buffer, uint16_t count) { read_exact(buffer, count); }

int16_t file_object::read_int_slow() {
  int16_t v;
  read_exact(&v, sizeof v);
  return v;
}

int32_t file_object::read_long() {
  int32_t v;
  read_exact(&v, sizeof v);
  return v;
}

void file_object::skip_bytes(uint16_t count) {
  if (!is_open || writing_) fail_not_open();
  int64_t left = remaining();
  int64_t n = count < left ? count : left;
  if (n <= 0) return;
  size_t in_buffer = buffer_end_ - buffer_pos_;
  if (static_cast<size_t>(n) <= in_buffer) {
    buffer_pos_ += static_cast<size_t>(n);
    return;
  }
  int64_t target = position() + n;
  if (::lseek(fd_, target, SEEK_SET) < 0)
    throw FileError(FileError::kReadPastEnd, std::string("Disk read error: ") + std::strerror(errno));
  buffer_start_ = target;
  buffer_pos_ = buffer_end_ = 0;
}

void file_object::read_block(MemoryBlock& block, int32_t count) {
  if (count < 0 || static_cast<size_t>(count) > block.size())
    throw FileError(FileError::kReadPastEnd, "Disk read error: block too small");
  read_exact(block.data(), static_cast<size_t>(count));
}

std::unique_ptr<MemoryStream> file_object::read_stream(int32_t count) {
  std::unique_ptr<MemoryStream> stream;
  try {
    if (!is_open) fail_not_open();
    // Never allocate more than the file can deliver: a count beyond what is
    // left is a failed read, whose bytes are consumed as a short read would.
    if (count < 0 || count > remaining()) {
      int64_t left = remaining();
      while (left > 0) {
        uint16_t step = left > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(left);
        skip_bytes(step);
        left -= step;
      }
      throw FileError(FileError::kReadPastEnd, "Disk read error");
    }
    stream = std::make_unique<MemoryStream>(static_cast<size_t>(count));
    read_exact(stream->data(), static_cast<size_t>(count));
    stream->seek(0);
  } catch (const std::exception&) {
    stream.reset();
  }
  return stream;
}

void file_object::write_bytes(const void* data, size_t size) {
  if (!is_open || !writing_) fail_not_open();
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw FileError(FileError::kWriteFailed, std::string("Disk write error: ") + std::strerror(errno));
    p += n;
    size -= static_cast<size_t>(n);
    buffer_start_ += n;
  }
}

void file_object::write_int(int16_t value) { write_bytes(&value, int_width); }
