#pragma once
// file_object: the binary file stream under every graphic device.
//
// Values are little-endian raw memory images. Reading goes through a buffer of
// its own so that a replay costs few system calls; what a caller can observe is
// the same as reading the file byte for byte: a read that cannot deliver all
// its bytes fails with code 100 (and consumes what was there), a read on a
// closed file fails with code 103, skipping past the end stops quietly.
#include <cstdint>
#include <memory>
#include <string>

#include "core/FileError.h"
#include "core/MemoryStream.h"

class file_object {
 public:
  file_object();
  virtual ~file_object();  // destroy: closes the file if it is open
  file_object(const file_object&) = delete;
  file_object& operator=(const file_object&) = delete;

  // The operations of the stream.
  virtual void open_write();
  virtual void write_int(int16_t value);
  virtual void read_block(MemoryBlock& block, int32_t count);
  // Returns null when the stream cannot be created or filled (the bytes that
  // were there are consumed); the caller tells the user.
  virtual std::unique_ptr<MemoryStream> read_stream(int32_t count);
  virtual int16_t read_int();
  virtual int32_t read_long();
  virtual void skip_bytes(uint16_t count);
  virtual void open_read();

  void read_bytes(void* buffer, uint16_t count);
  void close();

  bool eof() const;
  int64_t position() const;
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
