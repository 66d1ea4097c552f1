#include "core/LibraryFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "core/FileError.h"
#include "core/file_object.h"

bool LibraryFileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void LibraryFile::open(const std::string& path, std::size_t record_size) {
  path_ = path;
  record_size_ = record_size ? record_size : 1;
  bytes_.clear();
  open_ = false;

  file_object file;
  file.file_name = path;
  file.open_read();
  // Only whole records up to the cap are kept; the rest of the file is never
  // read, so a huge or growing file cannot exhaust memory.
  std::size_t wanted = static_cast<std::size_t>(std::max<int64_t>(file.file_size, 0));
  wanted = std::min(wanted, kMaxLibraryBytes);
  wanted -= wanted % record_size_;
  bytes_.resize(wanted);
  if (wanted) file.read_exact(bytes_.data(), wanted);
  file.close();
  open_ = true;
}

int32_t LibraryFile::record_count() const {
  if (!open_) throw FileError(FileError::kNotOpen, "File not open");
  return static_cast<int32_t>(bytes_.size() / record_size_);
}

void LibraryFile::copy_record(int32_t n, void* out) const {
  if (!open_) throw FileError(FileError::kNotOpen, "File not open");
  if (n < 0 || n >= record_count())
    throw FileError(FileError::kReadPastEnd, "Disk read error: record " + std::to_string(n) +
                                                 " is not in " + path_);
  std::memcpy(out, bytes_.data() + static_cast<std::size_t>(n) * record_size_, record_size_);
}
