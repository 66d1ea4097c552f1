#pragma once
// A library file of fixed-size records (patterns or symbols), read whole into
// memory when it is opened so that every lookup is a memory copy.
//
// Record k starts at byte k * record size; the files have no header. At most
// kMaxLibraryBytes are read: records beyond that are treated as absent, and a
// trailing partial record does not count.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kMaxLibraryBytes = 16u * 1024u * 1024u;

class LibraryFile {
 public:
  // Unopened: every lookup fails as a read on a closed file (code 103).
  LibraryFile() = default;

  // Reads the file at path. Throws FileError when it exists but cannot be
  // read.
  void open(const std::string& path, std::size_t record_size);
  bool is_open() const { return open_; }
  // Whole records held. Throws FileError 103 when unopened.
  int32_t record_count() const;
  // Copies record n into out (record_size bytes). Throws FileError 103 when
  // unopened and FileError 100 for a negative n or one past the end.
  void copy_record(int32_t n, void* out) const;
  const std::string& path() const { return path_; }

 private:
  std::vector<uint8_t> bytes_;
  std::size_t record_size_ = 1;
  std::string path_;
  bool open_ = false;
};

// True when path names an existing regular file (directories do not count).
bool LibraryFileExists(const std::string& path);
