#pragma once
// Short-lived picture files: created only when the name is free, so that a
// file or link someone put in the temporary folder is never followed or
// overwritten, and removed again when their use ends.
#include <cstdint>
#include <span>
#include <string>

namespace platform {

// Creates `path` anew (O_CREAT | O_EXCL: an existing file or symbolic link of
// that name, even a dangling one, makes it fail), readable and writable by
// the owner only, and writes `bytes` into it. On failure nothing is left
// behind and std::runtime_error says why.
void CreateExclusiveFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Deletes its file when it goes out of scope (unless released).
class TempFileRemover {
 public:
  explicit TempFileRemover(std::string path) : path_(std::move(path)) {}
  ~TempFileRemover();
  TempFileRemover(const TempFileRemover&) = delete;
  TempFileRemover& operator=(const TempFileRemover&) = delete;

  const std::string& path() const { return path_; }
  // Keeps the file: the remover no longer deletes it.
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace platform
