#pragma once
// I/O failures of the binary file stream. The code follows the runtime's I/O
// error numbers that callers know: 100 read past the end of the file, 101 write
// failure, 103 file not open; opening failures carry the system's error number
// (2 file not found, 5 access denied, ...).
#include <stdexcept>
#include <string>

class FileError : public std::runtime_error {
 public:
  static constexpr int kReadPastEnd = 100;
  static constexpr int kWriteFailed = 101;
  static constexpr int kNotOpen = 103;

  FileError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// Raised by drawing operations when a value from the file cannot be mapped to
// the device (NaN, infinite or huge coordinates, negative colours); it ends the
// page like an I/O failure.
class RangeError : public std::runtime_error {
 public:
  RangeError() : std::runtime_error("Range check error") {}
};
