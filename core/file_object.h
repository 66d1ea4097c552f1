#pragma once
// file_object: the binary file stream under every graphic device.
//
// Values are little-endian raw memory images. Reading goes through a buffer of
// its own so that a replay costs few system calls; what a caller can observe is
// the same as reading the file byte for byte: a read that cannot deliver all
// its bytes fails with code 100 (and consumes what was there), a read on a
// closed file fails with code 103, skipping past the end stops quietly.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "core/FileError.h"
#include "core/MemoryStream.h"

class file_object {
 public:
  file_object();
  ~file_object();  // destroy: closes the file if it is open
  file_object(const file_object&) = delete;
  file_object& operator=(const file_object&) = delete;

  // The operations of the stream.
  void open_write();
  void write_int(int16_t value);
  void read_block(MemoryBlock& block, int32_t count);
  // Returns null when the stream cannot be created or filled (the bytes that
  // were there are consumed); the caller tells the user.
  std::unique_ptr<MemoryStream> read_stream(int32_t count);
  int16_t read_int() {
    // Fast path: both bytes already in the buffer.
    if (buffer_end_ - buffer_pos_ >= 2 && is_open && !writing_) {
      int16_t v;
      std::memcpy(&v, buffer_.get() + buffer_pos_, 2);
      buffer_pos_ += 2;
      return v;
    }
    return read_int_slow();
  }
  int32_t read_long();
  void skip_bytes(uint16_t count);
  void open_read();

  void read_bytes(void* buffer, uint16_t count);
  void close();

  bool eof() const { return !is_open || position() >= file_size; }
  int64_t position() const { return buffer_start_ + static_cast<int64_t>(buffer_pos_); }
  int64_t remaining() const { return is_open ? file_size - position() : 0; }

  // Writing helper for the compiled-log writer.
  void write_bytes(const void* data, size_t size);

  // Reads exactly count bytes (any size); the buffered workhorse behind
  // read_bytes, read_int and read_long.
  void read_exact(void* buffer, size_t count);

  uint16_t int_width = 2;
  std::string file_name;
  bool is_open = false;
  int64_t file_size = 0;  // taken at open_read

 private:
  int16_t read_int_slow();
  void fill_buffer();
  [[noreturn]] void fail_not_open() const;

  int fd_ = -1;
  bool writing_ = false;
  static constexpr size_t kBufferSize = 64 * 1024;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t buffer_pos_ = 0;   // next unread byte in buffer_
  size_t buffer_end_ = 0;   // bytes valid in buffer_
  int64_t buffer_start_ = 0;  // file offset of buffer_[0]
};
